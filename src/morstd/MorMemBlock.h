// A list of narrow texts packed back to back, each with its NUL, in one growable area,
// with a table of start offsets. The area is what "Uninst.dat" stores, so a whole
// list is written and read with one call. Texts are only ever added, or the whole
// list cleared. The text area always ends in at least one spare NUL after the last
// text, and every byte past the used part is zero.
#pragma once

#include <cstdint>

namespace morstd {

class cMorMemBlock {
 public:
  cMorMemBlock() = default;
  virtual ~cMorMemBlock();
  // Copies are made with CopyFrom only.
  cMorMemBlock(const cMorMemBlock&) = delete;
  cMorMemBlock& operator=(const cMorMemBlock&) = delete;

  void Clear();
  // Appends one text (null counts as empty); returns 1. When memory cannot be had the
  // list is cleared and cMorMemBlockException thrown.
  int Add(const char* text);
  // Appends `n` texts stored back to back in `texts`, which holds `total` bytes. Stops
  // with 0 when the texts would need more than `total` bytes (those added so far stay)
  // or an addition fails (the list is then cleared); 1 once all `n` are added. Never
  // throws.
  int AddMultiple(const char* texts, uint32_t total, uint32_t n);
  // Makes room, once there is a first text, for `texts` more texts taking `bytes` bytes
  // in all with their NULs, so that adding them copies nothing. Without a first text
  // it changes nothing (the first Add sizes the list as always). When memory cannot be
  // had the list is cleared and cMorMemBlockException thrown.
  void Reserve(int texts, int bytes);
  // Text i, or null outside 0 .. count - 1. Valid until the list next changes.
  const char* GetAt(int i) const;
  int GetCount() const { return count; }
  // Bytes a writer stores: every text with its NUL plus the spare NUL; 0 for a list
  // that never held a text.
  int GetDataSize() const { return index ? index[count] + 1 : 0; }
  // Deep copy of `source`; on failure this list is left empty and
  // cMorMemBlockException thrown.
  cMorMemBlock& CopyFrom(const cMorMemBlock& source);

  // The text area (GetDataSize() bytes of it are meaningful), null when empty.
  const char* GetData() const { return data; }
  int GetDataCapacity() const { return dataCapacity; }
  int GetIndexCapacity() const { return indexCapacity; }

 private:
  void GrowIndex();
  void GrowIndexTo(int64_t entries);
  [[noreturn]] void Fail();

  char* data = nullptr;
  int dataCapacity = 0;
  int* index = nullptr;  // entry i: offset of text i; entry count: bytes used
  int indexCapacity = 0;
  int count = 0;
};

}  // namespace morstd
