// The commands that make the installer's two "DAT" resources: `build` for the
// installation payload (resource 130) and `readme` for the read-me (resource 126).
// Each returns the process exit status: 0 success, 1 a failure described on standard
// error. Nothing is written unless the whole result is.
#pragma once

#include <string>
#include <vector>

struct BuildOptions {
  std::string salt;             // 32 hex digits; empty for a fresh random salt, or
                                // with SOURCE_DATE_EPOCH one derived from the archive
  bool plain = false;           // write the archive itself instead of its resource image
  bool quiet = false;           // no progress lines
  bool utf8 = false;            // readme: the text is UTF-8 with any line ends
  std::vector<std::string> adds;  // build: extra "MEMBER=PATH" or "FOLDER\" members
  std::vector<std::string> defaults;  // build: "MEMBER=PATH" files no source gives
};

// `sources` are layout folders and manifest files (see cPayloadSource).
int BuildPayload(const std::string& out, const std::vector<std::string>& sources,
                 const BuildOptions& options);
int BuildReadMe(const std::string& out, const std::string& text, const BuildOptions& options);
