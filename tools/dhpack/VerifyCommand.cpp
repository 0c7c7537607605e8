#include "VerifyCommand.h"

#include <cstdio>
#include <vector>

#include "ArchiveFile.h"
#include "Authenticode.h"
#include "Cp932.h"
#include "InspectCommands.h"
#include "MemberDecode.h"
#include "OutputFile.h"
#include "PayloadRules.h"
#include "PeResource.h"
#include "VersionResource.h"
#include "payload/GetLhaFile.h"
#include "payload/PayloadNames.h"

namespace {

constexpr char kManifestType[] = "#24";
constexpr uint16_t kManifestId = 1;
constexpr char kVersionType[] = "#16";
constexpr uint16_t kVersionId = 1;
constexpr char kAdministratorLevel[] = "requireAdministrator";

class cReport {
 public:
  void Check(bool ok, const std::string& what, const std::string& why = std::string()) {
    ++checks;
    if (!ok) ++failures;
    std::printf("  %s  %s%s\n", ok ? "ok  " : "FAIL", what.c_str(),
                ok || why.empty() ? "" : (": " + why).c_str());
  }
  void Note(const std::string& what) { std::printf("  info  %s\n", what.c_str()); }
  int Finish(const std::string& file) const {
    if (failures)
      std::printf("dhpack verify: %s FAILED %d of %d checks\n", file.c_str(), failures, checks);
    else
      std::printf("dhpack verify: %s passed all %d checks\n", file.c_str(), checks);
    return failures ? 1 : 0;
  }

