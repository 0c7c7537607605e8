// One member header of an LHA archive as the reader keeps it, and the list of them.
// Both are plain records: the archive reader fills them, the decoder reads the
// current member, and callers walk the list from head along next.
#pragma once

#include <cstdint>

struct LhaMember {
  // Room for the longest name a member may carry, with its terminating zero.
  static constexpr int kNameSize = 260;
  static constexpr int kMethodSize = 6;

  char name[kNameSize];      // directory part then file name; backslash separators
  char method[kMethodSize];  // "-lh5-" and the like, zero-terminated
  uint32_t unpackedSize;
  int32_t dataOffset;  // first packed byte, from the start of the archive bytes
  int32_t packedSize;
  LhaMember* prev;
  LhaMember* next;
};

struct LhaMemberList {
  uint32_t archiveSize;
  LhaMember* head;
  LhaMember* current;
  LhaMember* tail;
  int32_t count;
  // The 1-based index of `current`, 0 when there is none: selecting the next member
  // walks on from there instead of from the head.
  int32_t currentIndex;
};

// A name ending in a backslash is a folder entry: listed, selectable, never decoded.
bool LhaIsFolder(const LhaMember& member);
