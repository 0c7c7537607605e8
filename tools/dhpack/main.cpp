// dhpack: the payload tool of the build machine. It lists, prints, tests and extracts
// LHA archives and enciphered "DAT" resource images with the installer's own reader
// and decoders, packs files into new archives, and builds the installer's two
// resources from the vendor's files.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BuildCommands.h"
#include "InspectCommands.h"
#include "PackCommand.h"
#include "ReadCommands.h"
#include "VerifyCommand.h"

namespace {

constexpr char kUsage[] =
    "usage: dhpack [OPTIONS] COMMAND ARGS...\n"
    "\n"
    "Reading (FILE is an archive, with --dat a resource image, or EXE:ID for the \"DAT\"\n"
    "resource ID inside a built installer, e.g. DHViewSetup.exe:130):\n"
    "  list FILE        one line per member: index, method, unpacked size, packed size,\n"
    "                   name (tab-separated, the name's bytes as stored)\n"
    "  cat FILE INDEX   the decoded bytes of member INDEX (1-based) on standard output\n"
    "  test FILE        decode every member and check its CRC-16\n"
    "  x FILE DIR       extract every member below DIR\n"
    "\n"
    "Checking (what the installer will see; its texts are shown as UTF-8):\n"
    "  setupinfo FILE   read an update patch \"SetupInfo.xml\" as the installer does:\n"
    "                   the three DeleteFile flags and every registry command, one per\n"
    "                   line (kind, number, tab-separated Name=value fields), or the\n"
    "                   installer's coded message and status 1\n"
    "  uninst FILE      print an uninstall record \"Uninst.dat\": signature, header\n"
    "                   fields and numbered entries, or why the installer cannot load it\n"
    "  verify EXE       check a built installer before it ships, one line per check:\n"
    "                   a PE32 GUI program asking for administrator rights, both \"DAT\"\n"
    "                   resources decipher and pass their CRCs, a Shift-JIS read-me,\n"
    "                   the members installs and updates need, names the installer\n"
    "                   accepts, an update patch it parses; prints the setup version\n"
    "                   and the signer of a signed file; status 0 only when all hold\n"
    "\n"
    "Writing (the result appears whole or not at all):\n"
    "  pack OUT FILE... pack the files into a new archive OUT (-lh5-, or stored when\n"
    "                   that does not shrink a file), named by their paths as given\n"
    "  build OUT SOURCE...\n"
    "                   the installation payload (resource 130) as a resource image.\n"
    "                   A SOURCE folder is a layout: PROGRAMFILES/ becomes\n"
    "                   \"#PROGRAMFILES#\\\", APPDATA/ becomes \"#APPDATA#\\\", and a\n"
    "                   SetupInfo.xml at its top the root member; nothing else may be\n"
    "                   at its top. A SOURCE file is a manifest: one member per line,\n"
    "                   \"MEMBER=PATH\" for a file (PATH relative to the manifest) or\n"
    "                   \"FOLDER\\\" for a folder, ';' starts a comment line.\n"
    "                   Names are UTF-8 and are stored in Shift-JIS. Members go in\n"
    "                   order: each folder's entry before its contents, files before\n"
    "                   sub-folders, \"#PROGRAMFILES#\\\", then \"#APPDATA#\\\", then\n"
    "                   SetupInfo.xml. Refused: names outside the two placeholders,\n"
    "                   names Windows cannot create or the installer cannot read,\n"
    "                   names that differ only in case, a payload without\n"
    "                   \"#APPDATA#\\Collections\\\" and \"#APPDATA#\\Model\\\", files of\n"
    "                   \"#APPDATA#\\\" outside those two (a failed update could not\n"
    "                   restore them), and a SetupInfo.xml that `setupinfo` refuses.\n"
    "  readme OUT TEXT  the read-me (resource 126): TEXT as the member \"ReadMe.txt\"\n"
    "\n"
    "Options:\n"
    "  --dat            reading: FILE is an enciphered resource image (salt + ciphertext)\n"
    "                   and is deciphered with the installer's key first\n"
    "  --salt HEX       build, readme: the 16-byte salt as 32 hex digits; default a\n"
    "                   fresh random salt, or with SOURCE_DATE_EPOCH set (which also\n"
    "                   fixes the time stamps) one derived from the archive's bytes\n"
    "  --plain          build, readme: write the plain archive instead of the image\n"
    "  --add MEMBER=PATH\n"
    "                   build: one more file (or \"FOLDER\\\" for a folder), as in a manifest\n"
  "  --default MEMBER=PATH\n"
  "                   build: a file added only when no source gives MEMBER (the\n"
  "                   build's own programs where the vendor has none)\n"
    "  --utf8           readme: TEXT is UTF-8; it is stored as Shift-JIS with CR LF\n"
    "  --quiet          build, readme: no progress lines on standard error\n"
    "  --help           this text\n"
    "\n"
    "Exit status: 0 success, 1 a failure (described on standard error), 2 bad usage.\n";

int Usage(const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "dhpack: %s\n", problem.c_str());
  std::fputs(kUsage, problem.empty() ? stdout : stderr);
  return problem.empty() ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  ReadOptions read;
  BuildOptions build;
  bool saltGiven = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") return Usage("");
    if (arg == "--dat") {
      read.dat = true;
    } else if (arg == "--plain") {
      build.plain = true;
    } else if (arg == "--quiet") {
      build.quiet = true;
    } else if (arg == "--utf8") {
      build.utf8 = true;
    } else if (arg == "--salt" || arg == "--add" || arg == "--default") {
      if (!hasValue) return Usage(arg + " takes a value");
      if (arg == "--salt") {
        build.salt = argv[++i];
        saltGiven = true;
      } else {
        (arg == "--add" ? build.adds : build.defaults).emplace_back(argv[++i]);
      }
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      return Usage("unknown option " + arg);
    } else {
      args.push_back(arg);
    }
  }
  if (args.empty()) return Usage("no command");
  const bool members = !build.adds.empty() || !build.defaults.empty();
  const std::string& command = args[0];
  const size_t operands = args.size() - 1;
  const bool reading = command == "list" || command == "cat" || command == "test" || command == "x";
  const bool writing = command == "pack" || command == "build" || command == "readme";
  const bool checking = command == "setupinfo" || command == "uninst" || command == "verify";
  if (!reading && !writing && !checking) return Usage("unknown command " + command);
  if (checking && (read.dat || build.plain || build.quiet || build.utf8 || saltGiven || members))
    return Usage(command + " takes no options");
  if (writing && read.dat) return Usage("--dat is for reading; build and readme write images");
  if (reading && (build.plain || build.quiet || build.utf8 || saltGiven || members))
    return Usage("--salt, --plain, --add, --default, --utf8 and --quiet are for writing");
  if (command == "pack" && (build.plain || saltGiven || build.utf8 || members))
    return Usage("pack writes plain archives of the files given");
  if (command == "readme" && members) return Usage("--add and --default are for build");
  if (command == "build" && build.utf8) return Usage("--utf8 is for readme");
  if (saltGiven && build.plain) return Usage("--plain writes no salt");

  if (command == "list" && operands == 1) return ListArchive(args[1], read);
  if (command == "cat" && operands == 2) return CatMember(args[1], args[2], read);
  if (command == "test" && operands == 1) return TestArchive(args[1], read);
  if (command == "x" && operands == 2) return ExtractArchive(args[1], args[2], read);
  if (command == "pack" && operands >= 2)
    return PackFiles(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
  if (command == "build" && operands >= 2)
    return BuildPayload(args[1], std::vector<std::string>(args.begin() + 2, args.end()), build);
  if (command == "readme" && operands == 2) return BuildReadMe(args[1], args[2], build);
  if (command == "setupinfo" && operands == 1) return InspectSetupInfo(args[1]);
  if (command == "uninst" && operands == 1) return InspectUninstRecord(args[1]);
  if (command == "verify" && operands == 1) return VerifyInstaller(args[1]);
  return Usage("wrong number of operands for " + command);
}
