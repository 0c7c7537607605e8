// The printf-style side of the log sink: what the workers format is what the pane gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morstd/LogSink.h"

namespace {

class RecordingLog : public cLogSink {
 public:
  int AppendLogText(const char* text) override {
    lines.emplace_back(text);
    return result;
  }
  std::vector<std::string> lines;
  int result = 1;
};

TEST(LogSink, FormatsThenAppendsAndPassesThePanesResultOn) {
  RecordingLog log;
  EXPECT_EQ(1, log.AppendLog("%s 消去\r\n", "C:\\P\\\x95\x5c.txt"));
  EXPECT_EQ(1, log.AppendLog("アンインストール中に例外発生(%d)\r\n", 110));
  log.result = 0;
  EXPECT_EQ(0, log.AppendLog("%s", std::string(5000, 'x').c_str()));
  ASSERT_EQ(3u, log.lines.size());
  EXPECT_EQ("C:\\P\\\x95\x5c.txt 消去\r\n", log.lines[0]);
  EXPECT_EQ("アンインストール中に例外発生(110)\r\n", log.lines[1]);
  EXPECT_EQ(5000u, log.lines[2].size());
}

}  // namespace
