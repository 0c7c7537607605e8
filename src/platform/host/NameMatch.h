// Name comparison as NTFS does it for our callers: ASCII letters without regard to
// case, double-byte characters (code page 932) byte for byte, so the trail byte of
// "ア" (0x83 0x41) is never folded into another character.
#pragma once

#include <string>

namespace hostwin {

class NameMatch {
 public:
  // The name with ASCII letters outside double-byte characters in upper case.
  static std::string Fold(const std::string& name);
  static bool Same(const std::string& a, const std::string& b);
  // Search patterns: '*' any run of characters, '?' one character; "*.*" is "*".
  static bool Matches(const std::string& name, const std::string& pattern);
};

}  // namespace hostwin
