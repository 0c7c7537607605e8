// The host layer's shell: special folders as tests set them, their item lists, and
// what FO_DELETE refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/HostFixture.h"

namespace {

class ShellTest : public dhtest::HostFixture {
 protected:
  // The folder's path, or "<E_FAIL>" / "<no path>"; the item list is always freed.
  static std::string Folder(int csidl) {
    PIDLIST_ABSOLUTE items = reinterpret_cast<PIDLIST_ABSOLUTE>(1);
    const HRESULT result = SHGetSpecialFolderLocation(nullptr, csidl, &items);
    if (result == E_FAIL) {
      EXPECT_EQ(nullptr, items);
      return "<E_FAIL>";
    }
    EXPECT_EQ(S_OK, result);
    char path[MAX_PATH];
    std::memset(path, 'x', sizeof path);
    const BOOL found = SHGetPathFromIDListA(items, path);
    CoTaskMemFree(items);
    return found ? std::string(path) : "<no path>";
  }
  static int Delete(const std::string& list, UINT function = FO_DELETE) {
    SHFILEOPSTRUCTA operation;
    std::memset(&operation, 0, sizeof operation);
    operation.wFunc = function;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
    return SHFileOperationA(&operation);
  }
};

TEST_F(ShellTest, SpecialFoldersAreWhatTheTestSetUntilReset) {
  EXPECT_EQ("<E_FAIL>", Folder(CSIDL_PROGRAMS));
  hostwin::SetSpecialFolder(CSIDL_PROGRAMS, "C:\\Start\\Programs");
  hostwin::SetSpecialFolder(CSIDL_APPDATA, "C:\\Users\\u\\AppData\\Roaming");
  hostwin::SetSpecialFolder(CSIDL_PROGRAM_FILES, "C:\\Program Files");
  EXPECT_EQ("C:\\Start\\Programs", Folder(CSIDL_PROGRAMS));
  EXPECT_EQ("C:\\Users\\u\\AppData\\Roaming", Folder(CSIDL_APPDATA | CSIDL_FLAG_CREATE));
  EXPECT_EQ("C:\\Program Files", Folder(CSIDL_PROGRAM_FILES));
  EXPECT_EQ("<E_FAIL>", Folder(CSIDL_DESKTOPDIRECTORY));
  EXPECT_EQ(E_FAIL, SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, nullptr));
  EXPECT_FALSE(SHGetPathFromIDListA(nullptr, nullptr));

  hostwin::SetSpecialFolder(CSIDL_PROGRAM_FILES, "");
  EXPECT_EQ("<E_FAIL>", Folder(CSIDL_PROGRAM_FILES));
  hostwin::ResetAll();
  EXPECT_EQ("<E_FAIL>", Folder(CSIDL_PROGRAMS));
}

TEST_F(ShellTest, FaultsReachEachShellCall) {
  hostwin::SetSpecialFolder(CSIDL_PROGRAMS, "C:\\P");
  hostwin::SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, "C:\\D");
  hostwin::InjectFault({"SHGetSpecialFolderLocation", "16", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ("<E_FAIL>", Folder(CSIDL_DESKTOPDIRECTORY));
  EXPECT_EQ("C:\\P", Folder(CSIDL_PROGRAMS));
  hostwin::InjectFault({"SHGetPathFromIDListA", "C:\\P", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ("<no path>", Folder(CSIDL_PROGRAMS));

  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\f.txt", "x"));
  hostwin::InjectFault({"SHFileOperationA", "C:\\f.txt", 1, ERROR_SHARING_VIOLATION});
  EXPECT_EQ(ERROR_SHARING_VIOLATION, Delete(std::string("C:\\f.txt\0", 10)));
  EXPECT_EQ(0, Delete(std::string("C:\\f.txt\0", 10)));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\f.txt"));
}

TEST_F(ShellTest, DeleteStopsAtTheFirstFailureAndRefusesWhatItDoesNotOffer) {
  ASSERT_TRUE(CreateDirectoryA("C:\\t", nullptr));
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\t\\a.txt", "a"));
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\t\\b.txt", "b"));
  hostwin::InjectFault({"DeleteFileA", "C:\\t\\b.txt", 0, ERROR_SHARING_VIOLATION});
  EXPECT_EQ(ERROR_SHARING_VIOLATION, Delete(std::string("C:\\t\0", 6)));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\t\\b.txt"));
  hostwin::ClearFaults();

  EXPECT_EQ(ERROR_INVALID_NAME, Delete(std::string("C:\\t\\*.txt\0", 12)));
  EXPECT_EQ(ERROR_ACCESS_DENIED, Delete(std::string("C:\\\0", 5)));
  EXPECT_EQ(ERROR_ACCESS_DENIED, Delete(std::string("\0", 2)));
  EXPECT_EQ(ERROR_CALL_NOT_IMPLEMENTED, Delete(std::string("C:\\t\0", 6), FO_RENAME));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, SHFileOperationA(nullptr));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\t\\b.txt"));

  EXPECT_EQ(0, Delete(std::string("C:\\t\\\0", 7)));  // a final backslash names the folder
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\t"));
}

}  // namespace
