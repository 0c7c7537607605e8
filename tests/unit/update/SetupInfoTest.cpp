// The update patch "SetupInfo.xml": flags, command lists, every failure code and text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morstd/MorMemBlock.h"
#include "support/HostFixture.h"
#include "update/SetupInfo.h"

namespace {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";

std::string Patch(const std::string& inside, const std::string& version = "1.0") {
  return kDeclaration + std::string("<UpdatePatch>\r\n<Version>") + version + "</Version>\r\n" +
         inside + "</UpdatePatch>\r\n";
}

std::vector<std::string> Texts(const morstd::cMorMemBlock& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.GetCount(); ++i) texts.emplace_back(list.GetAt(i));
  return texts;
}

std::string Data(int i, const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string xml = "<Data" + std::to_string(i) + ">";
  for (const auto& field : fields) xml += "<" + field.first + ">" + field.second + "</" + field.first + ">";
  return xml + "</Data" + std::to_string(i) + ">\r\n";
}

class SetupInfoTest : public dhtest::HostFixture {
 protected:
  // The code of parsing `text` into a fresh object (0 for success).
  int CodeOf(const std::string& text) {
    cSetupInfo info;
    const int result = info.Parse(text.c_str());
    EXPECT_EQ(result == 1, info.GetLastError() == 0);
    return info.GetLastError();
  }
};

TEST_F(SetupInfoTest, ReadsFlagsAndCommandsInOrder) {
  const std::string text = Patch(
      "<DeleteFile><Collections>1</Collections><Model>0</Model><ProgramFiles>1</ProgramFiles>"
      "</DeleteFile>\r\n<Registry>\r\n"
      "<ModAdd><Num>2</Num>" +
      Data(1, {{"Key", "HKCU"}, {"SubKey", "SKEY_VIEWER"}, {"Type", "REG_SZ"},
               {"ValueName", "Note"}, {"Value", "a &amp; b"}}) +
      Data(2, {{"Value", "3"}, {"ValueName", "Level"}, {"Type", "REG_DWORD"},
               {"SubKey", "SKEY_VIEWER\\表示"}, {"Key", "HKEY_CURRENT_USER"}}) +
      "</ModAdd>\r\n<DeleteValue><Num>1</Num>" +
      Data(1, {{"Key", "HKCU"}, {"SubKey", "S"}, {"ValueName", "Old"}}) +
      "</DeleteValue>\r\n<DeleteKey><Num>1</Num>" + Data(1, {{"Key", "HKCU"}, {"SubKey", "S\\Gone"}}) +
      "</DeleteKey></Registry>\r\n");
  cSetupInfo info;
  ASSERT_EQ(1, info.Parse(text.c_str()));
  EXPECT_EQ(0, info.GetLastError());
  EXPECT_STREQ("セットアップ情報操作成功", info.GetErrorMessage());
  EXPECT_EQ(1, info.GetDeleteCollections());
  EXPECT_EQ(0, info.GetDeleteModel());
  EXPECT_EQ(1, info.GetDeleteProgramFiles());
  // The fields go in the order of the command, whatever their order in the document.
  EXPECT_EQ((std::vector<std::string>{"HKCU", "SKEY_VIEWER", "REG_SZ", "Note", "a & b",
                                      "HKEY_CURRENT_USER", "SKEY_VIEWER\\表示", "REG_DWORD",
                                      "Level", "3"}),
            Texts(info.GetModAddList()));
  EXPECT_EQ((std::vector<std::string>{"HKCU", "S", "Old"}), Texts(info.GetDeleteValueList()));
  EXPECT_EQ((std::vector<std::string>{"HKCU", "S\\Gone"}), Texts(info.GetDeleteKeyList()));
}

