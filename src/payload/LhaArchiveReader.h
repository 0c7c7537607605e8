// One archive opened over a byte buffer: its member list and the decoder together,
// released together. Every user of the payload (the extractor's operations, the
// update's installation of its own deciphered copy, the payload tool) walks members
// through this, so the calling order of the reader is written down only here.
#pragma once

#include <cstdint>

#include "payload/LhaArchive.h"
#include "payload/LhaMember.h"
#include "payload/MorLhaDec.h"

class cLhaArchiveReader {
 public:
  cLhaArchiveReader();
  virtual ~cLhaArchiveReader();
  cLhaArchiveReader(const cLhaArchiveReader&) = delete;
  cLhaArchiveReader& operator=(const cLhaArchiveReader&) = delete;

  // Finds the first header in `size` bytes at `bytes` (OpenArchive's result). The
  // bytes must outlive the reader.
  int Open(const void* bytes, uint32_t size);
  // Parses every header (ReadHeaders' result).
  int ReadHeaders();

  int Count() const { return list.count; }
  // Calls visit(index, member) for each member in archive order, index 1-based, as
  // long as visit returns true. False when the chain ends before Count() members.
  template <typename Visit>
  bool Walk(Visit visit) const {
    const LhaMember* member = list.head;
    for (int index = 1; index <= list.count; ++index, member = member->next) {
      if (!member) return false;
      if (!visit(index, *member)) return true;
    }
    return true;
  }

  // Starts the decoder on the member at the 1-based index; false when there is no
  // such member or the decoder's tables cannot be had.
  bool Select(int index);
  // The next decoded bytes of the selected member (fewer than `count` at its end or
  // when it is damaged or cannot be decoded).
  uint32_t Read(void* out, uint32_t count);
  // Selects the member and decodes all of it into `out`, which holds at least
  // `member.unpackedSize` bytes. False when it cannot be selected or its data runs
  // short; folder entries hold nothing and always succeed.
  bool ReadWhole(int index, const LhaMember& member, void* out);

  // Where the header of the member at the 1-based index begins in the buffer: the
  // first one where Open found it, each next one just after its predecessor's data.
  // -1 for no such member.
  int64_t HeaderOffset(int index) const;

  const LhaMemberList& Members() const { return list; }

 private:
  LhaMemberList list = {};
  cMorLhaDec decoder;
  int64_t firstHeader = -1;
};
