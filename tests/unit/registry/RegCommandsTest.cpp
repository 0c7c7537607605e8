// The update's registry commands, run in one transaction on the host registry: all of
// them land together with the version record, or the registry stays as it was.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "morstd/MorAlloc.h"
#include "morstd/MorMemBlock.h"
#include "platform/host/HostTest.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "registry/RegTransaction.h"

namespace {

using hostwin::Fault;

const std::string kSettings = kSettingsKey.path;

// Fills a command list, one row of texts per command.
void Fill(morstd::cMorMemBlock* list,
          std::initializer_list<std::initializer_list<const char*>> commands) {
  list->Clear();
  for (const auto& command : commands) {
    for (const char* text : command) list->Add(text);
  }
}

class RegCommands : public ::testing::Test {
 public:
  void SetUp() override {
    hostwin::ResetAll();
    // An installed older viewer with a cache below its settings key, and keys of
    // others that commands may name.
    ASSERT_TRUE(
        hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettings, "Version", "1.0.3.9999"));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettings, "ContentsDir", "D:\\C"));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettings + "\\Cache\\Thumbs\\Big",
                                             "Size", "9"));
    ASSERT_TRUE(
        hostwin::RegistryWriteDword(HKEY_CURRENT_USER, kSettings + "\\Cache\\Index", "N", 3));
    ASSERT_TRUE(
        hostwin::RegistryCreateKey(HKEY_CURRENT_USER, kSettings + "\\Cache\\Thumbs\\Small"));
    ASSERT_TRUE(hostwin::RegistryCreateKey(HKEY_CURRENT_USER, "Software\\Other\\Old"));
    ASSERT_TRUE(hostwin::RegistryCreateKey(HKEY_CURRENT_USER, "Software\\Other\\Parent\\Child"));
    ASSERT_TRUE(hostwin::RegistryWriteString(
        HKEY_LOCAL_MACHINE, "Software\\Dravenholt\\Viewer\\1.0\\Cache", "Machine", "stays"));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_LOCAL_MACHINE, kUninstallKey.path,
                                             "DisplayVersion", "1.0.3.9999"));
    reg.installLocation.Assign("C:\\Viewer");
    before = hostwin::RegistrySnapshot();
  }
  void TearDown() override {
    morstd::MorFailNextAllocations(0);
    EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
    EXPECT_EQ(0u, hostwin::OpenHandleCount());
    hostwin::ResetAll();
  }

  // A patch that touches every kind of command once, all of them valid.
  void SetValidCommands() {
    Fill(&deleteKey, {
                         {"HKCU", "Software\\Other\\Old"},              // goes
                         {"HKCU", "Software\\Other\\Parent"},           // has a subkey: stays
                         {"HKLM", "Software\\Missing"},                 // not there: no matter
                         {"HKEY_LOCAL_MACHINE", "SKEY_VIEWER\\Cache"},  // the current user's
                     });
    Fill(&deleteValue, {
                           {"hkcu", "SKEY_VIEWER", "ContentsDir"},
                           {"HKEY_CURRENT_USER", "SKEY_VIEWER\\Fresh", "Missing"},  // key made
                       });
    Fill(&modAdd, {
                      {"HKCU", "SKEY_VIEWER", "REG_SZ", "Server1", "contents9.example.com"},
                      {"HkLm", "Software\\Dravenholt\\Shared", "REG_DWORD", "Minus", "-1"},
                      {"HKCU", "SKEY_VIEWER\\Sub", "REG_DWORD", "NoDigits", "abc"},
                      {"HKCU", "SKEY_VIEWER\\Sub", "REG_SZ", "", "default text"},
                  });
  }
  void Apply() { ASSERT_EQ(1, reg.SetCommands(modAdd, deleteValue, deleteKey)); }
  static void ExpectFailure(const cReg& reg, int32_t code, const char* text) {
    EXPECT_EQ(code, reg.lastError);
    ASSERT_NE(nullptr, reg.GetErrorMessage());
    EXPECT_STREQ(text, reg.GetErrorMessage());
  }

  cReg reg;
  morstd::cMorMemBlock modAdd, deleteValue, deleteKey;
  std::string before;
};

