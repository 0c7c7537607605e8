// The archive operations of the payload extractor: read-me text, payload size, the
// list of installed names, the uninstall record and the extraction itself. Failures
// are raised inside as integer codes and caught at each operation's end.
#include <cstdint>
#include <cstring>

#include "morstd/CatchCode.h"
#include "morstd/MorAlloc.h"
#include "morstd/StepPacer.h"
#include "payload/GetLhaFile.h"
#include "payload/LhaArchiveReader.h"
#include "payload/MemberBuffer.h"
#include "payload/PayloadNames.h"
#include "payload/UninstRecordFormat.h"
#include "payload/WholeFiles.h"

DWORD cGetLhaFile::extractPauseMs = cGetLhaFile::kExtractPauseMs;

namespace {

constexpr int kOtherFailure = 999;

// The failure code of each step of one operation.
struct StepCodes {
  int load;
  int open;
  int headers;
  int walk;
  int select;  // also a member whose data runs short
  int buffer;
};
constexpr StepCodes kReadMeCodes = {100, 110, 120, 130, 140, 150};
constexpr StepCodes kListCodes = {100, 110, 120, 130, 0, 0};
constexpr StepCodes kExtractCodes = {50, 100, 110, 120, 130, 140};
// The extractor's checks of what it writes: a folder that cannot be made, a file that
// cannot be written whole (a member named outside the product's folders is the
// class's kExtractNameRefused, which the install sequence tells apart).
constexpr int kExtractFolderNotMade = 160;
constexpr int kExtractFileNotWritten = 170;
// The record writer's own steps.
constexpr int kRecordList = 100;
constexpr int kRecordCreate = 110;
constexpr int kRecordHeader = 120;
constexpr int kRecordNames = 130;

// Spare zero bytes after a decoded member: the read-me text is used as a string.
constexpr uint32_t kReadMeSlack = 64;
constexpr uint32_t kExtractSlack = 32;

// The deciphered archive is wiped and released whatever way an operation ends, unless
// the extractor holds it for the next operation.
class PayloadRelease {
 public:
  PayloadRelease(cGetLhaFile* lha, bool keep) : lha_(lha), keep_(keep) {}
  ~PayloadRelease() {
    if (!keep_) lha_->ReleasePayload();
  }
  PayloadRelease(const PayloadRelease&) = delete;
  PayloadRelease& operator=(const PayloadRelease&) = delete;

 private:
  cGetLhaFile* lha_;
  bool keep_;
};

class FileClose {
 public:
  explicit FileClose(HANDLE file) : file_(file) {}
  ~FileClose() { CloseHandle(file_); }
  FileClose(const FileClose&) = delete;
  FileClose& operator=(const FileClose&) = delete;

 private:
  HANDLE file_;
};

bool IsSetupInfo(const LhaMember& member) { return IsSetupInfoName(member.name); }

// Loads and deciphers resource `id` and parses every header of it into `reader`.
void OpenPayload(cGetLhaFile* lha, WORD id, cLhaArchiveReader* reader, const StepCodes& codes) {
  if (!lha->LoadDatResource(id)) throw codes.load;
  if (reader->Open(lha->payload.data, lha->payload.size) != kLhaOpenFound) throw codes.open;
  if (reader->ReadHeaders() != kLhaHeadersRead) throw codes.headers;
}

// Selects the member and decodes all of it into `buffer`; a member that cannot be
// selected or whose data runs short is the select failure.
void DecodeMember(cLhaArchiveReader* reader, int index, const LhaMember& member,
                  uint32_t slack, const StepCodes& codes, void (*use)(const BYTE*, uint32_t, void*),
                  void* context) {
  if (!reader->Select(index)) throw codes.select;
  cMemberBuffer buffer(member.unpackedSize, slack, codes.buffer);
  if (reader->Read(buffer.Data(), member.unpackedSize) != member.unpackedSize) throw codes.select;
  use(buffer.Data(), member.unpackedSize, context);
}

// Runs the body of one payload operation: 1 when it ends normally; a failure code it
// throws, or 999 for any other exception, is stored negated in lastError and gives 0.
template <class Body>
int RunCoded(int32_t* lastError, Body body) {
  const int code = morstd::CatchCode(kOtherFailure, body);
  if (code == 0) return 1;
  *lastError = -code;
  return 0;
}

}  // namespace

int cGetLhaFile::GetReadMe(morstd::cMorString* text) {
  PayloadRelease release(this, holdPayload);
  return RunCoded(&lastError, [&] {
    cLhaArchiveReader reader;
    OpenPayload(this, kReadMeResource, &reader, kReadMeCodes);
    int found = 0;
    const LhaMember* readMe = nullptr;
    if (!reader.Walk([&](int index, const LhaMember& member) {
          if (lstrcmpA(member.name, kReadMeName) != 0) return true;
          found = index;
          readMe = &member;
          return false;
        }))
      throw kReadMeCodes.walk;
    if (found) {
      DecodeMember(
          &reader, found, *readMe, kReadMeSlack, kReadMeCodes,
          [](const BYTE* bytes, uint32_t, void* context) {
            static_cast<morstd::cMorString*>(context)->Assign(reinterpret_cast<const char*>(bytes));
          },
          text);
    }
  });
}

