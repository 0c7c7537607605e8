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
    ref->hive = hive;
    ref->path.clear();
    ref->access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  auto it = handles.find(reinterpret_cast<uintptr_t>(key));
  if (it == handles.end()) return ERROR_INVALID_HANDLE;
  *ref = it->second;
  return ERROR_SUCCESS;
}

RegistryKey* RegistryStore::Find(int hive, const std::vector<std::string>& path) const {
  RegistryKey* node = hives[hive].get();
  for (const std::string& part : path) {
    node = node->FindSubkey(part);
    if (!node) return nullptr;
  }
  return node;
}

RegistryKey* RegistryStore::Create(int hive, const std::vector<std::string>& path, bool* created) {
  RegistryKey* node = hives[hive].get();
  *created = false;
  for (const std::string& part : path) node = node->CreateSubkey(part, created);
  return node;
}

LSTATUS RegistryStore::KeyFor(HKEY key, DWORD neededAccess, RegistryKey** node) const {
  KeyRef ref;
  LSTATUS status = Resolve(key, &ref);
  if (status != ERROR_SUCCESS) return status;
  if ((ref.access & neededAccess) != neededAccess) return ERROR_ACCESS_DENIED;
  *node = Find(ref.hive, ref.path);
  return *node ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

HKEY RegistryStore::AddHandle(KeyRef ref) {
  uintptr_t value = nextHandle;
  nextHandle += 4;
  handles.emplace(value, std::move(ref));
  return reinterpret_cast<HKEY>(value);
}

LSTATUS RegistryStore::ResolveChild(HKEY parent, const char* subKey, KeyRef* ref) const {
  LSTATUS status = Resolve(parent, ref);
  if (status != ERROR_SUCCESS) return status;
  if (!Find(ref->hive, ref->path)) return ERROR_KEY_DELETED;
  std::vector<std::string> parts;
  status = SplitPath(subKey, &parts);
  if (status != ERROR_SUCCESS) return status;
  ref->path.insert(ref->path.end(), parts.begin(), parts.end());
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::CreateKey(HKEY parent, const char* subKey, REGSAM access, HKEY* result,
                                 DWORD* disposition) {
  std::lock_guard<std::mutex> guard(lock);
  KeyRef ref;
  LSTATUS status = ResolveChild(parent, subKey, &ref);
  if (status != ERROR_SUCCESS) return status;
  bool created = false;
  Create(ref.hive, ref.path, &created);
  ref.access = GrantedAccess(access);
  *result = AddHandle(std::move(ref));
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::OpenKey(HKEY parent, const char* subKey, REGSAM access, HKEY* result) {
  std::lock_guard<std::mutex> guard(lock);
  KeyRef ref;
  LSTATUS status = ResolveChild(parent, subKey, &ref);
  if (status != ERROR_SUCCESS) return status;
  if (!Find(ref.hive, ref.path)) return ERROR_FILE_NOT_FOUND;
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
  LSTATUS status = KeyFor(key, KEY_SET_VALUE, &node);
  if (status != ERROR_SUCCESS) return status;
  if (!data && size != 0) return ERROR_NOACCESS;
  std::string bytes = data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
  // The narrow function converts a text and terminates it when the caller's count
  // left the NUL out; an empty text stays empty.
  if (IsStringType(type) && !bytes.empty() && bytes.back() != '\0') bytes += '\0';
  node->SetValue(name ? name : "", type, std::move(bytes));
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
  LSTATUS status = KeyFor(key, KEY_SET_VALUE, &node);
  if (status != ERROR_SUCCESS) return status;
  return node->DeleteValue(name ? name : "") ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
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
  return Find(hive, parts) != nullptr;
}

bool RegistryStore::ReadValue(HKEY root, const std::string& path, const std::string& name,
                              RegistryValue* value) {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<std::string> parts;
  int hive = PredefinedHive(root);
  if (hive < 0 || SplitPath(path.c_str(), &parts) != ERROR_SUCCESS) return false;
  RegistryKey* node = Find(hive, parts);
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
  bool created = false;
  Create(hive, parts, &created)->SetValue(name, type, data);
  return true;
}

bool RegistryStore::CreateKeyPath(HKEY root, const std::string& path) {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<std::string> parts;
  int hive = PredefinedHive(root);
  if (hive < 0 || SplitPath(path.c_str(), &parts) != ERROR_SUCCESS) return false;
  bool created = false;
  Create(hive, parts, &created);
  return true;
}

}  // namespace hostwin