TEST_F(RegCommands, SetCommandsCopiesTheListsAndTheGettersSplitThem) {
  Fill(&deleteKey, {{"HKCU", "A"}, {"HKLM"}});  // an incomplete last command is no command
  Fill(&deleteValue, {{"HKCU", "B", "V"}});
  Fill(&modAdd, {{"HKCU", "C", "REG_SZ", "N", "T"}, {"HKLM", "D", "REG_DWORD", "M", "5"}});
  Apply();
  Fill(&modAdd, {});  // copies: the caller's lists may go
  EXPECT_EQ(1, reg.DeleteKeyCount());
  EXPECT_EQ(1, reg.DeleteValueCount());
  EXPECT_EQ(2, reg.ModAddCount());

  const char *key, *subKey, *type, *name, *value;
  ASSERT_EQ(1, reg.GetModAddCommand(1, &key, &subKey, &type, &name, &value));
  EXPECT_STREQ("HKLM", key);
  EXPECT_STREQ("D", subKey);
  EXPECT_STREQ("REG_DWORD", type);
  EXPECT_STREQ("M", name);
  EXPECT_STREQ("5", value);
  ASSERT_EQ(1, reg.GetDeleteValueCommand(0, &key, &subKey, &name));
  EXPECT_STREQ("V", name);
  ASSERT_EQ(1, reg.GetDeleteKeyCommand(0, &key, &subKey));
  EXPECT_STREQ("A", subKey);
  EXPECT_EQ(0, reg.GetModAddCommand(2, &key, &subKey, &type, &name, &value));
  EXPECT_EQ(0, reg.GetModAddCommand(-1, &key, &subKey, &type, &name, &value));
  EXPECT_EQ(0, reg.GetDeleteValueCommand(1, &key, &subKey, &name));
  EXPECT_EQ(0, reg.GetDeleteKeyCommand(1, &key, &subKey));

  // A copy that fails leaves no list half set.
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(0, reg.SetCommands(modAdd, deleteValue, deleteKey));
  EXPECT_EQ(0, reg.ModAddCount() + reg.DeleteValueCount() + reg.DeleteKeyCount());
  EXPECT_EQ(0, reg.lastError);
}

TEST_F(RegCommands, SuccessCommitsEveryCommandAndTheVersion) {
  SetValidCommands();
  Apply();
  reg.updateMode = 1;
  reg.lastError = 7;
  EXPECT_EQ(1, reg.ExecuteRegistryCommands());
  EXPECT_EQ(0, reg.lastError);
  EXPECT_TRUE(hostwin::MessageJournal().empty());

  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Other\\Old"));
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Other\\Parent\\Child"));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettings + "\\Cache"));
  EXPECT_EQ(std::optional<std::string>("stays"),
            hostwin::RegistryReadString(HKEY_LOCAL_MACHINE,
                                        "Software\\Dravenholt\\Viewer\\1.0\\Cache", "Machine"));
  EXPECT_FALSE(hostwin::RegistryReadValue(HKEY_CURRENT_USER, kSettings, "ContentsDir"));
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettings + "\\Fresh"));
  EXPECT_EQ(std::optional<std::string>("contents9.example.com"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettings, "Server1"));
  EXPECT_EQ(
      std::optional<DWORD>(0xFFFFFFFFu),
      hostwin::RegistryReadDword(HKEY_LOCAL_MACHINE, "Software\\Dravenholt\\Shared", "Minus"));
  EXPECT_EQ(std::optional<DWORD>(0),
            hostwin::RegistryReadDword(HKEY_CURRENT_USER, kSettings + "\\Sub", "NoDigits"));
  EXPECT_EQ(std::optional<std::string>("default text"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettings + "\\Sub", ""));
  EXPECT_EQ(std::optional<std::string>("1.0.4.8219"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettings, "Version"));
  EXPECT_EQ(std::optional<DWORD>(1),
            hostwin::RegistryReadDword(HKEY_CURRENT_USER, kSettings, "UpdateSuccess"));
  EXPECT_EQ(std::optional<std::string>("C:\\Viewer\\DHViewer.exe"),
            hostwin::RegistryReadString(HKEY_LOCAL_MACHINE, kUninstallKey.path, "DisplayIcon"));
  // The lists stay for whoever looks afterwards.
  EXPECT_EQ(4, reg.ModAddCount());
}

TEST_F(RegCommands, WithoutCommandsOnlyTheVersionIsWritten) {
  EXPECT_EQ(1, reg.ExecuteRegistryCommands());
  EXPECT_EQ(std::optional<std::string>("1.0.4.8219"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettings, "Version"));
  EXPECT_EQ(std::optional<std::string>("1.0.4.8219"),
            hostwin::RegistryReadString(HKEY_LOCAL_MACHINE, kUninstallKey.path, "DisplayVersion"));
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Other\\Old"));
  EXPECT_FALSE(hostwin::RegistryReadValue(HKEY_CURRENT_USER, kSettings, "UpdateSuccess"));
}

