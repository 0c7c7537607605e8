// The uninstall record over arbitrary file bytes: Load must stay within the file and
// its buffer whatever the header claims, and Merge must keep the order it promises.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "morstd/MorMemBlock.h"
#include "payload/PayloadNames.h"
#include "platform/win.h"
#include "uninstall/UninstDat.h"

namespace {

constexpr char kFolder[] = "C:\\fuzz";
constexpr char kRecord[] = "C:\\fuzz\\Uninst.dat";

// Folders end in a backslash of their own; a Shift-JIS second byte 0x5C is none.
bool IsFolder(const char* entry) { return IsFolderEntry(entry); }

int Depth(const char* entry) {
  int depth = 0;
  for (; *entry; entry = CharNextA(entry)) depth += *entry == '\\';
  return depth;
}

// Folders deepest first, then files.
void CheckOrder(const morstd::cMorMemBlock& names) {
  bool inFiles = false;
  int lastDepth = 1 << 30;
  for (int i = 0; i < names.GetCount(); ++i) {
    const char* entry = names.GetAt(i);
    if (!entry) __builtin_trap();
    if (!IsFolder(entry)) {
      inFiles = true;
      continue;
    }
    if (inFiles || Depth(entry) > lastDepth) __builtin_trap();
    lastDepth = Depth(entry);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool folderMade = (CreateDirectoryA(kFolder, nullptr), true);
  (void)folderMade;
  HANDLE file = CreateFileA(kRecord, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) __builtin_trap();
  DWORD written = 0;
  if (size && !WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) __builtin_trap();
  CloseHandle(file);

  cUninstDat record;
  if (!record.Load(kFolder)) return 0;
  const morstd::cMorMemBlock& names = record.GetNames();
  // Load drops the entries outside the product's folders (an empty one stays).
  if (names.GetCount() > record.GetHeader().entryCount) __builtin_trap();
  for (int i = 0; i < names.GetCount(); ++i) {
    const char* entry = names.GetAt(i);
    if (*entry && !IsProductPath(entry, false)) __builtin_trap();
  }
  if (names.GetCount() > 0 && names.GetDataSize() > record.GetHeader().dataSize + 1) __builtin_trap();

  // The update merges the installed list with the new members: here the record's own
  // names, and the names again, which must add no folder twice.
  morstd::cMorMemBlock other;
  other.CopyFrom(names);
  cUninstDat merged;
  merged.CopyFrom(record);
  if (!merged.Merge(other)) __builtin_trap();
  CheckOrder(merged.GetNames());
  const int once = merged.GetNames().GetCount();
  if (!merged.Merge(other)) __builtin_trap();
  CheckOrder(merged.GetNames());
  if (merged.GetNames().GetCount() != once) __builtin_trap();
  return 0;
}
