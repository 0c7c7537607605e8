// The pause after each step of a long run (each extracted or installed member), so
// that the progress can be read. A run of up to budget / pause steps (40 with the
// defaults) pauses the full time after every step; a longer one shares the budget out
// evenly, so that pacing never adds more than about two seconds however many members
// a payload holds. The pauses are whole milliseconds: the pacer carries the fractions
// over, so that their sum keeps to the budget.
#pragma once

#include <cstdint>

#include "platform/win.h"

namespace morstd {

class cStepPacer {
 public:
  static constexpr DWORD kBudgetMs = 2000;

  // `steps`: how many pauses the run will take; `pauseMs`: the pause of a short run.
  cStepPacer(int steps, DWORD pauseMs, DWORD budgetMs = kBudgetMs)
      : steps(steps > 0 ? static_cast<uint64_t>(steps) : 0), pauseMs(pauseMs), budgetMs(budgetMs) {}

  // The milliseconds due after one more step.
  DWORD Next() {
    ++taken;
    uint64_t due = taken * pauseMs;
    if (steps > 0 && budgetMs * taken / steps < due) due = budgetMs * taken / steps;
    const uint64_t now = due > slept ? due - slept : 0;
    slept += now;
    return static_cast<DWORD>(now);
  }
  // Pauses the calling thread for what is due after one more step.
  void Pause() { Sleep(Next()); }

 private:
  uint64_t steps;
  uint64_t pauseMs;
  uint64_t budgetMs;
  uint64_t taken = 0;
  uint64_t slept = 0;
};

}  // namespace morstd
