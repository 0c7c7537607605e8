#include "PeResource.h"

#include <cctype>
#include <cstdlib>
#include <vector>

namespace {

// Fixed places of the PE format.
constexpr size_t kDosNewHeaderOffset = 0x3C;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kPe32DirectoryCount = 92;       // in the optional header
constexpr size_t kPe32PlusDirectoryCount = 108;
constexpr size_t kSubsystemOffset = 68;          // the same in both forms
constexpr size_t kResourceDirectoryIndex = 2;
constexpr size_t kCertificateDirectoryIndex = 4;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kResourceDirectorySize = 16;
constexpr size_t kResourceEntrySize = 8;
constexpr uint32_t kHighBit = 0x80000000u;
// Named types, ids and languages: three levels, no deeper.
constexpr int kLevels = 3;

// Bounds-checked little-endian reads; a read past the end sets `ok` false.
struct Bytes {
  const uint8_t* data;
  size_t size;
  bool ok = true;
  uint32_t Get(size_t at, int width) {
    if (at > size || static_cast<size_t>(width) > size - at) {
      ok = false;
      return 0;
    }
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | data[at + i];
    return value;
  }
  uint16_t U16(size_t at) { return static_cast<uint16_t>(Get(at, 2)); }
  uint32_t U32(size_t at) { return Get(at, 4); }
};

// The file offset of `length` bytes at relative virtual address `rva`.
bool RvaToOffset(const std::vector<PeSection>& sections, uint32_t rva, uint32_t length,
                 size_t fileSize, size_t* offset) {
  for (const PeSection& s : sections) {
    const uint64_t extent = s.virtualSize ? s.virtualSize : s.rawSize;
    if (rva < s.address || rva - s.address >= extent) continue;
    const uint64_t within = rva - s.address;
    if (within + length > s.rawSize) return false;
    const uint64_t at = s.rawOffset + within;
    if (at + length > fileSize) return false;
    *offset = static_cast<size_t>(at);
    return true;
  }
  return false;
}

bool SameName(Bytes& bytes, size_t at, const std::string& type) {
  const uint16_t length = bytes.U16(at);
  if (!bytes.ok || length != type.size()) return false;
  for (size_t i = 0; i < type.size(); ++i) {
    const uint16_t c = bytes.U16(at + 2 + 2 * i);
    if (c > 0x7F || std::toupper(c) != std::toupper(static_cast<unsigned char>(type[i])))
      return false;
  }
  return bytes.ok;
}

}  // namespace

bool ParseResourcePath(const std::string& text, std::string* file, uint16_t* id) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size() ||
      text.size() - colon - 1 > 5)
    return false;
  uint32_t value = 0;
  for (size_t i = colon + 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + static_cast<uint32_t>(text[i] - '0');
  }
  if (value == 0 || value > 0xFFFF) return false;
  *file = text.substr(0, colon);
  *id = static_cast<uint16_t>(value);
  return true;
}

