// The patch's deletions over the installed record, and the installation of the new
// members with the merge of the uninstall record.
#include <cstring>
#include <optional>

#include "morstd/CatchCode.h"
#include "morstd/StepPacer.h"
#include "morstd/StepPercent.h"
#include "payload/LhaArchive.h"
#include "payload/LhaArchiveReader.h"
#include "payload/MemberBuffer.h"
#include "payload/PayloadNames.h"
#include "payload/WholeFiles.h"
#include "update/UpdateFile.h"
#include "update/UpdateFileSteps.h"

using morstd::cMorString;
using updatefile::HasText;
using morstd::RunCoded;

namespace {

// ExecuteDeleteCommands
constexpr int kDeleteCommandsOther = 99890;
// The data files the patch's "Collections" flag removes.
constexpr char kCollectionsEntries[] = "#APPDATA#\\Collections";
constexpr char kModelFolder[] = "\\Model";

// InstallFiles
constexpr int kNoInstallFolder = 400;
constexpr int kNoAppDataFolder = 405;
constexpr int kInstallNotOpened = 410;
constexpr int kInstallHeadersUnread = 415;
constexpr int kInstallMemberMissing = 420;
constexpr int kMemberNotSelected = 425;
constexpr int kMemberNoBuffer = 430;
constexpr int kMemberNotWritten = 435;
constexpr int kRecordNotSaved = 440;
constexpr int kMemberNameRefused = 445;      // named outside the product's folders
constexpr int kMemberNotRestorable = 450;    // an application-data file no backup covers
constexpr int kFolderListUnavailable = 800;
constexpr int kFolderNotCreated = 810;
constexpr int kInstallOther = 99880;

constexpr uint32_t kMemberSlack = 32;
constexpr char kMergeStatus[] = "アンインストール情報のマージ";

// One entry of the installed record; an empty one has no last character to tell a
// folder from a file by, and ends the deletions.
const char* CheckedEntry(const morstd::cMorMemBlock& names, int i) {
  const char* entry = names.GetAt(i);
  if (!entry || !*entry) throw kDeleteCommandsOther;
  return entry;
}

// Every member is checked before the first is written: an update that could not be
// restored must not begin.
void CheckMembers(cLhaArchiveReader& reader) {
  reader.Walk([](int, const LhaMember& member) {
    if (IsSetupInfoName(member.name)) return true;
    if (!IsProductPath(member.name, false)) throw kMemberNameRefused;
    if (!IsRestorableAppDataFile(member.name)) throw kMemberNotRestorable;
    return true;
  });
}

// Counts the step and shows (step / total)% with the text, then lets it be read.
void ShowStep(int* step, cProgressSink* progress, int total, const char* text,
              morstd::cStepPacer* pacer) {
  ++*step;
  if (progress) progress->SetProgress(morstd::StepPercent(*step, total), text ? text : "");
  pacer->Pause();
}

}  // namespace

