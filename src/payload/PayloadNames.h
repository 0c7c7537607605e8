// The member names the payload archives are built around. The extractor, the update
// engine, the uninstaller and the payload tool all take them from here.
#pragma once

#include <cstddef>

// The resource type of the two enciphered archives in the installer's module.
inline constexpr char kPayloadResourceType[] = "DAT";

// The read-me archive's one member, matched with case.
inline constexpr char kReadMeName[] = "ReadMe.txt";
// The update patch at the payload's root; matched without case, and never extracted.
inline constexpr char kSetupInfoName[] = "SetupInfo.xml";
// Every other member name starts with one of these, expanded at installation to the
// viewer's install folder and to its application-data folder.
inline constexpr char kProgramFilesPlaceholder[] = "#PROGRAMFILES#";
inline constexpr char kAppDataPlaceholder[] = "#APPDATA#";

// True for the update patch's name in any case: that member is never installed.
bool IsSetupInfoName(const char* name);

// The two application-data folders an update backs up and can restore.
inline constexpr char kCollectionsFolderName[] = "Collections";
inline constexpr char kModelFolderName[] = "Model";

// Names are read by character in code page 932, whatever the system's ANSI code page
// is: the second byte of a character such as "表" (0x95 0x5C) is no separator.
bool IsNameLeadByte(unsigned char c);
// The character after the one at `at` (itself at the terminator).
const char* NextNameChar(const char* at);
// The last backslash that is a character of its own; null when there is none.
const char* LastNameSeparator(const char* name);

// True when `name` names a folder: it ends in a backslash of its own.
bool IsFolderEntry(const char* name);

// True when `name` lies in the application-data folder: it begins with "#APPDATA#\".
bool IsAppDataName(const char* name);

// The first `length` bytes of `a` and `b` are equal with the case of ASCII letters
// ignored, as the file system compares the product's own ASCII folder names.
bool NameBytesEqualNoCase(const char* a, const char* b, size_t length);

// True when `rest` is a path below a folder that stays below it: its components are
// neither empty, "." nor "..", end in no dot or space, and hold no ':', no '/' and no
// placeholder. A final backslash (a folder's name) and the empty text (the folder
// itself) pass.
bool IsPlainRelativePath(const char* rest);

// The one rule for what the installer, the update and the uninstaller may write or
// delete: a payload member or record entry is accepted only when it begins with
// "#PROGRAMFILES#\" or "#APPDATA#\" (or is "SetupInfo.xml", where `setupInfoAllowed`)
// and the path after it is plain (IsPlainRelativePath). Anything else could land
// outside the product's folders once the placeholders are expanded.
bool IsProductPath(const char* name, bool setupInfoAllowed);

// False for a file of the application-data folder outside "Collections\" and
// "Model\": a failed update restores only those two, so it must not write others.
// Folders and names outside the application-data folder pass.
bool IsRestorableAppDataFile(const char* name);
