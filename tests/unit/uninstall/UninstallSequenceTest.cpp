// The uninstall sequence on the host layer: what it deletes, what it keeps, its log
// lines byte for byte and its failure codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "registry/Reg.h"
#include "uninstall/UninstDat.h"
#include "unit/uninstall/UninstallFixture.h"
#include "uninstall/UninstallSequence.h"

namespace {

using namespace uninstalltest;
using Lines = std::vector<std::string>;

const std::string kInstallDir = kInstall;
const std::string kAppDataDir = kAppData;
const std::string kStartMenuFolder = std::string(kPrograms) + "\\Dravenholt";
const std::string kDesktopShortcut = std::string(kDesktop) + "\\Dravenholtビューア.lnk";
const std::string kDocuments = "C:\\Users\\u\\Documents";
const std::string kContents = kDocuments + "\\Dravenholt\\Contents";

std::string Deleted(const std::string& path) { return path + " 消去\r\n"; }

class UninstallSequenceTest : public UninstallFixture {
 protected:
  int Run() {
    cUninstallTarget target;
    cReg reg;
    return RunUninstall(&target, &reg, &sink, nullptr);
  }
  RecordingSink sink;
};

TEST_F(UninstallSequenceTest, RemovesAnInstallationAndKeepsOnlyTheEmptyInstallFolder) {
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettingsPath, "ContentsDir", kContents));
  PutRecord({"#PROGRAMFILES#\\", "#PROGRAMFILES#\\data\\", "#PROGRAMFILES#\\DHViewer.exe",
             "#PROGRAMFILES#\\data\\a.txt", "#PROGRAMFILES#\\data\\表", "#APPDATA#\\Model\\",
             "#APPDATA#\\Model\\m.dat"});
  Put(kInstallDir + "\\DHViewer.exe");
  MakeFolder(kInstallDir + "\\data");
  Put(kInstallDir + "\\data\\a.txt");
  Put(kInstallDir + "\\data\\表");  // its last byte is 0x5C, yet it names a file
  MakeFolder(kAppDataDir + "\\Model");
  Put(kAppDataDir + "\\Model\\m.dat");
  MakeFolder(kAppDataDir + "\\Collections");
  Put(kAppDataDir + "\\Collections\\c1.xml");
  Put(kAppDataDir + "\\NNJ.dat");
  MakeFolder(kDocuments);
  MakeFolder(kDocuments + "\\Dravenholt");
  MakeFolder(kContents);
  Put(kContents + "\\page.bin");
  PutShortcuts();

  EXPECT_EQ(0, Run());

  EXPECT_EQ((Lines{"レジストリよりアンインストール情報\r\n", "ファイルよりアンインストール情報\r\n",
                   Deleted(kInstallDir + "\\DHViewer.exe"), Deleted(kInstallDir + "\\data\\a.txt"),
                   Deleted(kInstallDir + "\\data\\表"), Deleted(kAppDataDir + "\\Model\\m.dat"),
                   Deleted(kInstallDir + "\\data\\"), Deleted(kRecord),
                   "プログラムスタートメニュー削除\r\n", "ショートカット削除\r\n",
                   "Collectionsデータ削除\r\n", "コンテンツ削除開始\r\n", "コンテンツ削除完了\r\n",
                   "レジストリ情報削除開始\r\n", "レジストリ情報削除完了\r\n", "アンインストール完了\r\n"}),
            sink.lines);
  // The install folder stays, empty.
  EXPECT_TRUE(Exists(kInstallDir));
  EXPECT_FALSE(Exists(kInstallDir + "\\data"));
  EXPECT_FALSE(Exists(kRecord));
  EXPECT_FALSE(Exists(kAppDataDir));
  EXPECT_FALSE(Exists(kAppDataVendor));  // the empty "Dravenholt" the installation made
  EXPECT_FALSE(Exists(kDocuments + "\\Dravenholt"));
  EXPECT_TRUE(Exists(kDocuments));
  EXPECT_FALSE(Exists(kStartMenuFolder));
  EXPECT_TRUE(Exists(kPrograms));
  EXPECT_FALSE(Exists(kDesktopShortcut));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallPath));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettingsPath));
  EXPECT_FALSE(hostwin::RegistryReadDword(HKEY_CURRENT_USER, kEmulationPath, "DHViewer.exe"));
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

