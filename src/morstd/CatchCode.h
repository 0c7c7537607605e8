// The house way of failing inside an operation: a step raises its integer code, and
// the operation turns whatever ended its body into one code at its end.
#pragma once

namespace morstd {

// Runs `body`: 0 when it ends normally, the integer code it throws, or `otherFailure`
// for any other exception.
template <class Body>
int CatchCode(int otherFailure, Body body) {
  try {
    body();
    return 0;
  } catch (int code) {
    return code;
  } catch (...) {
    return otherFailure;
  }
}

}  // namespace morstd
