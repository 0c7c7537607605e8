// One archive opened over a byte buffer, read one header at a time, and its decoder.
// Every user of the payload (the extractor's operations, the update's installation of
// its own deciphered copy, the payload tool) walks members through this, so the
// calling order of the reader is written down only here.
//
// The reader keeps no list of members: a payload of many thousand files would hold
// hundreds of bytes per member beside the archive for names it reads once. It checks
// and counts every header once, then parses each again as a walk or a selection comes
// to it, which costs a few dozen bytes of reading per member.
#pragma once

#include <cstdint>

#include "morstd/MorMemBlock.h"
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
  // Checks every header up to the end marker (kLhaHeadersRead, or kLhaHeaderMalformed
  // for the first that is not whole) and counts them.
  int ReadHeaders();

  // The members whose headers were read whole: all of them after kLhaHeadersRead,
  // those before the malformed one otherwise.
  int Count() const { return count; }
  // Of those, the members an installation or update writes (all but the patch).
  int InstalledCount() const { return installedCount; }
  // Appends the name of the next installed member to `names`; with the first, makes
  // room for all of them at once, so that listing the rest copies nothing.
  void AddInstalledName(morstd::cMorMemBlock* names, const char* name) const;

  // Calls visit(index, member) for each counted member in archive order, index
  // 1-based, as long as visit returns true. The member is the reader's own: it holds
  // good until the reader moves to another member. False when a header can no longer
  // be read.
  template <typename Visit>
  bool Walk(Visit visit) {
    for (int index = 1; index <= count; ++index) {
      if (!MoveTo(index)) return false;
      if (!visit(index, static_cast<const LhaMember&>(member))) return true;
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
  int64_t HeaderOffset(int index);

 private:
  // Parses the header of the member at the 1-based index into `member`, walking on
  // from the member held when it lies ahead, from the first header otherwise.
  bool MoveTo(int index);
  // Forgets the counts and the member held.
  void ClearCounts();

  LhaMember member = {};
  LhaMemberList list = {};  // `member` alone, as the decoder's current member
  cMorLhaDec decoder;
  int64_t firstHeader = -1;
  int count = 0;
  int installedCount = 0;
  int64_t installedNameBytes = 0;  // of the installed members' names, each with its NUL
  int held = 0;              // the index `member` holds, 0 for none
  int64_t heldHeader = -1;   // where its header begins
};
