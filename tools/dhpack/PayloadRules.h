// What the installer accepts in its installation payload, checked before anything is
// written: a payload that passes installs, updates and uninstalls without surprises.
#pragma once

#include <string>
#include <vector>

// Checks one member name (code page 932, backslash separators, a folder's name ends in
// a backslash). Accepted: "SetupInfo.xml" at the root, and names below
// "#PROGRAMFILES#\" or "#APPDATA#\" whose components Windows can create: no empty,
// "." or ".." components, no characters Windows forbids in file names, no trailing dot
// or space, no device names, and no placeholder anywhere but at the start (the
// installer expands every occurrence); a file below "#APPDATA#\" only inside
// "Collections\" or "Model\", the two folders a failed update restores. The
// installer's own rule (IsProductPath) is applied last. False with the reason in
// `*error`.
bool CheckPayloadName(const std::string& name, std::string* error);

// Checks the payload as a whole: the folders an update backs up must be there.
// `names` are the member names in archive order. Problems the installer survives
// (no viewer program) come back in `*warnings`.
bool CheckPayloadContents(const std::vector<std::string>& names, std::string* error,
                          std::vector<std::string>* warnings);
