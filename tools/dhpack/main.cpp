// dhpack: the payload tool of the build machine. It lists, prints, tests and extracts
// LHA archives and enciphered "DAT" resource images with the installer's own reader
// and decoders, and packs files into new archives.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "PackCommand.h"
#include "ReadCommands.h"

namespace {

constexpr char kUsage[] =
    "usage: dhpack [--dat] COMMAND ARGS...\n"
    "\n"
    "  list FILE        one line per member: index, method, unpacked size, packed size,\n"
    "                   name (tab-separated, the name's bytes as stored)\n"
    "  cat FILE INDEX   the decoded bytes of member INDEX (1-based) on standard output\n"
    "  test FILE        decode every member and check its CRC-16\n"
    "  x FILE DIR       extract every member below DIR\n"
    "  pack OUT FILE... pack the files into a new archive OUT (-lh5-, or stored when\n"
    "                   that does not shrink a file), named by their paths as given\n"
    "\n"
    "  --dat            FILE is an enciphered resource image (salt + ciphertext) and is\n"
    "                   deciphered with the installer's key first\n"
    "  --help           this text\n"
    "\n"
    "Exit status: 0 success, 1 a failure (described on standard error), 2 bad usage.\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "dhpack: %s\n", problem);
  std::fputs(kUsage, problem ? stderr : stdout);
  return problem ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  ReadOptions options;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return Usage(nullptr);
    if (std::strcmp(argv[i], "--dat") == 0) {
      options.dat = true;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      return Usage((std::string("unknown option ") + argv[i]).c_str());
    } else {
      args.emplace_back(argv[i]);
    }
  }
  if (args.empty()) return Usage("no command");
  const std::string& command = args[0];
  const size_t operands = args.size() - 1;
  if (command == "list" && operands == 1) return ListArchive(args[1], options);
  if (command == "cat" && operands == 2) return CatMember(args[1], args[2], options);
  if (command == "test" && operands == 1) return TestArchive(args[1], options);
  if (command == "x" && operands == 2) return ExtractArchive(args[1], args[2], options);
  if (command == "pack" && operands >= 2 && !options.dat) {
    return PackFiles(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
  }
  if (command == "pack" && options.dat) return Usage("pack writes plain archives only");
  if (command == "list" || command == "cat" || command == "pack" || command == "test" || command == "x")
    return Usage(("wrong number of operands for " + command).c_str());
  return Usage(("unknown command " + command).c_str());
}
