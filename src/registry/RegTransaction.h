// The program's one door to the Kernel Transaction Manager and the transacted registry
// functions. Everything that must be all-or-nothing in the registry (the update's
// registry commands and version record) goes through an open cRegTransaction; the
// keys it gives out are plain HKEYs whose writes belong to the transaction.
//
// Windows has all of it. Wine 8.0 has stubs only (RegCreateKeyTransactedA fails with
// ERROR_CALL_NOT_IMPLEMENTED and RegDeleteKeyTransactedA ends the process), which is
// why nothing else in the program calls these functions directly.
#pragma once

#include "platform/win.h"

class cRegTransaction {
 public:
  cRegTransaction() = default;
  // Closes a transaction still open; the KTM rolls back what was not committed.
  ~cRegTransaction();
  cRegTransaction(const cRegTransaction&) = delete;
  cRegTransaction& operator=(const cRegTransaction&) = delete;

  // Starts a transaction that stays local (TRANSACTION_DO_NOT_PROMOTE), without
  // timeout. False when the KTM gives none; then Handle() stays null. CreateTransaction
  // reports failure as INVALID_HANDLE_VALUE, which never leaves this class.
  bool Begin();
  // The open transaction, or null.
  HANDLE Handle() const { return handle; }

  // CommitTransaction and RollbackTransaction on the open transaction; false (with the
  // system's last error) on failure or when none is open. The handle stays open
  // until Close.
  bool Commit();
  bool Rollback();
  void Close();

  // The transacted registry calls. The result is the Win32 error code;
  // ERROR_INVALID_HANDLE for a null transaction, without calling the system.
  // CreateKey creates missing keys on the way, with no class and no options.
  static LSTATUS CreateKey(HANDLE transaction, HKEY root, const char* path, REGSAM access,
                           HKEY* key);
  static LSTATUS OpenKey(HANDLE transaction, HKEY root, const char* path, REGSAM access, HKEY* key);
  // Deletes a key without subkeys, in the 32-bit registry view the release lives in.
  static LSTATUS DeleteKey(HANDLE transaction, HKEY root, const char* path);

 private:
  HANDLE handle = nullptr;
};
