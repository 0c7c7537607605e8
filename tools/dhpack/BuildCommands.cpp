#include "BuildCommands.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "Cp932.h"
#include "InspectCommands.h"
#include "LhaWriter.h"
#include "OutputFile.h"
#include "PayloadRules.h"
#include "PayloadSource.h"
#include "ResourceImage.h"
#include "payload/PayloadNames.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "dhpack: %s\n", message.c_str());
  return 1;
}

// SOURCE_DATE_EPOCH, when the build sets it to a time the archive can hold: a
// reproducible build, whose images the inputs alone decide.
bool SourceDateEpoch(uint32_t* seconds) {
  const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
  if (!epoch) return false;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(epoch, &end, 10);
  if (end == epoch || *end != '\0' || value > UINT32_MAX) return false;
  *seconds = static_cast<uint32_t>(value);
  return true;
}

// The time stamp of every member: SOURCE_DATE_EPOCH when the build sets it; otherwise now.
uint32_t MemberTimestamp() {
  uint32_t seconds = 0;
  return SourceDateEpoch(&seconds) ? seconds : static_cast<uint32_t>(std::time(nullptr));
}

// Writes the archive, or its resource image, to `out`.
int WriteResult(const std::string& out, std::vector<uint8_t> archive, const BuildOptions& options) {
  std::string error;
  std::vector<uint8_t> image;
  if (options.plain) {
    image = std::move(archive);
  } else {
    // A reproducible build without a salt of its own takes one from the archive.
    Salt salt;
    uint32_t epoch = 0;
    if (options.salt.empty() && SourceDateEpoch(&epoch))
      salt = SaltOfArchive(archive);
    else if (!MakeSalt(options.salt, &salt, &error))
      return Fail(error);
    if (!EncipherArchive(archive, salt, &image, &error)) return Fail(error);
  }
  if (!WriteFileAtomically(out, image, &error)) return Fail(error);
  if (!options.quiet)
    std::fprintf(stderr, "dhpack: wrote %s (%zu bytes%s)\n", out.c_str(), image.size(),
                 options.plain ? ", plain archive" : ", resource image");
  return 0;
}

}  // namespace

int BuildPayload(const std::string& out, const std::vector<std::string>& sources,
                 const BuildOptions& options) {
  // Everything is gathered and checked before the first byte is packed.
  cPayloadSource source;
  std::string error;
  for (const std::string& operand : sources) {
    std::error_code code;
    const bool ok = std::filesystem::is_directory(operand, code)
                        ? source.AddLayout(operand, &error)
                        : source.AddManifest(operand, &error);
    if (!ok) return Fail(error);
  }
  for (const std::string& spec : options.adds) {
    if (!source.AddSpec(spec, std::string(), &error)) return Fail("--add " + error);
  }
  for (const std::string& spec : options.defaults) {
    if (!source.AddSpecUnlessGiven(spec, &error)) return Fail("--default " + error);
  }
  const std::vector<PayloadEntry> entries = source.Ordered();
  std::vector<std::string> names;
  for (const PayloadEntry& entry : entries) names.push_back(entry.name);
  std::vector<std::string> warnings;
  if (!CheckPayloadContents(names, &error, &warnings)) return Fail(error);
  for (const std::string& warning : warnings)
    std::fprintf(stderr, "dhpack: warning: %s\n", warning.c_str());
  // An update stops on a patch it cannot read, after the user agreed to it: such a
  // payload is refused here, with the message the installer would log.
  for (const PayloadEntry& entry : entries) {
    if (entry.name != kSetupInfoName || entry.source.empty()) continue;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(entry.source, &bytes, &error)) return Fail(error);
    std::string text(bytes.begin(), bytes.end());
    text.resize(std::string(text.c_str()).size());  // read as a NUL-terminated text
    std::string message;
    if (!CheckSetupInfo(text, &message))
      return Fail(entry.shown + ": the installer refuses this update patch: " + message);
  }

  cLhaWriter writer;
  writer.SetTimestamp(MemberTimestamp());
  size_t files = 0;
  for (const PayloadEntry& entry : entries) files += entry.source.empty() ? 0 : 1;
  size_t packed = 0;
  for (const PayloadEntry& entry : entries) {
    if (entry.source.empty()) {
      if (!writer.AddFolder(entry.name, &error)) return Fail(entry.shown + ": " + error);
      continue;
    }
    std::vector<uint8_t> data;
    if (!ReadWholeFile(entry.source, &data, &error)) return Fail(error);
    if (!options.quiet)
      std::fprintf(stderr, "dhpack: [%zu/%zu] %s (%zu bytes)\n", ++packed, files,
                   entry.shown.c_str(), data.size());
    if (!writer.AddFile(entry.name, data.data(), data.size(), &error))
      return Fail(entry.shown + ": " + error);
  }
  return WriteResult(out, writer.Finish(), options);
}

int BuildReadMe(const std::string& out, const std::string& text, const BuildOptions& options) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(text, &bytes, &error)) return Fail(error);
  std::string content(bytes.begin(), bytes.end());
  if (options.utf8) {
    // The read-me page's edit control breaks lines at CR LF only.
    std::string lines;
    for (size_t i = 0; i < content.size(); ++i) {
      if (content[i] == '\n' && (i == 0 || content[i - 1] != '\r')) lines += '\r';
      lines += content[i];
    }
    if (!Utf8ToCp932(lines, &content, false))
      return Fail(text + ": not UTF-8, or holds characters that code page 932 lacks");
  }
  if (content.find('\0') != std::string::npos)
    return Fail(text + ": holds a zero byte; the read-me page would show only the text before it");
  cLhaWriter writer;
  writer.SetTimestamp(MemberTimestamp());
  if (!writer.AddFile(kReadMeName, reinterpret_cast<const uint8_t*>(content.data()),
                      content.size(), &error))
    return Fail(error);
  return WriteResult(out, writer.Finish(), options);
}
