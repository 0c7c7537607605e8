#include "morstd/StepPacer.h"

#include <gtest/gtest.h>

#include <vector>

using morstd::cStepPacer;

namespace {

std::vector<DWORD> Pauses(int steps, DWORD pauseMs, int taken = -1) {
  cStepPacer pacer(steps, pauseMs);
  std::vector<DWORD> pauses;
  for (int i = 0; i < (taken < 0 ? steps : taken); ++i) pauses.push_back(pacer.Next());
  return pauses;
}

}  // namespace

// A short run pauses the full time after every step, as the sample payload always has.
TEST(StepPacer, ShortRunsPauseTheFullTimeEachStep) {
  for (int steps : {1, 27, 40}) {
    EXPECT_EQ(std::vector<DWORD>(steps, 50), Pauses(steps, 50)) << steps;
  }
}

// A long run keeps to about two seconds in all, whatever its length: a share of 30 ms
// or more is slept after each step, smaller ones are gathered into sleeps of 30 ms
// (the last step sleeps what is left).
TEST(StepPacer, LongRunsShareTheBudget) {
  struct Case {
    int steps;
    DWORD shortest;  // of the sleeps taken before the last step
    DWORD longest;
    size_t sleeps;
  };
  for (const Case& c : {Case{41, 48, 49, 41}, Case{60, 33, 34, 60}, Case{1000, 30, 30, 67},
                        Case{20000, 30, 30, 67}}) {
    const std::vector<DWORD> pauses = Pauses(c.steps, 50);
    DWORD sum = 0, low = 1000, high = 0;
    size_t sleeps = 0;
    for (size_t i = 0; i < pauses.size(); ++i) {
      sum += pauses[i];
      if (!pauses[i]) continue;
      ++sleeps;
      if (i + 1 == pauses.size()) continue;
      low = pauses[i] < low ? pauses[i] : low;
      high = pauses[i] > high ? pauses[i] : high;
    }
    EXPECT_EQ(2000u, sum) << c.steps;
    EXPECT_EQ(c.shortest, low) << c.steps;
    EXPECT_EQ(c.longest, high) << c.steps;
    EXPECT_EQ(c.sleeps, sleeps) << c.steps;
  }
}

TEST(StepPacer, NoPauseStaysNoPauseAndExtraStepsGoOnAtTheSharedRate) {
  EXPECT_EQ(std::vector<DWORD>(100, 0), Pauses(100, 0));
  DWORD sum = 0;
  for (DWORD pause : Pauses(1000, 50, 2000)) sum += pause;
  EXPECT_EQ(3980u, sum);  // the 2000 ms budget, then 30 ms every 15 further steps
}
