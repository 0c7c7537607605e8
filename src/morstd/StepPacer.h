// The pause after each step of a long run (each extracted or installed member), so
// that the progress can be read. A run of up to budget / pause steps (40 with the
// defaults) pauses the full time after every step; a longer one shares the budget out
// evenly, so that pacing never adds more than about two seconds however many members
// a payload holds. Shares shorter than kShortestSleepMs are gathered into one sleep of
// at least that long: Windows stretches every sleep to its timer's tick (15.6 ms by
// default), which would turn thousands of 1 ms pauses into many seconds. The progress
// still moves with every step.
#pragma once

#include <cstdint>

#include "platform/win.h"

namespace morstd {

class cStepPacer {
 public:
  static constexpr DWORD kBudgetMs = 2000;
  static constexpr DWORD kShortestSleepMs = 30;

  // `steps`: how many steps the run will take; `pauseMs`: the pause of a short run.
  cStepPacer(int steps, DWORD pauseMs, DWORD budgetMs = kBudgetMs)
      : steps(steps > 0 ? static_cast<uint64_t>(steps) : 0), pauseMs(pauseMs), budgetMs(budgetMs) {}

  // The milliseconds to sleep after one more step: 0 while the share gathers, the
  // whole gathered share once it reaches the shortest sleep (or the run ends).
  DWORD Next() {
    ++taken;
    uint64_t due = taken * pauseMs;
    if (steps > 0 && budgetMs * taken / steps < due) due = budgetMs * taken / steps;
    const uint64_t shortest = pauseMs < kShortestSleepMs ? pauseMs : kShortestSleepMs;
    const uint64_t now = due - slept;
    if (now < shortest && taken != steps) return 0;
    slept = due;
    return static_cast<DWORD>(now);
  }
  // Sleeps what is due after one more step. A run without pauses still yields after
  // every step.
  void Pause() {
    const DWORD ms = Next();
    if (ms || pauseMs == 0) Sleep(ms);
  }

 private:
  uint64_t steps;
  uint64_t pauseMs;
  uint64_t budgetMs;
  uint64_t taken = 0;
  uint64_t slept = 0;
};

}  // namespace morstd
