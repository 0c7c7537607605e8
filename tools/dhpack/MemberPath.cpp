#include "MemberPath.h"

#include <vector>

namespace {

bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::vector<std::string> Components(const std::string& name) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsShiftJisLead(c) && i + 1 < name.size()) {
      parts.back() += name.substr(i, 2);
      ++i;
    } else if (c == '\\' || c == '/') {
      parts.emplace_back();
    } else {
      parts.back() += static_cast<char>(c);
    }
  }
  return parts;
}

}  // namespace

bool MemberRelativePath(const std::string& name, std::string* relative) {
  const std::vector<std::string> parts = Components(name);
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
