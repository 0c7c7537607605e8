#include "payload/LhaMember.h"

#include <cstring>

#include "payload/PayloadNames.h"

bool LhaIsFolder(const LhaMember& member) {
  if (!std::memchr(member.name, '\0', LhaMember::kNameSize)) return false;
  return IsFolderEntry(member.name);
}
