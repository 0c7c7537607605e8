// The payload tool's writing side run as a program: `build` and `readme` make images
// that the independent tools accept, that decipher with an independent computation of
// the scheme, and that the installer's own extractor reads; every refusal leaves the
// output untouched; and resources are read back out of an executable.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "morstd/MorMemBlock.h"
#include "morstd/MorString.h"
#include "payload/GetLhaFile.h"
#include "platform/host/HostTest.h"
#include "PeResource.h"
#include "support/FileBytes.h"
#include "unit/payload_host/PayloadFixture.h"
#include "unit/payload_host/ToolRun.h"

#if defined(DH_DHPACK) && defined(DH_SUPPORT_DIR)

namespace {

using namespace dhtest;

constexpr char kSalt[] = "00112233445566778899aabbccddeeff";

Outcome Dhpack(const std::string& arguments) { return Shell(Quote(DH_DHPACK) + " " + arguments); }

// Deciphers an image with the independent script; empty when it fails.
std::string Decipher(const fs::path& image) {
  const fs::path out = image.string() + ".plain";
  const Outcome run = Shell("python3 " + Quote(std::string(DH_SUPPORT_DIR) + "/decipher_image.py") +
                            " " + Quote(image.string()) + " " + Quote(out.string()));
  return run.status == 0 ? FileBytes(out) : std::string();
}

std::string Hex(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    static const char kDigits[] = "0123456789abcdef";
    text += kDigits[c >> 4];
    text += kDigits[c & 15];
  }
  return text;
}

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  WriteBytes(path, bytes);
}

// A small payload described three ways at once: a layout folder, a manifest and
// --add. "表" is 0x95 0x5C in Shift-JIS: its second byte is a backslash.
class DhpackBuildTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    const fs::path layout = temp / "layout";
    Write(layout / "PROGRAMFILES" / "readme.txt", "read me\n");
    Write(layout / "PROGRAMFILES" / "help" / "index.html", std::string(5000, 'h'));
    Write(layout / "PROGRAMFILES" / "help" / u8"表示.txt", "sjis");
    Write(layout / "PROGRAMFILES" / "empty.bin", "");
    Write(layout / "APPDATA" / "Collections" / "c.dat", "collection");
    fs::create_directories(layout / "APPDATA" / "Model");
    Write(layout / "SetupInfo.xml",
          "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
          "<UpdatePatch><Version>1.0</Version></UpdatePatch>\r\n");
    Write(temp / "m.bin", std::string(3000, '\x7f'));
    Write(temp / "viewer.exe", "MZ viewer");
    Write(temp / "payload.manifest",
          "; the model file comes from elsewhere\r\n#APPDATA#/Model/m.bin=m.bin\r\n\r\n"
          "#APPDATA#\\Model\\\r\n");
  }
  std::string Sources() const {
    return Quote((temp / "layout").string()) + " " + Quote((temp / "payload.manifest").string()) +
           " --add " + Quote("#PROGRAMFILES#\\DHViewer.exe=" + (temp / "viewer.exe").string());
  }
  // A reproducible build (SOURCE_DATE_EPOCH set) unless `epoch` is empty.
  Outcome Build(const std::string& options, const fs::path& out,
                const std::string& epoch = "1700000000") {
    const std::string environment =
        epoch.empty() ? "env -u SOURCE_DATE_EPOCH " : "SOURCE_DATE_EPOCH=" + epoch + " ";
    return Shell(environment + Quote(DH_DHPACK) + " " + options + " build " + Quote(out.string()) +
                 " " + Sources());
  }
};

