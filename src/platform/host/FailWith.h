// The one way a host function reports failure: the last error, then its Win32
// failure value (FALSE, INVALID_HANDLE_VALUE, INVALID_FILE_ATTRIBUTES...).
#pragma once

#include "platform/host/Types.h"

namespace hostwin {

template <class T>
T FailWith(DWORD error, T failureValue) {
  SetLastError(error);
  return failureValue;
}

}  // namespace hostwin
