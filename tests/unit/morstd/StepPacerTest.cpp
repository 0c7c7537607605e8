#include "morstd/StepPacer.h"

#include <gtest/gtest.h>

#include <vector>

using morstd::cStepPacer;

namespace {

std::vector<DWORD> Pauses(int steps, DWORD pauseMs) {
  cStepPacer pacer(steps, pauseMs);
  std::vector<DWORD> pauses;
  for (int i = 0; i < steps; ++i) pauses.push_back(pacer.Next());
  return pauses;
}

}  // namespace

// A short run pauses the full time after every step, as the sample payload always has.
TEST(StepPacer, ShortRunsPauseTheFullTimeEachStep) {
  for (int steps : {1, 27, 40}) {
    EXPECT_EQ(std::vector<DWORD>(steps, 50), Pauses(steps, 50)) << steps;
  }
}

// A long run keeps the progress moving with every step but pauses about two seconds in
// all, spread evenly, however many steps it has.
TEST(StepPacer, LongRunsShareTheBudget) {
  struct Case {
    int steps;
    DWORD shortest;  // the whole milliseconds of budget / steps
    DWORD longest;   // one more, or the full pause
  };
  for (const Case& c : {Case{41, 48, 49}, Case{1000, 2, 2}, Case{3000, 0, 1}, Case{20000, 0, 1}}) {
    DWORD sum = 0, low = 1000, high = 0;
    for (DWORD pause : Pauses(c.steps, 50)) {
      sum += pause;
      low = pause < low ? pause : low;
      high = pause > high ? pause : high;
    }
    EXPECT_EQ(2000u, sum) << c.steps;
    EXPECT_EQ(c.shortest, low) << c.steps;
    EXPECT_EQ(c.longest, high) << c.steps;
  }
}

TEST(StepPacer, NoPauseStaysNoPause) {
  EXPECT_EQ(std::vector<DWORD>(100, 0), Pauses(100, 0));
  // More steps than announced go on at the shared rate.
  cStepPacer pacer(1000, 50);
  DWORD sum = 0;
  for (int i = 0; i < 2000; ++i) sum += pacer.Next();
  EXPECT_EQ(4000u, sum);
}
