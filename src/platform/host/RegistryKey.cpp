#include "platform/host/RegistryKey.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/host/Registry.h"
#include "platform/host/Strings.h"

namespace hostwin {
namespace {

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_NONE:
      return "REG_NONE";
    case REG_SZ:
      return "REG_SZ";
    case REG_EXPAND_SZ:
      return "REG_EXPAND_SZ";
    case REG_BINARY:
      return "REG_BINARY";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
      return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK:
      return "REG_LINK";
    case REG_MULTI_SZ:
      return "REG_MULTI_SZ";
    case REG_QWORD:
      return "REG_QWORD";
    default:
      return nullptr;
  }
}

// A text shows as text only when it is exactly one terminated string; anything
// else (a missing or an inner NUL) shows as bytes so that no difference hides.
bool IsPlainText(const RegistryValue& value) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) return false;
  return !value.data.empty() && value.data.find('\0') == value.data.size() - 1;
}

// Names and texts as a snapshot line shows them. Control bytes become \xNN, so that no
// name or text can fake a line of its own; in quoted fields a quote and a backslash
// are escaped too, so that no text can fake the end of its field. The trail byte of a
// double-byte character stays as it is ("ソ" ends in the byte of a backslash).
std::string Escape(const std::string& text, bool quoted) {
  std::string shown;
  char buf[8];
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsDBCSLeadByte(c) && i + 1 < text.size()) {
      shown += text[i];
      shown += text[++i];
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      shown += buf;
    } else if (quoted && (c == '"' || c == '\\')) {
      shown += '\\';
      shown += text[i];
    } else {
      shown += text[i];
    }
  }
  return shown;
}

void DumpValue(const RegistryValue& value, std::string* out) {
  char buf[64];
  *out += "  ";
  *out += value.name.empty() ? std::string("@") : "\"" + Escape(value.name, true) + "\"";
  *out += " ";
  if (const char* name = TypeName(value.type)) {
    *out += name;
  } else {
    std::snprintf(buf, sizeof buf, "type %u", static_cast<unsigned>(value.type));
    *out += buf;
  }
  if (IsPlainText(value)) {
    *out += " \"" + Escape(value.data.substr(0, value.data.size() - 1), true) + "\"";
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD number;
    std::memcpy(&number, value.data.data(), sizeof number);
    std::snprintf(buf, sizeof buf, " %u", static_cast<unsigned>(number));
    *out += buf;
  } else {
    std::snprintf(buf, sizeof buf, " [%zu]", value.data.size());
    *out += buf;
    for (unsigned char c : value.data) {
      std::snprintf(buf, sizeof buf, " %02x", c);
      *out += buf;
    }
  }
  *out += "\n";
}

}  // namespace

RegistryKey::RegistryKey(std::string name) : name(std::move(name)) {}

std::unique_ptr<RegistryKey> RegistryKey::Clone() const {
  auto copy = std::make_unique<RegistryKey>(name);
  copy->values = values;
  for (const auto& entry : subkeys) copy->subkeys.emplace(entry.first, entry.second->Clone());
  return copy;
}

RegistryKey* RegistryKey::FindSubkey(const std::string& subkeyName) const {
  auto it = subkeys.find(Fold(subkeyName));
  return it == subkeys.end() ? nullptr : it->second.get();
}

RegistryKey* RegistryKey::CreateSubkey(const std::string& subkeyName, bool* created) {
  std::unique_ptr<RegistryKey>& slot = subkeys[Fold(subkeyName)];
  *created = !slot;
  if (!slot) slot = std::make_unique<RegistryKey>(subkeyName);
  return slot.get();
}

bool RegistryKey::DeleteSubkey(const std::string& subkeyName) {
  return subkeys.erase(Fold(subkeyName)) != 0;
}

const RegistryKey* RegistryKey::SubkeyAt(size_t index) const {
  if (index >= subkeys.size()) return nullptr;
  auto it = subkeys.begin();
  std::advance(it, index);
  return it->second.get();
}

std::vector<std::string> RegistryKey::SubkeyNames() const {
  std::vector<std::string> names;
  for (const auto& entry : subkeys) names.push_back(entry.second->name);
  return names;
}

std::vector<std::string> RegistryKey::ValueNames() const {
  std::vector<std::string> names;
  for (const auto& entry : values) names.push_back(entry.second.name);
  return names;
}

const RegistryValue* RegistryKey::FindValue(const std::string& valueName) const {
  auto it = values.find(Fold(valueName));
  return it == values.end() ? nullptr : &it->second;
}

void RegistryKey::SetValue(const std::string& valueName, DWORD type, std::string data) {
  auto inserted = values.emplace(Fold(valueName), RegistryValue{valueName, type, {}});
  RegistryValue& value = inserted.first->second;
  value.type = type;
  value.data = std::move(data);
}

bool RegistryKey::DeleteValue(const std::string& valueName) {
  return values.erase(Fold(valueName)) != 0;
}

void RegistryKey::Dump(const std::string& path, std::string* out) const {
  *out += path + "\n";
  for (const auto& entry : values) DumpValue(entry.second, out);
  for (const auto& entry : subkeys) {
    entry.second->Dump(path + "\\" + Escape(entry.second->name, false), out);
  }
}

std::string RegistryKey::Fold(const std::string& text) {
  std::string folded(text);
  for (size_t i = 0; i < folded.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(folded[i]);
    if (IsDBCSLeadByte(c)) {
      ++i;  // the trail byte stays as it is
    } else if (c >= 'A' && c <= 'Z') {
      folded[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return folded;
}

}  // namespace hostwin
