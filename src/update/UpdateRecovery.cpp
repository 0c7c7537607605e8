#include "update/UpdateRecovery.h"

#include <cstring>

#include "morstd/MorString.h"
#include "registry/Reg.h"
#include "update/UpdateFile.h"

namespace {

const char kRestoredLine[] = "中断されたアップデートを元に戻しました\r\n";
const char kCompletedLine[] = "中断されたアップデートは完了していました\r\n";
const char kFailedLine[] = "中断されたアップデートを元に戻せませんでした\r\n";

int Report(cLogSink* log, const char* line, int outcome) {
  if (log) log->AppendLog("%s", line);
  return outcome;
}

int Recover(cReg* reg, cLogSink* log) {
  morstd::cMorString versionBefore;
  if (!cUpdateFile::ReadMarker(&versionBefore)) return kRecoveryNothing;
  // The folders to restore are the ones the registry records; an update changes that
  // record only in its last step, after which the marker goes.
  if (!reg || !reg->LoadInstallInfo()) return Report(log, kFailedLine, kRecoveryFailed);
  cUpdateFile files;
  files.installLocation = reg->installLocation.GetData();
  files.appDataDir = reg->appDataDir.GetData();
  // The registry records another version than before the update: its transaction
  // committed, so the new files are whole and recorded; only the marker was left.
  if (versionBefore.GetLength() > 0 &&
      std::strcmp(versionBefore.GetData(), reg->installedVersion) != 0) {
    if (!files.RemoveMarker()) return Report(log, kFailedLine, kRecoveryFailed);
    files.DeleteBackups();
    return Report(log, kCompletedLine, kRecoveryCompleted);
  }
  if (!files.Rollback(true)) return Report(log, kFailedLine, kRecoveryFailed);
  return Report(log, kRestoredLine, kRecoveryRestored);
}

}  // namespace

int RecoverInterruptedUpdate(cReg* reg, cLogSink* log) {
  try {
    return Recover(reg, log);
  } catch (...) {
    return Report(log, kFailedLine, kRecoveryFailed);
  }
}