TEST_F(RegCommands, AnyFailureLeavesTheWholeRegistryAsItWas) {
  struct Case {
    int32_t code;
    const char* text;
    // Adds the failing command after the valid ones, or injects a fault.
    void (*spoil)(RegCommands*);
  };
  const Case cases[] = {
      {605, "レジストリ保存失敗(00605)",
       [](RegCommands* t) {
         for (const char* s : {"hkey_current_user", "Software\\Other"}) t->deleteKey.Add(s);
       }},
      {605, "レジストリ保存失敗(00605)",
       [](RegCommands* t) {
         for (const char* s : {"HKCR", "Software\\Other"}) t->deleteKey.Add(s);
       }},
      {625, "レジストリ保存失敗(00625)",
       [](RegCommands* t) {
         for (const char* s : {"hkey_current_user", "SKEY_VIEWER", "Version"})
           t->deleteValue.Add(s);
       }},
      {630, "レジストリ保存失敗(00630)",
       [](RegCommands*) {
         hostwin::InjectFault(Fault{"RegCreateKeyTransactedA", kSettings + "\\Fresh"});
       }},
      {645, "レジストリコマンド失敗(00645)",
       [](RegCommands* t) {
         for (const char* s : {"hkey_current_user", "SKEY_VIEWER", "REG_SZ", "A", "b"})
           t->modAdd.Add(s);
       }},
      {650, "レジストリコマンド失敗(00650)",
       [](RegCommands*) {
         hostwin::InjectFault(Fault{"RegCreateKeyTransactedA", "Software\\Dravenholt\\Shared"});
       }},
      {655, "レジストリコマンド失敗(00655)",
       [](RegCommands*) {
         hostwin::InjectFault(Fault{"RegSetValueExA", "Server1"});
       }},
      {660, "レジストリコマンド失敗(00660)",
       [](RegCommands*) {
         hostwin::InjectFault(Fault{"RegSetValueExA", "Minus"});
       }},
      {665, "レジストリコマンド失敗(00665)",
       [](RegCommands* t) {
         for (const char* s : {"HKCU", "SKEY_VIEWER", "reg_sz", "A", "b"}) t->modAdd.Add(s);
       }},
      // The version record runs last, inside the same transaction.
      {500, "アンインストール情報保存失敗(00500)",
       [](RegCommands*) {
         hostwin::InjectFault(Fault{"RegCreateKeyTransactedA", kUninstallKey.path});
       }},
      {515, "レジストリ保存失敗(00515",
       [](RegCommands*) {
         hostwin::InjectFault(Fault{"RegSetValueExA", "Version"});
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    SetValidCommands();
    c.spoil(this);
    Apply();
    EXPECT_EQ(0, reg.ExecuteRegistryCommands());
    ExpectFailure(reg, c.code, c.text);
    EXPECT_EQ(before, hostwin::RegistrySnapshot());
    EXPECT_TRUE(hostwin::MessageJournal().empty());
    hostwin::ClearFaults();
  }

  // Memory running out inside the commands.
  SetValidCommands();
  Apply();
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(0, reg.ExecuteRegistryCommands());
  ExpectFailure(reg, 99998, "レジストリコマンドで例外が発生発生(99998)");
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
}

TEST_F(RegCommands, CommandsAfterAFailedOneDoNotRun) {
  Fill(&modAdd, {
                    {"HKCU", "Software\\First", "REG_SZ", "A", "a"},
                    {"HKCU", "Software\\Second", "REG_BINARY", "B", "b"},
                    {"HKCU", "Software\\Third", "REG_SZ", "C", "c"},
                });
  Apply();
  cRegTransaction transaction;
  ASSERT_TRUE(transaction.Begin());
  EXPECT_EQ(0, reg.ExecuteCommands(transaction.Handle()));
  EXPECT_EQ(665, reg.lastError);
  // "Third" never got its key: a transacted open of it finds nothing.
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, cRegTransaction::OpenKey(transaction.Handle(), HKEY_CURRENT_USER,
                                                    "Software\\First", KEY_READ, &key));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, cRegTransaction::OpenKey(transaction.Handle(), HKEY_CURRENT_USER,
                                                           "Software\\Third", KEY_READ, &key));
  EXPECT_TRUE(transaction.Rollback());

  reg.lastError = 7;
  EXPECT_EQ(0, reg.ExecuteCommands(nullptr));
  EXPECT_EQ(0, reg.lastError);
}

