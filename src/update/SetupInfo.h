// The update patch "SetupInfo.xml": which groups of installed files an update deletes
// and which registry commands it runs. A payload without the member, or with an empty
// one, leaves the defaults (nothing deleted, no commands), and Parse is not called.
#pragma once

#include "morstd/MorMemBlock.h"

class cSetupInfo {
 public:
  cSetupInfo() = default;
  virtual ~cSetupInfo() = default;
  cSetupInfo(const cSetupInfo&) = delete;
  cSetupInfo& operator=(const cSetupInfo&) = delete;

  // Reads the patch; 1 on success, 0 with the code in GetLastError (100 to 141, 99999
  // for anything else, such as memory). Commands read before a failure stay in the
  // lists; the update stops on any failure. Shows nothing itself (the XML reader shows
  // its own message boxes for a malformed document).
  int Parse(const char* text);
  // "セットアップ情報取得失敗(20ccc)" for a code, the success text for 0, "" for a
  // code of no one's.
  const char* GetErrorMessage() const { return MessageFor(lastError); }
  // The same texts for any code.
  static const char* MessageFor(int code);
  int GetLastError() const { return lastError; }

  int GetDeleteCollections() const { return deleteCollections; }
  int GetDeleteModel() const { return deleteModel; }
  int GetDeleteProgramFiles() const { return deleteProgramFiles; }
  // Five texts per command: Key, SubKey, Type, ValueName, Value.
  const morstd::cMorMemBlock& GetModAddList() const { return modAddList; }
  // Three texts per command: Key, SubKey, ValueName.
  const morstd::cMorMemBlock& GetDeleteValueList() const { return deleteValueList; }
  // Two texts per command: Key, SubKey.
  const morstd::cMorMemBlock& GetDeleteKeyList() const { return deleteKeyList; }

 private:
  int deleteCollections = 0;
  int deleteModel = 0;
  int deleteProgramFiles = 0;
  morstd::cMorMemBlock modAddList;
  morstd::cMorMemBlock deleteValueList;
  morstd::cMorMemBlock deleteKeyList;
  int lastError = 0;
};
