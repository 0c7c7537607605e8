// The texts the update worker logs for the codes of the file operations.
#include "update/UpdateFile.h"

namespace {

struct CodeGroup {
  int codes[11];  // zero-terminated when shorter
  const char* text;
};

// These are shown as "<text>(30<code>)".
constexpr CodeGroup kGroups[] = {
    {{100, 105, 110, 120}, "データ取り出し失敗"},
    {{200, 205, 210, 215}, "圧縮ファイルヘッダー取得失敗"},
    {{250, 255, 260, 265, 270, 275, 280}, "設定ファイル取得失敗"},
    {{330, 335, 340, 345, 350, 355}, "バックアップ失敗"},
    {{400, 405, 410, 415, 420, 425, 430, 435, 440, 445, 450}, "ファイルのインストール失敗"},
    {{500, 505}, "一時ファイル削除失敗"},
    {{700, 710, 715}, "ロールバック処理失敗"},
    {{800, 810}, "ディレクトリ作成失敗"},
};

struct FixedText {
  int code;
  const char* text;
};

// The catch-all codes of the backup, the patch extraction, the listing and the
// loading have always shown 69ccc.
constexpr FixedText kFixedTexts[] = {
    {0, "ファイル操作成功"},
    {99880, "ファイルインストール中に例外発生(99880)"},
    {99890, "ファイル削除コマンド処理中に例外発生(99890)"},
    {99900, "ロールバック処理中に例外発生(99900)"},
    {99920, "一時ファイル削除中に例外発生(99920)"},
    {99930, "バックアップ中に例外発生(69930)"},
    {99960, "設定ファイル取得時に例外発生(69960)"},
    {99970, "圧縮ファイルヘッダー取得時に例外発生(69970)"},
    {99999, "ファイル読込時に例外発生(69999)"},
};

}  // namespace

const char* cUpdateFile::GetErrorMessage() {
  for (const FixedText& fixed : kFixedTexts)
    if (fixed.code == lastError) return fixed.text;
  for (const CodeGroup& group : kGroups) {
    for (int code : group.codes) {
      if (code == 0) break;
      if (code != lastError) continue;
      try {
        message.Format("%s(30%d)", group.text, code);
      } catch (...) {
        return group.text;  // no memory for the number: the group's text still says it
      }
      return message.GetData();
    }
  }
  return nullptr;
}
