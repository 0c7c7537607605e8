#include "payload/PayloadNames.h"

#include <cstring>
#include <initializer_list>

#include "payload/LhaMember.h"
#include "platform/win.h"

namespace {

// The names are Shift-JIS whatever the system's ANSI code page is.
constexpr UINT kNameCodePage = 932;

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The text after "<placeholder>\", or null when `name` does not begin so.
const char* AfterPlaceholder(const char* name, const char* placeholder) {
  if (!StartsWith(name, placeholder)) return nullptr;
  const char* rest = name + std::strlen(placeholder);
  return *rest == '\\' ? rest + 1 : nullptr;
}

// One component between separators: not empty, not "." or "..", not ending in a dot
// or a space (Windows drops those, so ".. " would climb), no drive colon, no second
// separator Windows would honour, and no placeholder the expansion would replace a
// second time. No Shift-JIS second byte is a dot or a space.
bool IsPlainComponent(const char* start, const char* end) {
  if (end == start) return false;
  if (end[-1] == '.' || end[-1] == ' ') return false;  // ".", ".." and "..." among them
  for (const char* at = start; at < end; at = NextNameChar(at)) {
    if (*at == ':' || *at == '/') return false;
  }
  const char* placeholders[] = {kProgramFilesPlaceholder, kAppDataPlaceholder};
  for (const char* placeholder : placeholders) {
    const size_t size = std::strlen(placeholder);
    for (const char* at = start; at + size <= end; at = NextNameChar(at)) {
      if (std::strncmp(at, placeholder, size) == 0) return false;
    }
  }
  return true;
}

}  // namespace

bool IsNameLeadByte(unsigned char c) { return IsDBCSLeadByteEx(kNameCodePage, c) != FALSE; }

const char* NextNameChar(const char* at) {
  if (!*at) return at;
  return IsNameLeadByte(static_cast<unsigned char>(*at)) && at[1] ? at + 2 : at + 1;
}

const char* LastNameSeparator(const char* name) {
  const char* last = nullptr;
  for (const char* at = name; *at; at = NextNameChar(at)) {
    if (*at == '\\') last = at;
  }
  return last;
}

bool IsFolderEntry(const char* name) {
  if (!name || !*name) return false;
  const char* last = LastNameSeparator(name);
  return last && last[1] == '\0';
}

bool IsPlainRelativePath(const char* rest) {
  if (!rest) return false;
  // Component by component; a final separator (a folder's name) ends the last one, and
  // an empty text is the folder itself.
  const char* start = rest;
  for (const char* at = rest;; at = NextNameChar(at)) {
    if (*at != '\\' && *at != '\0') continue;
    if (*at == '\0' && at == start) return true;
    if (!IsPlainComponent(start, at)) return false;
    if (*at == '\0') return true;
    start = at + 1;
  }
}

bool IsProductPath(const char* name, bool setupInfoAllowed) {
  if (!name) return false;
  if (setupInfoAllowed && IsSetupInfoName(name)) return true;
  const char* rest = AfterPlaceholder(name, kProgramFilesPlaceholder);
  if (!rest) rest = AfterPlaceholder(name, kAppDataPlaceholder);
  return rest && IsPlainRelativePath(rest);
}

bool IsAppDataName(const char* name) {
  return name && AfterPlaceholder(name, kAppDataPlaceholder) != nullptr;
}

bool NameBytesEqualNoCase(const char* a, const char* b, size_t length) {
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 0; i < length; ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

bool IsRestorableAppDataFile(const char* name) {
  const char* rest = AfterPlaceholder(name ? name : "", kAppDataPlaceholder);
  if (!rest) return true;  // not the application-data folder's
  if (IsFolderEntry(name)) return true;
  // The file system ignores the case of these ASCII names, and so does the backup.
  for (const char* folder : {kCollectionsFolderName, kModelFolderName}) {
    const size_t length = std::strlen(folder);
    // A shorter `rest` differs at its terminator, before anything beyond it is read.
    if (NameBytesEqualNoCase(rest, folder, length) && rest[length] == '\\') return true;
  }
  return false;
}

bool IsSetupInfoName(const char* name) { return lstrcmpiA(name, kSetupInfoName) == 0; }
