// A Kernel Transaction Manager transaction of the host layer, behind a HANDLE of the
// shared handle table. Key handles opened in it work on the transaction's own view of
// both hives (a copy taken when the transaction first touches the registry) and record
// every change, which the commit replays onto the hives; a rollback, or closing the
// handle uncommitted, drops view and record. Outside the transaction nothing shows
// before the commit. Only the registry store reads or changes the fields, under its
// lock.
#pragma once

#include <memory>
#include <vector>

#include "platform/host/HostObject.h"
#include "platform/host/RegistryChange.h"
#include "platform/host/RegistryKey.h"

namespace hostwin {

class RegistryTransaction : public HostObject {
 public:
  enum class State { kActive, kCommitted, kRolledBack };

  // Closing the handle of a transaction that is still active rolls it back, as the
  // KTM does.
  void Close() override;

  State state = State::kActive;
  std::vector<std::unique_ptr<RegistryKey>> view;  // empty until first used
  std::vector<RegistryChange> changes;
};

}  // namespace hostwin
