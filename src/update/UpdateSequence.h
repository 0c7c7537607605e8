// The over-installation or update as one sequence: the recorded installation, the
// version check, the payload, the disk space and the update patch, then the backup of
// the installed folders, the patch's deletions, the new files, the registry commands
// with the version record in one transaction, and the removal of the backups. Every
// step is a log line and a progress position; once the backup exists, a failure moves
// the backed-up folders back. The update worker runs it on its own thread.
#pragma once

#include "morstd/LogSink.h"
#include "morstd/ProgressSink.h"

class cReg;

// Completion codes of an update (0 is success).
constexpr int kUpdateNoRecord = 200;           // the recorded installation cannot be read
constexpr int kUpdateNewerInstalled = 205;     // a newer version is installed
constexpr int kUpdateBadVersion = 210;         // a version text cannot be parsed
constexpr int kUpdateNoPayload = 215;          // no payload, or not enough disk space
constexpr int kUpdateNoPatch = 220;            // free space unknown, or the patch not extracted
constexpr int kUpdateBadPatch = 225;           // the patch cannot be parsed
constexpr int kUpdateBackupFailed = 235;       // the installed folders cannot be backed up
constexpr int kUpdateInstallFailed = 500;      // new files not installed (restored), or no progress
constexpr int kUpdateCommandsNotTaken = 510;   // the registry commands not taken over (restored)
constexpr int kUpdateRegistryFailed = 520;     // the registry transaction rolled back (restored)
constexpr int kUpdateRestoreFailed = 999;      // a failure from 500 on, and the restore failed too
constexpr int kUpdateUnexpected = 99990;       // anything else; nothing restored

// Runs the update against the installation `reg` records. aiMode: the viewer started
// this run with "-ai"; the registry then records "UpdateSuccess" = 1 with the version,
// and the backup folder stays. `progress` null (its dialog could not be made) is 500
// with nothing done; `log` null writes no lines. Returns 0 or the completion code.
int RunUpdateSequence(cReg* reg, bool aiMode, cLogSink* log, cProgressSink* progress);
