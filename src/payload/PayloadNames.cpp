#include "payload/PayloadNames.h"

#include "payload/LhaMember.h"
#include "platform/win.h"

bool IsSetupInfoName(const char* name) { return lstrcmpiA(name, kSetupInfoName) == 0; }

int InstalledMemberCount(const LhaMemberList& list) {
  int installed = 0;
  int seen = 0;
  for (const LhaMember* member = list.head; member && seen < list.count; member = member->next) {
    ++seen;
    if (!IsSetupInfoName(member->name)) ++installed;
  }
  return installed;
}

bool IsFolderEntry(const char* name) {
  const int length = name ? lstrlenA(name) : 0;
  if (length == 0 || name[length - 1] != '\\') return false;
  return CharPrevA(name, name + length) == name + length - 1;
}
