// The texts the update worker logs for every code of the file operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "update/UpdateFile.h"

namespace {

std::string MessageFor(int code) {
  cUpdateFile update;
  update.lastError = code;
  const char* text = update.GetErrorMessage();
  return text ? text : "<none>";
}

TEST(UpdateFileMessagesTest, GroupedCodesShowTheirNumberAfter30) {
  struct Group {
    std::vector<int> codes;
    std::string text;
  };
  const std::vector<Group> groups = {
      {{100, 105, 110, 120}, "データ取り出し失敗"},
      {{200, 205, 210, 215}, "圧縮ファイルヘッダー取得失敗"},
      {{250, 255, 260, 265, 270, 275, 280}, "設定ファイル取得失敗"},
      {{330, 335, 345, 350, 355}, "バックアップ失敗"},
      {{400, 405, 410, 415, 420, 425, 430, 435, 440, 445, 450}, "ファイルのインストール失敗"},
      {{500, 505}, "一時ファイル削除失敗"},
      {{700, 710, 715}, "ロールバック処理失敗"},
      {{800, 810}, "ディレクトリ作成失敗"},
  };
  for (const Group& group : groups)
    for (int code : group.codes)
      EXPECT_EQ(group.text + "(30" + std::to_string(code) + ")", MessageFor(code));
  EXPECT_EQ("データ取り出し失敗(30120)", MessageFor(120));
}

TEST(UpdateFileMessagesTest, FixedTexts) {
  EXPECT_EQ("ファイル操作成功", MessageFor(0));
  EXPECT_EQ("ファイルインストール中に例外発生(99880)", MessageFor(99880));
  EXPECT_EQ("ファイル削除コマンド処理中に例外発生(99890)", MessageFor(99890));
  EXPECT_EQ("ロールバック処理中に例外発生(99900)", MessageFor(99900));
  EXPECT_EQ("一時ファイル削除中に例外発生(99920)", MessageFor(99920));
  EXPECT_EQ("バックアップ中に例外発生(69930)", MessageFor(99930));
  EXPECT_EQ("設定ファイル取得時に例外発生(69960)", MessageFor(99960));
  EXPECT_EQ("圧縮ファイルヘッダー取得時に例外発生(69970)", MessageFor(99970));
  EXPECT_EQ("ファイル読込時に例外発生(69999)", MessageFor(99999));
}

TEST(UpdateFileMessagesTest, CodesOfNoOneHaveNoText) {
  for (int code : {-1, 1, 99, 101, 225, 342, 455, 510, 705, 805, 999, 69930, 99910, 100000})
    EXPECT_EQ("<none>", MessageFor(code)) << code;
}

TEST(UpdateFileMessagesTest, TheTextStaysValidUntilTheNextCall) {
  cUpdateFile update;
  update.lastError = 330;
  const char* first = update.GetErrorMessage();
  cUpdateFile other;
  other.lastError = 810;
  ASSERT_NE(nullptr, other.GetErrorMessage());
  EXPECT_STREQ("バックアップ失敗(30330)", first);
}

}  // namespace
