#include "payload/MemberBuffer.h"

#include "morstd/MorAlloc.h"

cMemberBuffer::cMemberBuffer(uint32_t unpackedSize, uint32_t slack, int failure) {
  const uint64_t bytes = static_cast<uint64_t>(unpackedSize) + slack;
  if (bytes > UINT32_MAX) throw failure;
  data_ = static_cast<BYTE*>(morstd::MorAllocZeroed(static_cast<size_t>(bytes)));
  if (!data_) throw failure;
  size_ = static_cast<size_t>(bytes);
}

cMemberBuffer::~cMemberBuffer() {
  morstd::MorWipe(data_, size_);
  morstd::MorFree(data_);
}
