#include "install/ProductFolder.h"

#include "platform/win.h"

namespace {

// The text after the last backslash, or null when there is none.
const char* TailOf(const char* path) {
  const char* tail = nullptr;
  for (const char* p = path; *p; p = CharNextA(p))
    if (*p == '\\') tail = p + 1;
  return tail;
}

}  // namespace

int AppendProductFolder(morstd::cMorString* path) {
  const char* text = path->GetData() ? path->GetData() : "";
  const char* tail = TailOf(text);
  if (!tail) {
    path->AppendFormat("\\%s", kProductFolder);
    return 1;
  }
  if (!*tail) {
    // A drive root or any text ending in a backslash: the folder goes right after it.
    path->Append(kProductFolder);
    return 1;
  }
  if (lstrcmpiA(tail, kProductFolder) == 0) return 0;
  path->AppendFormat("\\%s", kProductFolder);
  return 1;
}
