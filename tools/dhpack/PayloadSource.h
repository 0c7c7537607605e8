// What goes into an installation payload, gathered from the vendor's descriptions:
// layout folders (PROGRAMFILES/, APPDATA/ and SetupInfo.xml at their top), manifest
// files (lines "MEMBER=PATH" and "FOLDER\"), and single files named on the command
// line. Names arrive as UTF-8 and are kept in code page 932.
#pragma once

#include <map>
#include <string>
#include <vector>

struct PayloadEntry {
  std::string name;    // code page 932, backslashes; a folder's ends in a backslash
  std::string source;  // the file on the build machine; empty for a folder
  std::string shown;   // the name as the vendor wrote it (UTF-8), for messages
};

class cPayloadSource {
 public:
  // A layout folder: PROGRAMFILES/ becomes "#PROGRAMFILES#\", APPDATA/ becomes
  // "#APPDATA#\", a SetupInfo.xml at the top becomes the root member; anything else
  // at the top is refused.
  bool AddLayout(const std::string& folder, std::string* error);
  // A manifest: one member per line, "MEMBER=PATH" for a file (PATH relative to the
  // manifest's folder unless absolute) or a name ending in a backslash for a folder;
  // blank lines and lines starting with ';' are skipped. '/' may stand for '\'.
  bool AddManifest(const std::string& file, std::string* error);
  // One file ("MEMBER=PATH"), or a folder ("MEMBER\"), as a manifest line says it.
  bool AddSpec(const std::string& spec, const std::string& base, std::string* error);
  // The same, unless a source already gave the member: the build's own programs stand
  // in for the vendor's only where the vendor gives none.
  bool AddSpecUnlessGiven(const std::string& spec, std::string* error);

  // Every member in archive order: the folders enclosing a member are added when not
  // named, each folder's entry comes before its contents, files before sub-folders,
  // names in byte order; "#PROGRAMFILES#\" first, then "#APPDATA#\", then the root.
  std::vector<PayloadEntry> Ordered() const;

 private:
  bool Add(const std::string& utf8Name, const std::string& source, std::string* error);

  // Keyed by the case-folded name without a folder's backslash: Windows file names
  // differ in more than case, and a file and a folder cannot share a name.
  std::map<std::string, PayloadEntry> entries;
};
