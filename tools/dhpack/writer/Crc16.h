// The CRC-16 that LHA stores for each member's data (polynomial 0xA001, reflected,
// starting at 0).
#pragma once

#include <cstddef>
#include <cstdint>

class cCrc16 {
 public:
  void Update(const void* bytes, size_t count);
  uint16_t Value() const { return crc; }

 private:
  uint16_t crc = 0;
};
