#include "PayloadSource.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "Cp932.h"
#include "PayloadRules.h"
#include "ShiftJisName.h"
#include "payload/PayloadNames.h"

namespace fs = std::filesystem;

namespace {

// The layout folder's top level.
constexpr char kLayoutProgramFiles[] = "PROGRAMFILES";
constexpr char kLayoutAppData[] = "APPDATA";

// A folder's name ends in a backslash of its own; "十" (0x8F 0x5C) names a file.
bool IsFolderName(const std::string& name) { return IsFolderEntry(name.c_str()); }

std::string Key(const std::string& name) {
  std::string key = FoldShiftJisCase(name);
  if (IsFolderName(key)) key.pop_back();
  return key;
}

// The position of the member in archive order: its group, then per component the
// kind (file 0 before folder 1) and the bytes. A folder's entry is a prefix of its
// contents' keys and sorts first.
struct OrderKey {
  int group;
  std::vector<std::pair<int, std::string>> steps;
  bool operator<(const OrderKey& other) const {
    return group != other.group ? group < other.group : steps < other.steps;
  }
};

OrderKey MakeOrderKey(const std::string& name) {
  OrderKey key{2, {}};
  if (name.compare(0, std::strlen(kProgramFilesPlaceholder), kProgramFilesPlaceholder) == 0)
    key.group = 0;
  else if (name.compare(0, std::strlen(kAppDataPlaceholder), kAppDataPlaceholder) == 0)
    key.group = 1;
  std::vector<std::string> parts = SplitShiftJisName(name, false);
  const bool folder = parts.size() > 1 && parts.back().empty();
  if (folder) parts.pop_back();
  for (size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    key.steps.emplace_back(last && !folder ? 0 : 1, parts[i]);
  }
  return key;
}

std::string Slashes(std::string text) {
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

}  // namespace

bool cPayloadSource::Add(const std::string& utf8Name, const std::string& source,
                         std::string* error) {
  std::string name;
  if (!Utf8ToCp932(utf8Name, &name, true)) {
    *error = "member \"" + utf8Name + "\": not representable in code page 932 (Shift-JIS)";
    return false;
  }
  std::string why;
  if (!CheckPayloadName(name, &why)) {
    *error = "member \"" + utf8Name + "\": " + why;
    return false;
  }
  if (FoldShiftJisCase(name) == FoldShiftJisCase(kSetupInfoName)) name = kSetupInfoName;
  if (!source.empty() && IsFolderName(name)) {
    *error = "member \"" + utf8Name + "\": a folder name cannot take a file";
    return false;
  }
  const auto [at, added] = entries.emplace(Key(name), PayloadEntry{name, source, utf8Name});
  if (!added) {
    const PayloadEntry& before = at->second;
    // A folder named twice (by a layout and a manifest) is one folder.
    if (source.empty() && before.source.empty() && IsFolderName(before.name)) return true;
    *error = "member \"" + utf8Name + "\" collides with \"" + before.shown +
             "\" (names differ only in case, or a file and a folder share a name)";
    return false;
  }
  return true;
}

bool cPayloadSource::AddLayout(const std::string& folder, std::string* error) {
  std::error_code code;
  if (!fs::is_directory(folder, code)) {
    *error = folder + ": not a folder";
    return false;
  }
  std::vector<fs::path> found;
  for (fs::recursive_directory_iterator walk(folder, code), end; !code && walk != end;
       walk.increment(code)) {
    found.push_back(walk->path());
  }
  if (code) {
    *error = folder + ": cannot be read: " + code.message();
    return false;
  }
  std::sort(found.begin(), found.end());
  for (const fs::path& path : found) {
    const fs::path relative = path.lexically_relative(folder);
    const std::string top = relative.begin()->string();
    const bool directory = fs::is_directory(path, code);
    const bool file = fs::is_regular_file(path, code);
    if (!directory && !file) {
      *error = path.string() + ": neither a file nor a folder";
      return false;
    }
    std::string member;
    if (top == kLayoutProgramFiles || top == kLayoutAppData) {
      member = "#" + top + "#";
      for (auto part = std::next(relative.begin()); part != relative.end(); ++part)
        member += "\\" + part->string();
      if (directory) member += "\\";
    } else if (file && relative == relative.filename() &&
               FoldShiftJisCase(top) == FoldShiftJisCase(kSetupInfoName)) {
      member = kSetupInfoName;
    } else {
      *error = path.string() + ": a layout folder holds only " + kLayoutProgramFiles + "/, " +
               kLayoutAppData + "/ and " + kSetupInfoName + " at its top";
      return false;
    }
    if (!Add(member, file ? path.string() : std::string(), error)) return false;
  }
  return true;
}

bool cPayloadSource::AddSpec(const std::string& spec, const std::string& base,
                             std::string* error) {
  const size_t equals = spec.find('=');
  if (equals == std::string::npos) {
    if (spec.empty() || (spec.back() != '\\' && spec.back() != '/')) {
      *error = "\"" + spec + "\": a file takes \"MEMBER=PATH\", a folder ends in a backslash";
      return false;
    }
    return Add(Slashes(spec), std::string(), error);
  }
  fs::path path = spec.substr(equals + 1);
  if (path.empty()) {
    *error = "\"" + spec + "\": no file after '='";
    return false;
  }
  if (path.is_relative() && !base.empty()) path = fs::path(base) / path;
  std::error_code code;
  if (!fs::is_regular_file(path, code)) {
    *error = "\"" + spec + "\": " + path.string() + " is not a readable file";
    return false;
  }
  return Add(Slashes(spec.substr(0, equals)), path.string(), error);
}

bool cPayloadSource::AddSpecUnlessGiven(const std::string& spec, std::string* error) {
  std::string name;
  if (Utf8ToCp932(Slashes(spec.substr(0, spec.find('='))), &name, true) && entries.count(Key(name)))
    return true;
  return AddSpec(spec, std::string(), error);
}

bool cPayloadSource::AddManifest(const std::string& file, std::string* error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    *error = "cannot read " + file;
    return false;
  }
  const std::string base = fs::path(file).parent_path().string();
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (!AddSpec(line, base, error)) {
      *error = file + ":" + std::to_string(number) + ": " + *error;
      return false;
    }
  }
  return true;
}

std::vector<PayloadEntry> cPayloadSource::Ordered() const {
  std::map<std::string, PayloadEntry> all = entries;
  // The folders that enclose a member and were not named themselves.
  for (const auto& [key, entry] : entries) {
    // The shown name is UTF-8, where every 0x5C is a separator; both split alike.
    const std::vector<std::string> parts = SplitShiftJisName(entry.name, false);
    std::vector<std::string> shownParts(1);
    for (char c : entry.shown) {
      if (c == '\\')
        shownParts.emplace_back();
      else
        shownParts.back() += c;
    }
    std::string folder, shown;
    for (size_t i = 0; i + 1 < parts.size() && i + 1 < shownParts.size(); ++i) {
      folder += parts[i] + "\\";
      shown += shownParts[i] + "\\";
      all.emplace(Key(folder), PayloadEntry{folder, std::string(), shown});
    }
  }
  std::vector<std::pair<OrderKey, PayloadEntry>> keyed;
  for (auto& [key, entry] : all) keyed.emplace_back(MakeOrderKey(entry.name), entry);
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<PayloadEntry> ordered;
  for (auto& [key, entry] : keyed) ordered.push_back(std::move(entry));
  return ordered;
}