TEST_F(DhpackBuildTest, OrdersMembersAndPassesTheIndependentTools) {
  const fs::path image = temp / "130.dat";
  const Outcome build = Build("--salt " + std::string(kSalt), image);
  ASSERT_EQ(0, build.status) << build.err;
  // Progress per file, and the one expected file that is missing.
  EXPECT_NE(std::string::npos, build.err.find("dhpack: [1/8] #PROGRAMFILES#\\DHViewer.exe (9 bytes)"))
      << build.err;
  EXPECT_NE(std::string::npos, build.err.find("warning: the payload has no \"#PROGRAMFILES#\\Uninstall.exe\""));

  const Outcome list = Dhpack("list --dat " + Quote(image.string()));
  ASSERT_EQ(0, list.status) << list.err;
  std::vector<std::string> names;
  for (const auto& row : Split(list.out, '\t')) names.push_back(row.at(4));
  const std::vector<std::string> expected = {
      "#PROGRAMFILES#\\", "#PROGRAMFILES#\\DHViewer.exe", "#PROGRAMFILES#\\empty.bin",
      "#PROGRAMFILES#\\readme.txt", "#PROGRAMFILES#\\help\\", "#PROGRAMFILES#\\help\\index.html",
      "#PROGRAMFILES#\\help\\\x95\x5c\x8e\xa6.txt", "#APPDATA#\\", "#APPDATA#\\Collections\\",
      "#APPDATA#\\Collections\\c.dat", "#APPDATA#\\Model\\", "#APPDATA#\\Model\\m.bin",
      "SetupInfo.xml"};
  EXPECT_EQ(expected, names);

  // The independent decipherment gives exactly the plain archive of the same build.
  const fs::path plain = temp / "130.lzh";
  ASSERT_EQ(0, Build("--plain --quiet", plain).status);
  const std::string archive = FileBytes(plain);
  EXPECT_EQ(archive, Decipher(image));
  EXPECT_EQ(std::string("\x00\x11\x22\x33", 4), FileBytes(image).substr(0, 4));

  const Outcome tested = Shell("lhasa t " + Quote(plain.string()));
  EXPECT_EQ(0, tested.status) << tested.out << tested.err;
  const fs::path out = temp / "lhasa";
  fs::create_directories(out);
  ASSERT_EQ(0, Shell("cd " + Quote(out.string()) + " && lhasa xq " + Quote(plain.string())).status);
  EXPECT_EQ(std::string(5000, 'h'), FileBytes(out / "#PROGRAMFILES#" / "help" / "index.html"));
  EXPECT_EQ("sjis", FileBytes(out / "#PROGRAMFILES#" / "help" / "\x95\x5c\x8e\xa6.txt"));
  EXPECT_EQ(std::string(3000, '\x7f'), FileBytes(out / "#APPDATA#" / "Model" / "m.bin"));
  const Outcome jlha = Shell("lha l " + Quote(plain.string()));
  EXPECT_EQ(0, jlha.status) << jlha.err;
  EXPECT_NE(std::string::npos, jlha.out.find("SetupInfo.xml"));
}

// The build's own programs stand in only where the vendor's sources have none; a
// vendor's file of another case is the same member.
TEST_F(DhpackBuildTest, DefaultFilesStandInOnlyForMembersNoSourceGives) {
  Write(temp / "build.exe", "MZ build");
  const fs::path image = temp / "130.dat";
  const std::string stand = "=" + (temp / "build.exe").string();
  const Outcome build = Build("--quiet --default " + Quote("#PROGRAMFILES#/dhviewer.EXE" + stand) +
                                  " --default " + Quote("#PROGRAMFILES#\\Uninstall.exe" + stand),
                              image);
  ASSERT_EQ(0, build.status) << build.err;
  EXPECT_EQ(std::string::npos, build.err.find("warning")) << build.err;
  const Outcome list = Dhpack("list --dat " + Quote(image.string()));
  const auto rows = Split(list.out, '\t');
  ASSERT_EQ(14u, rows.size()) << list.out;
  EXPECT_EQ("#PROGRAMFILES#\\DHViewer.exe", rows[1].at(4));
  EXPECT_EQ("#PROGRAMFILES#\\Uninstall.exe", rows[2].at(4));
  EXPECT_EQ("MZ viewer", Dhpack("cat --dat " + Quote(image.string()) + " 2").out);
  EXPECT_EQ("MZ build", Dhpack("cat --dat " + Quote(image.string()) + " 3").out);
  EXPECT_EQ(1, Build("--quiet --default " + Quote("loose.exe" + stand), image).status);
}