TEST_F(UninstallSequenceTest, ShortcutFlagsOnlyDecideTheLinesAndOptionalStepsStaySilent) {
  PutRecord({"#PROGRAMFILES#\\", "#PROGRAMFILES#\\DHViewer.exe"}, 0, 0);
  Put(kInstallDir + "\\DHViewer.exe");
  PutShortcuts();
  // A model the user added keeps the folder from a plain removal; no collections; no
  // browser-emulation value, so the registry removal is not whole.
  MakeFolder(kAppDataDir + "\\Model");
  Put(kAppDataDir + "\\Model\\own.dat");
  ASSERT_TRUE(RegDeleteKeyA(HKEY_CURRENT_USER, kEmulationPath) == ERROR_SUCCESS);

  EXPECT_EQ(0, Run());

  EXPECT_EQ((Lines{"レジストリよりアンインストール情報\r\n", "ファイルよりアンインストール情報\r\n",
                   Deleted(kInstallDir + "\\DHViewer.exe"), Deleted(kRecord),
                   "Collectionsデータ削除失敗\r\n", "Modelデータ削除\r\n",
                   "レジストリ情報削除開始\r\n", "アンインストール完了\r\n"}),
            sink.lines);
  EXPECT_FALSE(Exists(kStartMenuFolder));
  EXPECT_FALSE(Exists(kDesktopShortcut));
  EXPECT_FALSE(Exists(kAppDataDir));
}

TEST_F(UninstallSequenceTest, MissingShellFoldersAreReportedAndNothingIsDeletedAtTheDriveRoot) {
  PutRecord({"#PROGRAMFILES#\\"}, 1, 1);
  hostwin::SetSpecialFolder(CSIDL_PROGRAMS, "");
  hostwin::SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, "");
  Put("C:\\Dravenholtビューア.lnk");
  MakeFolder(kAppDataDir + "\\Collections");
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettingsPath, "ContentsDir",
                                           kContents.c_str()));

  EXPECT_EQ(0, Run());

  EXPECT_EQ((Lines{"レジストリよりアンインストール情報\r\n", "ファイルよりアンインストール情報\r\n",
                   Deleted(kRecord), "プログラムスタートメニュー削除失敗\r\n",
                   "ショートカット削除失敗\r\n", "Collectionsデータ削除\r\n",
                   "Modelデータ削除失敗\r\n", "コンテンツ削除開始\r\n", "コンテンツ削除一部未完\r\n",
                   "レジストリ情報削除開始\r\n", "レジストリ情報削除完了\r\n", "アンインストール完了\r\n"}),
            sink.lines);
  EXPECT_TRUE(Exists("C:\\Dravenholtビューア.lnk"));
  const auto boxes = hostwin::MessageJournal();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("hres", boxes[0].text);
  EXPECT_EQ("", boxes[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[0].flags);
  EXPECT_EQ(nullptr, boxes[0].owner);
}

std::string Refused(const std::string& entry) {
  return entry + " 製品のフォルダ外のため消去しません\r\n";
}
std::string Kept(const std::string& folder) {
  return folder + " 製品のフォルダではないため残します\r\n";
}

