#include "payload/LhaArchiveReader.h"

cLhaArchiveReader::cLhaArchiveReader() = default;

cLhaArchiveReader::~cLhaArchiveReader() { FreeHeaders(&list); }

int cLhaArchiveReader::Open(const void* bytes, uint32_t size) {
  FreeHeaders(&list);
  firstHeader = -1;
  int result = OpenArchive(&list, size, bytes, &decoder);
  if (result == kLhaOpenFound) firstHeader = decoder.InputPos();
  return result;
}

int cLhaArchiveReader::ReadHeaders() { return ::ReadHeaders(&list, &decoder); }

bool cLhaArchiveReader::Select(int index) {
  return SelectMember(&list, index, &decoder) == kLhaSelected;
}

uint32_t cLhaArchiveReader::Read(void* out, uint32_t count) {
  return ReadMember(&decoder, out, count);
}

bool cLhaArchiveReader::ReadWhole(int index, const LhaMember& member, void* out) {
  if (!Select(index)) return false;
  if (LhaIsFolder(member)) return true;
  return Read(out, member.unpackedSize) == member.unpackedSize;
}

int64_t cLhaArchiveReader::HeaderOffset(int index) const {
  if (index < 1 || index > list.count) return -1;
  int64_t offset = firstHeader;
  Walk([&](int i, const LhaMember& member) {
    if (i == index) return false;
    offset = static_cast<int64_t>(member.dataOffset) + member.packedSize;
    return true;
  });
  return offset;
}
