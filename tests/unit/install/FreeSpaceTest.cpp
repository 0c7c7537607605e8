// The free space of the install folder's drive, from the host layer's drives.
#include <gtest/gtest.h>

#include "payload/FreeSpace.h"
#include "platform/win.h"
#include "platform/host/DiskControl.h"
#include "support/HostFixture.h"

namespace {

class FreeSpaceTest : public dhtest::HostFixture {};

TEST_F(FreeSpaceTest, TheDriveRootIsAskedForWhatTheUserMayWrite) {
  hostwin::SetFreeSpace("D:", 123456789012ULL);
  uint64_t freeBytes = 0;
  // The folder need not exist: only its drive's root is asked.
  ASSERT_EQ(1, GetFreeSpace("D:\\Apps\\Dravenholt", &freeBytes));
  // Not the drive's total free space, which is larger by the quota.
  EXPECT_EQ(123456789012ULL, freeBytes);
  EXPECT_EQ(1, hostwin::CallCount("GetDiskFreeSpaceExA"));
  EXPECT_EQ(0, hostwin::CallCount("GetDiskFreeSpaceA"));

  ASSERT_EQ(1, GetFreeSpace("c:\\Program Files\\Dravenholt", &freeBytes));
  EXPECT_EQ(hostwin::kDefaultFreeBytes, freeBytes);
}

TEST_F(FreeSpaceTest, WithoutTheExtendedCallClustersAreCountedIn64Bits) {
  hostwin::InjectFault({"GetProcAddress", "GetDiskFreeSpaceExA", 0, ERROR_PROC_NOT_FOUND});
  // 6 GiB + 5000 bytes: whole clusters of 4096 bytes, past what 32 bits hold.
  hostwin::SetFreeSpace("E", (6ULL << 30) + 5000);
  uint64_t freeBytes = 0;
  ASSERT_EQ(1, GetFreeSpace("E:\\Dravenholt", &freeBytes));
  EXPECT_EQ((6ULL << 30) + 4096, freeBytes);
  EXPECT_EQ(0, hostwin::CallCount("GetDiskFreeSpaceExA"));
  EXPECT_EQ(1, hostwin::CallCount("GetDiskFreeSpaceA"));

  hostwin::InjectFault({"GetDiskFreeSpaceA", "", 0, ERROR_INVALID_FUNCTION});
  freeBytes = 77;
  EXPECT_EQ(0, GetFreeSpace("E:\\Dravenholt", &freeBytes));
  EXPECT_EQ(77u, freeBytes);
}

TEST_F(FreeSpaceTest, AFailedQueryLeavesTheFigureAsItWas) {
  uint64_t freeBytes = 42;
  // A drive the machine does not have.
  EXPECT_EQ(0, GetFreeSpace("Q:\\Dravenholt", &freeBytes));
  EXPECT_EQ(42u, freeBytes);
  hostwin::InjectFault({"GetDiskFreeSpaceExA", "C:\\", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, GetFreeSpace("C:\\Dravenholt", &freeBytes));
  EXPECT_EQ(42u, freeBytes);
  EXPECT_EQ(0, GetFreeSpace(nullptr, &freeBytes));
  EXPECT_EQ(42u, freeBytes);
}

TEST_F(FreeSpaceTest, APathWithoutDriveLetterIsPassedUnchanged) {
  hostwin::SetFreeSpace("\\\\server\\share", 1000);
  uint64_t freeBytes = 0;
  ASSERT_EQ(1, GetFreeSpace("\\\\server\\share", &freeBytes));
  EXPECT_EQ(1000u, freeBytes);
  // The share's subfolder is another text, which the layer does not know.
  EXPECT_EQ(0, GetFreeSpace("\\\\server\\share\\Dravenholt", &freeBytes));
  EXPECT_EQ(1000u, freeBytes);
}

}  // namespace
