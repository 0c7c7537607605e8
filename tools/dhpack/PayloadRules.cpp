#include "PayloadRules.h"

#include <algorithm>
#include <cstring>

#include "ShiftJisName.h"
#include "payload/PayloadNames.h"

namespace {

// The folders an update backs up before it changes anything; it fails without them.
const char* const kRequiredFolders[] = {"#APPDATA#\\Collections\\", "#APPDATA#\\Model\\"};
// What the installer's shortcuts and the uninstall entry point at.
const char* const kExpectedFiles[] = {"#PROGRAMFILES#\\DHViewer.exe",
                                      "#PROGRAMFILES#\\Uninstall.exe"};

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsDeviceName(const std::string& component) {
  std::string base = FoldShiftJisCase(component.substr(0, component.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const char* const kDevices[] = {"con", "prn", "aux", "nul"};
  for (const char* device : kDevices)
    if (base == device) return true;
  return base.size() == 4 && (StartsWith(base, "com") || StartsWith(base, "lpt")) &&
         base[3] >= '1' && base[3] <= '9';
}

bool CheckComponent(const std::string& component, std::string* why) {
  if (component.empty()) {
    *why = "an empty component (two backslashes in a row)";
    return false;
  }
  if (component == "." || component == "..") {
    *why = "a \"" + component + "\" component";
    return false;
  }
  for (size_t i = 0; i < component.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(component[i]);
    if (IsShiftJisLead(c)) {
      ++i;
      continue;
    }
    if (c < 0x20 || std::strchr("<>:\"/|?*", c)) {
      *why = "a character Windows does not allow in file names";
      return false;
    }
  }
  if (component.back() == '.' || component.back() == ' ') {
    *why = "a component ending in a dot or a space, which Windows drops";
    return false;
  }
  if (IsDeviceName(component)) {
    *why = "a device name (" + component + ")";
    return false;
  }
  return true;
}

}  // namespace

bool CheckPayloadName(const std::string& name, std::string* error) {
  auto refuse = [&](const std::string& why) {
    *error = why;
    return false;
  };
  if (FoldShiftJisCase(name) == FoldShiftJisCase(kSetupInfoName)) return true;
  bool placed = false;
  std::string rest;
  for (const char* placeholder : {kProgramFilesPlaceholder, kAppDataPlaceholder}) {
    const std::string prefix = std::string(placeholder) + "\\";
    if (name == prefix) return true;  // the install or application-data folder itself
    if (StartsWith(name, prefix)) {
      placed = true;
      rest = name.substr(prefix.size());
    }
  }
  if (!placed)
    return refuse(std::string("must start with \"") + kProgramFilesPlaceholder + "\\\" or \"" +
                  kAppDataPlaceholder + "\\\" (only \"" + kSetupInfoName +
                  "\" lives at the root)");
  for (const char* placeholder : {kProgramFilesPlaceholder, kAppDataPlaceholder}) {
    if (rest.find(placeholder) != std::string::npos)
      return refuse(std::string("holds \"") + placeholder +
                    "\" after its start; the installer would expand it");
  }
  std::vector<std::string> parts = SplitShiftJisName(rest, false);
  if (parts.size() > 1 && parts.back().empty()) parts.pop_back();  // a folder's name
  std::string why;
  for (const std::string& part : parts) {
    if (!CheckComponent(part, &why)) return refuse("has " + why);
  }
  // The installer's own rule has the last word: whatever it would refuse is refused
  // here, before anything is written.
  if (!IsProductPath(name.c_str(), true)) return refuse("lies outside the product's folders");
  if (!IsRestorableAppDataFile(name.c_str()))
    return refuse(std::string("is an application-data file outside \"") + kCollectionsFolderName +
                  "\\\" and \"" + kModelFolderName +
                  "\\\": a failed update restores only those two, so it could not undo it");
  return true;
}

bool CheckPayloadContents(const std::vector<std::string>& names, std::string* error,
                          std::vector<std::string>* warnings) {
  auto has = [&](const char* wanted) {
    const std::string key = FoldShiftJisCase(wanted);
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return FoldShiftJisCase(name) == key; });
  };
  for (const char* folder : kRequiredFolders) {
    if (!has(folder)) {
      *error = std::string("the payload has no folder \"") + folder +
               "\": an update backs it up and fails without it";
      return false;
    }
  }
  for (const char* file : kExpectedFiles) {
    if (!has(file)) warnings->push_back(std::string("the payload has no \"") + file + "\"");
  }
  return true;
}
