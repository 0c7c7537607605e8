// The percentage a work sequence shows after `step` of `total` steps: the quotient is
// taken in double precision and truncated, so a run reaches exactly 100 only on its
// last step. Without steps (a total of 0 or less) nothing has been done yet.
#pragma once

namespace morstd {

inline int StepPercent(int step, int total) {
  if (total <= 0) return 0;
  return static_cast<int>(static_cast<double>(step) / total * 100.0);
}

}  // namespace morstd
