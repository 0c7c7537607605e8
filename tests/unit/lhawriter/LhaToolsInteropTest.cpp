// Archives from the writer pass the independent LHA tools: lhasa tests every CRC and
// extracts the very bytes that went in; jlha lists every member.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "LhaWriter.h"
#include "unit/lhawriter/WrittenArchive.h"

namespace {

struct Input {
  std::string name;  // as stored, backslash separators
  std::vector<uint8_t> data;
  bool folder = false;
};

// The name as a path on disk: each real separator (not the second byte of a
// double-byte character) becomes a slash.
std::string OnDisk(const std::string& name) {
  std::string path = name;
  for (size_t i = 0; i < path.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(path[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      ++i;
    } else if (c == '\\') {
      path[i] = '/';
    }
  }
  return path;
}

class LhaToolsInterop : public ::testing::Test {
 protected:
  // Writes the inputs into one archive and checks it with both tools.
  void CheckWithTools(const std::string& label, const std::vector<Input>& inputs,
                      const cLh5Encoder::Effort& effort = {}) {
    cLhaWriter writer(effort);
    std::string error;
    for (const Input& in : inputs) {
      const bool ok = in.folder ? writer.AddFolder(in.name, &error)
                                : writer.AddFile(in.name, in.data.data(), in.data.size(), &error);
      ASSERT_TRUE(ok) << error;
    }
    const std::string dir = FreshWorkDir(label);
    const std::string archive = dir + "/test.lzh";
    WriteFile(archive, writer.Finish());

    std::string out;
    EXPECT_EQ(RunCommand("lhasa t '" + archive + "'", &out), 0) << out;
    EXPECT_EQ(out.find("CRC error"), std::string::npos) << out;
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;

    const std::string extracted = dir + "/x";
    std::filesystem::create_directories(extracted);
    EXPECT_EQ(RunCommand("cd '" + extracted + "' && lhasa xq '" + archive + "'", &out), 0) << out;
    for (const Input& in : inputs) {
      const std::string path = extracted + "/" + OnDisk(in.name);
      if (in.folder) {
        EXPECT_TRUE(std::filesystem::is_directory(path)) << path;
      } else {
        EXPECT_TRUE(ReadFile(path) == in.data) << path;
      }
    }

    EXPECT_EQ(RunCommand("LANG=C lha l '" + archive + "'", &out), 0) << out;
    const std::string total = std::to_string(inputs.size()) + " file";
    EXPECT_NE(out.find(total), std::string::npos) << out;
  }
};

TEST_F(LhaToolsInterop, ContentOfEveryKindPassesLhasaAndJlha) {
  std::vector<Input> inputs = {
      {"empty.txt", {}},
      {"one.bin", {0x7F}},
      {"run.bin", std::vector<uint8_t>(70000, 'r')},
      {"random.bin", RandomBytes(40000, 11)},
      {"text.txt", TextBytes(500000, 12)},
      {"docs\\", {}, true},
      {"docs\\deep\\", {}, true},
      {"docs\\deep\\readme.txt", TextBytes(3000, 13)},
      // Shift-JIS names whose second bytes are 0x5C stay whole on disk.
      {"ソフト\\", {}, true},
      {"ソフト\\表示.txt", TextBytes(2000, 18)},
  };
  std::vector<uint8_t> mixed = TextBytes(100000, 14);
  const std::vector<uint8_t> noise = RandomBytes(30000, 15);
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  mixed.insert(mixed.end(), mixed.begin(), mixed.begin() + 60000);
  inputs.push_back({"docs\\mixed.bin", mixed});
  CheckWithTools("kinds", inputs);
}

TEST_F(LhaToolsInterop, SmallBlocksSingleSymbolCodesAndSlicesPassLhasa) {
  cLh5Encoder::Effort effort;
  effort.blockCodes = 2;
  effort.optimalParse = false;
  CheckWithTools("blocks", {{"run.bin", std::vector<uint8_t>(3000, 0)},
                            {"text.txt", TextBytes(9000, 16)}},
                 effort);
  effort.blockCodes = 100;
  effort.optimalParse = true;
  CheckWithTools("segments", {{"run.bin", std::vector<uint8_t>(3000, 0)},
                              {"text.txt", TextBytes(9000, 16)}},
                 effort);
  // Slices packed apart and joined mid-byte.
  effort = {};
  effort.sliceBytes = 4001;
  CheckWithTools("slices", {{"run.bin", std::vector<uint8_t>(9000, 0)},
                            {"text.txt", TextBytes(30000, 19)}},
                 effort);
}

TEST_F(LhaToolsInterop, LongNamesAndPaddedHeadersPassLhasaAndJlha) {
  const std::string dir = std::string(118, 'a') + "\\";
  CheckWithTools("names", {{dir, {}, true},
                           {dir + std::string(100, 'b'), TextBytes(1000, 17)},
                           {std::string(221, 'c') + "\\", {}, true},
                           {"z", {'z'}}});
}

}  // namespace