int cUpdateFile::ExecuteDeleteCommands(int deleteProgramFiles, int deleteCollections,
                                       int deleteModel) {
  return RunCoded(&lastError, kDeleteCommandsOther, [&] {
    const morstd::cMorMemBlock& names = uninstDat.GetNames();
    cMorString path;
    if (deleteProgramFiles) {
      // Without the install folder the names would resolve below the drive's root.
      if (!HasText(installLocation)) throw kDeleteCommandsOther;
      // Files first, so that the folders they leave empty can go after them.
      for (int i = 0; i < names.GetCount(); ++i) {
        const char* entry = CheckedEntry(names, i);
        if (!IsProductPath(entry, false)) continue;
        if (IsFolderEntry(entry) || !std::strstr(entry, kProgramFilesPlaceholder)) continue;
        path.Assign(entry).ReplaceAll(kProgramFilesPlaceholder, installLocation);
        DeleteFileA(path.GetData());
      }
      for (int i = 0; i < names.GetCount(); ++i) {
        const char* entry = CheckedEntry(names, i);
        if (!IsProductPath(entry, false)) continue;
        if (!IsFolderEntry(entry) || !std::strstr(entry, kProgramFilesPlaceholder)) continue;
        path.Assign(entry).ReplaceAll(kProgramFilesPlaceholder, installLocation);
        RemoveDirectoryA(path.GetData());  // only a folder that is empty by now goes
      }
    }
    if (deleteCollections) {
      if (!HasText(appDataDir)) throw kDeleteCommandsOther;
      for (int i = 0; i < names.GetCount(); ++i) {
        const char* entry = CheckedEntry(names, i);
        if (!IsProductPath(entry, false)) continue;
        if (IsFolderEntry(entry) || !std::strstr(entry, kCollectionsEntries)) continue;
        path.Assign(entry).ReplaceAll(kAppDataPlaceholder, appDataDir);
        DeleteFileA(path.GetData());
      }
    }
    if (deleteModel) {
      if (!HasText(appDataDir)) throw kDeleteCommandsOther;
      path.Format("%s%s", appDataDir, kModelFolder);
      DeleteFolder(path.GetData());
    }
  });
}

int cUpdateFile::InstallFiles(int* step, cProgressSink* progress, int total) {
  int ownStep = 0;
  if (!step) step = &ownStep;
  return RunCoded(&lastError, kInstallOther, [&] {
    if (!HasText(installLocation)) throw kNoInstallFolder;
    if (!HasText(appDataDir)) throw kNoAppDataFolder;
    std::optional<morstd::cStepPacer> pacer;  // sized once the members are counted
    {
      cLhaArchiveReader reader;
      if (reader.Open(payload.data, payload.size) != kLhaOpenFound) throw kInstallNotOpened;
      if (reader.ReadHeaders() != kLhaHeadersRead) throw kInstallHeadersUnread;
      CheckMembers(reader);
      // A pause after every member and after the merge.
      pacer.emplace(reader.InstalledCount() + 1, installPauseMs);
      cMorString path;
      if (!reader.Walk([&](int index, const LhaMember& member) {
            if (IsSetupInfoName(member.name)) return true;
            path.Assign(member.name)
                .ReplaceAll(kProgramFilesPlaceholder, installLocation)
                .ReplaceAll(kAppDataPlaceholder, appDataDir);
            if (!reader.Select(index)) throw kMemberNotSelected;
            if (IsFolderEntry(member.name)) {
              path.GetData()[path.GetLength() - 1] = '\0';
              switch (MakeDirectories(path.GetData())) {
                case kDirectoriesMade:
                  break;
                case kDirectoriesUnusablePath:
                  throw kFolderListUnavailable;
                case kDirectoriesNotCreated:
                  throw kFolderNotCreated;
              }
            } else {
              cMemberBuffer buffer(member.unpackedSize, kMemberSlack, kMemberNoBuffer);
              // A member whose data runs short would be installed cut off: the update
              // stops and the folders are restored instead.
              if (reader.Read(buffer.Data(), member.unpackedSize) != member.unpackedSize)
                throw kMemberNotSelected;
              if (!WriteWholeFile(path.GetData(), buffer.Data(), member.unpackedSize))
                throw kMemberNotWritten;
            }
            ShowStep(step, progress, total, path.GetData(), &*pacer);
            return true;
          }))
        throw kInstallMemberMissing;
    }
    // Every member is in place: the deciphered payload goes (wiped) before the record
    // is merged, so that the merge does not add to the memory the payload holds.
    payload.Clear();

    // The shortcut choices of the installation survive every update.
    cUninstDat merged;
    merged.CopyFrom(uninstDat);
    const UninstRecordHeader& header = uninstDat.GetHeader();
    if (!merged.Merge(memberList) ||
        !merged.Save(installLocation, header.startMenuShortcut, header.desktopShortcut))
      throw kRecordNotSaved;
    ShowStep(step, progress, total, kMergeStatus, &*pacer);
  });
}
