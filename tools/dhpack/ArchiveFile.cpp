#include "ArchiveFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "morstd/MorBinary.h"
#include "payload/GetLhaFile.h"

namespace {

// Header fields the reader skips but the tool's CRC check needs.
constexpr int64_t kLevelOffset = 20;
constexpr int64_t kNameLengthOffset = 21;
constexpr int64_t kLevel2CrcOffset = 21;
constexpr int64_t kNameOffset = 22;

// One read of the whole file: payload images run to tens of megabytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  bytes->resize(static_cast<size_t>(size));
  in.seekg(0);
  return size == 0 || static_cast<bool>(in.read(reinterpret_cast<char*>(bytes->data()), size));
}

}  // namespace

bool cArchiveFile::Load(const std::string& path, bool dat, std::string* error) {
  if (!ReadWholeFile(path, &bytes)) {
    *error = path + ": cannot be read: " + std::strerror(errno);
    return false;
  }
  if (bytes.size() > UINT32_MAX) {
    *error = path + ": larger than 4 GiB";
    return false;
  }
  if (dat) {
    morstd::cMorBinary image;
    morstd::cMorBinary plain;
    try {
      image.Assign(bytes.data(), static_cast<DWORD>(bytes.size()));
    } catch (...) {
      *error = path + ": too large to decipher";
      return false;
    }
    cGetLhaFile decipher;
    if (!decipher.DecryptData(image, &plain)) {
      *error = path + ": not a resource image (shorter than its 16-byte salt, or too large)";
      return false;
    }
    bytes.assign(plain.data, plain.data + plain.size);
  }
  switch (reader.Open(bytes.data(), static_cast<uint32_t>(bytes.size()))) {
    case kLhaOpenFound:
      break;
    case kLhaOpenNoData:
      *error = path + ": empty";
      return false;
    default:
      *error = path + ": no LHA header within its first 2048 bytes";
      return false;
  }
  const int result = reader.ReadHeaders();
  // A failed header stays in the list as the last member.
  validCount = result == kLhaHeadersRead ? reader.Count() : std::max(0, reader.Count() - 1);
  switch (result) {
    case kLhaHeadersRead:
      return true;
    case kLhaHeadersNoMemory:
      *error = path + ": out of memory while reading the headers";
      return false;
    default:
      *error = path + ": malformed header after member " +
               std::to_string(validCount) +
               " (or no end marker)";
      return false;
  }
}

bool cArchiveFile::StoredCrc(int index, uint16_t* crc) const {
  const int64_t header = reader.HeaderOffset(index);
  const int64_t size = static_cast<int64_t>(bytes.size());
  if (header < 0 || header + kNameOffset > size) return false;
  const int level = bytes[header + kLevelOffset];
  int64_t at = level == 2 ? header + kLevel2CrcOffset
                          : header + kNameOffset + bytes[header + kNameLengthOffset];
  if (at + 2 > size) return false;
  *crc = static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
  return true;
}
