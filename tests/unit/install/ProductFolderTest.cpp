// The product folder rule that the folder check and the browse button share.
#include <gtest/gtest.h>

#include <string>

#include "install/ProductFolder.h"

namespace {

struct Case {
  const char* given;
  const char* expected;
  int changed;
};

TEST(ProductFolderTest, EveryFolderEndsInTheProductFolderOnce) {
  const Case cases[] = {
      {"C:\\", "C:\\Dravenholt", 1},
      {"C:\\Apps", "C:\\Apps\\Dravenholt", 1},
      {"D:\\Apps\\DRAVENHOLT", "D:\\Apps\\DRAVENHOLT", 0},
      {"D:\\Apps\\dravenholt", "D:\\Apps\\dravenholt", 0},
      {"Apps", "Apps\\Dravenholt", 1},
      {"Dravenholt", "Dravenholt\\Dravenholt", 1},  // no backslash: always appended
      {"C:\\Apps\\", "C:\\Apps\\Dravenholt", 1},
      {"C:\\Dravenholt2", "C:\\Dravenholt2\\Dravenholt", 1},
      {"\\\\server\\share", "\\\\server\\share\\Dravenholt", 1},
      // The second byte of 表 (0x95 0x5C) is no backslash: the last name is 表.
      {"C:\\\x95\x5C", "C:\\\x95\x5C\\Dravenholt", 1},
      {"C:\\\x95\x5C\\Dravenholt", "C:\\\x95\x5C\\Dravenholt", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given);
    morstd::cMorString path;
    path.Assign(c.given);
    EXPECT_EQ(c.changed, AppendProductFolder(&path));
    EXPECT_STREQ(c.expected, path.GetData());
    // Applying the rule again changes nothing.
    EXPECT_EQ(0, AppendProductFolder(&path));
  }
}

}  // namespace
