#include "platform/host/RegistryStore.h"

#include <cstring>

#include "platform/host/Faults.h"
#include "platform/host/Files.h"
#include "platform/host/Registry.h"
#include "platform/host/Strings.h"

namespace hostwin {
namespace {

// Handles count up from here in steps of 4, like kernel handles, and are never given
// out twice in a process, so a stale handle stays invalid after a reset.
constexpr uintptr_t kFirstHandle = 0x52000;

constexpr const char* kHiveNames[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

// MAXIMUM_ALLOWED: whatever the caller may have, which here is everything.
constexpr DWORD kMaximumAllowed = 0x02000000;

// Generic rights map onto the key rights as Win32 maps them.
DWORD GrantedAccess(REGSAM desired) {
  constexpr DWORD kGeneric =
      GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | kMaximumAllowed;
  DWORD granted = desired & ~(KEY_WOW64_RES | kGeneric);
  if (desired & (GENERIC_READ | GENERIC_EXECUTE)) granted |= KEY_READ;
  if (desired & GENERIC_WRITE) granted |= KEY_WRITE;
  if (desired & (GENERIC_ALL | kMaximumAllowed)) granted |= KEY_ALL_ACCESS;
  return granted;
}

// The hive of a predefined key, or -1.
int PredefinedHive(HKEY key) {
  if (key == HKEY_CURRENT_USER) return 0;
  if (key == HKEY_LOCAL_MACHINE) return 1;
  return -1;
}

bool IsPredefined(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS;
}

// Splits a sub-key path at its backslashes. A path that starts with a backslash is
// refused as Win32 refuses it; empty parts (a doubled or a trailing backslash) are
// skipped, as Win32 skips them. The second byte of a double-byte character is never a
// separator ("ソ" ends in 0x5C).
LSTATUS SplitPath(const char* text, std::vector<std::string>* parts) {
  parts->clear();
  if (!text || !*text) return ERROR_SUCCESS;
  if (*text == '\\') return ERROR_BAD_PATHNAME;
  std::string part;
  for (const char* p = text; *p; ++p) {
    if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
      part += *p++;
      part += *p;
    } else if (*p == '\\') {
      if (!part.empty()) parts->push_back(part);
      part.clear();
    } else {
      part += *p;
    }
  }
  if (!part.empty()) parts->push_back(part);
  return ERROR_SUCCESS;
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

void ResetRegistry() { RegistryStore::Instance().Reset(); }

[[maybe_unused]] const bool resetRegistered = (RegisterReset(&ResetRegistry), true);

}  // namespace

RegistryStore& RegistryStore::Instance() {
  static RegistryStore store;
  return store;
}

RegistryStore::RegistryStore() : nextHandle(kFirstHandle) { ResetLocked(); }

void RegistryStore::ResetLocked() {
  for (int hive = 0; hive < kHiveCount; ++hive) {
    hives[hive] = std::make_unique<RegistryKey>(kHiveNames[hive]);
  }
  handles.clear();
}

LSTATUS RegistryStore::Resolve(HKEY key, KeyRef* ref) const {
  int hive = PredefinedHive(key);
  if (hive >= 0) {
    *ref = KeyRef();
    ref->hive = hive;
    ref->access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  auto it = handles.find(reinterpret_cast<uintptr_t>(key));
  if (it == handles.end()) return ERROR_INVALID_HANDLE;
  *ref = it->second;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::Root(const KeyRef& ref, RegistryKey** root) {
  if (!ref.transaction) {
    *root = hives[ref.hive].get();
    return ERROR_SUCCESS;
  }
  RegistryTransaction& transaction = *ref.transaction;
  if (transaction.state != RegistryTransaction::State::kActive) {
    return ERROR_TRANSACTION_NOT_ACTIVE;
  }
  if (transaction.view.empty()) {
    for (int hive = 0; hive < kHiveCount; ++hive) transaction.view.push_back(hives[hive]->Clone());
  }
  *root = transaction.view[ref.hive].get();
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::Find(const KeyRef& ref, RegistryKey** node) {
  LSTATUS status = Root(ref, node);
  if (status != ERROR_SUCCESS) return status;
  for (const std::string& part : ref.path) {
    *node = (*node)->FindSubkey(part);
    if (!*node) break;
  }
  return ERROR_SUCCESS;
}

RegistryKey* RegistryStore::FindInHive(int hive, const std::vector<std::string>& path) const {
  RegistryKey* node = hives[hive].get();
  for (const std::string& part : path) {
    node = node->FindSubkey(part);
    if (!node) return nullptr;
  }
  return node;
}

RegistryKey* RegistryStore::CreateInHive(int hive, const std::vector<std::string>& path) {
  RegistryKey* node = hives[hive].get();
  bool created = false;
  for (const std::string& part : path) node = node->CreateSubkey(part, &created);
  return node;
}

LSTATUS RegistryStore::KeyFor(HKEY key, DWORD neededAccess, RegistryKey** node, KeyRef* ref) {
  KeyRef own;
  if (!ref) ref = &own;
  LSTATUS status = Resolve(key, ref);
  if (status != ERROR_SUCCESS) return status;
  if ((ref->access & neededAccess) != neededAccess) return ERROR_ACCESS_DENIED;
  status = Find(*ref, node);
  if (status != ERROR_SUCCESS) return status;
  return *node ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

void RegistryStore::Apply(const KeyRef& ref, RegistryChange change) {
  RegistryKey* root = nullptr;
  if (Root(ref, &root) != ERROR_SUCCESS) return;
  change.hive = ref.hive;
  change.ApplyTo(root);
  if (ref.transaction) ref.transaction->changes.push_back(std::move(change));
}

HKEY RegistryStore::AddHandle(KeyRef ref) {
  uintptr_t value = nextHandle;
  nextHandle += 4;
  handles.emplace(value, std::move(ref));
  return reinterpret_cast<HKEY>(value);
}

LSTATUS RegistryStore::ResolveChild(HKEY parent, const char* subKey, KeyRef* ref) {
  LSTATUS status = Resolve(parent, ref);
  if (status != ERROR_SUCCESS) return status;
  RegistryKey* node = nullptr;
  status = Find(*ref, &node);
  if (status != ERROR_SUCCESS) return status;
  if (!node) return ERROR_KEY_DELETED;
  std::vector<std::string> parts;
  status = SplitPath(subKey, &parts);
  if (status != ERROR_SUCCESS) return status;
  ref->path.insert(ref->path.end(), parts.begin(), parts.end());
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::CreateKey(HKEY parent, const char* subKey, REGSAM access,
                                 const std::shared_ptr<RegistryTransaction>& transaction,
                                 HKEY* result, DWORD* disposition) {
  std::lock_guard<std::mutex> guard(lock);
  KeyRef ref;
  LSTATUS status = ResolveChild(parent, subKey, &ref);
  if (status != ERROR_SUCCESS) return status;
  if (transaction) ref.transaction = transaction;
  RegistryKey* existing = nullptr;
  status = Find(ref, &existing);
  if (status != ERROR_SUCCESS) return status;
  if (!existing) {
    RegistryChange change;
    change.kind = RegistryChange::kCreateKey;
    change.path = ref.path;
    Apply(ref, std::move(change));
  }
  ref.access = GrantedAccess(access);
  *result = AddHandle(std::move(ref));
  if (disposition) *disposition = existing ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::OpenKey(HKEY parent, const char* subKey, REGSAM access,
                               const std::shared_ptr<RegistryTransaction>& transaction,
                               HKEY* result) {
  std::lock_guard<std::mutex> guard(lock);
  KeyRef ref;
  LSTATUS status = ResolveChild(parent, subKey, &ref);
  if (status != ERROR_SUCCESS) return status;
  if (transaction) ref.transaction = transaction;
  RegistryKey* node = nullptr;
  status = Find(ref, &node);
  if (status != ERROR_SUCCESS) return status;
  if (!node) return ERROR_FILE_NOT_FOUND;
  ref.access = GrantedAccess(access);
  *result = AddHandle(std::move(ref));
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::CloseKey(HKEY key) {
  // Closing a predefined key is allowed and does nothing.
  if (IsPredefined(key)) return ERROR_SUCCESS;
  std::lock_guard<std::mutex> guard(lock);
  return handles.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegistryStore::SetValue(HKEY key, const char* name, DWORD type, const BYTE* data,
                                DWORD size) {
  std::lock_guard<std::mutex> guard(lock);
  RegistryKey* node = nullptr;
  KeyRef ref;
  LSTATUS status = KeyFor(key, KEY_SET_VALUE, &node, &ref);
  if (status != ERROR_SUCCESS) return status;
  if (!data && size != 0) return ERROR_NOACCESS;
  std::string bytes = data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
  // The narrow function converts a text and terminates it when the caller's count
  // left the NUL out; an empty text stays empty.
  if (IsStringType(type) && !bytes.empty() && bytes.back() != '\0') bytes += '\0';
  RegistryChange change;
  change.kind = RegistryChange::kSetValue;
  change.path = ref.path;
  change.valueName = name ? name : "";
  change.type = type;
  change.data = std::move(bytes);
  Apply(ref, std::move(change));
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::QueryValue(HKEY key, const char* name, DWORD* type, BYTE* data,
                                  DWORD* size) {
  std::lock_guard<std::mutex> guard(lock);
  RegistryKey* node = nullptr;
  LSTATUS status = KeyFor(key, KEY_QUERY_VALUE, &node);
  if (status != ERROR_SUCCESS) return status;
  const RegistryValue* value = node->FindValue(name ? name : "");
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  const DWORD needed = static_cast<DWORD>(value->data.size());
  if (data) {
    // Too small a buffer gets nothing but the size it needs.
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value->data.data(), needed);
  }
  if (size) *size = needed;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::DeleteValue(HKEY key, const char* name) {
  std::lock_guard<std::mutex> guard(lock);
  RegistryKey* node = nullptr;
  KeyRef ref;
  LSTATUS status = KeyFor(key, KEY_SET_VALUE, &node, &ref);
  if (status != ERROR_SUCCESS) return status;
  if (!node->FindValue(name ? name : "")) return ERROR_FILE_NOT_FOUND;
  RegistryChange change;
  change.kind = RegistryChange::kDeleteValue;
  change.path = ref.path;
  change.valueName = name ? name : "";
  Apply(ref, std::move(change));
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::DeleteKey(HKEY parent, const char* subKey,
                                 const std::shared_ptr<RegistryTransaction>& transaction) {
  std::lock_guard<std::mutex> guard(lock);
  KeyRef ref;
  LSTATUS status = ResolveChild(parent, subKey, &ref);
  if (status != ERROR_SUCCESS) return status;
  if (transaction) ref.transaction = transaction;
  RegistryKey* node = nullptr;
  status = Find(ref, &node);
  if (status != ERROR_SUCCESS) return status;
  if (!node) return ERROR_FILE_NOT_FOUND;
  // A hive root cannot go, and neither can a key that still has subkeys: Win32
  // refuses both as access denied.
  if (ref.path.empty() || node->HasSubkeys()) return ERROR_ACCESS_DENIED;
  RegistryChange change;
  change.kind = RegistryChange::kDeleteKey;
  change.path = ref.path;
  Apply(ref, std::move(change));
  return ERROR_SUCCESS;
}

void RegistryStore::EmptyKey(const KeyRef& ref, RegistryKey* node) {
  for (const std::string& name : node->SubkeyNames()) {
    KeyRef child = ref;
    child.path.push_back(name);
    EmptyKey(child, node->FindSubkey(name));
    RegistryChange change;
    change.kind = RegistryChange::kDeleteKey;
    change.path = child.path;
    Apply(child, std::move(change));
  }
  for (const std::string& name : node->ValueNames()) {
    RegistryChange change;
    change.kind = RegistryChange::kDeleteValue;
    change.path = ref.path;
    change.valueName = name;
    Apply(ref, std::move(change));
  }
}

LSTATUS RegistryStore::DeleteTree(HKEY parent, const char* subKey) {
  std::lock_guard<std::mutex> guard(lock);
  KeyRef ref;
  LSTATUS status = ResolveChild(parent, subKey, &ref);
  if (status != ERROR_SUCCESS) return status;
  RegistryKey* node = nullptr;
  status = Find(ref, &node);
  if (status != ERROR_SUCCESS) return status;
  if (!node) return ERROR_FILE_NOT_FOUND;
  const bool deleteKeyItself = subKey && *subKey;
  if (deleteKeyItself && ref.path.empty()) return ERROR_ACCESS_DENIED;
  EmptyKey(ref, node);
  if (deleteKeyItself) {
    RegistryChange change;
    change.kind = RegistryChange::kDeleteKey;
    change.path = ref.path;
    Apply(ref, std::move(change));
  }
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::EnumKey(HKEY key, DWORD index, char* name, DWORD* nameSize) {
  std::lock_guard<std::mutex> guard(lock);
  RegistryKey* node = nullptr;
  LSTATUS status = KeyFor(key, KEY_ENUMERATE_SUB_KEYS, &node);
  if (status != ERROR_SUCCESS) return status;
  const RegistryKey* subkey = node->SubkeyAt(index);
  if (!subkey) return ERROR_NO_MORE_ITEMS;
  const std::string& found = subkey->Name();
  // The size counts characters without the terminator on the way out, with it on the
  // way in; a name that does not fit leaves the buffer alone.
  if (found.size() >= *nameSize) return ERROR_MORE_DATA;
  std::memcpy(name, found.c_str(), found.size() + 1);
  *nameSize = static_cast<DWORD>(found.size());
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::Commit(RegistryTransaction& transaction) {
  return End(transaction, RegistryTransaction::State::kCommitted);
}

LSTATUS RegistryStore::Rollback(RegistryTransaction& transaction) {
  return End(transaction, RegistryTransaction::State::kRolledBack);
}

// A transaction ends once; either way its private view goes.
LSTATUS RegistryStore::End(RegistryTransaction& transaction, RegistryTransaction::State ending) {
  std::lock_guard<std::mutex> guard(lock);
  if (transaction.state == RegistryTransaction::State::kCommitted) {
    return ERROR_TRANSACTION_ALREADY_COMMITTED;
  }
  if (transaction.state == RegistryTransaction::State::kRolledBack) {
    return ERROR_TRANSACTION_ALREADY_ABORTED;
  }
  if (ending == RegistryTransaction::State::kCommitted) {
    for (const RegistryChange& change : transaction.changes) {
      change.ApplyTo(hives[change.hive].get());
    }
  }
  transaction.state = ending;
  transaction.changes.clear();
  transaction.view.clear();
  return ERROR_SUCCESS;
}

std::string RegistryStore::KeyPath(HKEY key, const char* subKey) {
  std::lock_guard<std::mutex> guard(lock);
  KeyRef ref;
  std::vector<std::string> parts;
  if (Resolve(key, &ref) != ERROR_SUCCESS || SplitPath(subKey, &parts) != ERROR_SUCCESS) {
    return std::string();
  }
  ref.path.insert(ref.path.end(), parts.begin(), parts.end());
  std::string path;
  for (const std::string& part : ref.path) path += (path.empty() ? "" : "\\") + part;
  return path;
}

void RegistryStore::Reset() {
  std::lock_guard<std::mutex> guard(lock);
  ResetLocked();
}

std::string RegistryStore::Snapshot() {
  std::lock_guard<std::mutex> guard(lock);
  std::string text;
  for (int hive = 0; hive < kHiveCount; ++hive) hives[hive]->Dump(kHiveNames[hive], &text);
  return text;
}

int RegistryStore::OpenKeyCount() {
  std::lock_guard<std::mutex> guard(lock);
  return static_cast<int>(handles.size());
}

bool RegistryStore::KeyExists(HKEY root, const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<std::string> parts;
  int hive = PredefinedHive(root);
  if (hive < 0 || SplitPath(path.c_str(), &parts) != ERROR_SUCCESS) return false;
  return FindInHive(hive, parts) != nullptr;
}

bool RegistryStore::ReadValue(HKEY root, const std::string& path, const std::string& name,
                              RegistryValue* value) {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<std::string> parts;
  int hive = PredefinedHive(root);
  if (hive < 0 || SplitPath(path.c_str(), &parts) != ERROR_SUCCESS) return false;
  RegistryKey* node = FindInHive(hive, parts);
  const RegistryValue* found = node ? node->FindValue(name) : nullptr;
  if (!found) return false;
  *value = *found;
  return true;
}

bool RegistryStore::WriteValue(HKEY root, const std::string& path, const std::string& name,
                               DWORD type, const std::string& data) {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<std::string> parts;
  int hive = PredefinedHive(root);
  if (hive < 0 || SplitPath(path.c_str(), &parts) != ERROR_SUCCESS) return false;
  CreateInHive(hive, parts)->SetValue(name, type, data);
  return true;
}

bool RegistryStore::CreateKeyPath(HKEY root, const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<std::string> parts;
  int hive = PredefinedHive(root);
  if (hive < 0 || SplitPath(path.c_str(), &parts) != ERROR_SUCCESS) return false;
  CreateInHive(hive, parts);
  return true;
}

}  // namespace hostwin
