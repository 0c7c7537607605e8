#include "morstd/MorBinaryException.h"

#include "platform/win.h"

namespace morstd {

cMorBinaryException::cMorBinaryException(int32_t code) : text{}, code(code) {
  wsprintfA(text, "cMorBinaryException(%d)", static_cast<int>(code));
}

}  // namespace morstd
