#include "morstd/MorBinary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "unit/morstd/MorTestSupport.h"

using morstd::cMorBinary;
using morstd::cMorBinaryException;
using morstdtest::FailingAllocations;

namespace {

// What the release observer saw: the capacity of each block and whether it was all zero.
struct Release {
  DWORD capacity;
  bool wiped;
};
std::vector<Release> releases;

void RecordRelease(const BYTE* block, DWORD capacity) {
  bool wiped = true;
  for (DWORD i = 0; i < capacity; ++i) wiped = wiped && block[i] == 0;
  releases.push_back({capacity, wiped});
}

class MorBinaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    releases.clear();
    cMorBinary::SetReleaseObserver(RecordRelease);
  }
  void TearDown() override { cMorBinary::SetReleaseObserver(nullptr); }
};

int32_t ThrownCode(void (*action)()) {
  try {
    action();
  } catch (const cMorBinaryException& e) {
    return e.GetCode();
  }
  return -1;
}

}  // namespace

TEST_F(MorBinaryTest, CapacityStepsAndLimit) {
  EXPECT_EQ(256u, cMorBinary::CapacityFor(0));
  EXPECT_EQ(256u, cMorBinary::CapacityFor(255));
  EXPECT_EQ(512u, cMorBinary::CapacityFor(256));
  EXPECT_EQ(1280u, cMorBinary::CapacityFor(1024));
  EXPECT_EQ(2560u, cMorBinary::CapacityFor(1025));
  EXPECT_EQ(12800u, cMorBinary::CapacityFor(10240));
  EXPECT_EQ(25600u, cMorBinary::CapacityFor(10241));
  EXPECT_EQ(128000u, cMorBinary::CapacityFor(102400));
  EXPECT_EQ(524288u, cMorBinary::CapacityFor(524287));
  EXPECT_EQ(786432u, cMorBinary::CapacityFor(524289));
  // 524,287,999 bytes ask for 524,288,000 with the terminator: the largest accepted.
  EXPECT_EQ(524550144u, cMorBinary::CapacityFor(524288000));
  EXPECT_EQ(10, ThrownCode([] { cMorBinary::CapacityFor(524288001); }));

  cMorBinary buffer;
  static const char sample[] = "x";
  EXPECT_EQ(10, ThrownCode([] { cMorBinary b; b.Assign(sample, 524288000); }));
  EXPECT_EQ(10, ThrownCode([] { cMorBinary b; b.Assign(sample, 0xFFFFFFFFu); }));
  const struct {
    DWORD length, capacity;
  } assigned[] = {{0, 256}, {255, 512}, {1023, 1280}, {1024, 2560}};
  for (const auto& a : assigned) {
    buffer.Assign(nullptr, a.length);
    EXPECT_EQ(a.length, buffer.size);
    EXPECT_EQ(a.capacity, buffer.capacity) << a.length;
  }
}

TEST_F(MorBinaryTest, ContentIsFollowedByZeros) {
  cMorBinary buffer;
  buffer.Assign("SetupInfo", 5);
  ASSERT_NE(nullptr, buffer.data);
  EXPECT_EQ(5u, buffer.size);
  EXPECT_EQ(256u, buffer.capacity);
  EXPECT_STREQ("Setup", reinterpret_cast<const char*>(buffer.data));
  for (DWORD i = 5; i < buffer.capacity; ++i) ASSERT_EQ(0, buffer.data[i]);

  buffer.Assign(nullptr, 3);
  EXPECT_EQ(0, buffer.data[0]);

  // A header dropped from the front of the buffer's own content.
  buffer.Assign("HEADpayload", 11);
  buffer.Assign(buffer.data + 4, buffer.size - 4);
  EXPECT_STREQ("payload", reinterpret_cast<const char*>(buffer.data));
  EXPECT_EQ(7u, buffer.size);
}

TEST_F(MorBinaryTest, EveryReleasedBlockIsWipedFirst) {
  {
    cMorBinary buffer;
    buffer.Clear();  // nothing to release
    EXPECT_TRUE(releases.empty());
    std::vector<BYTE> secret(1500, 0xA5);
    buffer.Assign(secret.data(), 1500);
    buffer.Assign(secret.data(), 10);  // the old 2560-byte block goes
    buffer.size = 0;                   // the whole capacity is wiped whatever size says
    buffer.Clear();
    EXPECT_EQ(nullptr, buffer.data);
    EXPECT_EQ(0u, buffer.capacity);
    buffer.Assign(secret.data(), 300);
  }  // destruction
  ASSERT_EQ(3u, releases.size());
  EXPECT_EQ(2560u, releases[0].capacity);
  EXPECT_EQ(256u, releases[1].capacity);
  EXPECT_EQ(512u, releases[2].capacity);
  for (const Release& r : releases) EXPECT_TRUE(r.wiped);
}

TEST_F(MorBinaryTest, FailedAssignLeavesNoBlock) {
  cMorBinary buffer;
  buffer.Assign("old", 3);
  {
    FailingAllocations fail(1);
    try {
      buffer.Assign("new", 3);
      ADD_FAILURE() << "no exception";
    } catch (const cMorBinaryException& e) {
      EXPECT_EQ(0, e.GetCode());
      EXPECT_STREQ("cMorBinaryException(0)", e.GetErrorText());
    }
  }
  EXPECT_EQ(nullptr, buffer.data);
  EXPECT_EQ(0u, buffer.size);
  EXPECT_EQ(0u, buffer.capacity);
  ASSERT_EQ(1u, releases.size());
  EXPECT_TRUE(releases[0].wiped);

  buffer.Assign("old", 3);
  EXPECT_THROW(buffer.Assign(buffer.data, 600000000), cMorBinaryException);
  EXPECT_EQ(nullptr, buffer.data);
  EXPECT_EQ(0u, buffer.size);
}

TEST(MorBinaryException, TextCarriesTheCode) {
  const cMorBinaryException tooLarge(10);
  const cMorBinaryException copy(tooLarge);
  EXPECT_STREQ("cMorBinaryException(10)", copy.GetErrorText());
  EXPECT_EQ(10, copy.GetCode());
  const cMorException& root = cMorBinaryException(-2147483647 - 1);
  EXPECT_STREQ("cMorBinaryException(-2147483648)", root.GetErrorText());
}
