// The update patch reader over arbitrary text, as the update reads the payload's
// "SetupInfo.xml": every result must come with its code and text, a successful read
// must leave only whole commands, and reading the same text again must give the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "morstd/MorMemBlock.h"
#include "platform/host/MessageJournal.h"
#include "update/SetupInfo.h"

namespace {

bool SameList(const morstd::cMorMemBlock& a, const morstd::cMorMemBlock& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (int i = 0; i < a.GetCount(); ++i) {
    if (!a.GetAt(i) || !b.GetAt(i) || std::strcmp(a.GetAt(i), b.GetAt(i)) != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // up to its first NUL
  cSetupInfo info;
  const int read = info.Parse(text.c_str());
  if (read != (info.GetLastError() == 0)) __builtin_trap();
  if (!*info.GetErrorMessage()) __builtin_trap();  // every code the reader sets has a text
  // After success every command is whole (a failure may leave a partial one behind).
  if (read && (info.GetModAddList().GetCount() % 5 || info.GetDeleteValueList().GetCount() % 3 ||
               info.GetDeleteKeyList().GetCount() % 2))
    __builtin_trap();
  cSetupInfo again;
  if (again.Parse(text.c_str()) != read || again.GetLastError() != info.GetLastError() ||
      again.GetDeleteCollections() != info.GetDeleteCollections() ||
      again.GetDeleteModel() != info.GetDeleteModel() ||
      again.GetDeleteProgramFiles() != info.GetDeleteProgramFiles() ||
      !SameList(again.GetModAddList(), info.GetModAddList()) ||
      !SameList(again.GetDeleteValueList(), info.GetDeleteValueList()) ||
      !SameList(again.GetDeleteKeyList(), info.GetDeleteKeyList()))
    __builtin_trap();
  hostwin::ClearMessageJournal();  // the reader's message boxes would pile up
  return 0;
}