// The record lies where others may write: entries that would resolve outside the
// product's folders are logged and left, and the rest of the removal goes on.
TEST_F(UninstallSequenceTest, RecordEntriesOutsideTheProductAreLoggedAndLeft) {
  const std::vector<std::string> foreign = {
      "C:\\Users\\u\\victim.txt",
      "#PROGRAMFILES#\\..\\..\\victim.txt",
      "#PROGRAMFILES#\\..\\..\\",
      "#APPDATA#\\..\\victim.txt",
      "#PROGRAMFILES#\\a/../../../victim.txt",
      "#PROGRAMFILES#\\C:\\Users\\u\\victim.txt",
      "#PROGRAMFILES#\\\\victim.txt",
      "\\\\server\\share\\victim.txt",
      "\\victim.txt",
      "victim.txt",
  };
  std::vector<std::string> record = {"#PROGRAMFILES#\\", "#PROGRAMFILES#\\DHViewer.exe"};
  record.insert(record.end(), foreign.begin(), foreign.end());
  record.push_back("#PROGRAMFILES#\\十");  // its last byte is 0x5C, yet it names a file
  PutRecord(record, 0, 0);
  Put(kInstallDir + "\\DHViewer.exe");
  Put(kInstallDir + "\\十");
  const std::vector<std::string> victims = {"C:\\Users\\u\\victim.txt", "C:\\Program Files\\victim.txt",
                                            kAppDataVendor + std::string("\\victim.txt"),
                                            "C:\\victim.txt"};
  for (const std::string& victim : victims) Put(victim);

  EXPECT_EQ(0, Run());

  for (const std::string& victim : victims) EXPECT_TRUE(Exists(victim)) << victim;
  EXPECT_TRUE(Exists("C:\\Program Files"));
  EXPECT_FALSE(Exists(kInstallDir + "\\DHViewer.exe"));
  EXPECT_FALSE(Exists(kInstallDir + "\\十"));
  Lines expected = {"レジストリよりアンインストール情報\r\n", "ファイルよりアンインストール情報\r\n"};
  for (const std::string& entry : foreign) expected.push_back(Refused(entry));
  expected.push_back(Deleted(kInstallDir + "\\DHViewer.exe"));
  expected.push_back(Deleted(kInstallDir + "\\十"));
  expected.push_back(Deleted(kRecord));
  ASSERT_LE(expected.size(), sink.lines.size());
  EXPECT_EQ(expected, Lines(sink.lines.begin(), sink.lines.begin() + expected.size()));
}

// "AppDataDir" and "ContentsDir" lie under HKEY_CURRENT_USER, where any program of the
// user can write them: their trees go whole only when they are the product's folders.
// Otherwise only the record's own entries below them go, and the folder stays.
TEST_F(UninstallSequenceTest, FoldersNamedByTheUsersSettingsGoWholeOnlyWhenTheProducts) {
  const char* const values[] = {"C:\\Users\\u", "C:\\Windows", "C:\\Users\\u\\NotDravenholt\\Viewer"};
  for (const char* value : values) {
    SCOPED_TRACE(value);
    SetUp();
    sink.lines.clear();
    MakeFolder("C:\\Windows");
    MakeFolder("C:\\Users\\u\\NotDravenholt");
    MakeFolder("C:\\Users\\u\\NotDravenholt\\Viewer");
    const std::string base = value;
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", value));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettingsPath, "ContentsDir", value));
    PutRecord({"#PROGRAMFILES#\\", "#APPDATA#\\Model\\", "#APPDATA#\\Model\\m.dat"}, 0, 0);
    // The user's own files in the folder the values name, and one the record lists.
    MakeFolder(base + "\\Model");
    Put(base + "\\Model\\m.dat");
    Put(base + "\\own.txt");
    MakeFolder(base + "\\Collections");
    Put(base + "\\Collections\\mine.xml");
    Put(base + "\\NNJ.dat");

    EXPECT_EQ(0, Run());

    EXPECT_FALSE(Exists(base + "\\Model\\m.dat"));  // the record's own entry
    EXPECT_FALSE(Exists(base + "\\Model"));           // and its folder, empty by then
    EXPECT_TRUE(Exists(base + "\\own.txt"));
    EXPECT_TRUE(Exists(base + "\\Collections\\mine.xml"));
    EXPECT_TRUE(Exists(base + "\\NNJ.dat"));
    // One line for each of the two values.
    EXPECT_EQ(2, std::count(sink.lines.begin(), sink.lines.end(), Kept(value)));
    EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettingsPath));
  }
}

