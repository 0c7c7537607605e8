#include "ReadCommands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "ArchiveFile.h"
#include "MemberDecode.h"
#include "MemberPath.h"
#include "payload/LhaMember.h"

namespace {

void Complain(const std::string& text) { std::fprintf(stderr, "dhpack: %s\n", text.c_str()); }

bool Load(cArchiveFile* archive, const std::string& file, const ReadOptions& options) {
  std::string error;
  if (archive->Load(file, options.dat, &error)) return true;
  Complain(error);
  return false;
}

std::string Describe(int index, const LhaMember& member) {
  return "member " + std::to_string(index) + " \"" + member.name + "\"";
}

bool ParseIndex(const std::string& text, int count, int* index) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  *index = std::stoi(text);
  return *index >= 1 && *index <= count;
}

}  // namespace

int ListArchive(const std::string& file, const ReadOptions& options) {
  cArchiveFile archive;
  std::string error;
  const bool loaded = archive.Load(file, options.dat, &error);
  // The members before a malformed header are listed all the same.
  archive.Reader().Walk([&](int index, const LhaMember& member) {
    std::printf("%d\t%s\t%u\t%d\t", index, member.method, member.unpackedSize, member.packedSize);
    std::fwrite(member.name, 1, std::strlen(member.name), stdout);
    std::fputc('\n', stdout);
    return true;
  });
  if (!loaded) Complain(error);
  return loaded ? 0 : 1;
}

int CatMember(const std::string& file, const std::string& indexText, const ReadOptions& options) {
  cArchiveFile archive;
  if (!Load(&archive, file, options)) return 1;
  int index = 0;
  if (!ParseIndex(indexText, archive.Reader().Count(), &index)) {
    Complain("no member " + indexText + " in " + file + " (it has " +
             std::to_string(archive.Reader().Count()) + ")");
    return 1;
  }
  int status = 1;
  archive.Reader().Walk([&](int i, const LhaMember& member) {
    if (i != index) return true;
    bool written = true;
    const int64_t delivered = Decode(&archive.Reader(), i, member, [&](const uint8_t* p, uint32_t n) {
      written = std::fwrite(p, 1, n, stdout) == n;
      return written;
    });
    if (std::fflush(stdout) != 0) written = false;
    if (!written) {
      Complain(std::string("cannot write to standard output: ") + std::strerror(errno));
    } else if (delivered != member.unpackedSize) {
      Complain(Describe(i, member) + ": decoded " + std::to_string(std::max<int64_t>(delivered, 0)) +
               " of " + std::to_string(member.unpackedSize) + " bytes (" + member.method +
               (cMorLhaDec::FindMethod(member.method) == cMorLhaDec::kMethodNone
                    ? " is not a method the installer decodes)"
                    : " data damaged or truncated)"));
    } else {
      status = 0;
    }
    return false;
  });
  return status;
}

int TestArchive(const std::string& file, const ReadOptions& options) {
  cArchiveFile archive;
  if (!Load(&archive, file, options)) return 1;
  int failures = 0;
  archive.Reader().Walk([&](int index, const LhaMember& member) {
    const std::string verdict = MemberVerdict(&archive, index, member, nullptr);
    if (verdict.compare(0, 2, "OK") != 0) ++failures;
    std::printf("%d\t", index);
    std::fwrite(member.name, 1, std::strlen(member.name), stdout);
    std::printf("\t%s\n", verdict.c_str());
    return true;
  });
  std::fflush(stdout);
  if (failures) Complain(std::to_string(failures) + " of " + std::to_string(archive.Reader().Count()) +
                         " members failed");
  return failures ? 1 : 0;
}

int ExtractArchive(const std::string& file, const std::string& folder, const ReadOptions& options) {
  namespace fs = std::filesystem;
  cArchiveFile archive;
  if (!Load(&archive, file, options)) return 1;
  int failures = 0;
  archive.Reader().Walk([&](int index, const LhaMember& member) {
    std::string relative;
    if (!MemberRelativePath(member.name, &relative)) {
      Complain("refusing " + Describe(index, member) + ": its path is absolute or leads out of " +
               folder);
      ++failures;
      return true;
    }
    const fs::path target = fs::path(folder) / relative;
    std::error_code ec;
    if (LhaIsFolder(member)) {
      fs::create_directories(target, ec);
      if (ec) {
        Complain(target.string() + ": " + ec.message());
        ++failures;
      }
      return true;
    }
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) {
      Complain(target.string() + ": cannot be created: " + std::strerror(errno));
      ++failures;
      return true;
    }
    const int64_t delivered = Decode(&archive.Reader(), index, member, [&](const uint8_t* p, uint32_t n) {
      out.write(reinterpret_cast<const char*>(p), n);
      return static_cast<bool>(out);
    });
    out.close();
    if (!out) {
      Complain(target.string() + ": write failed");
      ++failures;
    } else if (delivered != member.unpackedSize) {
      Complain(Describe(index, member) + ": decoded " + std::to_string(std::max<int64_t>(delivered, 0)) +
               " of " + std::to_string(member.unpackedSize) + " bytes");
      ++failures;
    }
    return true;
  });
  return failures ? 1 : 0;
}