TEST_F(SetupInfoTest, VersionMayNotBeLaterThanOnePointZero) {
  for (const char* accepted : {"1.0", "0.9", "", "0.10", "1"}) {
    EXPECT_EQ(0, CodeOf(Patch("", accepted))) << accepted;
  }
  for (const char* refused : {"1.1", "1.0.1", "2", "1.0 "}) {
    EXPECT_EQ(110, CodeOf(Patch("", refused))) << refused;
  }
  const std::string emptyTag =
      std::string(kDeclaration) + "<UpdatePatch><Version/></UpdatePatch>";
  EXPECT_EQ(0, CodeOf(emptyTag));
}

TEST_F(SetupInfoTest, FlagIsSetOnlyByTheNumberOne) {
  for (const auto& c : std::vector<std::pair<std::string, int>>{
           {"1", 1}, {"01", 1}, {" 1", 1}, {"1x", 1}, {"2", 0}, {"true", 0}, {"", 0}, {"0", 0}}) {
    cSetupInfo info;
    ASSERT_EQ(1, info.Parse(Patch("<DeleteFile><Collections>" + c.first + "</Collections>"
                                  "<Model>" + c.first + "</Model><ProgramFiles>" + c.first +
                                  "</ProgramFiles></DeleteFile>")
                                .c_str()));
    EXPECT_EQ(c.second, info.GetDeleteCollections()) << c.first;
    EXPECT_EQ(c.second, info.GetDeleteModel()) << c.first;
    EXPECT_EQ(c.second, info.GetDeleteProgramFiles()) << c.first;
  }
  cSetupInfo none;
  ASSERT_EQ(1, none.Parse(Patch("<DeleteFile><Model/></DeleteFile>").c_str()));
  EXPECT_EQ(0, none.GetDeleteCollections() + none.GetDeleteModel() + none.GetDeleteProgramFiles());
}

TEST_F(SetupInfoTest, CountGovernsWhichDataElementsAreRead) {
  const auto modAdd = [](int n) {
    return Data(n, {{"Key", "K" + std::to_string(n)}, {"SubKey", "S"}, {"Type", "REG_SZ"},
                    {"ValueName", "N"}, {"Value", "V"}});
  };
  cSetupInfo info;
  ASSERT_EQ(1, info.Parse(Patch("<Registry><ModAdd><Num>1</Num>" + modAdd(0) + modAdd(1) +
                                modAdd(2) + "</ModAdd></Registry>")
                              .c_str()));
  ASSERT_EQ(5, info.GetModAddList().GetCount());  // Data0 and Data2 are ignored
  EXPECT_STREQ("K1", info.GetModAddList().GetAt(0));

  cSetupInfo absent;
  ASSERT_EQ(1, absent.Parse(Patch("<Registry><ModAdd>" + modAdd(1) + "</ModAdd></Registry>").c_str()));
  EXPECT_EQ(0, absent.GetModAddList().GetCount());

  cSetupInfo zero;
  ASSERT_EQ(1, zero.Parse(Patch("<Registry><ModAdd><Num>-3</Num>" + modAdd(1) +
                                "</ModAdd><DeleteKey><Num>0</Num></DeleteKey></Registry>")
                              .c_str()));
  EXPECT_EQ(0, zero.GetModAddList().GetCount());

  // A second parse with the count absent leaves the list as it was.
  ASSERT_EQ(1, info.Parse(Patch("").c_str()));
  EXPECT_EQ(5, info.GetModAddList().GetCount());
}

TEST_F(SetupInfoTest, EachMissingFieldHasItsCode) {
  const struct {
    const char* list;
    std::vector<const char*> fields;
    std::vector<int> codes;
  } lists[] = {
      {"ModAdd", {"Key", "SubKey", "Type", "ValueName", "Value"}, {120, 121, 122, 123, 124}},
      {"DeleteValue", {"Key", "SubKey", "ValueName"}, {130, 131, 132}},
      {"DeleteKey", {"Key", "SubKey"}, {140, 141}},
  };
  for (const auto& list : lists) {
    for (size_t missing = 0; missing < list.fields.size(); ++missing) {
      std::vector<std::pair<std::string, std::string>> fields;
      for (size_t f = 0; f < list.fields.size(); ++f) {
        if (f != missing) fields.emplace_back(list.fields[f], "x");
      }
      const std::string text = Patch(std::string("<Registry><") + list.list + "><Num>1</Num>" +
                                     Data(1, fields) + "</" + list.list + "></Registry>");
      cSetupInfo info;
      EXPECT_EQ(0, info.Parse(text.c_str()));
      EXPECT_EQ(list.codes[missing], info.GetLastError()) << list.list << " " << list.fields[missing];
      EXPECT_EQ("セットアップ情報取得失敗(20" + std::to_string(list.codes[missing]) + ")",
                std::string(info.GetErrorMessage()));
    }
  }
}