bool ReadPeHeaders(const uint8_t* data, size_t size, PeHeaders* headers, std::string* error) {
  Bytes bytes{data, size};
  auto fail = [&](const std::string& why) {
    *error = why;
    return false;
  };
  if (bytes.U16(0) != 0x5A4D) return fail("not a Windows executable (no MZ header)");
  const size_t pe = bytes.U32(kDosNewHeaderOffset);
  if (!bytes.ok || bytes.U32(pe) != 0x00004550) return fail("not a PE executable");
  const size_t coff = pe + 4;
  headers->machine = bytes.U16(coff);
  const uint16_t sectionCount = bytes.U16(coff + 2);
  const uint16_t optionalSize = bytes.U16(coff + 16);
  const size_t optional = coff + kCoffHeaderSize;
  headers->magic = bytes.U16(optional);
  size_t countAt;
  if (headers->magic == kPe32Magic)
    countAt = optional + kPe32DirectoryCount;
  else if (headers->magic == kPe32PlusMagic)
    countAt = optional + kPe32PlusDirectoryCount;
  else
    return fail("unknown PE optional header");
  headers->subsystem = bytes.U16(optional + kSubsystemOffset);
  const uint32_t directories = bytes.U32(countAt);
  auto directory = [&](size_t index, uint32_t* where, uint32_t* length) {
    *where = *length = 0;
    if (directories <= index) return;
    *where = bytes.U32(countAt + 4 + 8 * index);
    *length = bytes.U32(countAt + 8 + 8 * index);
  };
  directory(kResourceDirectoryIndex, &headers->resourceRva, &headers->resourceSize);
  directory(kCertificateDirectoryIndex, &headers->certificateOffset, &headers->certificateSize);
  headers->sections.clear();
  const size_t table = optional + optionalSize;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const size_t at = table + i * kSectionHeaderSize;
    headers->sections.push_back(
        {bytes.U32(at + 12), bytes.U32(at + 8), bytes.U32(at + 16), bytes.U32(at + 20)});
  }
  if (!bytes.ok) return fail("truncated PE headers");
  return true;
}

bool FindPeResource(const uint8_t* data, size_t size, const std::string& type, uint16_t id,
                    size_t* offset, size_t* length, std::string* error) {
  auto fail = [&](const std::string& why) {
    *error = why;
    return false;
  };
  PeHeaders headers;
  if (!ReadPeHeaders(data, size, &headers, error)) return false;
  const std::vector<PeSection>& sections = headers.sections;
  const uint32_t resourceRva = headers.resourceRva;
  const uint32_t resourceSize = headers.resourceSize;
  if (resourceRva == 0 || resourceSize == 0) return fail("the executable has no resources");
  size_t root;
  if (!RvaToOffset(sections, resourceRva, resourceSize, size, &root))
    return fail("the resource directory lies outside the file");
  Bytes tree{data + root, resourceSize};

  // "#24" names the numbered type 24, as it does for FindResource.
  const bool numberedType = type.size() > 1 && type[0] == '#';
  const uint32_t typeId = numberedType ? static_cast<uint32_t>(std::atoi(type.c_str() + 1)) : 0;
  // Walk type, id and language; each step picks one entry of a directory.
  size_t directory = 0;
  for (int level = 0; level < kLevels; ++level) {
    const uint16_t named = tree.U16(directory + 12);
    const uint16_t numbered = tree.U16(directory + 14);
    if (!tree.ok) return fail("malformed resource directory");
    bool found = false;
    uint32_t target = 0;
    for (uint32_t i = 0; i < static_cast<uint32_t>(named) + numbered && !found; ++i) {
      const size_t entry = directory + kResourceDirectorySize + i * kResourceEntrySize;
      const uint32_t name = tree.U32(entry);
      target = tree.U32(entry + 4);
      if (!tree.ok) return fail("malformed resource directory");
      if (level == 0 && numberedType) found = !(name & kHighBit) && name == typeId;
      else if (level == 0) found = (name & kHighBit) && SameName(tree, name & ~kHighBit, type);
      else if (level == 1) found = !(name & kHighBit) && name == id;
      else found = true;  // the first language
    }
    if (!found) {
      return fail(level == 0 ? "the executable has no resources of type \"" + type + "\""
                             : "the executable has no \"" + type + "\" resource " +
                                   std::to_string(id));
    }
    const bool subdirectory = target & kHighBit;
    if (subdirectory != (level + 1 < kLevels)) return fail("malformed resource directory");
    // The walk has a fixed depth, so a directory pointing back at itself cannot loop.
    directory = target & ~kHighBit;
  }
  const uint32_t dataRva = tree.U32(directory);
  const uint32_t dataSize = tree.U32(directory + 4);
  if (!tree.ok) return fail("malformed resource data entry");
  if (!RvaToOffset(sections, dataRva, dataSize, size, offset))
    return fail("the resource's bytes lie outside the file");
  *length = dataSize;
  return true;
}