// A folder value that is no plain absolute path below a drive's root leaves every
// entry below it alone: the placeholder would resolve against the current folder or
// drive, a share, or a folder above the one named.
TEST_F(UninstallSequenceTest, AnApplicationDataValueThatIsNoPlainPathTouchesNothing) {
  for (const char* value :
       {"Dravenholt\\Viewer", "\\\\server\\share\\Dravenholt\\Viewer", "\\Dravenholt\\Viewer", "C:\\",
        "C:", "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer\\..\\..\\..",
        "C:\\Users\\u\\Dravenholt\\Viewer\\.\\", "C:\\Users\\u\\Dravenholt\\Viewer/../.."}) {
    SCOPED_TRACE(value);
    SetUp();
    sink.lines.clear();
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", value));
    PutRecord({"#PROGRAMFILES#\\", "#APPDATA#\\Model\\m.dat"}, 0, 0);
    EXPECT_EQ(0, Run());
    EXPECT_EQ((Lines{"レジストリよりアンインストール情報\r\n", "ファイルよりアンインストール情報\r\n",
                     Refused("#APPDATA#\\Model\\m.dat"), Deleted(kRecord), Kept(value),
                     "レジストリ情報削除開始\r\n", "レジストリ情報削除完了\r\n",
                     "アンインストール完了\r\n"}),
              sink.lines);
  }
}

TEST_F(UninstallSequenceTest, AnEmptyEntryFailsWith999AfterTheFilesBeforeIt) {
  PutRecord({"#PROGRAMFILES#\\", "#PROGRAMFILES#\\first.txt", "", "#PROGRAMFILES#\\after.txt"});
  Put(kInstallDir + "\\first.txt");
  Put(kInstallDir + "\\after.txt");

  EXPECT_EQ(999, Run());

  EXPECT_EQ((Lines{"レジストリよりアンインストール情報\r\n", "ファイルよりアンインストール情報\r\n",
                   Deleted(kInstallDir + "\\first.txt"), "アンインストール中に例外発生(999)\r\n"}),
            sink.lines);
  EXPECT_FALSE(Exists(kInstallDir + "\\first.txt"));
  EXPECT_TRUE(Exists(kInstallDir + "\\after.txt"));
  EXPECT_TRUE(Exists(kRecord));
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettingsPath));
}

// What an uninstallation cut short while it removed the registry data leaves: the next
// one fails with 100 and removes the rest of those data, and nothing else.
TEST_F(UninstallSequenceTest, MissingRegistryDataFailsWith100AndRemovesOnlyTheirRest) {
  PutRecord({"#PROGRAMFILES#\\", "#PROGRAMFILES#\\DHViewer.exe"});
  Put(kInstallDir + "\\DHViewer.exe");
  PutShortcuts();
  const std::string registry = hostwin::RegistrySnapshot();
  struct Case {
    const char* what;
    HKEY root;
    const char* path;
    const char* name;
    const char* text;  // null: the value is removed
  };
  const Case cases[] = {
      {"no AppDataDir", HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", nullptr},
      {"empty AppDataDir", HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", ""},
      {"no InstallLocation", HKEY_LOCAL_MACHINE, kUninstallPath, "InstallLocation", nullptr},
      {"empty InstallLocation", HKEY_LOCAL_MACHINE, kUninstallPath, "InstallLocation", ""},
      {"no DisplayVersion", HKEY_LOCAL_MACHINE, kUninstallPath, "DisplayVersion", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(c.root, c.path, 0, KEY_ALL_ACCESS, &key));
    if (c.text) {
      ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, c.name, 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(c.text), 1));
    } else {
      ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, c.name));
    }
    RegCloseKey(key);
    sink.lines.clear();
    EXPECT_EQ(100, Run());
    EXPECT_EQ((Lines{"アンインストール中に例外発生(100)\r\n"}), sink.lines);
    EXPECT_TRUE(Exists(kInstallDir + "\\DHViewer.exe"));
    EXPECT_TRUE(Exists(kRecord));
    EXPECT_TRUE(Exists(kDesktopShortcut));
    EXPECT_TRUE(Exists(kStartMenuFolder));
    EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
    EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettingsPath));
    EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallPath));
    EXPECT_FALSE(hostwin::RegistryReadValue(HKEY_CURRENT_USER, kEmulationPath, "DHViewer.exe"));
    // The registry data again for the next case.
    WriteRegistryData();
    EXPECT_EQ(registry, hostwin::RegistrySnapshot());
  }
}