TEST_F(SetupInfoTest, CountAboveTheDataFailsAtTheFirstMissingElement) {
  const std::string text = Patch(
      "<Registry><DeleteKey><Num>2</Num>" + Data(1, {{"Key", "HKCU"}, {"SubKey", "A"}}) +
      "</DeleteKey><ModAdd><Num>2</Num>" +
      Data(1, {{"Key", "HKCU"}, {"SubKey", "S"}, {"Type", "REG_SZ"}, {"ValueName", "N"}, {"Value", "V"}}) +
      "</ModAdd></Registry>");
  cSetupInfo info;
  EXPECT_EQ(0, info.Parse(text.c_str()));
  EXPECT_EQ(120, info.GetLastError());
  EXPECT_EQ(5, info.GetModAddList().GetCount());  // what was read before stays
  EXPECT_EQ(0, info.GetDeleteKeyList().GetCount());
}

TEST_F(SetupInfoTest, DocumentFailuresAndTheirMessages) {
  EXPECT_EQ(105, CodeOf(std::string(kDeclaration) + "<Patch><Version>1.0</Version></Patch>"));
  EXPECT_EQ(105, CodeOf(std::string(kDeclaration) + "<UpdatePatch><version>1.0</version></UpdatePatch>"));
  EXPECT_EQ(100, CodeOf("<UpdatePatch><Version>1.0</Version></UpdatePatch>"));
  auto journal = hostwin::MessageJournal();
  ASSERT_EQ(1u, journal.size());  // the reader's own box; Parse itself shows nothing
  EXPECT_EQ("XMLヘッダーエラー", journal[0].text);
  EXPECT_EQ(100, CodeOf(std::string(kDeclaration) + "<UpdatePatch><Version>1.0</UpdatePatch>"));
  EXPECT_EQ(100, CodeOf(""));  // the update never parses an empty patch; it is no document
  // A tampered patch with a '>' in an attribute value is refused, not misread.
  EXPECT_EQ(100, CodeOf(std::string(kDeclaration) + "<UpdatePatch a=\"x>y\"><Version>1.0</Version></UpdatePatch>"));
}

TEST_F(SetupInfoTest, EveryCodeHasItsText) {
  const std::pair<int, const char*> texts[] = {
      {0, "セットアップ情報操作成功"},
      {100, "セットアップ情報取得失敗(20100)"},
      {105, "セットアップ情報取得失敗(20105)"},
      {110, "セットアップ情報取得失敗(20110)"},
      {120, "セットアップ情報取得失敗(20120)"},
      {121, "セットアップ情報取得失敗(20121)"},
      {122, "セットアップ情報取得失敗(20122)"},
      {123, "セットアップ情報取得失敗(20123)"},
      {124, "セットアップ情報取得失敗(20124)"},
      {130, "セットアップ情報取得失敗(20130)"},
      {131, "セットアップ情報取得失敗(20131)"},
      {132, "セットアップ情報取得失敗(20132)"},
      {140, "セットアップ情報取得失敗(20140)"},
      {141, "セットアップ情報取得失敗(20141)"},
      {99999, "セットアップ情報取得失敗(79999)"},
      {1, ""},
      {20100, ""},
  };
  for (const auto& t : texts) EXPECT_STREQ(t.second, cSetupInfo::MessageFor(t.first)) << t.first;
  cSetupInfo fresh;
  EXPECT_STREQ("セットアップ情報操作成功", fresh.GetErrorMessage());
}

}  // namespace
