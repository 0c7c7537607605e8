#include "payload/LhaMember.h"

#include <cstring>

bool LhaIsFolder(const LhaMember& member) {
  size_t length = strnlen(member.name, LhaMember::kNameSize);
  return length > 0 && member.name[length - 1] == '\\';
}
