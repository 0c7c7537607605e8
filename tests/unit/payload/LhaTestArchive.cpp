#include "unit/payload/LhaTestArchive.h"

namespace dhtest {

std::string Le16(uint32_t v) {
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

namespace {

// Method, sizes, timestamp and attribute: the fields every level shares after the
// first two bytes.
std::string Common(const std::string& method, uint32_t packed, uint32_t unpacked, int level) {
  return method + Le32(packed) + Le32(unpacked) + Le32(0x3C210000) + std::string(1, '\x20') +
         std::string(1, static_cast<char>(level));
}

}  // namespace

std::string LhaLevel0(const std::string& name, const std::string& method,
                      const std::string& packed, uint32_t unpackedSize) {
  std::string body = Common(method, static_cast<uint32_t>(packed.size()), unpackedSize, 0) +
                     std::string(1, static_cast<char>(name.size())) + name + Le16(0);
  return std::string(1, static_cast<char>(body.size())) + '\0' + body + packed;
}

// The chain as it follows its first size field: each header's type and contents,
// then the size of the next header (0 after the last).
static std::string ExtChain(const std::vector<LhaExt>& exts, std::string* firstSize) {
  std::string chain;
  *firstSize = exts.empty() ? Le16(0) : Le16(static_cast<uint32_t>(exts[0].contents.size() + 3));
  for (size_t i = 0; i < exts.size(); ++i) {
    chain += std::string(1, static_cast<char>(exts[i].type)) + exts[i].contents;
    chain += i + 1 < exts.size() ? Le16(static_cast<uint32_t>(exts[i + 1].contents.size() + 3))
                                 : Le16(0);
  }
  return chain;
}

std::string LhaLevel1(const std::string& name, const std::string& method,
                      const std::vector<LhaExt>& exts, const std::string& packed,
                      uint32_t unpackedSize) {
  std::string firstSize;
  std::string chain = ExtChain(exts, &firstSize);
  uint32_t packedField = static_cast<uint32_t>(chain.size() + packed.size());
  std::string body = Common(method, packedField, unpackedSize, 1) +
                     std::string(1, static_cast<char>(name.size())) + name + Le16(0) + "U" +
                     firstSize;
  // The size byte counts the base header after its first two bytes; its last two
  // bytes are the first extended size field.
  return std::string(1, static_cast<char>(body.size())) + '\0' + body + chain + packed;
}

std::string LhaLevel2(const std::string& method, const std::vector<LhaExt>& exts,
                      const std::string& packed, uint32_t unpackedSize) {
  std::string firstSize;
  std::string chain = ExtChain(exts, &firstSize);
  std::string body = Common(method, static_cast<uint32_t>(packed.size()), unpackedSize, 2) +
                     Le16(0) + "U" + firstSize + chain;
  return Le16(static_cast<uint32_t>(body.size() + 2)) + body + packed;
}

void LhaBitWriter::Put(uint32_t value, int bits) {
  for (int i = bits - 1; i >= 0; --i) {
    partial_ = (partial_ << 1) | ((value >> i) & 1);
    if (++count_ == 8) {
      bytes_ += static_cast<char>(partial_);
      partial_ = 0;
      count_ = 0;
    }
  }
}

std::string LhaBitWriter::Bytes() const {
  if (count_ == 0) return bytes_;
  return bytes_ + static_cast<char>(partial_ << (8 - count_));
}

}  // namespace dhtest