TEST_F(DhpackBuildTest, SaltIsFreshUnlessGivenOrReproducible) {
  ASSERT_EQ(0, Build("--quiet", temp / "a.dat", "").status);
  ASSERT_EQ(0, Build("--quiet", temp / "b.dat", "").status);
  ASSERT_EQ(0, Build("--quiet --salt " + std::string(kSalt), temp / "c.dat").status);
  ASSERT_EQ(0, Build("--quiet --salt " + std::string(kSalt), temp / "d.dat").status);
  const std::string a = FileBytes(temp / "a.dat"), b = FileBytes(temp / "b.dat");
  EXPECT_NE(a.substr(0, 16), b.substr(0, 16));
  EXPECT_EQ(std::string(kSalt), Hex(FileBytes(temp / "c.dat").substr(0, 16)));
  EXPECT_EQ(FileBytes(temp / "c.dat"), FileBytes(temp / "d.dat"));  // reproducible

  // With SOURCE_DATE_EPOCH and no salt, the archive decides the salt: the first 16
  // bytes of its SHA-256, so the same inputs give the same image and others another.
  ASSERT_EQ(0, Build("--quiet", temp / "r1.dat").status);
  ASSERT_EQ(0, Build("--quiet", temp / "r2.dat").status);
  const std::string r1 = FileBytes(temp / "r1.dat");
  EXPECT_EQ(r1, FileBytes(temp / "r2.dat"));
  ASSERT_FALSE(Decipher(temp / "r1.dat").empty());
  const Outcome digest = Shell(
      "python3 -c 'import hashlib,sys; "
      "print(hashlib.sha256(open(sys.argv[1],\"rb\").read()).hexdigest()[:32])' " +
      Quote(temp.string() + "/r1.dat.plain"));
  EXPECT_EQ(Hex(r1.substr(0, 16)) + "\n", digest.out);
  ASSERT_EQ(0, Build("--quiet", temp / "r3.dat", "1700000001").status);
  EXPECT_NE(r1.substr(0, 16), FileBytes(temp / "r3.dat").substr(0, 16));

  for (const char* bad : {"0011", "00112233445566778899aabbccddeefg", "x"}) {
    const Outcome run = Build("--salt " + std::string(bad), temp / "e.dat");
    EXPECT_EQ(1, run.status) << bad;
    EXPECT_NE(std::string::npos, run.err.find("--salt takes")) << run.err;
    EXPECT_FALSE(fs::exists(temp / "e.dat"));
  }
  EXPECT_EQ(2, Build("--plain --salt " + std::string(kSalt), temp / "e.dat").status);
}

// Each refusal names the problem and leaves an earlier output as it was.
TEST_F(DhpackBuildTest, RefusesWhatTheInstallerWouldReject) {
  struct Case {
    std::string add;  // one more --add, or a file to put into the layout (path=bytes)
    bool layoutFile;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"stray.txt=x", true, "a layout folder holds only PROGRAMFILES/, APPDATA/ and SetupInfo.xml"},
      {"loose.txt=" + (temp / "m.bin").string(), false, "must start with \"#PROGRAMFILES#\\\""},
      {"#PROGRAMFILES#\\..\\up.txt=" + (temp / "m.bin").string(), false, "a \"..\" component"},
      {"#PROGRAMFILES#\\a:b.txt=" + (temp / "m.bin").string(), false, "not allow in file names"},
      {"#PROGRAMFILES#\\dot.=" + (temp / "m.bin").string(), false, "ending in a dot or a space"},
      {"#APPDATA#\\con.txt=" + (temp / "m.bin").string(), false, "a device name (con.txt)"},
      {"#PROGRAMFILES#\\x#APPDATA#.txt=" + (temp / "m.bin").string(), false,
       "holds \"#APPDATA#\" after its start"},
      {"#PROGRAMFILES#\\README.TXT=" + (temp / "m.bin").string(), false,
       "collides with \"#PROGRAMFILES#\\readme.txt\""},
      {"#PROGRAMFILES#\\help=" + (temp / "m.bin").string(), false, "collides with"},
      {"#PROGRAMFILES#\\" + std::string(101, 'n') + "=" + (temp / "m.bin").string(), false,
       "longer than"},
      {u8"#PROGRAMFILES#\\😀.txt=" + (temp / "m.bin").string(), false,
       "not representable in code page 932"},
      {u8"#PROGRAMFILES#\\a¥b.txt=" + (temp / "m.bin").string(), false,
       "not representable in code page 932"},
      {"#PROGRAMFILES#\\gone.txt=" + (temp / "missing").string(), false, "is not a readable file"},
      {"#PROGRAMFILES#\\nofile", false, "a file takes \"MEMBER=PATH\""},
      // A failed update restores only Collections and Model of the application data.
      {"#APPDATA#\\NNJ.dat=" + (temp / "m.bin").string(), false,
       "is an application-data file outside \"Collections\\\" and \"Model\\\""},
      {"#APPDATA#\\Other\\x.txt=" + (temp / "m.bin").string(), false,
       "a failed update restores only those two"},
      {"APPDATA/settings.ini=x", true, "is an application-data file outside"},
  };
  const fs::path out = temp / "out.dat";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.add);
    WriteBytes(out, "earlier");
    std::string extra;
    fs::path stray;
    if (c.layoutFile) {
      stray = temp / "layout" / c.add.substr(0, c.add.find('='));
      WriteBytes(stray, "x");
    } else {
      extra = " --add " + Quote(c.add);
    }
    const Outcome run = Build("--quiet" + extra, out);
    if (!stray.empty()) fs::remove(stray);
    EXPECT_EQ(1, run.status);
    EXPECT_NE(std::string::npos, run.err.find(c.message)) << run.err;
    EXPECT_EQ("earlier", FileBytes(out));
    EXPECT_FALSE(fs::exists(out.string() + ".part"));
  }

  // Without the folders that an update backs up.
  fs::remove_all(temp / "layout" / "APPDATA" / "Model");
  Write(temp / "payload.manifest", "");
  Outcome run = Build("--quiet", out);
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos,
            run.err.find("the payload has no folder \"#APPDATA#\\Model\\\": an update backs it up"))
      << run.err;
  // A manifest line that is neither form, with its line number.
  Write(temp / "payload.manifest", "#APPDATA#\\Model\\\n\n#APPDATA#\\Model\\x.bin\n");
  run = Build("--quiet", out);
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("payload.manifest:3: \"#APPDATA#\\Model\\x.bin\": a file takes"))
      << run.err;
  EXPECT_EQ("earlier", FileBytes(out));
}

