// The byte layout of LHA member headers as the fuzz targets see it: where each header,
// its extended headers and its packed data lie, and the two header check values
// (the level-0/1 checksum byte and the CRC-16 of a type-0 extended header), which the
// structure-aware mutator repairs after changing a header and the round-trip target
// checks. Written from the format, independently of the archive reader and writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lhalayout {

struct Header {
  size_t start;      // the header's first byte
  int level;         // 0, 1 or 2
  size_t dataStart;  // first packed byte (after every extended header)
  size_t dataEnd;    // one past the last packed byte (within the input)
  size_t crcField;   // the type-0 extended header's CRC field, or 0 when there is none
};

// LHA's CRC-16 (polynomial 0xA001, reflected, starting at 0), bit by bit.
uint16_t Crc16(const uint8_t* bytes, size_t count);

// The headers from the first method id ("-l??-" at offset 2 of a header) on, up to
// the end marker or the first one that runs outside the bytes.
std::vector<Header> Walk(const uint8_t* data, size_t size);

// Makes the check values of every walked header match its bytes again.
void Repair(uint8_t* data, size_t size, const std::vector<Header>& headers);

// True when every walked header's check values match its bytes.
bool ChecksValid(const uint8_t* data, size_t size, const std::vector<Header>& headers);

}  // namespace lhalayout
