// The archive reader: headers of levels 0, 1 and 2 with their extended headers. The
// header checksum, CRC, timestamp, attributes and OS id are not needed for
// extraction and are skipped.
#include "payload/LhaArchive.h"

#include <cstring>

#include "morstd/MorAlloc.h"
#include "payload/PayloadNames.h"

namespace {

// The first method id must begin within this many bytes of the buffer's start.
constexpr int kScanBudget = 2048;
// Bytes of a header before its method id, and from the method id's start to the
// byte after its closing '-'.
constexpr int kHeaderLead = 2;
constexpr int kMethodIdLength = 5;

// Longest names a header may carry.
constexpr uint32_t kMaxBaseName = 101;
constexpr uint32_t kMaxExtendedFileName = 100;
constexpr uint32_t kMaxDirectoryName = 255;
// Extended header types the reader uses; every other type is skipped.
constexpr int kExtendedFileName = 1;
constexpr int kExtendedDirectory = 2;
// An extended header is at least its type and the size of the next one.
constexpr uint32_t kMinExtendedSize = 3;
// Directory separator in extended headers.
constexpr uint8_t kDirectorySeparator = 0xFF;

struct HeaderNames {
  char file[kMaxBaseName + 1];
  uint32_t fileLength;
  char directory[kMaxDirectoryName + 1];
  uint32_t directoryLength;
};

// Reads the name of a level 0 or 1 header; level 0 keeps only the last path
// component.
bool ReadBaseName(cMorLhaDec* decoder, int level, HeaderNames* names) {
  uint32_t length = decoder->ReadByte();
  if (length > kMaxBaseName) return false;
  names->fileLength = 0;
  bool secondByte = false;  // the byte after a Shift-JIS lead byte separates nothing
  for (uint32_t i = 0; i < length; ++i) {
    char c = static_cast<char>(decoder->ReadByte());
    const bool separator = level == 0 && c == '\\' && !secondByte;
    secondByte = !secondByte && IsNameLeadByte(static_cast<unsigned char>(c));
    if (separator) {
      names->fileLength = 0;
      continue;
    }
    names->file[names->fileLength++] = c;
  }
  return true;
}

// Walks the extended headers from the size field at the cursor; `*chainSize` gets
// the total of their sizes. False when a header is too short, runs outside the
// data or carries a name over its limit.
bool ReadExtendedHeaders(cMorLhaDec* decoder, HeaderNames* names, int64_t* chainSize) {
  int64_t total = 0;
  int64_t pos = decoder->InputPos();
  uint32_t size = decoder->Read16();
  pos += 2;
  while (size != 0) {
    if (size < kMinExtendedSize || pos + size > decoder->InputSize()) return false;
    int type = decoder->ReadByte();
    uint32_t contents = size - kMinExtendedSize;
    if (type == kExtendedFileName) {
      if (contents > kMaxExtendedFileName) return false;
      for (uint32_t i = 0; i < contents; ++i) {
        names->file[i] = static_cast<char>(decoder->ReadByte());
      }
      names->fileLength = contents;
    } else if (type == kExtendedDirectory) {
      if (contents > kMaxDirectoryName) return false;
      for (uint32_t i = 0; i < contents; ++i) {
        uint8_t c = decoder->ReadByte();
        names->directory[i] = c == kDirectorySeparator ? '\\' : static_cast<char>(c);
      }
      names->directoryLength = contents;
    }
    total += size;
    pos += size;
    if (!decoder->SetInputPos(pos - 2)) return false;
    size = decoder->Read16();
  }
  *chainSize = total;
  return true;
}

}  // namespace

int ReadHeader(cMorLhaDec* decoder, LhaMember* member) {
  decoder->ClearInputEnd();
  const int64_t headerStart = decoder->InputPos();
  uint32_t headerSize = decoder->ReadByte();
  if (headerSize == 0) return kLhaHeaderEnd;
  decoder->ReadByte();
  char method[kMethodIdLength];
  for (char& c : method) c = static_cast<char>(decoder->ReadByte());
  int64_t packedSize = decoder->Read32();
  uint32_t unpackedSize = decoder->Read32();
  for (int i = 0; i < 5; ++i) decoder->ReadByte();
  int level = decoder->ReadByte();

  HeaderNames names;
  names.fileLength = 0;
  names.directoryLength = 0;
  int64_t dataOffset;
  if (level == 2) {
    for (int i = 0; i < 3; ++i) decoder->ReadByte();
  } else {
    if (!ReadBaseName(decoder, level, &names)) return kLhaHeaderMalformed;
    // The base header must hold the fields just read (and, at level 1, the OS id and
    // the first extended size), so every header moves the reader forward.
    const int64_t fieldsEnd = decoder->InputPos() - headerStart + (level == 0 ? 0 : 3);
    if (headerSize < fieldsEnd) return kLhaHeaderMalformed;
    if (!decoder->SetInputPos(headerStart + headerSize)) return kLhaHeaderMalformed;
  }
  if (level == 0) {
    dataOffset = headerStart + headerSize + 2;
  } else {
    const int64_t chainStart = decoder->InputPos();
    int64_t chainSize = 0;
    if (!ReadExtendedHeaders(decoder, &names, &chainSize)) return kLhaHeaderMalformed;
    dataOffset = chainStart + chainSize + 2;
    // Level 1 counts its extended headers in the packed size.
    if (level == 1) packedSize -= chainSize;
  }
  if (decoder->InputEnd()) {
    decoder->ClearInputEnd();
    return kLhaHeaderMalformed;
  }
  const int64_t next = dataOffset + packedSize;
  if (packedSize < 0 || next > decoder->InputSize()) return kLhaHeaderMalformed;
  if (names.directoryLength + names.fileLength >= static_cast<uint32_t>(LhaMember::kNameSize)) {
    return kLhaHeaderMalformed;
  }
  memcpy(member->name, names.directory, names.directoryLength);
  memcpy(member->name + names.directoryLength, names.file, names.fileLength);
  member->name[names.directoryLength + names.fileLength] = '\0';
  memcpy(member->method, method, kMethodIdLength);
  member->method[kMethodIdLength] = '\0';
  member->unpackedSize = unpackedSize;
  member->dataOffset = static_cast<int32_t>(dataOffset);
  member->packedSize = static_cast<int32_t>(packedSize);
  decoder->SetInputPos(next);
  return kLhaHeadersRead;
}