TEST_F(DhpackBuildTest, ReadMeConvertsUtf8AndRefusesZeroBytes) {
  Write(temp / "ReadMe.txt", u8"使用許諾\nsecond line\r\nthird\n");
  const fs::path image = temp / "126.dat";
  Outcome run = Dhpack("readme --utf8 --quiet " + Quote(image.string()) + " " +
                       Quote((temp / "ReadMe.txt").string()));
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("1\t-lh0-\t30\t30\tReadMe.txt\n", Dhpack("list --dat " + Quote(image.string())).out);
  EXPECT_EQ("\x8e\x67\x97\x70\x8b\x96\x91\xf8\r\nsecond line\r\nthird\r\n",
            Dhpack("cat --dat " + Quote(image.string()) + " 1").out);

  Write(temp / "zero.txt", std::string("a\0b", 3));
  run = Dhpack("readme " + Quote((temp / "z.dat").string()) + " " + Quote((temp / "zero.txt").string()));
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("holds a zero byte")) << run.err;
  Write(temp / "bad.txt", "\xff\xfe not UTF-8");
  run = Dhpack("readme --utf8 " + Quote((temp / "z.dat").string()) + " " + Quote((temp / "bad.txt").string()));
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("not UTF-8")) << run.err;
  EXPECT_FALSE(fs::exists(temp / "z.dat"));
}

