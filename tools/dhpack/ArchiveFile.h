// An archive as the tool reads it: the bytes of a file on the build machine (an LHA
// archive, or with --dat an enciphered resource image deciphered first) and the
// reader over them, every header parsed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "payload/LhaArchiveReader.h"

class cArchiveFile {
 public:
  // Reads and parses the file. False with a message in `error` when it cannot be
  // read, deciphered, or parsed; members parsed before a malformed header stay listed.
  bool Load(const std::string& path, bool dat, std::string* error);

  cArchiveFile() = default;
  ~cArchiveFile();
  cArchiveFile(const cArchiveFile&) = delete;
  cArchiveFile& operator=(const cArchiveFile&) = delete;

  cLhaArchiveReader& Reader() { return reader; }
  // The stored CRC-16 of the member's data, read from its header; false when the
  // header does not lie within the bytes.
  bool StoredCrc(int index, uint16_t* crc);

 private:
  // The archive bytes: the file mapped into memory, or the deciphered image.
  const uint8_t* data = nullptr;
  size_t size = 0;
  std::vector<uint8_t> plain;
  void* mapping = nullptr;
  size_t mappingSize = 0;
  cLhaArchiveReader reader;
};
