// Failure of the byte buffer, with its code (0: the block could not be allocated,
// 10: the size asked for is above the buffer's limit).
#pragma once

#include <cstdint>

#include "morstd/MorException.h"

namespace morstd {

class cMorBinaryException : public cMorException {
 public:
  explicit cMorBinaryException(int32_t code);
  const char* GetErrorText() const override { return text; }
  virtual int32_t GetCode() const { return code; }

 private:
  // "cMorBinaryException(-2147483648)" is 33 bytes with its terminator, so any code fits.
  char text[36];
  int32_t code;
};

}  // namespace morstd
