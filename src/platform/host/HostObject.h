// An object behind a host-layer handle. Each area derives its own kind (open file,
// search, thread, mutex...) and says how the object ends when its handle is closed.
#pragma once

#include <string>

#include "platform/host/Types.h"

namespace hostwin {

class HostObject {
 public:
  virtual ~HostObject() = default;

  // Releases what the object holds; called once, when its handle leaves the table.
  virtual void Close() {}

  // Search handles end with FindClose only, as on Windows; CloseHandle refuses them.
  virtual bool ClosedByCloseHandle() const { return true; }

  // The text fault injection matches for calls on this handle (a file's path).
  virtual std::string FaultArgument() const { return std::string(); }
};

}  // namespace hostwin
