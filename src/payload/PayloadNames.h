// The member names the payload archives are built around. The extractor, the update
// engine, the uninstaller and the payload tool all take them from here.
#pragma once

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

struct LhaMemberList;

// True for the update patch's name in any case: that member is never installed.
bool IsSetupInfoName(const char* name);
// The members of the list that an installation or update writes (all but the patch).
int InstalledMemberCount(const LhaMemberList& list);

// True when `name` names a folder: it ends in a backslash of its own, not in the
// second byte of a Shift-JIS character such as "表" (0x95 0x5C).
bool IsFolderEntry(const char* name);
