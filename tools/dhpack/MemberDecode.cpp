#include "MemberDecode.h"

#include <cstdio>

#include "Crc16.h"

std::string MemberVerdict(cArchiveFile* archive, int index, const LhaMember& member,
                          std::string* bytes) {
  cCrc16 crc;
  const int64_t delivered =
      Decode(&archive->Reader(), index, member, [&](const uint8_t* p, uint32_t n) {
        crc.Update(p, n);
        if (bytes) bytes->append(reinterpret_cast<const char*>(p), n);
        return true;
      });
  uint16_t stored = 0;
  if (LhaIsFolder(member)) return "OK (folder)";
  if (delivered != member.unpackedSize)
    return "FAILED: decoded " + std::to_string(std::max<int64_t>(delivered, 0)) + " of " +
           std::to_string(member.unpackedSize) + " bytes";
  if (!archive->StoredCrc(index, &stored)) return "FAILED: header outside the archive";
  if (stored != crc.Value()) {
    char text[64];
    std::snprintf(text, sizeof text, "FAILED: CRC %04x, stored %04x", crc.Value(), stored);
    return text;
  }
  return "OK";
}