namespace {

void ClearList(LhaMemberList* list) {
  list->archiveSize = 0;
  list->head = nullptr;
  list->current = nullptr;
  list->tail = nullptr;
  list->count = 0;
  list->currentIndex = 0;
}

}  // namespace

int OpenArchive(LhaMemberList* list, uint32_t archiveSize, const void* archive,
                cMorLhaDec* decoder) {
  ClearList(list);
  if (archive == nullptr || archiveSize == 0) return kLhaOpenNoData;
  decoder->SetInput(static_cast<const uint8_t*>(archive), archiveSize);
  list->archiveSize = archiveSize;
  // Look for '-', 'l', 'z' or 'h', any byte, '-'.
  int matched = 0;
  for (int budget = kScanBudget;;) {
    uint8_t c = decoder->ReadByte();
    if (decoder->InputEnd()) return kLhaOpenNoHeader;
    switch (matched) {
      case 0:
        matched = c == '-' ? 1 : 0;
        break;
      case 1:
        matched = c == 'l' ? 2 : c == '-' ? 1 : 0;
        break;
      case 2:
        matched = (c == 'z' || c == 'h') ? 3 : c == '-' ? 1 : 0;
        break;
      case 3:
        matched = 4;
        break;
      default:
        matched = c == '-' ? 5 : 0;
        break;
    }
    if (matched == 5) break;
    if (--budget <= 0) return kLhaOpenNoHeader;
  }
  if (!decoder->SetInputPos(static_cast<int64_t>(decoder->InputPos()) - kMethodIdLength -
                            kHeaderLead)) {
    return kLhaOpenNoHeader;
  }
  return kLhaOpenFound;
}

int ReadHeaders(LhaMemberList* list, cMorLhaDec* decoder) {
  for (;;) {
    LhaMember* member = static_cast<LhaMember*>(morstd::MorAllocZeroed(sizeof(LhaMember)));
    if (member == nullptr) return kLhaHeadersNoMemory;
    member->prev = list->tail;
    if (list->tail != nullptr) {
      list->tail->next = member;
    } else {
      list->head = member;
    }
    list->tail = member;
    list->current = member;
    ++list->count;
    list->currentIndex = list->count;
    int result = ReadHeader(decoder, member);
    if (result == kLhaHeadersRead) continue;
    if (result == kLhaHeaderEnd) {
      // The end marker: the member just appended holds nothing.
      list->tail = member->prev;
      if (list->tail != nullptr) {
        list->tail->next = nullptr;
      } else {
        list->head = nullptr;
      }
      list->current = list->tail;
      --list->count;
      list->currentIndex = list->count;
      morstd::MorFree(member);
      return kLhaHeadersRead;
    }
    return result;
  }
}

int SelectMember(LhaMemberList* list, int index, cMorLhaDec* decoder) {
  if (index < 1) return kLhaNoSuchMember;
  // Members are selected in archive order: walking on from the current one keeps a
  // whole pass over the archive linear in its member count.
  LhaMember* member = list->head;
  int at = 1;
  if (list->current != nullptr && list->currentIndex >= 1 && list->currentIndex <= index) {
    member = list->current;
    at = list->currentIndex;
  }
  for (; at < index && member != nullptr; ++at) member = member->next;
  if (member == nullptr) return kLhaNoSuchMember;
  list->current = member;
  list->currentIndex = index;
  // A member the decoder cannot start (unknown method, data outside the archive) is
  // still selected; it then yields no bytes.
  if (decoder->StartMember(list) == cMorLhaDec::kNoTables) return kLhaNoTables;
  return kLhaSelected;
}

uint32_t ReadMember(cMorLhaDec* decoder, void* out, uint32_t count) {
  return decoder->ReadMember(out, count);
}

void FreeHeaders(LhaMemberList* list) {
  LhaMember* member = list->tail;
  while (member != nullptr) {
    LhaMember* prev = member->prev;
    morstd::MorFree(member);
    member = prev;
  }
  uint32_t size = list->archiveSize;
  ClearList(list);
  list->archiveSize = size;
}
