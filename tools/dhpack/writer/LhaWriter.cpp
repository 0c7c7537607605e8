#include "LhaWriter.h"

#include <climits>

#include "Crc16.h"
#include "payload/PayloadNames.h"

namespace {

constexpr uint8_t kLevel = 2;
constexpr uint8_t kOsId = 'M';
constexpr uint8_t kReserved = 0x20;
constexpr uint8_t kHeaderCrc = 0x00;
constexpr uint8_t kFileName = 0x01;
constexpr uint8_t kDirectory = 0x02;
constexpr uint8_t kUnixTime = 0x54;
constexpr uint8_t kDirectorySeparator = 0xFF;

// Names are code page 932, read by the installer's own test.
bool IsLeadByte(uint8_t c) { return IsNameLeadByte(c); }

void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutExtended(std::vector<uint8_t>* out, uint8_t type, const std::string& contents) {
  Put16(out, static_cast<uint32_t>(contents.size() + 3));
  out->push_back(type);
  out->insert(out->end(), contents.begin(), contents.end());
}

}  // namespace

bool cLhaWriter::SplitName(const std::string& name, std::string* directory, std::string* file) {
  size_t split = 0;  // just after the last real separator
  for (size_t i = 0; i < name.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(name[i]);
    if (IsLeadByte(c)) {
      if (i + 1 >= name.size()) return false;
      ++i;
    } else if (c == '\\') {
      split = i + 1;
    }
  }
  *directory = name.substr(0, split);
  *file = name.substr(split);
  return true;
}

bool cLhaWriter::CheckName(const std::string& name, bool folder, std::string* directory,
                           std::string* file, std::string* error) {
  auto refuse = [&](const char* why) {
    *error = "member name \"" + name + "\": " + why;
    return false;
  };
  if (name.empty()) return refuse("empty");
  if (!SplitName(name, directory, file)) {
    return refuse("ends inside a double-byte character");
  }
  if (folder != file->empty()) {
    return refuse(folder ? "a folder name must end in a backslash"
                         : "a file name must not end in a backslash");
  }
  for (char c : name) {
    const uint8_t b = static_cast<uint8_t>(c);
    if (b == 0) return refuse("holds a zero byte");
    if (b == kDirectorySeparator) return refuse("holds the byte 0xFF");
  }
  // Every component between real separators must be a plain name.
  size_t begin = 0;
  for (size_t i = 0; i <= directory->size(); ++i) {
    if (i < directory->size() && IsLeadByte(static_cast<uint8_t>((*directory)[i]))) {
      ++i;
      continue;
    }
    if (i == directory->size() || (*directory)[i] == '\\') {
      if (i == directory->size()) break;
      const std::string part = directory->substr(begin, i - begin);
      if (part.empty()) return refuse("has an empty path component");
      if (part == "." || part == "..") return refuse("has a \".\" or \"..\" component");
      begin = i + 1;
    }
  }
  if (*file == "." || *file == "..") return refuse("has a \".\" or \"..\" component");
  if (file->size() > kMaxFileName) return refuse("file name longer than 100 bytes");
  if (directory->size() > kMaxDirectory) return refuse("folder part longer than 255 bytes");
  if (name.size() > kMaxName) return refuse("longer than 259 bytes");
  if (names.count(name)) return refuse("already in the archive");
  return true;
}

void cLhaWriter::MarkParentsUsed(const std::string& name) {
  std::string folder, last;
  SplitName(name, &folder, &last);
  while (!folder.empty()) {
    usedFolders.insert(folder);
    SplitName(folder.substr(0, folder.size() - 1), &folder, &last);
  }
}

bool cLhaWriter::AddFolder(const std::string& name, std::string* error) {
  std::string directory, file;
  if (!CheckName(name, true, &directory, &file, error)) return false;
  if (usedFolders.count(name)) {
    *error = "folder \"" + name + "\": its entry must come before its contents";
    return false;
  }
  AppendMember("-lhd-", directory, file, nullptr, 0, 0, 0);
  names.insert(name);
  MarkParentsUsed(name.substr(0, name.size() - 1));
  return true;
}

bool cLhaWriter::AddFile(const std::string& name, const uint8_t* data, size_t size,
                         std::string* error) {
  std::string directory, file;
  if (!CheckName(name, false, &directory, &file, error)) return false;
  if (size > UINT32_MAX || archive.size() + size > static_cast<size_t>(INT32_MAX) / 2) {
    *error = "member \"" + name + "\": too large for an archive";
    return false;
  }
  cCrc16 crc;
  crc.Update(data, size);
  std::vector<uint8_t> packed = encoder.Encode(data, size);
  if (size > 0 && packed.size() < size) {
    AppendMember("-lh5-", directory, file, packed.data(), packed.size(), size, crc.Value());
  } else {
    AppendMember("-lh0-", directory, file, data, size, size, crc.Value());
  }
  names.insert(name);
  MarkParentsUsed(name);
  return true;
}

void cLhaWriter::AppendMember(const char* method, const std::string& directory,
                              const std::string& file, const uint8_t* packed,
                              size_t packedSize, size_t unpackedSize, uint16_t crc) {
  std::vector<uint8_t> header;
  Put16(&header, 0);  // total size, set below
  header.insert(header.end(), method, method + 5);
  Put32(&header, static_cast<uint32_t>(packedSize));
  Put32(&header, static_cast<uint32_t>(unpackedSize));
  Put32(&header, timestamp);
  header.push_back(kReserved);
  header.push_back(kLevel);
  Put16(&header, crc);
  header.push_back(kOsId);
  // Extended headers: each begins with its own size (the previous one's "next size").
  const size_t crcOffset = header.size() + 3;
  PutExtended(&header, kHeaderCrc, std::string(2, '\0'));
  if (!file.empty()) PutExtended(&header, kFileName, file);
  if (!directory.empty()) {
    std::string stored = directory;
    for (size_t i = 0; i < stored.size(); ++i) {
      if (IsLeadByte(static_cast<uint8_t>(stored[i]))) {
        ++i;
      } else if (stored[i] == '\\') {
        stored[i] = static_cast<char>(kDirectorySeparator);
      }
    }
    PutExtended(&header, kDirectory, stored);
  }
  // A total size with a low byte of 0 would read as the end of the archive; the Unix
  // time stamp header (seven bytes, same time) moves it off the boundary harmlessly.
  if ((header.size() + 2) % 256 == 0) {
    std::string stamp;
    for (int shift = 0; shift < 32; shift += 8) stamp.push_back(static_cast<char>(timestamp >> shift));
    PutExtended(&header, kUnixTime, stamp);
  }
  Put16(&header, 0);  // end of the extended headers
  header[0] = static_cast<uint8_t>(header.size());
  header[1] = static_cast<uint8_t>(header.size() >> 8);
  cCrc16 headerCrc;
  headerCrc.Update(header.data(), header.size());
  header[crcOffset] = static_cast<uint8_t>(headerCrc.Value());
  header[crcOffset + 1] = static_cast<uint8_t>(headerCrc.Value() >> 8);
  archive.insert(archive.end(), header.begin(), header.end());
  if (packedSize > 0) archive.insert(archive.end(), packed, packed + packedSize);
}

std::vector<uint8_t> cLhaWriter::Finish() {
  archive.push_back(0);
  std::vector<uint8_t> done;
  done.swap(archive);
  names.clear();
  usedFolders.clear();
  return done;
}
