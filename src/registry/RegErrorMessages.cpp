// The texts of the registry object's failure codes, as the update worker logs them.
// They are kept exactly as they have always read, quirks included: 110 says 00105,
// 515 lacks its closing parenthesis, and the two catch-alls say 発生 twice.
#include "registry/Reg.h"

namespace {

struct cCodeText {
  int32_t code;
  const char* text;
};

constexpr cCodeText kTexts[] = {
    {100, "アンインストール情報レジストリキーの取得失敗(00100)"},
    {105, "レジストリ情報DisplayVersionの取得失敗(00105)"},
    {110, "インストール先情報の取得失敗(00105)"},
    {115, "本体のレジストリキーの取得失敗(00115)"},
    {120, "APPDATAディレクトリの取得失敗(00120)"},
    {200, "現バージョンVersionParse失敗(00200)"},
    {205, "アップデーターVersionParse失敗(00205)"},
    {500, "アンインストール情報保存失敗(00500)"},
    {505, "アンインストール情報保存失敗(00505)"},
    {510, "レジストリ保存失敗(00510)"},
    {515, "レジストリ保存失敗(00515"},
    {520, "レジストリ保存失敗(00520)"},
    {600, "レジストリ保存失敗(00600)"},
    {605, "レジストリ保存失敗(00605)"},
    {620, "レジストリ保存失敗(00620)"},
    {625, "レジストリ保存失敗(00625)"},
    {630, "レジストリ保存失敗(00630)"},
    {640, "レジストリコマンド失敗(00640)"},
    {645, "レジストリコマンド失敗(00645)"},
    {650, "レジストリコマンド失敗(00650)"},
    {655, "レジストリコマンド失敗(00655)"},
    {660, "レジストリコマンド失敗(00660)"},
    {665, "レジストリコマンド失敗(00665)"},
    {670, "レジストリコマンド確定失敗(00670)"},
    {99998, "レジストリコマンドで例外が発生発生(99998)"},
    {99999, "レジストリ操作で例外が発生発生(99999)"},
};

}  // namespace

const char* cReg::GetErrorMessage() const {
  for (const cCodeText& entry : kTexts) {
    if (entry.code == lastError) return entry.text;
  }
  return nullptr;
}
