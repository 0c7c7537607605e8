#include "VersionResource.h"

namespace {

// Every block: 16-bit length, 16-bit value length, 16-bit type (1 text), the key in
// UTF-16 with its NUL, padding to 32 bits, the value, padding, then child blocks.
constexpr size_t kBlockHeader = 6;
constexpr uint16_t kTextValue = 1;
// VS_VERSIONINFO, StringFileInfo, a string table, a string.
constexpr int kDepth = 4;

struct Reader {
  const uint8_t* data;
  size_t size;
  uint16_t U16(size_t at) const {
    return at + 2 <= size ? static_cast<uint16_t>(data[at] | data[at + 1] << 8) : 0;
  }
};

size_t Align(size_t at) { return (at + 3) & ~static_cast<size_t>(3); }

bool Find(const Reader& r, size_t at, size_t end, int depth, const std::string& key,
          std::string* value) {
  while (at + kBlockHeader <= end) {
    const size_t length = r.U16(at);
    if (length < kBlockHeader || at + length > end) return false;
    const size_t blockEnd = at + length;
    const uint16_t valueLength = r.U16(at + 2);
    const uint16_t type = r.U16(at + 4);
    std::string name;
    size_t p = at + kBlockHeader;
    for (; p + 2 <= blockEnd && r.U16(p) != 0; p += 2) {
      const uint16_t c = r.U16(p);
      name += c < 0x80 ? static_cast<char>(c) : '?';
    }
    const size_t valueAt = Align(p + 2);
    // Text values count characters, binary ones bytes.
    const size_t valueBytes = type == kTextValue ? 2u * valueLength : valueLength;
    if (depth == kDepth - 1) {
      if (name == key && type == kTextValue) {
        value->clear();
        for (size_t q = valueAt; q + 2 <= valueAt + valueBytes && q + 2 <= blockEnd && r.U16(q);
             q += 2) {
          const uint16_t c = r.U16(q);
          *value += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return true;
      }
    } else if (depth > 0 || name == "VS_VERSION_INFO") {
      // Below the root only the string tables are searched.
      const bool search = depth != 1 || name == "StringFileInfo";
      if (search && Find(r, Align(valueAt + valueBytes), blockEnd, depth + 1, key, value))
        return true;
    }
    if (depth == 0) return false;
    at = Align(blockEnd);
  }
  return false;
}

}  // namespace

bool VersionString(const uint8_t* data, size_t size, const std::string& key, std::string* value) {
  return Find(Reader{data, size}, 0, size, 0, key, value);
}
