// A zeroed block for one decoded member, with spare zero bytes after it (so that text
// read into it is terminated), wiped when it goes. A member too large for a 32-bit
// address space, with its spare bytes, fails like an allocation: the constructor
// throws the caller's failure code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win.h"

class cMemberBuffer {
 public:
  cMemberBuffer(uint32_t unpackedSize, uint32_t slack, int failure);
  virtual ~cMemberBuffer();
  cMemberBuffer(const cMemberBuffer&) = delete;
  cMemberBuffer& operator=(const cMemberBuffer&) = delete;

  BYTE* Data() const { return data_; }

 private:
  BYTE* data_ = nullptr;
  size_t size_ = 0;
};