TEST_F(UninstallSequenceTest, ARecordThatCannotBeReadFailsWith110AfterTheRecordLine) {
  Put(kRecord, "not a record");
  EXPECT_EQ(110, Run());
  EXPECT_EQ((Lines{"レジストリよりアンインストール情報\r\n", "例外発生(GetUninstData err=130)\r\n",
                   "アンインストール中に例外発生(110)\r\n"}),
            sink.lines);
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettingsPath));
}

// What an uninstallation cut short after it deleted the record leaves: the files and
// folders the record listed are gone already, and the rest is removed.
TEST_F(UninstallSequenceTest, AMissingRecordIsTakenAsDeletedWithWhatItListed) {
  PutShortcuts();
  MakeFolder(kAppDataDir + "\\Collections");
  EXPECT_EQ(0, Run());
  EXPECT_EQ("レジストリよりアンインストール情報\r\n", sink.lines.front());
  EXPECT_EQ("アンインストール完了\r\n", sink.lines.back());
  EXPECT_FALSE(Exists(kDesktopShortcut));
  EXPECT_FALSE(Exists(kStartMenuFolder));
  EXPECT_FALSE(Exists(kAppDataDir));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettingsPath));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallPath));
}

TEST_F(UninstallSequenceTest, ApplicationDataFoldersGoOnlyWithTheWholeFolder) {
  PutRecord({"#PROGRAMFILES#\\", "#APPDATA#\\Empty\\", "#APPDATA#\\Model\\"});
  MakeFolder(kAppDataDir + "\\Empty");
  // The whole tree cannot go this time: the folder entry must still be there.
  hostwin::InjectFault({"SHFileOperationA", kAppData, 0, ERROR_ACCESS_DENIED});

  EXPECT_EQ(0, Run());

  EXPECT_TRUE(Exists(kAppDataDir + "\\Empty"));
  for (const std::string& line : sink.lines) EXPECT_EQ(std::string::npos, line.find("Empty")) << line;
}

TEST_F(UninstallSequenceTest, FoldersGoDeepestFirstOnlyInAMergedRecord) {
  const std::vector<std::string> installed = {"#PROGRAMFILES#\\", "#PROGRAMFILES#\\a\\",
                                              "#PROGRAMFILES#\\a\\f1.txt"};
  const std::vector<std::string> update = {"#PROGRAMFILES#\\a\\b\\", "#PROGRAMFILES#\\a\\b\\f2.txt"};
  auto makeFiles = [] {
    MakeFolder(kInstallDir + "\\a");
    MakeFolder(kInstallDir + "\\a\\b");
    Put(kInstallDir + "\\a\\f1.txt");
    Put(kInstallDir + "\\a\\b\\f2.txt");
  };

  // Listed in the order they were added, the parent comes before its sub-folder and
  // is not empty yet when its turn comes.
  std::vector<std::string> appended = installed;
  appended.insert(appended.end(), update.begin(), update.end());
  PutRecord(appended);
  makeFiles();
  ASSERT_EQ(0, Run());
  EXPECT_TRUE(Exists(kInstallDir + "\\a"));
  EXPECT_FALSE(Exists(kInstallDir + "\\a\\b"));
  ASSERT_TRUE(RemoveDirectoryA((kInstallDir + "\\a").c_str()));

  // The update's rewrite puts the deepest folders first: every listed folder goes.
  SetUp();
  PutRecord(installed);
  cUninstDat record;
  ASSERT_EQ(1, record.Load(kInstall));
  morstd::cMorMemBlock added;
  for (const std::string& name : update) added.Add(name.c_str());
  ASSERT_EQ(1, record.Merge(added));
  ASSERT_EQ(1, record.Save(kInstall, 1, 1));
  makeFiles();
  sink.lines.clear();
  ASSERT_EQ(0, Run());
  EXPECT_FALSE(Exists(kInstallDir + "\\a"));
  EXPECT_TRUE(Exists(kInstallDir));
  const Lines folderLines = {Deleted(kInstallDir + "\\a\\b\\"), Deleted(kInstallDir + "\\a\\")};
  EXPECT_NE(std::search(sink.lines.begin(), sink.lines.end(), folderLines.begin(), folderLines.end()),
            sink.lines.end());
}

}  // namespace
