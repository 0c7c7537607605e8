#include "platform/host/NameMatch.h"

#include <vector>

#include "platform/host/Strings.h"

namespace hostwin {
namespace {

// The folded name cut into characters, one or two bytes each.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> chars;
  for (const char* p = text.c_str(); *p;) {
    const char* next = CharNextA(p);
    chars.emplace_back(p, next);
    p = next;
  }
  return chars;
}

}  // namespace

std::string NameMatch::Fold(const std::string& name) {
  std::string folded;
  folded.reserve(name.size());
  for (const char* p = name.c_str(); *p;) {
    const char* next = CharNextA(p);
    if (next == p + 1 && *p >= 'a' && *p <= 'z') {
      folded += static_cast<char>(*p - 'a' + 'A');
    } else {
      folded.append(p, next);
    }
    p = next;
  }
  return folded;
}

bool NameMatch::Same(const std::string& a, const std::string& b) {
  return a.size() == b.size() && Fold(a) == Fold(b);
}

bool NameMatch::Matches(const std::string& name, const std::string& pattern) {
  const std::vector<std::string> text = Characters(Fold(name));
  const std::vector<std::string> glob = Characters(Fold(pattern == "*.*" ? "*" : pattern));
  // Greedy match with one backtrack point: the position after the last '*'.
  size_t t = 0, g = 0, starG = std::string::npos, starT = 0;
  while (t < text.size()) {
    if (g < glob.size() && glob[g] == "*") {
      starG = g++;
      starT = t;
    } else if (g < glob.size() && (glob[g] == "?" || glob[g] == text[t])) {
      ++g;
      ++t;
    } else if (starG != std::string::npos) {
      g = starG + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (g < glob.size() && glob[g] == "*") ++g;
  return g == glob.size();
}

}  // namespace hostwin
