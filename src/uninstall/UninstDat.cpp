#include "uninstall/UninstDat.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "morstd/CatchCode.h"
#include "morstd/MorAlloc.h"
#include "morstd/MorString.h"
#include "payload/PayloadNames.h"
#include "platform/win.h"
#include "uninstall/RecordIo.h"

namespace {

using namespace uninstrecord;

constexpr int kOpenFailed = 120;
constexpr int kSignatureUnread = 125;
constexpr int kNotARecord = 130;
constexpr int kHeaderUnread = 135;
constexpr int kNoNameArea = 140;
constexpr int kNamesUnread = 145;
constexpr int kNamesMalformed = 150;
constexpr int kLoadOther = 99980;

constexpr int kCreateFailed = 100;
constexpr int kHeaderUnwritten = 105;
constexpr int kNamesUnwritten = 110;
constexpr int kNoRecordToReplace = 115;
constexpr int kMoveFailed = 116;
constexpr int kSaveOther = 99999;

constexpr int kMergeFailed = 99970;

bool IsFolder(const char* entry) { return IsFolderEntry(entry); }

// The number of separators, a Shift-JIS character's second byte 0x5C not counted.
int Depth(const char* entry) {
  int depth = 0;
  for (; *entry; entry = NextNameChar(entry)) depth += *entry == '\\';
  return depth;
}

// Entries of one kind (folders or files), looked up by their exact bytes in constant
// time: a merge of tens of thousands of names must not compare each with all the
// others. The set holds views into the lists, which must not change while it is used.
class EntrySet {
 public:
  void AddFrom(const morstd::cMorMemBlock& list, bool folders) {
    for (int i = 0; i < list.GetCount(); ++i) {
      const char* entry = list.GetAt(i);
      if (IsFolder(entry) == folders) entries.emplace(entry);
    }
  }
  // True when the entry was not there yet (and now is).
  bool Insert(const char* entry) { return entries.emplace(entry).second; }
  bool Contains(const char* entry) const { return entries.count(entry) != 0; }

 private:
  std::unordered_set<std::string_view> entries;
};

// The record lies in the install folder, which others may be able to write: an entry
// that would resolve outside the product's folders is dropped, so that no update
// deletes it or writes it back. An empty entry stays; the deletions fail on it.
void DropForeignEntries(morstd::cMorMemBlock* names) {
  bool foreign = false;
  for (int i = 0; i < names->GetCount() && !foreign; ++i) {
    const char* entry = names->GetAt(i);
    foreign = *entry && !IsProductPath(entry, false);
  }
  if (!foreign) return;
  morstd::cMorMemBlock kept;
  for (int i = 0; i < names->GetCount(); ++i) {
    const char* entry = names->GetAt(i);
    if (!*entry || IsProductPath(entry, false)) kept.Add(entry);
  }
  names->CopyFrom(kept);
}

}  // namespace

cUninstDat::cUninstDat() { std::memset(&header, 0, sizeof header); }

void cUninstDat::CopyFrom(const cUninstDat& other) {
  if (&other == this) return;
  names.CopyFrom(other.names);
  header = other.header;
  lastError = other.lastError;
}

