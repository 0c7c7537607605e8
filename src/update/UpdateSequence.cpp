#include "update/UpdateSequence.h"

#include "morstd/MorString.h"
#include "morstd/StepPercent.h"
#include "registry/Reg.h"
#include "update/SetupInfo.h"
#include "update/UpdateFile.h"

namespace {

using morstd::StepPercent;

// Steps besides the installed members: the payload, the disk space, the patch, its
// parsing, the backup, the deletions, the record merge and the two registry steps.
constexpr int kFixedSteps = 9;

// CompareVersions' answers.
constexpr int kNewerInstalled = 0;
constexpr int kSameInstalled = 1;
constexpr int kOlderInstalled = 2;

// CheckDiskSpace's answers.
constexpr int kSpaceEnough = 1;
constexpr int kSpaceShort = 0;

const char kLineEnd[] = "\r\n";
const char kRecordRead[] = "レジストリ情報の取得成功";
const char kNewerLine[] = "すでに新しいバージョンがインストールされています\r\n";
const char kSameLine[] = "同一のバージョンをインストールします\r\n";
const char kVersionCheckedLine[] = "バージョンチェック完了\r\n";
const char kVersionFailedLine[] = "バージョンチェック失敗\r\n";
const char kVersionChecked[] = "バージョンチェック完了";
const char kPayloadLoadedLine[] = "アップデートパッチのロード完了\r\n";
const char kPayloadLoaded[] = "インアストールデータのロード完了";
const char kNoSpaceLine[] = "ディスク空き容量がありません\r\n";
const char kSpaceUnknownLine[] = "ディスク空き容量チェック失敗\r\n";
const char kSpaceLine[] = "ディスク空き容量確認\r\n";
const char kSpaceChecked[] = "ディスク空き容量チェック完了";
const char kPatchRead[] = "設定ファイル取得完了";
const char kPatchParsedLine[] = "設定値のパース成功\r\n";
const char kPatchParsed[] = "設定ファイルパース完了";
const char kBackedUp[] = "バックアップ成功";
const char kDeletionsIncompleteLine[] = "ファイル消去コマンド不完全\r\n";
const char kDeletionsDone[] = "ファイル操作系コマンド完了";
const char kInstalledLine[] = "ファイルインストール完了\r\n";
const char kCommandsTaken[] = "レジストリ操作系コマンド完了";
const char kRegistryDone[] = "レジストリ操作完了";
const char kBackupsDeletedLine[] = "バックアップの削除完了\r\n";
const char kTempDeletedLine[] = "TEMPの削除完了\r\n";
const char kRestoredLine[] = "ロールバック処理完了しました\r\n";
const char kRestoreFailedLine[] = "致命的なエラーが発生しました(ロールバック失敗)\r\n";

// Where the lines go when the caller has no log.
class cSilentLog : public cLogSink {
 public:
  int AppendLogText(const char*) override { return 1; }
};

class UpdateRun {
 public:
  UpdateRun(cReg* reg, bool aiMode, cLogSink* log, cProgressSink* progress)
      : reg(reg), aiMode(aiMode), log(log ? log : &silentLog), progress(progress) {}

  // 0, or the completion code after the failure's lines and, once the backup exists,
  // the restore. Anything but a code leaves it for the caller.
  int Execute() {
    try {
      Run();
      return 0;
    } catch (int code) {
      return Fail(code);
    }
  }

