#include "uninstall/UninstallSequence.h"

#include <cstring>

#include "morstd/MorMemBlock.h"
#include "payload/PayloadNames.h"
#include "payload/UninstRecordFormat.h"
#include "registry/Reg.h"
#include "uninstall/GetUninstData.h"
#include "uninstall/UninstallFolders.h"
#include "uninstall/UninstallInfo.h"

namespace {

constexpr int kNoRegistryData = 100;
constexpr int kNoRecord = 110;
constexpr int kOther = 999;

constexpr char kInstallFolderEntry[] = "#PROGRAMFILES#\\";

constexpr char kDataFile[] = "NNJ.dat";

// An entry of the record that would resolve outside the product's folders, and a
// folder named in the user's registry settings that is not the product's: both stay.
constexpr char kEntryRefused[] = "%s 製品のフォルダ外のため消去しません\r\n";
constexpr char kFolderKept[] = "%s 製品のフォルダではないため残します\r\n";

// Takes the entry into `work` and tells whether it names a folder (ends in a backslash
// of its own, not the second byte of a Shift-JIS character). An empty entry throws
// cMorStrOutOfRangeException: the record is damaged and the uninstall fails.
bool TakeEntry(const char* entry, morstd::cMorString* work) {
  work->Assign(entry);
  work->CharAt(work->GetLength() - 1);
  return IsFolderEntry(work->GetData());
}

class UninstallRun {
 public:
  UninstallRun(cUninstallTarget* target, cReg* reg, cLogSink* log, HWND owner)
      : target(target), reg(reg), log(log), owner(owner) {
    std::memset(&header, 0, sizeof header);
  }

  // An uninstallation cut short (power loss, a killed process) is finished by the next
  // one: the record goes only after the files and folders it lists, so a missing record
  // means they are gone already; and the registry data, which tell the next start that
  // something is installed, go last.
  void Run() {
    if (!ReadUninstallInfo(target)) {
      // Incomplete registry data are what an uninstallation cut short in its last
      // step leaves; there is nothing else left to remove.
      reg->RemoveAll();
      throw kNoRegistryData;
    }
    log->AppendLog("レジストリよりアンインストール情報\r\n");
    morstd::cMorString record;
    record.Format("%s\\%s", target->installLocation.GetData(), kUninstRecordName);
    // "AppDataDir" and "ContentsDir" lie where any program of the user can write them;
    // their trees go whole only when they are the folders the installer names.
    appDataOwned = IsProductFolder(target->appDataDir.GetData(), kAppDataFolderTail);
    if (!RecordIsGone(record.GetData())) {
      if (!GetUninstData(record.GetData(), &entries, log, &header)) throw kNoRecord;
      log->AppendLog("ファイルよりアンインストール情報\r\n");
      DropForeignEntries();
      DeleteFiles();
      RemoveFolders();
      DeleteFileA(record.GetData());
      log->AppendLog("%s 消去\r\n", record.GetData());
    }

    RemoveShortcuts();
    RemoveUserData();
    if (appDataOwned) {
      work.Format("%s\\%s", target->appDataDir.GetData(), kDataFile);
      DeleteFileA(work.GetData());
      DeleteTree(target->appDataDir.GetData(), owner);
      RemoveEmptyProductParent(target->appDataDir.GetData());
    } else {
      RemoveAppDataFolders();
    }
    log->AppendLog("レジストリ情報削除開始\r\n");
    if (reg->RemoveAll()) log->AppendLog("レジストリ情報削除完了\r\n");
    log->AppendLog("アンインストール完了\r\n");
  }

 private:
  // No record where the registry says the viewer is, while its folder is there: an
  // earlier uninstallation deleted it after everything it listed.
  static bool RecordIsGone(const char* record) {
    if (GetFileAttributesA(record) != INVALID_FILE_ATTRIBUTES) return false;
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  }

  // The record lies in the install folder, which ordinary users may be able to write:
  // an entry outside the product's folders, or one whose folder is no absolute path,
  // is logged and left out. An empty entry stays: it fails the uninstall as damage.
  void DropForeignEntries() {
    const bool installUsable = IsAbsoluteFolder(target->installLocation.GetData());
    const bool appDataUsable = IsAbsoluteFolder(target->appDataDir.GetData());
    morstd::cMorMemBlock kept;
    for (int i = 0; i < entries.GetCount(); ++i) {
      const char* entry = entries.GetAt(i);
      const bool usable =
          !*entry || (IsProductPath(entry, false) &&
                      (IsAppDataName(entry) ? appDataUsable : installUsable));
      if (usable)
        kept.Add(entry);
      else
        log->AppendLog(kEntryRefused, entry);
    }
    entries.CopyFrom(kept);
  }

