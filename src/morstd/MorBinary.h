// Owning buffer of raw bytes for enciphered and deciphered payload data. Whenever it
// gives its block up (Clear, a new Assign, destruction) it overwrites every byte of it
// with zeros first. Users read the three fields directly.
#pragma once

#include "morstd/MorBinaryException.h"
#include "platform/win.h"

namespace morstd {

class cMorBinary {
 public:
  // The largest count CapacityFor accepts (500 MiB).
  static constexpr DWORD kMaxRequest = 500u * 1048576u;
  // Codes of cMorBinaryException.
  static constexpr int32_t kErrorAllocation = 0;
  static constexpr int32_t kErrorTooLarge = 10;

  cMorBinary() = default;
  virtual ~cMorBinary();
  cMorBinary(const cMorBinary&) = delete;
  cMorBinary& operator=(const cMorBinary&) = delete;

  // Wipes and releases the block; safe on an empty buffer.
  void Clear();
  // Replaces the content with `length` bytes from `source` (a null source gives
  // `length` zero bytes). The bytes after the content, up to `capacity`, are zero, so
  // text held here is always terminated. The source may lie in this buffer's own block.
  // Throws cMorBinaryException (kErrorTooLarge, kErrorAllocation); the buffer is then
  // left without a block.
  void Assign(const void* source, DWORD length);
  // The capacity for `n` bytes: the next multiple strictly above `n` of a step that
  // grows with `n` (256 bytes up to 256 KiB steps); at least 256. Above kMaxRequest it
  // throws cMorBinaryException(kErrorTooLarge).
  static DWORD CapacityFor(DWORD n);

  // For tests: called with each block after it is wiped and just before it is freed.
  using ReleaseObserver = void (*)(const BYTE* block, DWORD capacity);
  static void SetReleaseObserver(ReleaseObserver observer);

  BYTE* data = nullptr;
  DWORD size = 0;
  DWORD capacity = 0;  // 0 exactly when data is null
};

}  // namespace morstd
