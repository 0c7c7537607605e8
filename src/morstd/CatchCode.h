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

// Runs the body of an operation that keeps its last failure code: 1 with *lastError = 0
// when the body ends normally; otherwise the code CatchCode gives goes to *lastError and
// the result is 0.
template <class Code, class Body>
int RunCoded(Code* lastError, int otherFailure, Body body) {
  *lastError = static_cast<Code>(CatchCode(otherFailure, body));
  return *lastError == 0 ? 1 : 0;
}

}  // namespace morstd
