#include "payload/LhaArchiveReader.h"

#include <cstring>

#include "payload/PayloadNames.h"

cLhaArchiveReader::cLhaArchiveReader() = default;

cLhaArchiveReader::~cLhaArchiveReader() { std::memset(&member, 0, sizeof member); }

void cLhaArchiveReader::ClearCounts() {
  count = 0;
  installedCount = 0;
  installedNameBytes = 0;
  held = 0;
  heldHeader = -1;
}

int cLhaArchiveReader::Open(const void* bytes, uint32_t size) {
  ClearCounts();
  firstHeader = -1;
  int result = OpenArchive(&list, size, bytes, &decoder);
  if (result == kLhaOpenFound) firstHeader = decoder.InputPos();
  // The decoder reads the list's current member only.
  list.current = &member;
  return result;
}

int cLhaArchiveReader::ReadHeaders() {
  ClearCounts();
  if (firstHeader < 0 || !decoder.SetInputPos(firstHeader)) return kLhaHeaderMalformed;
  for (;;) {
    const int64_t header = decoder.InputPos();
    const int result = ReadHeader(&decoder, &member);
    if (result == kLhaHeaderEnd) return kLhaHeadersRead;
    if (result != kLhaHeadersRead) return result;
    ++count;
    held = count;
    heldHeader = header;
    if (!IsSetupInfoName(member.name)) {
      ++installedCount;
      installedNameBytes += static_cast<int64_t>(std::strlen(member.name)) + 1;
    }
  }
}

void cLhaArchiveReader::AddInstalledName(morstd::cMorMemBlock* names, const char* name) const {
  names->Add(name);
  // The list takes a reserve only once it holds a first text.
  if (names->GetCount() != 1) return;
  const int64_t texts = int64_t{installedCount} - 1;
  const int64_t bytes = installedNameBytes - (names->GetDataSize() - 1);
  if (texts > 0 && bytes > 0 && bytes < INT32_MAX)
    names->Reserve(static_cast<int>(texts), static_cast<int>(bytes));
}

bool cLhaArchiveReader::MoveTo(int index) {
  if (index < 1 || index > count) return false;
  if (held == index) return true;
  int at = 0;
  int64_t next = firstHeader;
  if (held >= 1 && held < index) {
    at = held;
    next = static_cast<int64_t>(member.dataOffset) + member.packedSize;
  }
  held = 0;
  for (; at < index; ++at) {
    if (!decoder.SetInputPos(next) || ReadHeader(&decoder, &member) != kLhaHeadersRead)
      return false;
    heldHeader = next;
    next = decoder.InputPos();
  }
  held = index;
  return true;
}

bool cLhaArchiveReader::Select(int index) {
  if (!MoveTo(index)) return false;
  // A member the decoder cannot start (unknown method, data outside the archive) is
  // still selected; it then yields no bytes.
  return decoder.StartMember(&list) != cMorLhaDec::kNoTables;
}

uint32_t cLhaArchiveReader::Read(void* out, uint32_t count) {
  return ReadMember(&decoder, out, count);
}

bool cLhaArchiveReader::ReadWhole(int index, const LhaMember& member, void* out) {
  if (!Select(index)) return false;
  if (LhaIsFolder(member)) return true;
  return Read(out, member.unpackedSize) == member.unpackedSize;
}

int64_t cLhaArchiveReader::HeaderOffset(int index) {
  return MoveTo(index) ? heldHeader : -1;
}
