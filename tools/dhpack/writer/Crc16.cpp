#include "Crc16.h"

#include <array>

namespace {

std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned v = i;
    for (int bit = 0; bit < 8; ++bit) v = (v & 1) ? (v >> 1) ^ 0xA001u : v >> 1;
    table[i] = static_cast<uint16_t>(v);
  }
  return table;
}

const std::array<uint16_t, 256> kTable = MakeTable();

}  // namespace

void cCrc16::Update(const void* bytes, size_t count) {
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  uint16_t c = crc;
  for (size_t i = 0; i < count; ++i) c = static_cast<uint16_t>((c >> 8) ^ kTable[(c ^ p[i]) & 0xFF]);
  crc = c;
}
