// One registry value as the viewer found it: text, number, absent, or of a kind the
// viewer does not show.
#pragma once

#include <windows.h>

#include <string>

class cRegValue {
 public:
  enum Kind { MISSING, TEXT, DWORD_VALUE, OTHER };

  // Reads `name` of root\path; a missing key reads as a missing value.
  static cRegValue Read(HKEY root, const char* path, const char* name);

  Kind GetKind() const { return kind; }
  const std::string& GetText() const { return text; }
  DWORD GetDword() const { return number; }
  // The value as the window shows it: the text, the number in decimal, or a note for a
  // missing value or one of another type.
  std::string Display() const;

 private:
  Kind kind = MISSING;
  std::string text;
  DWORD number = 0;
};
