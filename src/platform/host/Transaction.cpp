// KTM functions of the host layer: each asks the fault injection first, then works on
// the transaction object in the handle table through the registry store.
#include "platform/host/Transaction.h"

#include <memory>

#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/HandleTable.h"
#include "platform/host/RegistryStore.h"
#include "platform/host/RegistryTransaction.h"

using hostwin::FailWith;
using hostwin::HandleTable;
using hostwin::RegistryStore;
using hostwin::RegistryTransaction;

HANDLE CreateTransaction(LPSECURITY_ATTRIBUTES /*lpTransactionAttributes*/, LPGUID /*UOW*/,
                         DWORD /*CreateOptions*/, DWORD /*IsolationLevel*/,
                         DWORD /*IsolationFlags*/, DWORD /*Timeout*/, LPWSTR /*Description*/) {
  DWORD error = ERROR_SUCCESS;
  if (hostwin::FailNow("CreateTransaction", nullptr, &error)) {
    return FailWith(error, INVALID_HANDLE_VALUE);
  }
  return HandleTable::Instance().Add(std::make_shared<RegistryTransaction>());
}

BOOL CommitTransaction(HANDLE TransactionHandle) {
  DWORD error = ERROR_SUCCESS;
  if (hostwin::FailNow("CommitTransaction", nullptr, &error)) return FailWith(error, FALSE);
  if (hostwin::CrashNow("CommitTransaction", nullptr, &error)) return FailWith(error, FALSE);
  auto transaction = HandleTable::Instance().Find<RegistryTransaction>(TransactionHandle);
  if (!transaction) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  error = RegistryStore::Instance().Commit(*transaction);
  return error == ERROR_SUCCESS ? TRUE : FailWith(error, FALSE);
}

BOOL RollbackTransaction(HANDLE TransactionHandle) {
  DWORD error = ERROR_SUCCESS;
  if (hostwin::FailNow("RollbackTransaction", nullptr, &error)) return FailWith(error, FALSE);
  auto transaction = HandleTable::Instance().Find<RegistryTransaction>(TransactionHandle);
  if (!transaction) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  error = RegistryStore::Instance().Rollback(*transaction);
  return error == ERROR_SUCCESS ? TRUE : FailWith(error, FALSE);
}