 private:
  void Run() {
    // Without the progress dialog nothing has started; there is nothing to restore.
    if (!progress) throw kUpdateInstallFailed;
    reg->updateMode = aiMode ? 1 : 0;

    if (!reg->LoadInstallInfo()) FailWith(reg->GetErrorMessage(), kUpdateNoRecord);
    files.installLocation = reg->installLocation.GetData();
    files.appDataDir = reg->appDataDir.GetData();
    files.recordedVersion = reg->installedVersion;
    Line(kRecordRead, kLineEnd);
    progress->SetProgress(0, kRecordRead);

    CheckVersions();

    if (!files.LoadPayload()) FailWith(files.GetErrorMessage(), kUpdateNoPayload);
    Line(kPayloadLoadedLine);
    total = files.memberCount + kFixedSteps;
    NextStep(kPayloadLoaded);

    CheckSpace();

    morstd::cMorString patchText;
    if (!files.GetSetupInfo(&patchText)) FailWith(files.GetErrorMessage(), kUpdateNoPatch);
    Line(kPatchRead, kLineEnd);
    NextStep(kPatchRead);

    // A payload without a patch, or with an empty one, deletes nothing and runs no
    // registry commands; the files and the version are still updated.
    cSetupInfo patch;
    if (patchText.GetLength() > 0 && !patch.Parse(patchText.GetData())) {
      FailWith(patch.GetErrorMessage(), kUpdateBadPatch);
    }
    Line(kPatchParsedLine);
    NextStep(kPatchParsed);

    if (!files.Backup()) FailWith(files.GetErrorMessage(), kUpdateBackupFailed);
    backedUp = true;
    Line(kBackedUp, kLineEnd);
    NextStep(kBackedUp);

    // A deletion left undone only leaves an old file behind; the update goes on.
    if (files.ExecuteDeleteCommands(patch.GetDeleteProgramFiles(), patch.GetDeleteCollections(),
                                    patch.GetDeleteModel())) {
      Line(kDeletionsDone, kLineEnd);
    } else {
      Line(kDeletionsIncompleteLine);
    }
    NextStep(kDeletionsDone);

    if (!files.InstallFiles(&step, progress, total)) {
      FailWith(files.GetErrorMessage(), kUpdateInstallFailed);
    }
    Line(kInstalledLine);

    if (!reg->SetCommands(patch.GetModAddList(), patch.GetDeleteValueList(),
                          patch.GetDeleteKeyList())) {
      FailWith(reg->GetErrorMessage(), kUpdateCommandsNotTaken);
    }
    NextStep(kCommandsTaken);

    if (!reg->ExecuteRegistryCommands()) FailWith(reg->GetErrorMessage(), kUpdateRegistryFailed);
    // The point of no return: the new files are in place and recorded, so the backups
    // are no longer the copy to go back to.
    files.RemoveMarker();
    Line(kRegistryDone, kLineEnd);
    NextStep(kRegistryDone);

    files.DeleteBackups();
    Line(kBackupsDeletedLine);
    // The viewer that started an "-ai" run finds the backup folder in place.
    if (!aiMode) {
      files.DeleteTemp();
      Line(kTempDeletedLine);
    }
  }

  void CheckVersions() {
    switch (reg->CompareVersions()) {
      case kNewerInstalled:
        Line(kNewerLine);
        throw kUpdateNewerInstalled;
      case kSameInstalled:
        Line(kSameLine);
        break;
      case kOlderInstalled:
        Line(kVersionCheckedLine);
        break;
      default:
        Line(kVersionFailedLine);
        throw kUpdateBadVersion;
    }
    progress->SetProgress(0, kVersionChecked);
  }

  void CheckSpace() {
    const int space = files.CheckDiskSpace();
    if (space == kSpaceShort) {
      Line(kNoSpaceLine);
      throw kUpdateNoPayload;
    }
    if (space != kSpaceEnough) {
      Line(kSpaceUnknownLine);
      throw kUpdateNoPatch;
    }
    Line(kSpaceLine);
    NextStep(kSpaceChecked);
  }

  // One log line; `end` closes a text that also serves as a progress status.
  void Line(const char* text, const char* end = "") { log->AppendLog("%s%s", text, end); }

  void NextStep(const char* text) { progress->SetProgress(StepPercent(++step, total), text); }

  // Logs the failing object's message and raises the code. An object with no text for
  // its code (a failure that set none) still leaves its line, empty.
  [[noreturn]] void FailWith(const char* message, int code) {
    Line(message ? message : "", kLineEnd);
    throw code;
  }

  // Steps before the backup have changed nothing; from the installation on, the
  // backed-up folders are moved back. The registry needs nothing: its one changing
  // step rolls itself back.
  int Fail(int code) {
    if (code < kUpdateInstallFailed || !backedUp) return code;
    if (files.Rollback()) {
      Line(kRestoredLine);
      return code;
    }
    Line(kRestoreFailedLine);
    return kUpdateRestoreFailed;
  }

  cReg* reg;
  bool aiMode;
  cSilentLog silentLog;
  cLogSink* log;
  cProgressSink* progress;
  cUpdateFile files;
  bool backedUp = false;
  int step = 0;
  int total = 0;
};

}  // namespace

int RunUpdateSequence(cReg* reg, bool aiMode, cLogSink* log, cProgressSink* progress) {
  try {
    if (!reg) return kUpdateUnexpected;
    UpdateRun run(reg, aiMode, log, progress);
    return run.Execute();
  } catch (...) {
    return kUpdateUnexpected;
  }
}
