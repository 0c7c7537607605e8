// Base of host-only tests: each test starts on a clean host layer (no faults, an
// empty files sandbox, no open handles, an empty message journal, fresh registry) and
// leaves nothing behind for the next.
#pragma once

#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "platform/host/HostTest.h"

namespace dhtest {

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override { hostwin::ResetAll(); }
  void TearDown() override { hostwin::ResetAll(); }

  // Where a Windows path of this test lives on Linux.
  static std::string LinuxPath(const char* winPath) { return hostwin::SandboxPath(winPath); }
};

}  // namespace dhtest

#endif  // _WIN32
