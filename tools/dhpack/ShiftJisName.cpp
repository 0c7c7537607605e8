#include "ShiftJisName.h"

std::vector<std::string> SplitShiftJisName(const std::string& name, bool slashes) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsShiftJisLead(c) && i + 1 < name.size()) {
      parts.back() += name.substr(i, 2);
      ++i;
    } else if (c == '\\' || (slashes && c == '/')) {
      parts.emplace_back();
    } else {
      parts.back() += static_cast<char>(c);
    }
  }
  return parts;
}

std::string FoldShiftJisCase(const std::string& name) {
  std::string folded = name;
  for (size_t i = 0; i < folded.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(folded[i]);
    if (IsShiftJisLead(c)) {
      ++i;
    } else if (c >= 'A' && c <= 'Z') {
      folded[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return folded;
}
