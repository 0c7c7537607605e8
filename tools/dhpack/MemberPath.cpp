#include "MemberPath.h"

#include <vector>

#include "ShiftJisName.h"

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
  const bool folder = !name.empty() && (name.back() == '\\' || name.back() == '/');
  return folder || !relative->empty();
}
