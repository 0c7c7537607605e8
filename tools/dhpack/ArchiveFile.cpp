#include "ArchiveFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "morstd/MorBinary.h"
#include "PeResource.h"
#include "payload/GetLhaFile.h"
#include "payload/PayloadNames.h"

namespace {

// Header fields the reader skips but the tool's CRC check needs.
constexpr int64_t kLevelOffset = 20;
constexpr int64_t kNameLengthOffset = 21;
constexpr int64_t kLevel2CrcOffset = 21;
constexpr int64_t kNameOffset = 22;

// Maps the whole file read-only: payload images run to tens of megabytes, and a
// mapping spares the copy. An empty file maps to nothing.
bool MapWholeFile(const std::string& path, void** mapping, size_t* size) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat info;
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  *mapping = nullptr;
  *size = ok ? static_cast<size_t>(info.st_size) : 0;
  if (ok && *size > 0) {
    void* p = mmap(nullptr, *size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
      ok = false;
    } else {
      *mapping = p;
    }
  }
  const int saved = errno;
  close(fd);
  errno = saved;
  return ok;
}

}  // namespace

cArchiveFile::~cArchiveFile() {
  if (mapping) munmap(mapping, mappingSize);
}

bool cArchiveFile::Load(const std::string& path, bool dat, std::string* error) {
  // "SETUP.EXE:130" names a "DAT" resource inside an executable: always an image.
  std::string file = path;
  uint16_t resource = 0;
  struct stat info;
  if (stat(path.c_str(), &info) != 0 && ParseResourcePath(path, &file, &resource)) dat = true;
  if (!MapWholeFile(file, &mapping, &mappingSize)) {
    *error = file + ": cannot be read: " + std::strerror(errno ? errno : EINVAL);
    return false;
  }
  data = static_cast<const uint8_t*>(mapping);
  size = mappingSize;
  if (resource) {
    size_t offset = 0;
    if (!FindPeResource(data, size, kPayloadResourceType, resource, &offset, &size, error)) {
      *error = file + ": " + *error;
      return false;
    }
    data += offset;
  }
  if (size > UINT32_MAX) {
    *error = path + ": larger than 4 GiB";
    return false;
  }
  if (dat) {
    morstd::cMorBinary image;
    morstd::cMorBinary plain;
    try {
      image.Assign(data, static_cast<DWORD>(size));
    } catch (...) {
      *error = path + ": too large to decipher";
      return false;
    }
    cGetLhaFile decipher;
    if (!decipher.DecryptData(image, &plain)) {
      *error = path + ": not a resource image (shorter than its 16-byte salt, or too large)";
      return false;
    }
    this->plain.assign(plain.data, plain.data + plain.size);
    data = this->plain.data();
    size = this->plain.size();
  }
  switch (reader.Open(data, static_cast<uint32_t>(size))) {
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
  switch (result) {
    case kLhaHeadersRead:
      return true;
    default:
      *error = path + ": malformed header after member " +
               std::to_string(reader.Count()) +
               " (or no end marker)";
      return false;
  }
}

bool cArchiveFile::StoredCrc(int index, uint16_t* crc) {
  const int64_t header = reader.HeaderOffset(index);
  const int64_t total = static_cast<int64_t>(size);
  if (header < 0 || header + kNameOffset > total) return false;
  const int level = data[header + kLevelOffset];
  int64_t at = level == 2 ? header + kLevel2CrcOffset
                          : header + kNameOffset + data[header + kNameLengthOffset];
  if (at + 2 > total) return false;
  *crc = static_cast<uint16_t>(data[at] | data[at + 1] << 8);
  return true;
}
