// Module resources on the host: finding, sizes, data, errors and fault injection.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win.h"
#include "support/HostFixture.h"

namespace {

class ResourcesTest : public dhtest::HostFixture {};

TEST_F(ResourcesTest, FindsRegisteredResourcesByIdAndType) {
  hostwin::RegisterResource("DAT", 126, {1, 2, 3});
  hostwin::RegisterResource("PNG", 126, {9});
  HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_NE(nullptr, program);

  HRSRC dat = FindResourceA(program, MAKEINTRESOURCEA(126), "DAT");
  ASSERT_NE(nullptr, dat);
  EXPECT_EQ(3u, SizeofResource(program, dat));
  HGLOBAL loaded = LoadResource(program, dat);
  ASSERT_NE(nullptr, loaded);
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(loaded));
  ASSERT_NE(nullptr, bytes);
  EXPECT_EQ(0, std::memcmp("\x01\x02\x03", bytes, 3));

  // Types compare without regard to case; "#126" is the id 126; a null module is the program.
  HRSRC png = FindResourceA(nullptr, "#126", "png");
  ASSERT_NE(nullptr, png);
  EXPECT_EQ(1u, SizeofResource(nullptr, png));
  EXPECT_EQ(9, *static_cast<const BYTE*>(LockResource(LoadResource(nullptr, png))));
  EXPECT_FALSE(FreeResource(loaded));

  // A replacement is found from then on; data already loaded stays readable.
  hostwin::RegisterResource("DAT", 126, {});
  HRSRC empty = FindResourceA(program, MAKEINTRESOURCEA(126), "DAT");
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(0u, SizeofResource(program, empty));
  EXPECT_NE(nullptr, LoadResource(program, empty));  // an empty resource still loads
  EXPECT_EQ(3, bytes[2]);
}

TEST_F(ResourcesTest, MissingResourcesAndOtherModules) {
  hostwin::RegisterResource("DAT", 126, {1});
  EXPECT_EQ(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(130), "DAT"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
  EXPECT_EQ(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(126), "PNG"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
  EXPECT_EQ(nullptr, FindResourceA(nullptr, "README", "DAT"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());

  EXPECT_EQ(nullptr, GetModuleHandleA("shdocvw.dll"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
  // The kernel is there, but holds none of the program's resources.
  HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
  ASSERT_NE(nullptr, kernel);
  EXPECT_EQ(nullptr, FindResourceA(kernel, MAKEINTRESOURCEA(126), "DAT"));
  EXPECT_EQ(0u, SizeofResource(nullptr, nullptr));
  EXPECT_EQ(nullptr, LoadResource(nullptr, nullptr));

  // ResetAll takes every resource away.
  hostwin::ResetAll();
  EXPECT_EQ(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(126), "DAT"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
}

TEST_F(ResourcesTest, FaultsMatchTheResourceId) {
  hostwin::RegisterResource("DAT", 126, {1});
  hostwin::RegisterResource("DAT", 130, {2});
  hostwin::Fault fault;
  fault.function = "LockResource";
  fault.argument = "130";
  fault.error = ERROR_NOT_ENOUGH_MEMORY;
  hostwin::InjectFault(fault);
  fault.function = "FindResourceA";
  fault.argument = "126";
  fault.nth = 2;
  hostwin::InjectFault(fault);

  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(130), "DAT");
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(nullptr, LockResource(LoadResource(nullptr, found)));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());

  EXPECT_NE(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(126), "DAT"));
  EXPECT_EQ(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(126), "DAT"));
  HRSRC readMe = FindResourceA(nullptr, MAKEINTRESOURCEA(126), "DAT");
  ASSERT_NE(nullptr, readMe);
  EXPECT_NE(nullptr, LockResource(LoadResource(nullptr, readMe)));
  EXPECT_EQ(4, hostwin::CallCount("FindResourceA"));
}

}  // namespace
