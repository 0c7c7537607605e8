#include "LhaLayout.h"

#include <cstring>

namespace lhalayout {
namespace {

// Offsets within a header: the method id, the packed size, the level byte, and the
// first extended header's size field of a level-2 header.
constexpr size_t kMethod = 2;
constexpr size_t kPackedSize = 7;
constexpr size_t kLevel = 20;
constexpr size_t kLevel2Extended = 24;
// The first method id must start within this many bytes, as in the installer's scan.
constexpr size_t kScanLimit = 2048;

uint32_t Get(const uint8_t* p, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

bool IsMethodId(const uint8_t* p) {
  return p[0] == '-' && p[1] == 'l' && (p[2] == 'h' || p[2] == 'z') && p[4] == '-';
}

// Follows the extended headers whose first size field is at `at`; false when one runs
// outside the bytes. `*end` gets the byte after the closing size field.
bool WalkExtended(const uint8_t* data, size_t size, size_t at, size_t* end, size_t* crcField) {
  *crcField = 0;
  for (;;) {
    if (at + 2 > size) return false;
    const uint32_t length = Get(data + at, 2);
    if (length == 0) {
      *end = at + 2;
      return true;
    }
    if (length < 3 || at + length > size) return false;
    if (data[at + 2] == 0 && length >= 5 && *crcField == 0) *crcField = at + 3;
    at += length;
  }
}

uint8_t Checksum(const uint8_t* data, const Header& header) {
  uint8_t sum = 0;
  const size_t end = header.start + 2 + data[header.start];
  for (size_t i = header.start + 2; i < end; ++i) sum = static_cast<uint8_t>(sum + data[i]);
  return sum;
}

// The CRC of the whole header (base and extended) with its CRC field read as zero.
uint16_t HeaderCrc(const uint8_t* data, const Header& header) {
  std::vector<uint8_t> copy(data + header.start, data + header.dataStart);
  const size_t field = header.crcField - header.start;
  copy[field] = 0;
  copy[field + 1] = 0;
  return Crc16(copy.data(), copy.size());
}

}  // namespace

uint16_t Crc16(const uint8_t* bytes, size_t count) {
  uint16_t crc = 0;
  for (size_t i = 0; i < count; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

std::vector<Header> Walk(const uint8_t* data, size_t size) {
  std::vector<Header> headers;
  size_t at = 0;
  while (at + kMethod + 5 <= size && at < kScanLimit && !IsMethodId(data + at + kMethod)) ++at;
  while (at + kLevel2Extended + 2 <= size && data[at] != 0) {
    Header header = {at, data[at + kLevel], 0, 0, 0};
    const uint32_t packed = Get(data + at + kPackedSize, 4);
    size_t extendedEnd = 0;
    if (header.level == 2) {
      if (!WalkExtended(data, size, at + kLevel2Extended, &extendedEnd, &header.crcField)) break;
      header.dataStart = at + Get(data + at, 2);
      if (header.dataStart < extendedEnd || header.dataStart > size) break;
      header.dataEnd = header.dataStart + packed;
    } else if (header.level == 0 || header.level == 1) {
      const size_t base = at + 2 + data[at];
      if (base > size || data[at] < kLevel) break;
      header.dataStart = base;
      size_t extendedSize = 0;
      if (header.level == 1) {
        if (!WalkExtended(data, size, base - 2, &extendedEnd, &header.crcField)) break;
        header.dataStart = extendedEnd;
        extendedSize = extendedEnd - base;
      }
      if (packed < extendedSize) break;
      header.dataEnd = header.dataStart + (packed - extendedSize);
    } else {
      break;
    }
    if (header.dataEnd > size) header.dataEnd = size;
    headers.push_back(header);
    if (header.dataEnd <= at) break;
    at = header.dataEnd;
  }
  return headers;
}

void Repair(uint8_t* data, size_t size, const std::vector<Header>& headers) {
  for (const Header& header : headers) {
    if (header.dataStart > size) continue;
    if (header.level != 2) data[header.start + 1] = Checksum(data, header);
    if (header.crcField) {
      const uint16_t crc = HeaderCrc(data, header);
      data[header.crcField] = static_cast<uint8_t>(crc);
      data[header.crcField + 1] = static_cast<uint8_t>(crc >> 8);
    }
  }
}

bool ChecksValid(const uint8_t* data, size_t size, const std::vector<Header>& headers) {
  for (const Header& header : headers) {
    if (header.dataStart > size) return false;
    if (header.level != 2 && data[header.start + 1] != Checksum(data, header)) return false;
    if (header.crcField && Get(data + header.crcField, 2) != HeaderCrc(data, header)) return false;
  }
  return true;
}

}  // namespace lhalayout
