#include "payload/LhaMember.h"

#include <cstring>

#include "payload/PayloadNames.h"

bool LhaIsFolder(const LhaMember& member) {
  // Read by character: a file named "表" (0x95 0x5C) ends in no backslash of its own.
  return strnlen(member.name, LhaMember::kNameSize) < static_cast<size_t>(LhaMember::kNameSize) &&
         IsFolderEntry(member.name);
}
