// The host layer's handle table: hands out HANDLE values for objects and finds them
// again. Values are never reused within a run, so a stale handle fails cleanly with
// ERROR_INVALID_HANDLE instead of reaching a newer object.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "platform/host/HostObject.h"

namespace hostwin {

class HandleTable {
 public:
  static HandleTable& Instance();

  HANDLE Add(std::shared_ptr<HostObject> object);

  // The object behind the handle when it is of kind T, else null.
  template <class T>
  std::shared_ptr<T> Find(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(FindObject(handle));
  }
  std::shared_ptr<HostObject> FindObject(HANDLE handle);

  // Takes the object out of the table (null when the handle is not there); the caller
  // closes it outside the table's lock.
  std::shared_ptr<HostObject> Remove(HANDLE handle);

  // Closes every object still open (the reset between tests).
  void CloseAll();

  size_t OpenCount();

 private:
  HandleTable() = default;

  std::mutex lock_;
  std::map<UINT_PTR, std::shared_ptr<HostObject>> objects_;
  UINT_PTR next_ = 0x100;
};

}  // namespace hostwin
