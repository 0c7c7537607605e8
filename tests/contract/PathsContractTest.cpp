// Path handling: normalisation, case, Shift-JIS names and length limits, the host
// layer against Win32 (under Wine with code page 932).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace {

using dhtest::ReadFileBytes;
using dhtest::ScratchFolder;
using dhtest::WriteFileBytes;

std::string FullPath(const char* path, std::string* filePart = nullptr) {
  char buffer[MAX_PATH];
  LPSTR part = nullptr;
  DWORD length = GetFullPathNameA(path, MAX_PATH, buffer, &part);
  if (length == 0 || length >= MAX_PATH) return "(failed)";
  if (filePart) *filePart = part ? part : "(none)";
  return std::string(buffer, length);
}

TEST(PathsContract, FullPathNormalisesLikeWin32) {
  std::string part;
  EXPECT_EQ("C:\\b\\c", FullPath("C:\\a\\..\\b\\.\\c", &part));
  EXPECT_EQ("c", part);
  EXPECT_EQ("C:\\x\\y", FullPath("C:/x/y"));
  EXPECT_EQ("C:\\x\\y", FullPath("C:\\x\\y. . "));  // the last name loses dots and spaces
  EXPECT_EQ("C:\\x\\y", FullPath("C:\\x.\\y"));     // an inner name loses one dot
  EXPECT_EQ("C:\\x.\\y", FullPath("C:\\x..\\y"));
  EXPECT_EQ("C:\\a  \\b", FullPath("C:\\a  \\b"));  // inner spaces stay
  EXPECT_EQ("C:\\z", FullPath("C:\\..\\..\\z"));    // nothing above the root
  EXPECT_EQ("C:\\a", FullPath("C:\\a\\b\\.."));
  EXPECT_EQ("C:\\a\\", FullPath("C:\\a\\", &part));
  EXPECT_EQ("(none)", part);
  EXPECT_EQ("C:\\ソ\\表", FullPath("C:\\ソ\\表"));  // trail bytes 0x5C are no separators

  char small[4];
  EXPECT_EQ(7u, GetFullPathNameA("C:\\abc", sizeof small, small, nullptr));  // the size needed
}

TEST(PathsContract, NamesAreFoundWithoutRegardToCase) {
  ScratchFolder dir;
  ASSERT_TRUE(CreateDirectoryA(dir.Child("Data").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(dir.Child("Data\\MixedCase.txt"), "bytes"));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(dir.Child("DATA\\mixedcase.TXT"), &bytes));
  EXPECT_EQ("bytes", bytes);
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(PathIsDirectoryA(dir.Child("data").c_str())));
  EXPECT_FALSE(CreateDirectoryA(dir.Child("DATA").c_str(), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  HANDLE file = CreateFileA(dir.Child("data\\MIXEDCASE.TXT").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());

  // The stored name keeps the case it was created with.
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(dir.Child("data\\mixedcase.txt").c_str(), &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  EXPECT_STREQ("MixedCase.txt", data.cFileName);
  FindClose(search);
  EXPECT_TRUE(DeleteFileA(dir.Child("DATA\\MIXEDCASE.TXT").c_str()));
}

TEST(PathsContract, SeparatorsDotsAndTrailingDots) {
  ScratchFolder dir;
  ASSERT_TRUE(CreateDirectoryA(dir.Child("sub").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(dir.Child("sub/slash.txt"), "s"));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(dir.Child("sub\\slash.txt"), &bytes));
  EXPECT_EQ("s", bytes);
  EXPECT_TRUE(ReadFileBytes(dir.Child("sub\\.\\..\\sub\\\\slash.txt"), &bytes));
  EXPECT_TRUE(ReadFileBytes(dir.Child("sub\\slash.txt."), &bytes));  // final dots are dropped
  EXPECT_TRUE(ReadFileBytes(dir.Child("sub\\slash.txt  "), &bytes));
}

// "表示" holds the trail byte 0x5C, "ソフト" starts with it and "ポ" has 0x7C ('|'):
// none of them may be taken for a separator or a reserved character.
TEST(PathsContract, ShiftJisNamesRoundTrip) {
  ScratchFolder dir;
  const std::string folder = dir.Child("ソフト");
  const std::string file = folder + "\\表示.txt";
  ASSERT_EQ('\x5C', std::string("ソ")[1]);
  ASSERT_EQ('\x5C', std::string("表")[1]);
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
  ASSERT_TRUE(WriteFileBytes(file, "内容")) << GetLastError();
  ASSERT_TRUE(WriteFileBytes(folder + "\\ポイント.txt", "p")) << GetLastError();

  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(file, &bytes));
  EXPECT_EQ("内容", bytes);
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(PathIsDirectoryA(folder.c_str())));
  EXPECT_EQ(FALSE, PathIsDirectoryA(file.c_str()));

  std::set<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "\\*.txt").c_str(), &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  do names.insert(data.cFileName);
  while (FindNextFileA(search, &data));
  FindClose(search);
  EXPECT_EQ((std::set<std::string>{"表示.txt", "ポイント.txt"}), names);

  ASSERT_TRUE(MoveFileA(file.c_str(), (folder + "\\予定表.txt").c_str()));
  EXPECT_TRUE(ReadFileBytes(folder + "\\予定表.txt", &bytes));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(PathIsDirectoryA(folder.c_str())));
}

// "ア" is 0x83 0x41 and "ヂ" 0x83 0x61: folding the trail byte as a letter would make
// them one name.
TEST(PathsContract, DoubleByteCharactersAreNotCaseFolded) {
  ScratchFolder dir;
  ASSERT_EQ('A', std::string("ア")[1]);
  ASSERT_EQ('a', std::string("ヂ")[1]);
  ASSERT_TRUE(WriteFileBytes(dir.Child("ア.txt"), "1"));
  HANDLE file = CreateFileA(dir.Child("ヂ.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(dir.Child("ア.txt"), &bytes));
  EXPECT_EQ("1", bytes);
}

TEST(PathsContract, NamesLongerThanMaxPathAreRefused) {
  const std::string tooLong = "C:\\" + std::string(MAX_PATH, 'a');
  HANDLE file = CreateFileA(tooLong.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(tooLong.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
  EXPECT_FALSE(DeleteFileA(tooLong.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
}

}  // namespace
