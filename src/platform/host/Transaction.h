// Kernel Transaction Manager functions of the host layer. A transaction is a HANDLE of
// the shared handle table, ended by CloseHandle; the registry is its only resource
// (see RegistryTransaction.h and the transacted functions in Registry.h).
#pragma once

#include "platform/host/Types.h"

#define TRANSACTION_DO_NOT_PROMOTE 0x00000001

// Fails with INVALID_HANDLE_VALUE, as the KTM does. The options, isolation, timeout
// and description are accepted and ignored: a transaction here never times out.
HANDLE CreateTransaction(LPSECURITY_ATTRIBUTES lpTransactionAttributes, LPGUID UOW,
                         DWORD CreateOptions, DWORD IsolationLevel, DWORD IsolationFlags,
                         DWORD Timeout, LPWSTR Description);
// Both fail with ERROR_INVALID_HANDLE for what is not a transaction, and with
// ERROR_TRANSACTION_ALREADY_COMMITTED or ERROR_TRANSACTION_ALREADY_ABORTED for one
// that has ended. A failed commit leaves the transaction active.
BOOL CommitTransaction(HANDLE TransactionHandle);
BOOL RollbackTransaction(HANDLE TransactionHandle);