  void DeleteFiles() {
    for (int i = 0; i < entries.GetCount(); ++i) {
      if (TakeEntry(entries.GetAt(i), &work)) continue;
      work.ReplaceAll(kProgramFilesPlaceholder, target->installLocation.GetData());
      work.ReplaceAll(kAppDataPlaceholder, target->appDataDir.GetData());
      DeleteFileA(work.GetData());
      log->AppendLog("%s 消去\r\n", work.GetData());
    }
  }

  // Only folders of the install folder, in record order; each goes only when it is
  // empty by now. The install folder itself stays, and the application-data folders
  // go with that whole tree at the end.
  void RemoveFolders() {
    for (int i = 0; i < entries.GetCount(); ++i) {
      if (!TakeEntry(entries.GetAt(i), &work)) continue;
      if (lstrcmpA(work.GetData(), kInstallFolderEntry) == 0) continue;
      if (!std::strstr(work.GetData(), kProgramFilesPlaceholder)) continue;
      work.ReplaceAll(kProgramFilesPlaceholder, target->installLocation.GetData());
      RemoveDirectoryA(work.GetData());
      log->AppendLog("%s 消去\r\n", work.GetData());
    }
  }

  void RemoveShortcuts() {
    const int startMenuRemoved = RemoveStartMenu(owner);
    if (header.startMenuShortcut) {
      log->AppendLog(startMenuRemoved ? "プログラムスタートメニュー削除\r\n"
                                      : "プログラムスタートメニュー削除失敗\r\n");
    }
    char desktop[MAX_PATH];
    const int desktopFound = GetDesktopFolder(desktop, owner);
    if (header.desktopShortcut)
      log->AppendLog(desktopFound ? "ショートカット削除\r\n" : "ショートカット削除失敗\r\n");
    // Without the desktop folder the name would point at the current drive's root.
    if (desktopFound) {
      work.Format("%s\\%s", desktop, kShortcutName);
      DeleteFileA(work.GetData());
    }
  }

  // The application-data folder is not the product's: only the record's own folders
  // below it go, each once it is empty. A folder comes before its contents in the
  // installation's order and after them in an update's, so both orders are tried.
  void RemoveAppDataFolders() {
    for (int pass = 0; pass < 2; ++pass) {
      for (int n = 0; n < entries.GetCount(); ++n) {
        const int i = pass == 0 ? entries.GetCount() - 1 - n : n;
        if (!TakeEntry(entries.GetAt(i), &work)) continue;
        if (!IsAppDataName(work.GetData())) continue;
        work.ReplaceAll(kAppDataPlaceholder, target->appDataDir.GetData());
        if (RemoveDirectoryA(work.GetData())) log->AppendLog("%s 消去\r\n", work.GetData());
      }
    }
  }

  void RemoveUserData() {
    if (appDataOwned) {
      RemoveDataFolders();
    } else {
      log->AppendLog(kFolderKept, target->appDataDir.GetData());
    }
    if (target->contentsDir.GetLength() > 0) {
      if (!IsProductFolder(target->contentsDir.GetData(), kContentsFolderTail)) {
        log->AppendLog(kFolderKept, target->contentsDir.GetData());
        return;
      }
      log->AppendLog("コンテンツ削除開始\r\n");
      log->AppendLog(DeleteContents(target->contentsDir.GetData(), owner)
                         ? "コンテンツ削除完了\r\n"
                         : "コンテンツ削除一部未完\r\n");
    }
  }

  void RemoveDataFolders() {
    work.Format("%s\\%s", target->appDataDir.GetData(), kCollectionsFolderName);
    log->AppendLog(DeleteTree(work.GetData(), owner) ? "Collectionsデータ削除\r\n"
                                                     : "Collectionsデータ削除失敗\r\n");
    work.Format("%s\\%s", target->appDataDir.GetData(), kModelFolderName);
    if (!RemoveDirectoryA(work.GetData())) {
      log->AppendLog(DeleteTree(work.GetData(), owner) ? "Modelデータ削除\r\n"
                                                       : "Modelデータ削除失敗\r\n");
    }
  }

  cUninstallTarget* target;
  cReg* reg;
  cLogSink* log;
  HWND owner;
  morstd::cMorMemBlock entries;
  UninstRecordHeader header;
  morstd::cMorString work;  // the path being handled
  bool appDataOwned = false;  // "AppDataDir" names the product's own folder
};

}  // namespace

int RunUninstall(cUninstallTarget* target, cReg* reg, cLogSink* log, HWND owner) {
  int code = kOther;
  try {
    UninstallRun run(target, reg, log, owner);
    run.Run();
    return 0;
  } catch (int thrown) {
    code = thrown;
  } catch (...) {
    code = kOther;
  }
  log->AppendLog("アンインストール中に例外発生(%d)\r\n", code);
  return code;
}