int cUninstDat::Load(const char* folder) {
  return morstd::RunCoded(&lastError, kLoadOther, [&] {
    morstd::cMorString path;
    path.Format("%s\\%s", folder, kUninstRecordName);
    FileHandle file(CreateFileA(path.GetData(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) throw kOpenFailed;

    char signature[sizeof kUninstSignature + 1] = {};
    DWORD read = 0;
    if (!ReadFile(file.Get(), signature, sizeof kUninstSignature, &read, nullptr))
      throw kSignatureUnread;
    if (lstrcmpA(signature, kUninstSignature) != 0) throw kNotARecord;

    UninstRecordHeader image;
    std::memset(&image, 0, sizeof image);
    const bool whole = SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) == 0 &&
                       ReadExactly(file.Get(), &image, sizeof image);
    header = image;
    if (!whole) throw kHeaderUnread;

    // The counts come from the file and are checked against it before anything is
    // allocated: a damaged or forged record must not make the update allocate or
    // read without bound.
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file.Get(), &fileSize) || header.dataSize < 0 ||
        header.dataSize > fileSize.QuadPart - kUninstHeaderSize)
      throw kNoNameArea;
    // Every name takes at least its NUL.
    if (header.entryCount < 0 || header.entryCount > header.dataSize)
      throw kNamesMalformed;

    NameArea area(static_cast<size_t>(header.dataSize) + kNameAreaSlack);
    if (!area.data) throw kNoNameArea;
    if (!ReadFile(file.Get(), area.data, static_cast<DWORD>(header.dataSize), &read, nullptr))
      throw kNamesUnread;
    file.Close();
    names.Clear();
    if (!names.AddMultiple(area.data, static_cast<uint32_t>(header.dataSize),
                           static_cast<uint32_t>(header.entryCount)))
      throw kNamesMalformed;
    DropForeignEntries(&names);
  });
}

int cUninstDat::Save(const char* folder, int32_t startMenuShortcut, int32_t desktopShortcut) {
  return morstd::RunCoded(&lastError, kSaveOther, [&] {
    header = MakeUninstRecordHeader(startMenuShortcut, desktopShortcut, names.GetDataSize(),
                                    names.GetCount());
    morstd::cMorString temporary;
    morstd::cMorString final;
    temporary.Format("%s\\@%s", folder, kUninstRecordName);
    final.Format("%s\\%s", folder, kUninstRecordName);
    FileHandle file(CreateFileA(temporary.GetData(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) throw kCreateFailed;
    if (!WriteExactly(file.Get(), &header, sizeof header)) throw kHeaderUnwritten;
    if (header.dataSize > 0 &&
        !WriteExactly(file.Get(), names.GetData(), static_cast<DWORD>(header.dataSize)))
      throw kNamesUnwritten;
    if (!FlushFileBuffers(file.Get())) throw kNamesUnwritten;
    file.Close();
    // The new record takes the old one's place in one step, once it is wholly on the
    // disk: whenever the power goes, one whole record is under the name.
    if (GetFileAttributesA(final.GetData()) == INVALID_FILE_ATTRIBUTES) throw kNoRecordToReplace;
    if (!MoveFileExA(temporary.GetData(), final.GetData(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      throw kMoveFailed;
  });
}

int cUninstDat::Merge(const morstd::cMorMemBlock& other) {
  try {
    morstd::cMorMemBlock merged;
    EntrySet folders;  // every folder in `merged`
    folders.AddFrom(names, true);
    for (int i = 0; i < names.GetCount(); ++i) {
      if (IsFolder(names.GetAt(i))) merged.Add(names.GetAt(i));
    }
    for (int i = 0; i < other.GetCount(); ++i) {
      const char* entry = other.GetAt(i);
      if (IsFolder(entry) && folders.Insert(entry)) merged.Add(entry);
    }
    // Deepest first, ties in their order: the uninstaller removes each folder after
    // everything inside it.
    std::vector<std::pair<int, int>> byDepth;  // (depth, index in merged)
    for (int i = 0; i < merged.GetCount(); ++i) byDepth.emplace_back(Depth(merged.GetAt(i)), i);
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    morstd::cMorMemBlock sorted;
    for (const auto& entry : byDepth) sorted.Add(merged.GetAt(entry.second));
    merged.CopyFrom(sorted);
    EntrySet files;  // this record's files; new files are not compared among themselves
    files.AddFrom(names, false);
    for (int i = 0; i < names.GetCount(); ++i) {
      if (!IsFolder(names.GetAt(i))) merged.Add(names.GetAt(i));
    }
    for (int i = 0; i < other.GetCount(); ++i) {
      const char* entry = other.GetAt(i);
      if (!IsFolder(entry) && !files.Contains(entry)) merged.Add(entry);
    }
    names.CopyFrom(merged);
    lastError = 0;
    return 1;
  } catch (...) {
    lastError = kMergeFailed;
  }
  return 0;
}
