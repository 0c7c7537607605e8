// The update's registry commands: held as three text lists, run in one KTM
// transaction together with the version record, so that an update either changes
// the registry completely or not at all.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "morstd/CatchCode.h"
#include "morstd/MorException.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "registry/RegKey.h"
#include "registry/RegTransaction.h"
#include "registry/RegValueIo.h"

namespace {

// Stands for the settings key in a command's SubKey.
constexpr char kViewerToken[] = "SKEY_VIEWER";

constexpr char kRollbackFailed[] = "RollbackTransaction失敗";

constexpr int kDeleteKeyNotFetched = 600;
constexpr int kDeleteKeyBadRoot = 605;
constexpr int kDeleteValueNotFetched = 620;
constexpr int kDeleteValueBadRoot = 625;
constexpr int kDeleteValueKeyNotOpened = 630;
constexpr int kModAddNotFetched = 640;
constexpr int kModAddBadRoot = 645;
constexpr int kModAddKeyNotCreated = 650;
constexpr int kModAddTextNotWritten = 655;
constexpr int kModAddNumberNotWritten = 660;
constexpr int kModAddBadType = 665;
constexpr int kCommitFailed = 670;
constexpr int kOutOfMemory = 99998;

// The hive a command's Key names: the full names as Windows spells them, or their
// short forms in any case. Null for anything else.
HKEY RootNamed(const char* key) {
  if (lstrcmpA(key, "HKEY_CURRENT_USER") == 0 || lstrcmpiA(key, "HKCU") == 0) {
    return HKEY_CURRENT_USER;
  }
  if (lstrcmpA(key, "HKEY_LOCAL_MACHINE") == 0 || lstrcmpiA(key, "HKLM") == 0) {
    return HKEY_LOCAL_MACHINE;
  }
  return nullptr;
}

// The SubKey with the settings key's path in place of every "SKEY_VIEWER".
morstd::cMorString ExpandSubKey(const char* subKey) {
  morstd::cMorString expanded;
  expanded.Assign(subKey);
  expanded.ReplaceAll(kViewerToken, kSettingsKey.path);
  return expanded;
}

// A REG_DWORD command's number: decimal with an optional sign, as atoi reads it
// (0 without digits), held to the 32-bit range so that an overlong text cannot
// overflow; its bits are stored, so -1 becomes 0xFFFFFFFF.
DWORD NumberOf(const char* text) {
  long long number = std::strtoll(text, nullptr, 10);
  if (number > INT_MAX) number = INT_MAX;
  if (number < INT_MIN) number = INT_MIN;
  return static_cast<DWORD>(static_cast<int32_t>(number));
}

}  // namespace

int cReg::SetCommands(const morstd::cMorMemBlock& modAdd, const morstd::cMorMemBlock& deleteValue,
                      const morstd::cMorMemBlock& deleteKey) {
  try {
    modAddList.CopyFrom(modAdd);
    deleteValueList.CopyFrom(deleteValue);
    deleteKeyList.CopyFrom(deleteKey);
    return 1;
  } catch (...) {
    modAddList.Clear();
    deleteValueList.Clear();
    deleteKeyList.Clear();
    return 0;
  }
}

int cReg::GetModAddCommand(int index, const char** key, const char** subKey, const char** type,
                           const char** valueName, const char** value) const {
  if (index < 0 || index >= ModAddCount()) return 0;
  const int first = index * kModAddTexts;
  *key = modAddList.GetAt(first);
  *subKey = modAddList.GetAt(first + 1);
  *type = modAddList.GetAt(first + 2);
  *valueName = modAddList.GetAt(first + 3);
  *value = modAddList.GetAt(first + 4);
  return 1;
}

int cReg::GetDeleteValueCommand(int index, const char** key, const char** subKey,
                                const char** valueName) const {
  if (index < 0 || index >= DeleteValueCount()) return 0;
  const int first = index * kDeleteValueTexts;
  *key = deleteValueList.GetAt(first);
  *subKey = deleteValueList.GetAt(first + 1);
  *valueName = deleteValueList.GetAt(first + 2);
  return 1;
}

int cReg::GetDeleteKeyCommand(int index, const char** key, const char** subKey) const {
  if (index < 0 || index >= DeleteKeyCount()) return 0;
  const int first = index * kDeleteKeyTexts;
  *key = deleteKeyList.GetAt(first);
  *subKey = deleteKeyList.GetAt(first + 1);
  return 1;
}

int cReg::ExecuteRegistryCommands() {
  cRegTransaction transaction;
  if (!transaction.Begin()) return 0;
  if (ExecuteCommands(transaction.Handle()) && SaveVersionInfo(transaction.Handle())) {
    if (transaction.Commit()) return 1;
    // Nothing of a transaction whose commit failed has reached the registry; the
    // update must not be reported as applied, and its log line must say why.
    lastError = kCommitFailed;
  }
  if (!transaction.Rollback()) MessageBoxA(nullptr, kRollbackFailed, "", MB_OK);
  return 0;
}

