#include "platform/host/WinPath.h"

#include <cstring>

#include "platform/host/Strings.h"

namespace hostwin {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Splits on single-byte separators only; a double-byte character is copied whole.
std::vector<std::string> SplitNames(const char* p, bool* endsWithSeparator) {
  std::vector<std::string> parts;
  std::string current;
  *endsWithSeparator = false;
  while (*p) {
    const char* next = CharNextA(p);
    if (next == p + 1 && IsSeparator(*p)) {
      parts.push_back(current);
      current.clear();
      *endsWithSeparator = true;
    } else {
      current.append(p, next);
      *endsWithSeparator = false;
    }
    p = next;
  }
  parts.push_back(current);
  return parts;
}

// Characters Win32 refuses in a name, looked at character by character so that trail
// bytes such as 0x7C ('|') inside a double-byte character pass.
bool NameIsValid(const std::string& name, bool wildcards) {
  static const char kReserved[] = "<>:\"|";
  for (const char* p = name.c_str(); *p;) {
    const char* next = CharNextA(p);
    if (next == p + 1) {
      unsigned char c = static_cast<unsigned char>(*p);
      if (c < 0x20 || std::strchr(kReserved, c)) return false;
      if ((c == '*' || c == '?') && !wildcards) return false;
    }
    p = next;
  }
  return true;
}

}  // namespace

WinPath WinPath::Root(char drive) {
  WinPath root;
  root.drive_ = Upper(drive);
  root.shownDrive_ = drive;
  return root;
}

bool WinPath::Parse(const char* text, const WinPath& current, Check check, WinPath* out,
                    DWORD* error) {
  if (!text || !*text) {
    *error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  // The narrow functions convert the name into a buffer of MAX_PATH characters first.
  if (CharacterCount(text) > MAX_PATH) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  WinPath result;
  const char* rest = text;
  if (IsAsciiLetter(text[0]) && text[1] == ':') {
    result.drive_ = Upper(text[0]);
    result.shownDrive_ = text[0];
    rest = text + 2;
    // "D:name" continues from the current folder only when that is on drive D.
    if (!IsSeparator(*rest) && result.drive_ == current.drive_) result.names_ = current.names_;
  } else if (IsSeparator(text[0]) && IsSeparator(text[1])) {
    *error = ERROR_BAD_NETPATH;
    return false;
  } else if (IsSeparator(text[0])) {
    result.drive_ = current.drive_;
    result.shownDrive_ = current.shownDrive_;
  } else {
    result = current;
    result.endsWithSeparator_ = false;
  }

  bool endsWithSeparator = false;
  std::vector<std::string> parts = SplitNames(rest, &endsWithSeparator);
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string name = parts[i];
    const bool last = i + 1 == parts.size();
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      // Above the root there is nothing: "C:\..\a" is "C:\a", so no path leaves a drive.
      if (!result.names_.empty()) result.names_.pop_back();
      continue;
    }
    if (!last) {
      // A name followed by a separator loses one final dot ("a.\b" is "a\b").
      if (name.back() == '.') name.pop_back();
    } else {
      // The last name loses every final dot and space ("b. ." is "b"). Neither byte
      // can be a trail byte, so trimming from the end is safe in code page 932.
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
      if (name.empty()) endsWithSeparator = true;
    }
    // "...\" trims to "..", which must never reach the file system as a name.
    if ((name == "." || name == "..") && check != Check::kUnchecked) {
      *error = ERROR_INVALID_NAME;
      return false;
    }
    if (!name.empty()) result.names_.push_back(name);
  }
  result.endsWithSeparator_ = endsWithSeparator && !result.names_.empty();

  if (check != Check::kUnchecked) {
    for (size_t i = 0; i < result.names_.size(); ++i) {
      bool wildcards = check == Check::kPatternLeaf && i + 1 == result.names_.size();
      if (!NameIsValid(result.names_[i], wildcards)) {
        *error = ERROR_INVALID_NAME;
        return false;
      }
    }
  }
  *out = result;
  return true;
}

const std::string& WinPath::Leaf() const {
  static const std::string none;
  return names_.empty() ? none : names_.back();
}

WinPath WinPath::Parent() const {
  WinPath parent = *this;
  parent.endsWithSeparator_ = false;
  if (!parent.names_.empty()) parent.names_.pop_back();
  return parent;
}

WinPath WinPath::Child(const std::string& name) const {
  WinPath child = *this;
  child.endsWithSeparator_ = false;
  child.names_.push_back(name);
  return child;
}

std::string WinPath::Text() const {
  std::string text(1, shownDrive_);
  text += ":\\";
  for (size_t i = 0; i < names_.size(); ++i) {
    if (i) text += '\\';
    text += names_[i];
  }
  if (endsWithSeparator_) text += '\\';
  return text;
}

size_t WinPath::Length() const { return CharacterCount(Text()); }

size_t WinPath::CharacterCount(const std::string& text) {
  size_t count = 0;
  for (const char* p = text.c_str(); *p; p = CharNextA(p)) ++count;
  return count;
}

}  // namespace hostwin
