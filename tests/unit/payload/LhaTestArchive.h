// Hand-made LHA headers and bit streams for the reader and decoder tests: exactly the
// bytes a case needs, including ones no real archiver writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dhtest {

std::string Le16(uint32_t v);
std::string Le32(uint32_t v);

// One extended header without its size field: type and contents.
struct LhaExt {
  int type;
  std::string contents;
};

// A level 0 header (name as given) followed by the packed bytes.
std::string LhaLevel0(const std::string& name, const std::string& method,
                      const std::string& packed, uint32_t unpackedSize);
// A level 1 header with its extended headers, followed by the packed bytes.
std::string LhaLevel1(const std::string& name, const std::string& method,
                      const std::vector<LhaExt>& exts, const std::string& packed,
                      uint32_t unpackedSize);
// A level 2 header (names only in extended headers), followed by the packed bytes.
std::string LhaLevel2(const std::string& method, const std::vector<LhaExt>& exts,
                      const std::string& packed, uint32_t unpackedSize);
// The byte that ends an archive.
inline std::string LhaEnd() { return std::string(1, '\0'); }

// Writes bit fields most significant bit first, as the LHA bit reader takes them.
class LhaBitWriter {
 public:
  void Put(uint32_t value, int bits);
  // The bytes so far, the last one padded with zero bits.
  std::string Bytes() const;

 private:
  std::string bytes_;
  uint32_t partial_ = 0;
  int count_ = 0;
};

}  // namespace dhtest