// A minimal PE32+ image whose resource section holds the given "DAT" resources.
std::string MakeExecutable(const std::vector<std::pair<uint16_t, std::string>>& resources) {
  std::string file(0x200, '\0');
  auto put = [](std::string* bytes, size_t at, uint32_t value, int width) {
    if (bytes->size() < at + width) bytes->resize(at + width);
    for (int i = 0; i < width; ++i) (*bytes)[at + i] = static_cast<char>(value >> (8 * i));
  };
  constexpr uint32_t kRva = 0x1000;
  const uint32_t n = static_cast<uint32_t>(resources.size());
  // Root (one named type), type directory (n ids), n language directories, n data
  // entries, the name "DAT", then the data.
  const uint32_t typeDir = 16 + 8, langDirs = typeDir + 16 + 8 * n, dataEntries = langDirs + 24 * n;
  const uint32_t name = dataEntries + 16 * n;
  std::string tree;
  put(&tree, 12, 1, 2);
  put(&tree, 16, 0x80000000u | name, 4);
  put(&tree, 20, 0x80000000u | typeDir, 4);
  put(&tree, typeDir + 14, n, 2);
  uint32_t data = name + 8;
  for (uint32_t i = 0; i < n; ++i) {
    put(&tree, typeDir + 16 + 8 * i, resources[i].first, 4);
    put(&tree, typeDir + 20 + 8 * i, 0x80000000u | (langDirs + 24 * i), 4);
    put(&tree, langDirs + 24 * i + 14, 1, 2);
    put(&tree, langDirs + 24 * i + 16, 0x411, 4);
    put(&tree, langDirs + 24 * i + 20, dataEntries + 16 * i, 4);
    put(&tree, dataEntries + 16 * i, kRva + data, 4);
    put(&tree, dataEntries + 16 * i + 4, static_cast<uint32_t>(resources[i].second.size()), 4);
    data += static_cast<uint32_t>(resources[i].second.size());
  }
  put(&tree, name, 3, 2);
  for (int i = 0; i < 3; ++i) put(&tree, name + 2 + 2 * i, static_cast<uint8_t>("DAT"[i]), 2);
  tree.resize(name + 8);
  for (const auto& resource : resources) tree += resource.second;

  file[0] = 'M';
  file[1] = 'Z';
  put(&file, 0x3C, 0x40, 4);
  file.replace(0x40, 4, std::string("PE\0\0", 4));
  put(&file, 0x44, 0x8664, 2);   // machine
  put(&file, 0x46, 1, 2);        // one section
  put(&file, 0x54, 240, 2);      // optional header size
  put(&file, 0x58, 0x20B, 2);    // PE32+
  put(&file, 0x58 + 108, 16, 4);  // data directories
  put(&file, 0x58 + 112 + 16, kRva, 4);
  put(&file, 0x58 + 112 + 20, static_cast<uint32_t>(tree.size()), 4);
  const size_t section = 0x58 + 240;
  file.replace(section, 5, ".rsrc");
  put(&file, section + 8, static_cast<uint32_t>(tree.size()), 4);
  put(&file, section + 12, kRva, 4);
  put(&file, section + 16, static_cast<uint32_t>(tree.size()), 4);
  put(&file, section + 20, 0x200, 4);
  file.resize(0x200);
  return file + tree;
}

TEST_F(DhpackBuildTest, ReadsResourcesOutOfAnExecutable) {
  ASSERT_EQ(0, Build("--quiet", temp / "130.dat").status);
  ASSERT_EQ(0, Dhpack("readme --quiet " + Quote((temp / "126.dat").string()) + " " +
                      Quote((temp / "m.bin").string())).status);
  const fs::path exe = temp / "Setup.exe";
  WriteBytes(exe, MakeExecutable({{126, FileBytes(temp / "126.dat")}, {130, FileBytes(temp / "130.dat")}}));
  const Outcome fromExe = Dhpack("list " + Quote(exe.string() + ":130"));
  ASSERT_EQ(0, fromExe.status) << fromExe.err;
  EXPECT_EQ(Dhpack("list --dat " + Quote((temp / "130.dat").string())).out, fromExe.out);
  EXPECT_EQ(0, Dhpack("test " + Quote(exe.string() + ":126")).status);
  EXPECT_EQ(std::string(3000, '\x7f'), Dhpack("cat " + Quote(exe.string() + ":126") + " 1").out);

  Outcome run = Dhpack("list " + Quote(exe.string() + ":131"));
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("has no \"DAT\" resource 131")) << run.err;
  // Cut anywhere in its headers or resource tree, the file is refused with a message
  // and never read past its end (the sanitizers watch the copy).
  const std::string whole = FileBytes(exe);
  const size_t tree = whole.find("D\0A\0T", 0x200) + 6 + 2;
  for (size_t length = 0; length <= tree; ++length) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
    size_t offset = 0, size = 0;
    std::string error;
    EXPECT_FALSE(FindPeResource(cut.data(), cut.size(), "DAT", 130, &offset, &size, &error)) << length;
    EXPECT_FALSE(error.empty()) << length;
  }
  const std::vector<uint8_t> bytes(whole.begin(), whole.end());
  size_t offset = 0, size = 0;
  std::string error;
  ASSERT_TRUE(FindPeResource(bytes.data(), bytes.size(), "dat", 126, &offset, &size, &error)) << error;
  EXPECT_EQ(FileBytes(temp / "126.dat"), whole.substr(offset, size));
  // A file cut short of what its section table promises.
  WriteBytes(exe, whole.substr(0, whole.size() - 1));
  run = Dhpack("list " + Quote(exe.string() + ":130"));
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("lies outside the file")) << run.err;
  WriteBytes(exe, "plain text, no executable");
  run = Dhpack("list " + Quote(exe.string() + ":130"));
  EXPECT_NE(std::string::npos, run.err.find("not a Windows executable")) << run.err;
}