TEST_F(RegCommands, TransactionFailures) {
  SetValidCommands();
  Apply();

  // No transaction to be had: nothing runs and the code stays as it was.
  hostwin::InjectFault(Fault{"CreateTransaction", "", 1, ERROR_NOT_ENOUGH_MEMORY});
  reg.lastError = 7;
  EXPECT_EQ(0, reg.ExecuteRegistryCommands());
  EXPECT_EQ(7, reg.lastError);
  EXPECT_EQ(0, hostwin::CallCount("RegCreateKeyTransactedA"));

  // A commit that fails publishes nothing, and is no success.
  hostwin::InjectFault(Fault{"CommitTransaction", "", 1, ERROR_TRANSACTION_NOT_ACTIVE});
  EXPECT_EQ(0, reg.ExecuteRegistryCommands());
  EXPECT_EQ(670, reg.lastError);
  EXPECT_STREQ("レジストリコマンド確定失敗(00670)", reg.GetErrorMessage());
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
  EXPECT_TRUE(hostwin::MessageJournal().empty());

  // A rollback that fails is shown; the failed step's code stays.
  hostwin::InjectFault(Fault{"RegSetValueExA", "Server1"});
  hostwin::InjectFault(Fault{"RollbackTransaction", "", 1, ERROR_TRANSACTION_NOT_ACTIVE});
  EXPECT_EQ(0, reg.ExecuteRegistryCommands());
  EXPECT_EQ(655, reg.lastError);
  const std::vector<hostwin::MessageBoxEntry> journal = hostwin::MessageJournal();
  ASSERT_EQ(1u, journal.size());
  EXPECT_EQ("RollbackTransaction失敗", journal[0].text);
  EXPECT_EQ("", journal[0].caption);
  EXPECT_EQ(nullptr, journal[0].owner);
  EXPECT_EQ(static_cast<UINT>(MB_OK), journal[0].flags);
  // Even then the transaction, closed without a commit, changed nothing.
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
}

TEST_F(RegCommands, ViewerSubKeysGoWithTheirWholeSubtree) {
  cRegTransaction transaction;
  ASSERT_TRUE(transaction.Begin());
  reg.lastError = 7;
  EXPECT_EQ(1, reg.DeleteViewerSubKey(transaction.Handle(), "Cache"));
  EXPECT_EQ(0, reg.lastError);
  EXPECT_EQ(1, reg.DeleteViewerSubKey(transaction.Handle(), "Missing\\Deeper"));
  // No path names the settings key itself, which no command may delete.
  EXPECT_EQ(0, reg.DeleteViewerSubKey(transaction.Handle(), ""));
  EXPECT_EQ(0, reg.DeleteViewerSubKey(transaction.Handle(), nullptr));
  EXPECT_EQ(0, reg.DeleteViewerSubKey(nullptr, "Cache"));
  ASSERT_TRUE(transaction.Commit());
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettings + "\\Cache"));
  EXPECT_EQ(std::optional<std::string>("1.0.3.9999"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettings, "Version"));

  // A DeleteKey command of the settings key alone deletes nothing.
  hostwin::ResetAll();
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettings + "\\Keep", "A", "b"));
  Fill(&deleteKey, {{"HKCU", "SKEY_VIEWER"}});
  Apply();
  EXPECT_EQ(1, reg.ExecuteRegistryCommands());
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettings + "\\Keep"));
}

TEST_F(RegCommands, AViewerSubKeyThatCannotBeListedStaysAndTheUpdateGoesOn) {
  hostwin::InjectFault(Fault{"RegEnumKeyExA", "", 0, ERROR_ACCESS_DENIED});
  cRegTransaction transaction;
  ASSERT_TRUE(transaction.Begin());
  EXPECT_EQ(0, reg.DeleteViewerSubKey(transaction.Handle(), "Cache"));
  ASSERT_TRUE(transaction.Rollback());

  Fill(&deleteKey, {{"HKCU", "SKEY_VIEWER\\Cache"}});
  Apply();
  EXPECT_EQ(1, reg.ExecuteRegistryCommands());
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettings + "\\Cache\\Index"));
}

TEST(RegErrorMessages, OnlyTheTableHasTexts) {
  cReg reg;
  // The fetch codes guard the command loops, which never ask past their lists; their
  // texts are checked here.
  const struct {
    int32_t code;
    const char* text;
  } guards[] = {{600, "レジストリ保存失敗(00600)"},
                {620, "レジストリ保存失敗(00620)"},
                {640, "レジストリコマンド失敗(00640)"}};
  for (const auto& guard : guards) {
    reg.lastError = guard.code;
    EXPECT_STREQ(guard.text, reg.GetErrorMessage());
  }
  for (int32_t code : {0, -1, 1, 101, 525, 599, 999, 99997, 100000}) {
    reg.lastError = code;
    EXPECT_EQ(nullptr, reg.GetErrorMessage()) << code;
  }
}

}  // namespace
