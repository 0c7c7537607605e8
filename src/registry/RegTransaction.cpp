#include "registry/RegTransaction.h"

#ifdef _WIN32
#include <ktmw32.h>
#endif

namespace {
// Not every SDK header names this option of CreateTransaction.
constexpr DWORD kDoNotPromote = 0x00000001;  // TRANSACTION_DO_NOT_PROMOTE
}  // namespace

cRegTransaction::~cRegTransaction() { Close(); }

bool cRegTransaction::Begin() {
  Close();
  HANDLE created = CreateTransaction(nullptr, nullptr, kDoNotPromote, 0, 0, 0, nullptr);
  if (created == INVALID_HANDLE_VALUE || created == nullptr) return false;
  handle = created;
  return true;
}

bool cRegTransaction::Commit() {
  if (!handle) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return CommitTransaction(handle) != FALSE;
}

bool cRegTransaction::Rollback() {
  if (!handle) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return RollbackTransaction(handle) != FALSE;
}

void cRegTransaction::Close() {
  if (handle) CloseHandle(handle);
  handle = nullptr;
}

LSTATUS cRegTransaction::CreateKey(HANDLE transaction, HKEY root, const char* path, REGSAM access,
                                   HKEY* key) {
  *key = nullptr;
  if (!transaction) return ERROR_INVALID_HANDLE;
  return RegCreateKeyTransactedA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                 key, nullptr, transaction, nullptr);
}

LSTATUS cRegTransaction::OpenKey(HANDLE transaction, HKEY root, const char* path, REGSAM access,
                                 HKEY* key) {
  *key = nullptr;
  if (!transaction) return ERROR_INVALID_HANDLE;
  return RegOpenKeyTransactedA(root, path, 0, access, key, transaction, nullptr);
}

LSTATUS cRegTransaction::DeleteKey(HANDLE transaction, HKEY root, const char* path) {
  if (!transaction) return ERROR_INVALID_HANDLE;
  return RegDeleteKeyTransactedA(root, path, KEY_WOW64_32KEY, 0, transaction, nullptr);
}