 private:
  int checks = 0;
  int failures = 0;
};

// Whether the installer takes the member name: first the installer's own rule for what it
// may write (and what a failed update can restore), so the verdict on a shipped file is
// the one its installer reaches; then the stricter rule the payload tool builds by, which
// also refuses names Windows cannot create.
bool InstallerAcceptsName(const std::string& name, std::string* why) {
  if (!IsProductPath(name.c_str(), true)) {
    *why = "lies outside the product's folders";
    return false;
  }
  if (!IsRestorableAppDataFile(name.c_str())) {
    *why = "is an application-data file outside \"Collections\\\" and \"Model\\\"";
    return false;
  }
  return CheckPayloadName(name, why);
}

// The manifest's requested execution level: the value of the level attribute of its
// requestedExecutionLevel element, or empty.
std::string ExecutionLevel(const std::string& manifest) {
  const size_t element = manifest.find("requestedExecutionLevel");
  if (element == std::string::npos) return std::string();
  const size_t close = manifest.find('>', element);
  const std::string tag =
      manifest.substr(element, close == std::string::npos ? std::string::npos : close - element);
  for (size_t at = tag.find("level"); at != std::string::npos; at = tag.find("level", at + 1)) {
    size_t p = at + 5;
    while (p < tag.size() && (tag[p] == ' ' || tag[p] == '\t' || tag[p] == '\r' || tag[p] == '\n'))
      ++p;
    if (p >= tag.size() || tag[p] != '=' ||
        (at > 0 && tag[at - 1] != ' ' && tag[at - 1] != '\t' && tag[at - 1] != '\n' &&
         tag[at - 1] != '\r'))
      continue;
    ++p;
    while (p < tag.size() && (tag[p] == ' ' || tag[p] == '\t')) ++p;
    if (p >= tag.size() || (tag[p] != '"' && tag[p] != '\'')) continue;
    const size_t end = tag.find(tag[p], p + 1);
    if (end == std::string::npos) return std::string();
    return tag.substr(p + 1, end - p - 1);
  }
  return std::string();
}

std::string Resource(const std::vector<uint8_t>& image, const char* type, uint16_t id,
                     std::string* error) {
  size_t offset = 0;
  size_t length = 0;
  if (!FindPeResource(image.data(), image.size(), type, id, &offset, &length, error))
    return std::string();
  return std::string(reinterpret_cast<const char*>(image.data() + offset), length);
}

void CheckProgram(const std::vector<uint8_t>& image, cReport* report) {
  PeHeaders headers;
  std::string error;
  if (!ReadPeHeaders(image.data(), image.size(), &headers, &error)) {
    report->Check(false, "a PE32 program for i386", error);
    return;
  }
  char found[64];
  std::snprintf(found, sizeof found, "machine 0x%X, optional header 0x%X", headers.machine,
                headers.magic);
  report->Check(headers.machine == kMachineI386 && headers.magic == kPe32Magic,
                "a PE32 program for i386", found);
  report->Check(headers.subsystem == kSubsystemWindowsGui, "the Windows GUI subsystem",
                "subsystem " + std::to_string(headers.subsystem));
  const std::string manifest = Resource(image, kManifestType, kManifestId, &error);
  const std::string level = manifest.empty() ? std::string() : ExecutionLevel(manifest);
  report->Check(
      level == kAdministratorLevel,
      "a manifest asking for administrator rights (requireAdministrator)",
      manifest.empty() ? "no manifest: " + error : "requested execution level \"" + level + "\"");

  std::string version;
  const std::string resource = Resource(image, kVersionType, kVersionId, &error);
  if (!resource.empty() && VersionString(reinterpret_cast<const uint8_t*>(resource.data()),
                                         resource.size(), "ProductVersion", &version))
    report->Note("setup version " + version + " (recorded as the installed \"DisplayVersion\")");
  else
    report->Note("no setup version in a version resource");

  if (headers.certificateSize == 0) {
    report->Note("not signed");
  } else if (headers.certificateOffset > image.size() ||
             headers.certificateSize > image.size() - headers.certificateOffset) {
    report->Check(false, "its signature lies within the file",
                  "the certificate table overruns the file");
  } else {
    std::string signer;
    const bool read = AuthenticodeSigner(image.data() + headers.certificateOffset,
                                         headers.certificateSize, &signer, &error);
    report->Check(read, "a readable Authenticode signature", error);
    if (read) report->Note("signed by " + signer);
  }
}

// Deciphers the resource and checks every member's CRC; false when any check failed.
bool CheckArchive(const std::string& file, uint16_t id, const char* what, cArchiveFile* archive,
                  cReport* report) {
  std::string error;
  const std::string place = "\"DAT\" " + std::to_string(id) + " (" + what + ")";
  if (!archive->Load(file + ":" + std::to_string(id), true, &error)) {
    report->Check(false, place + " deciphers and reads", error);
    return false;
  }
  std::string bad;
  int failed = 0;
  archive->Reader().Walk([&](int index, const LhaMember& member) {
    const std::string verdict = MemberVerdict(archive, index, member, nullptr);
    if (verdict.compare(0, 2, "OK") != 0 && failed++ == 0)
      bad = "member " + std::to_string(index) + " \"" + member.name + "\": " + verdict;
    return true;
  });
  report->Check(failed == 0,
                place + " deciphers; its " + std::to_string(archive->Reader().Count()) +
                    " member(s) decode and pass their CRCs",
                std::to_string(failed) + " failed, first " + bad);
  return failed == 0;
}

// The member's decoded bytes, or false when there is no member of that exact name.
bool MemberText(cArchiveFile* archive, const char* name, std::string* text) {
  bool found = false;
  archive->Reader().Walk([&](int index, const LhaMember& member) {
    if (std::string(member.name) != name) return true;
    found = true;
    MemberVerdict(archive, index, member, text);
    return false;
  });
  return found;
}

void CheckReadMe(cArchiveFile* archive, cReport* report) {
  std::string text;
  const bool alone = archive->Reader().Count() == 1 && MemberText(archive, kReadMeName, &text);
  report->Check(alone, std::string("the read-me holds the one member \"") + kReadMeName + "\"",
                std::to_string(archive->Reader().Count()) + " members");
  if (alone)
    report->Check(IsCp932Text(text), "the read-me is Shift-JIS text",
                  "it holds bytes that are no Shift-JIS character");
}

void CheckPayload(cArchiveFile* archive, cReport* report) {
  std::vector<std::string> names;
  std::string refused;
  int refusedCount = 0;
  archive->Reader().Walk([&](int, const LhaMember& member) {
    names.push_back(member.name);
    std::string why;
    if (!InstallerAcceptsName(member.name, &why) && refusedCount++ == 0)
      refused = "\"" + std::string(member.name) + "\" " + why;
    return true;
  });
  std::string error;
  std::vector<std::string> missing;
  const bool folders = CheckPayloadContents(names, &error, &missing);
  if (!folders) missing.insert(missing.begin(), error);
  std::string why;
  for (const std::string& line : missing) why += (why.empty() ? "" : "; ") + line;
  report->Check(missing.empty(),
                "the payload has \"DHViewer.exe\", \"Uninstall.exe\", \"#APPDATA#\\Collections\\\" "
                "and \"#APPDATA#\\Model\\\"",
                why);
  report->Check(refusedCount == 0, "every member name is one the installer accepts",
                std::to_string(refusedCount) + " refused, first " + refused);

  std::string patch;
  if (!MemberText(archive, kSetupInfoName, &patch)) {
    report->Note(std::string("no \"") + kSetupInfoName +
                 "\": an update changes no registry values and deletes no files");
    return;
  }
  patch.resize(std::string(patch.c_str()).size());  // read as a NUL-terminated text
  std::string message;
  report->Check(CheckSetupInfo(patch, &message),
                std::string("the installer parses \"") + kSetupInfoName + "\"", message);
}

}  // namespace

int VerifyInstaller(const std::string& file) {
  std::vector<uint8_t> image;
  std::string error;
  std::printf("dhpack verify: %s\n", file.c_str());
  cReport report;
  if (!ReadWholeFile(file, &image, &error)) {
    report.Check(false, "the file can be read", error);
    return report.Finish(file);
  }
  CheckProgram(image, &report);
  cArchiveFile readMe;
  if (CheckArchive(file, cGetLhaFile::kReadMeResource, "the read-me", &readMe, &report))
    CheckReadMe(&readMe, &report);
  cArchiveFile payload;
  if (CheckArchive(file, cGetLhaFile::kPayloadResource, "the viewer", &payload, &report))
    CheckPayload(&payload, &report);
  return report.Finish(file);
}
