#include "MemberPath.h"

#include <vector>

#include "ShiftJisName.h"
#include "payload/PayloadNames.h"

bool MemberRelativePath(const std::string& name, std::string* relative) {
  const std::vector<std::string> parts = SplitShiftJisName(name, true);
  if (parts.front().empty() && parts.size() > 1) return false;  // absolute
  if (parts.front().size() >= 2 && parts.front()[1] == ':') return false;  // drive
  relative->clear();
  for (const std::string& part : parts) {
    if (part == "..") return false;
    if (part.empty() || part == ".") continue;
    if (!relative->empty()) *relative += '/';
    *relative += part;
  }
  const bool folder = IsFolderEntry(name.c_str()) || (!name.empty() && name.back() == '/');
  return folder || !relative->empty();
}