int cGetLhaFile::GetPayloadSize(DWORD total[2]) {
  total[0] = 0;
  total[1] = 0;
  PayloadRelease release(this, holdPayload);
  return RunCoded(&lastError, [&] {
    cLhaArchiveReader reader;
    OpenPayload(this, kPayloadResource, &reader, kListCodes);
    uint64_t sum = 0;
    if (!reader.Walk([&](int, const LhaMember& member) {
          sum += member.unpackedSize;
          return true;
        }))
      throw kListCodes.walk;
    total[0] = static_cast<DWORD>(sum);
    total[1] = static_cast<DWORD>(sum >> 32);
    memberCount = reader.Count();
  });
}

int cGetLhaFile::ListInstallFiles(morstd::cMorMemBlock* list) {
  PayloadRelease release(this, holdPayload);
  return RunCoded(&lastError, [&] {
    list->Clear();
    cLhaArchiveReader reader;
    OpenPayload(this, kPayloadResource, &reader, kListCodes);
    if (!reader.Walk([&](int, const LhaMember& member) {
          if (!IsSetupInfo(member)) list->Add(member.name);
          return true;
        }))
      throw kListCodes.walk;
  });
}

int cGetLhaFile::WriteUninstRecord(const char* path, int32_t startMenuShortcut,
                                   int32_t desktopShortcut) {
  return RunCoded(&lastError, [&] {
    morstd::cMorMemBlock listed;
    if (!extractedAll && !ListInstallFiles(&listed)) throw kRecordList;
    const morstd::cMorMemBlock& names = extractedAll ? extractedNames : listed;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw kRecordCreate;
    FileClose close(file);
    const UninstRecordHeader header = MakeUninstRecordHeader(
        startMenuShortcut, desktopShortcut, names.GetDataSize(), names.GetCount());
    DWORD written = 0;
    if (!WriteFile(file, &header, sizeof header, &written, nullptr) || written != sizeof header)
      throw kRecordHeader;
    const DWORD dataSize = static_cast<DWORD>(names.GetDataSize());
    if (dataSize) {
      written = 0;
      if (!WriteFile(file, names.GetData(), dataSize, &written, nullptr) || written != dataSize)
        throw kRecordNames;
    }
    extractedNames.Clear();
    extractedAll = false;
    lastError = 0;
  });
}

int cGetLhaFile::ExtractAll(const char* installFolder, const char* appDataFolder,
                            cProgressSink* progress, int* step, int totalSteps) {
  if (!installFolder || !*installFolder || !appDataFolder || !*appDataFolder) return 0;
  int ownStep = 0;
  if (!step) step = &ownStep;
  extractedNames.Clear();
  extractedAll = false;
  // The record is written from the names listed here: the payload is not needed
  // after the extraction, held or not.
  PayloadRelease release(this, false);
  return RunCoded(&lastError, [&] {
    cLhaArchiveReader reader;
    OpenPayload(this, kPayloadResource, &reader, kExtractCodes);
    morstd::cStepPacer pacer(reader.InstalledCount(), extractPauseMs);
    morstd::cMorString path;
    if (!reader.Walk([&](int index, const LhaMember& member) {
          if (IsSetupInfo(member)) return true;
          if (!IsProductPath(member.name, false)) throw kExtractNameRefused;
          reader.AddInstalledName(&extractedNames, member.name);
          path.Assign(member.name);
          path.ReplaceAll(kProgramFilesPlaceholder, installFolder);
          path.ReplaceAll(kAppDataPlaceholder, appDataFolder);
          if (IsFolderEntry(member.name)) {
            if (!reader.Select(index)) throw kExtractCodes.select;
            path.GetData()[path.GetLength() - 1] = '\0';
            if (MakeDirectories(path.GetData()) != kDirectoriesMade) throw kExtractFolderNotMade;
          } else {
            // A file missing or cut short would be reported as installed.
            DecodeMember(
                &reader, index, member, kExtractSlack, kExtractCodes,
                [](const BYTE* bytes, uint32_t count, void* context) {
                  if (!WriteWholeFile(static_cast<const morstd::cMorString*>(context)->GetData(),
                                      bytes, count))
                    throw kExtractFileNotWritten;
                },
                &path);
          }
          ++*step;
          const int percent =
              totalSteps > 0 ? static_cast<int>(static_cast<int64_t>(*step) * 100 / totalSteps)
                             : 100;
          if (progress) progress->SetProgress(percent, path.GetData() ? path.GetData() : "");
          pacer.Pause();
          return true;
        }))
      throw kExtractCodes.walk;
    extractedAll = true;
  });
}
