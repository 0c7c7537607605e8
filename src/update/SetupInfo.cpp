#include "update/SetupInfo.h"

#include <cstdlib>

#include "morstd/CatchCode.h"
#include "morstd/MorXml.h"
#include "platform/win.h"

namespace {

// A patch is written for the format version it names; a later format is refused.
constexpr char kVersionPath[] = "/UpdatePatch/Version";
constexpr char kSupportedVersion[] = "1.0";

constexpr int kNotADocument = 100;
constexpr int kNoVersion = 105;
constexpr int kLaterVersion = 110;
constexpr int kOtherFailure = 99999;

// One command list of the patch: where its count and its numbered Data elements are,
// and the code of each missing field.
struct CommandList {
  const char* numPath;
  const char* dataFormat;  // the element path of field `field` of command %d
  const char* fields[5];
  int missingCodes[5];
  int fieldCount;
};

constexpr CommandList kModAdd = {
    "/UpdatePatch/Registry/ModAdd/Num",
    "/UpdatePatch/Registry/ModAdd/Data%d/%s",
    {"Key", "SubKey", "Type", "ValueName", "Value"},
    {120, 121, 122, 123, 124},
    5};
constexpr CommandList kDeleteValue = {
    "/UpdatePatch/Registry/DeleteValue/Num",
    "/UpdatePatch/Registry/DeleteValue/Data%d/%s",
    {"Key", "SubKey", "ValueName"},
    {130, 131, 132},
    3};
constexpr CommandList kDeleteKey = {
    "/UpdatePatch/Registry/DeleteKey/Num",
    "/UpdatePatch/Registry/DeleteKey/Data%d/%s",
    {"Key", "SubKey"},
    {140, 141},
    2};

struct Message {
  int code;
  const char* text;
};
constexpr Message kMessages[] = {
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
};

// The text of a present element; one without text (an empty-element tag) reads as "".
const char* TextOf(morstd::cMorXml* xml, const morstd::XmlNode* node) {
  const char* text = xml->GetValue(node);
  return text ? text : "";
}

// A flag is set only by a text that reads as exactly the number 1.
int FlagAt(morstd::cMorXml* xml, const char* path) {
  const morstd::XmlNode* node = xml->FindByPath(path);
  return node && std::atoi(TextOf(xml, node)) == 1 ? 1 : 0;
}

// Reads the commands of one list when the patch gives its count. The first missing
// field ends the parse with its code; commands above the count are ignored.
void ReadCommands(morstd::cMorXml* xml, const CommandList& spec, morstd::cMorMemBlock* list) {
  const morstd::XmlNode* num = xml->FindByPath(spec.numPath);
  if (!num) return;
  const int count = std::atoi(TextOf(xml, num));
  list->Clear();
  char path[128];
  for (int i = 1; i <= count; ++i) {
    for (int f = 0; f < spec.fieldCount; ++f) {
      wsprintfA(path, spec.dataFormat, i, spec.fields[f]);
      const morstd::XmlNode* node = xml->FindByPath(path);
      if (!node) throw spec.missingCodes[f];
      list->Add(TextOf(xml, node));
    }
  }
}

}  // namespace

int cSetupInfo::Parse(const char* text) {
  return morstd::RunCoded(&lastError, kOtherFailure, [&] {
    morstd::cMorXml xml;
    if (!xml.Parse(text)) throw kNotADocument;
    const morstd::XmlNode* version = xml.FindByPath(kVersionPath);
    if (!version) throw kNoVersion;
    if (lstrcmpA(TextOf(&xml, version), kSupportedVersion) > 0) throw kLaterVersion;
    deleteCollections = FlagAt(&xml, "/UpdatePatch/DeleteFile/Collections");
    deleteModel = FlagAt(&xml, "/UpdatePatch/DeleteFile/Model");
    deleteProgramFiles = FlagAt(&xml, "/UpdatePatch/DeleteFile/ProgramFiles");
    ReadCommands(&xml, kModAdd, &modAddList);
    ReadCommands(&xml, kDeleteValue, &deleteValueList);
    ReadCommands(&xml, kDeleteKey, &deleteKeyList);
  });
}

const char* cSetupInfo::MessageFor(int code) {
  for (const Message& message : kMessages) {
    if (message.code == code) return message.text;
  }
  return "";
}
