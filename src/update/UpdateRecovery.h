// The start of every run (interactive or "-ai") finishes an update that was cut short
// (power loss, a killed process) before anything else happens: while the backup
// folder holds the marker of an unfinished update, its backups are the only good copy
// of the installation.
#pragma once

#include "morstd/LogSink.h"

class cReg;

// What RecoverInterruptedUpdate found and did.
constexpr int kRecoveryNothing = 0;    // no update was cut short
constexpr int kRecoveryRestored = 1;   // the folders were restored from the backup
constexpr int kRecoveryCompleted = 2;  // the update had been recorded: its files are kept
constexpr int kRecoveryFailed = -1;    // the restore failed; the marker stays for the next start

// Looks for the marker; when there is one, either restores the install folder,
// Collections and Model from the backup (the registry still records the version of
// before the update), or, when the registry records the update's version already,
// keeps the new files and removes the backups. Then the marker goes. The lines of
// what it did go to `log` (may be null). `reg` is read only.
int RecoverInterruptedUpdate(cReg* reg, cLogSink* log);
