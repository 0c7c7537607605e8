// Helpers of the morstd tests.
#pragma once

#include <string>

#include "morstd/MorAlloc.h"

namespace morstdtest {

// Makes the library's next allocations fail, and ends that when the test scope ends.
class FailingAllocations {
 public:
  explicit FailingAllocations(int count) { morstd::MorFailNextAllocations(count); }
  ~FailingAllocations() { morstd::MorFailNextAllocations(0); }
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;
};

// The text of the exception of type E that `action` throws, or a marker saying what
// happened instead.
template <class E, class Action>
std::string ThrownText(Action action) {
  try {
    action();
  } catch (const E& e) {
    return e.GetErrorText();
  } catch (...) {
    return "<another exception>";
  }
  return "<nothing thrown>";
}

}  // namespace morstdtest