// The installer's own extractor reads what the tool builds.
class DhpackBuiltPayloadTest : public PayloadFixture {};

TEST_F(DhpackBuiltPayloadTest, InstallerListsAndExtractsIt) {
  char pattern[] = "/tmp/dhpack-product-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(pattern));
  const fs::path temp = pattern;
  const fs::path layout = temp / "layout";
  Write(layout / "PROGRAMFILES" / u8"表示.txt", "sjis");
  // Names ending in a character whose second byte is 0x5C are files, a folder too.
  const char* const endings[] = {u8"ソ", u8"十", u8"能", u8"表", u8"予"};  // in byte order
  for (const char* name : endings) Write(layout / "PROGRAMFILES" / u8"予定表" / name, name);
  Write(layout / "APPDATA" / "Collections" / "c.dat", std::string(70000, 'c'));
  fs::create_directories(layout / "APPDATA" / "Model");
  Write(temp / "ReadMe.txt", u8"同意\nします\n");
  const Outcome build = Dhpack("build --quiet " + Quote((temp / "130.dat").string()) + " " +
                               Quote(layout.string()));
  ASSERT_EQ(0, build.status) << build.err;
  const std::string plan = "\x97\x5c\x92\xe8\x95\x5c";  // "予定表"
  const std::vector<std::string> cp932Endings = {"\x83\x5c", "\x8f\x5c", "\x94\x5c", "\x95\x5c",
                                                 "\x97\x5c"};
  // The tool's own extraction takes them back as files.
  ASSERT_EQ(0, Dhpack("--dat x " + Quote((temp / "130.dat").string()) + " " +
                      Quote((temp / "x").string())).status);
  for (size_t i = 0; i < cp932Endings.size(); ++i) {
    EXPECT_EQ(endings[i], FileBytes(temp / "x" / "#PROGRAMFILES#" / plan / cp932Endings[i])) << i;
  }
  ASSERT_EQ(0, Dhpack("readme --quiet --utf8 " + Quote((temp / "126.dat").string()) + " " +
                      Quote((temp / "ReadMe.txt").string())).status);
  for (int id : {126, 130}) {
    const std::string image = FileBytes(temp / (std::to_string(id) + ".dat"));
    hostwin::RegisterResource("DAT", id, std::vector<BYTE>(image.begin(), image.end()));
  }
  fs::remove_all(temp);

  cGetLhaFile lha;
  morstd::cMorString text;
  ASSERT_EQ(1, lha.GetReadMe(&text));
  EXPECT_STREQ("\x93\xaf\x88\xd3\r\n\x82\xb5\x82\xdc\x82\xb7\r\n", text.GetData());
  morstd::cMorMemBlock list;
  ASSERT_EQ(1, lha.ListInstallFiles(&list));
  std::vector<std::string> names;
  for (int i = 0; i < list.GetCount(); ++i) names.emplace_back(list.GetAt(i));
  std::vector<std::string> expected = {"#PROGRAMFILES#\\", "#PROGRAMFILES#\\\x95\x5c\x8e\xa6.txt",
                                       "#PROGRAMFILES#\\" + plan + "\\"};
  for (const std::string& ending : cp932Endings)
    expected.push_back("#PROGRAMFILES#\\" + plan + "\\" + ending);
  for (const char* name : {"#APPDATA#\\", "#APPDATA#\\Collections\\", "#APPDATA#\\Collections\\c.dat",
                           "#APPDATA#\\Model\\"})
    expected.push_back(name);
  EXPECT_EQ(expected, names);
  RecordingSink sink;
  int step = 0;
  ASSERT_EQ(1, lha.ExtractAll("C:\\P", "C:\\AD", &sink, &step, 20));
  for (size_t i = 0; i < cp932Endings.size(); ++i) {
    std::string file;
    ASSERT_TRUE(ReadFileBytes("C:\\P\\" + plan + "\\" + cp932Endings[i], &file)) << i;
    EXPECT_EQ(endings[i], file);
  }
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes("C:\\P\\\x95\x5c\x8e\xa6.txt", &bytes));
  EXPECT_EQ("sjis", bytes);
  ASSERT_TRUE(ReadFileBytes("C:\\AD\\Collections\\c.dat", &bytes));
  EXPECT_EQ(std::string(70000, 'c'), bytes);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\AD\\Model"));
}

}  // namespace

#endif
