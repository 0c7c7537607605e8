// The vendor's checks run as a program: `dhpack setupinfo` and `dhpack uninst` print
// what the installer will see, with its texts as UTF-8, and `dhpack build` refuses an
// update patch that the installer would stop on.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "unit/payload_host/ToolRun.h"

#if defined(DH_DHPACK)

namespace {

using namespace dhtest;

// The installer's texts as a terminal shows them (u8 literals stay UTF-8 whatever the
// compiler's execution character set).
constexpr char kRefused105[] = u8"セットアップ情報取得失敗(20105)";
constexpr char kRefused100[] = u8"セットアップ情報取得失敗(20100)";
constexpr char kHeaderBox[] = u8"message box \"パース失敗\": XMLヘッダーエラー";

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";

Outcome Dhpack(const std::string& arguments) { return Shell(Quote(DH_DHPACK) + " " + arguments); }

std::string Int32(int32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
  return bytes;
}

class DhpackInspectTest : public TempFolderTest {
 protected:
  Outcome SetupInfo(const std::string& bytes) {
    const fs::path file = temp / "SetupInfo.xml";
    WriteBytes(file, bytes);
    return Dhpack("setupinfo " + Quote(file.string()));
  }
  Outcome Uninst(const std::string& bytes) {
    const fs::path file = temp / "Uninst.dat";
    WriteBytes(file, bytes);
    return Dhpack("uninst " + Quote(file.string()));
  }
};

TEST_F(DhpackInspectTest, SetupInfoPrintsFlagsAndCommandsAsUtf8) {
  // "表示" in Shift-JIS: its second byte is a backslash.
  const Outcome run = SetupInfo(
      std::string(kDeclaration) +
      "<UpdatePatch><Version>1.0</Version><DeleteFile><Model>1</Model></DeleteFile><Registry>"
      "<ModAdd><Num>1</Num><Data1><Key>HKCU</Key><SubKey>SKEY_VIEWER\\\x95\x5c\x8e\xa6</SubKey>"
      "<Type>REG_SZ</Type><ValueName>Note</ValueName><Value>a &amp; b</Value></Data1></ModAdd>"
      "<DeleteKey><Num>1</Num><Data1><Key>HKCU</Key><SubKey>Old</SubKey></Data1></DeleteKey>"
      "</Registry></UpdatePatch>");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(std::string("DeleteFile\tCollections=0\tModel=1\tProgramFiles=0\n"
                        "ModAdd\t1\tKey=HKCU\tSubKey=SKEY_VIEWER\\") +
                u8"表示" + "\tType=REG_SZ\tValueName=Note\tValue=a & b\n"
                           "DeleteKey\t1\tKey=HKCU\tSubKey=Old\n",
            run.out);
}

TEST_F(DhpackInspectTest, SetupInfoRefusalShowsTheInstallersMessages) {
  Outcome run = SetupInfo(std::string(kDeclaration) + "<Patch><Version>1.0</Version></Patch>");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("", run.out);
  EXPECT_NE(std::string::npos, run.err.find(kRefused105)) << run.err;

  run = SetupInfo("<UpdatePatch><Version>1.0</Version></UpdatePatch>");
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find(kRefused100)) << run.err;
  EXPECT_NE(std::string::npos, run.err.find(kHeaderBox)) << run.err;

  run = SetupInfo(std::string(kDeclaration) + "<UpdatePatch><Version>1.0</Version>");
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find(u8"\"XMLパース失敗\": MakeNode Err=-11")) << run.err;
}

TEST_F(DhpackInspectTest, AnEmptyPatchIsValid) {
  const Outcome run = SetupInfo("");
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("DeleteFile\tCollections=0\tModel=0\tProgramFiles=0\n", run.out);
}

TEST_F(DhpackInspectTest, TheShippedSamplePasses) {
  const Outcome run = Dhpack("setupinfo " + Quote(std::string(DH_SAMPLE_DIR) + "/payload/SetupInfo.xml"));
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_NE(std::string::npos, run.out.find("ModAdd\t1\tKey=")) << run.out;
}

TEST_F(DhpackInspectTest, UninstPrintsHeaderAndEntries) {
  const std::string area = std::string("#PROGRAMFILES#\\") + '\0' +
                           "#PROGRAMFILES#\\\x95\x5c\x8e\xa6.txt" + '\0' + '\0';
  const Outcome run = Uninst(std::string("DHVUI01\0", 8) + Int32(28) + Int32(1) + Int32(0) +
                             Int32(static_cast<int32_t>(area.size())) + Int32(2) + area);
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("signature\tDHVUI01\\x00\nheaderSize\t28\nstartMenuShortcut\t1\ndesktopShortcut\t0\n"
            "dataSize\t41\nentryCount\t2\n1\t#PROGRAMFILES#\\\n2\t#PROGRAMFILES#\\" +
                std::string(u8"表示") + ".txt\n",
            run.out);
}

TEST_F(DhpackInspectTest, UninstSaysWhyTheInstallerCannotLoadARecord) {
  Outcome run = Uninst(std::string("DHVUI01X") + Int32(28) + Int32(0) + Int32(0) + Int32(0) + Int32(0));
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("", run.out);
  EXPECT_NE(std::string::npos, run.err.find("(code 130)")) << run.err;

  run = Uninst(std::string("DHVUI01\0", 8) + Int32(28) + Int32(0) + Int32(0) + Int32(-1) + Int32(0));
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.out.find("dataSize\t-1\n")) << run.out;
  EXPECT_NE(std::string::npos, run.err.find("(code 140)")) << run.err;

  EXPECT_EQ(1, Dhpack("uninst " + Quote((temp / "missing").string())).status);
}

TEST_F(DhpackInspectTest, BuildRefusesAPatchTheInstallerWouldStopOn) {
  const fs::path layout = temp / "layout";
  WriteBytes(temp / "viewer.exe", "MZ");
  fs::create_directories(layout / "PROGRAMFILES");
  fs::create_directories(layout / "APPDATA" / "Collections");
  fs::create_directories(layout / "APPDATA" / "Model");
  WriteBytes(layout / "PROGRAMFILES" / "DHViewer.exe", "MZ");
  const fs::path out = temp / "130.lzh";
  const auto build = [&](const std::string& patch) {
    WriteBytes(layout / "SetupInfo.xml", patch);
    return Dhpack("--quiet --plain build " + Quote(out.string()) + " " + Quote(layout.string()));
  };

  WriteBytes(out, "earlier");
  Outcome run = build(std::string(kDeclaration) + "<UpdatePatch><Version>1.1</Version></UpdatePatch>");
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find(u8"SetupInfo.xml: the installer refuses this update "
                                            u8"patch: セットアップ情報取得失敗(20110)"))
      << run.err;
  EXPECT_EQ("earlier", FileBytes(out));

  run = build("");  // an empty patch is valid: the update keeps its defaults
  EXPECT_EQ(0, run.status) << run.err;
  run = build(std::string(kDeclaration) + "<UpdatePatch><Version>1.0</Version></UpdatePatch>");
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_NE("earlier", FileBytes(out));
}

}  // namespace

#endif  // DH_DHPACK