int cReg::ExecuteCommands(HANDLE transaction) {
  lastError = 0;
  if (!transaction) return 0;
  return morstd::RunCoded(&lastError, kOutOfMemory, [&] {
    for (int i = 0; i < DeleteKeyCount(); ++i) {
      const char* key = nullptr;
      const char* subKey = nullptr;
      if (!GetDeleteKeyCommand(i, &key, &subKey)) throw kDeleteKeyNotFetched;
      // A key below the settings key goes with its whole subtree, always in the
      // current user's hive; elsewhere only a key without subkeys is deleted. Either
      // way a key that is not there, or cannot go, is no reason to stop the update.
      const char* token = std::strstr(subKey, kViewerToken);
      if (token) {
        const char* rest = token + lstrlenA(kViewerToken);
        DeleteViewerSubKey(transaction, *rest ? rest + 1 : rest);
        continue;
      }
      HKEY root = RootNamed(key);
      if (!root) throw kDeleteKeyBadRoot;
      cRegTransaction::DeleteKey(transaction, root, subKey);
    }

    for (int i = 0; i < DeleteValueCount(); ++i) {
      const char* key = nullptr;
      const char* subKey = nullptr;
      const char* valueName = nullptr;
      if (!GetDeleteValueCommand(i, &key, &subKey, &valueName)) throw kDeleteValueNotFetched;
      const morstd::cMorString path = ExpandSubKey(subKey);
      HKEY root = RootNamed(key);
      if (!root) throw kDeleteValueBadRoot;
      cRegKey opened;
      if (cRegTransaction::CreateKey(transaction, root, path.GetData(), KEY_ALL_ACCESS,
                                     opened.Receive()) != ERROR_SUCCESS) {
        throw kDeleteValueKeyNotOpened;
      }
      RegDeleteValueA(opened.Get(), valueName);  // a value that is not there is gone already
    }

    for (int i = 0; i < ModAddCount(); ++i) {
      const char* key = nullptr;
      const char* subKey = nullptr;
      const char* type = nullptr;
      const char* valueName = nullptr;
      const char* value = nullptr;
      if (!GetModAddCommand(i, &key, &subKey, &type, &valueName, &value)) throw kModAddNotFetched;
      const morstd::cMorString path = ExpandSubKey(subKey);
      HKEY root = RootNamed(key);
      if (!root) throw kModAddBadRoot;
      cRegKey opened;
      if (cRegTransaction::CreateKey(transaction, root, path.GetData(), KEY_SET_VALUE,
                                     opened.Receive()) != ERROR_SUCCESS) {
        throw kModAddKeyNotCreated;
      }
      if (lstrcmpA(type, "REG_SZ") == 0) {
        if (regio::WriteText(opened.Get(), valueName, value) != ERROR_SUCCESS) {
          throw kModAddTextNotWritten;
        }
      } else if (lstrcmpA(type, "REG_DWORD") == 0) {
        if (regio::WriteDword(opened.Get(), valueName, NumberOf(value)) != ERROR_SUCCESS) {
          throw kModAddNumberNotWritten;
        }
      } else {
        throw kModAddBadType;
      }
    }
  });
}

int cReg::DeleteViewerSubKey(HANDLE transaction, const char* path) {
  lastError = 0;
  // Without a path below it the settings key itself would be named, and the user's
  // settings are no command's to delete.
  if (!transaction || !path || !*path) return 0;
  morstd::cMorString fullPath;
  fullPath.Format("%s\\%s", kSettingsKey.path, path);
  if (cRegTransaction::DeleteKey(transaction, HKEY_CURRENT_USER, fullPath.GetData()) ==
      ERROR_SUCCESS) {
    return 1;
  }

  // The key still has subkeys (or is not there). The names are all collected before
  // any child goes, so that the deletions do not shift the enumeration.
  morstd::cMorMemBlock children;
  LSTATUS status = ERROR_SUCCESS;
  {
    cRegKey opened;
    if (cRegTransaction::OpenKey(transaction, HKEY_CURRENT_USER, fullPath.GetData(), KEY_ALL_ACCESS,
                                 opened.Receive()) != ERROR_SUCCESS) {
      return 1;
    }
    for (DWORD index = 0;; ++index) {
      char name[MAX_PATH] = {};
      DWORD length = sizeof name;
      status =
          RegEnumKeyExA(opened.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status != ERROR_SUCCESS) break;
      children.Add(name);
    }
  }
  if (status != ERROR_NO_MORE_ITEMS) return 0;

  morstd::cMorString childPath;
  for (int i = 0; i < children.GetCount(); ++i) {
    childPath.Format("%s\\%s", path, children.GetAt(i));
    if (!DeleteViewerSubKey(transaction, childPath.GetData())) return 0;
  }
  return cRegTransaction::DeleteKey(transaction, HKEY_CURRENT_USER, fullPath.GetData()) ==
                 ERROR_SUCCESS
             ? 1
             : 0;
}
