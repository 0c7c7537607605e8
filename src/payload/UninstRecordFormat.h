// The fixed header of the uninstall record "Uninst.dat", written by the installer's
// record writer and read and rewritten by the uninstall record class. The image is
// what the 32-bit program stores: 8 signature bytes and five 32-bit little-endian
// integers, 28 bytes in all, followed by the name area (every name with its NUL, then
// one more NUL).
#pragma once

#include <cstdint>
#include <cstring>

// The record's file name in the viewer's install folder.
constexpr char kUninstRecordName[] = "Uninst.dat";
constexpr char kUninstSignature[] = "DHVUI01";  // with its NUL: 8 bytes
constexpr int32_t kUninstHeaderSize = 28;

#pragma pack(push, 1)
struct UninstRecordHeader {
  char signature[8];
  int32_t headerSize;
  int32_t startMenuShortcut;
  int32_t desktopShortcut;
  int32_t dataSize;    // bytes of the name area
  int32_t entryCount;  // names in it
};
#pragma pack(pop)

static_assert(sizeof(UninstRecordHeader) == kUninstHeaderSize, "the record header is 28 bytes");
static_assert(sizeof kUninstSignature == 8, "the signature fills its field with its NUL");

// A fresh header: zeroed, the signature copied with its terminating zero, the size set.
inline UninstRecordHeader MakeUninstRecordHeader(int32_t startMenuShortcut,
                                                 int32_t desktopShortcut, int32_t dataSize,
                                                 int32_t entryCount) {
  UninstRecordHeader header;
  std::memset(&header, 0, sizeof header);
  std::memcpy(header.signature, kUninstSignature, sizeof header.signature);
  header.headerSize = kUninstHeaderSize;
  header.startMenuShortcut = startMenuShortcut;
  header.desktopShortcut = desktopShortcut;
  header.dataSize = dataSize;
  header.entryCount = entryCount;
  return header;
}
