// WM_CREATE failures: this test program is linked without the dialog resources, so the
// first page (interactive) or the update display ("-ai") cannot be made.
#include <string>

#include "gui/app/AppFixture.h"

namespace apptest {
namespace {

class CreateFailureTest : public AppFixture {
 protected:
  std::vector<guitest::MessageBoxInfo> CreateAndClose(const char* commandLine) {
    guitest::MessageBoxAnswerer answerer(IDOK);
    CreateMainWindow(commandLine);
    EXPECT_TRUE(PumpUntil([&] { return WindowGone(); }, 5000));
    answerer.Stop();
    return answerer.Boxes();
  }
};

TEST_F(CreateFailureTest, MissingWelcomePageIsCode150AndClosesTheWindow) {
  auto boxes = CreateAndClose("");
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("内部エラーのためインストール続行不能です(150)"), boxes[0].text);
  EXPECT_EQ(std::string("警告"), boxes[0].caption);
  EXPECT_EQ(nullptr, window->welcomeDlg);  // released with the window
}

TEST_F(CreateFailureTest, MissingUpdateDisplayIsCode165AndStartsNoTimer) {
  auto boxes = CreateAndClose("-ai");
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("内部エラーのためインストール続行不能です(165)"), boxes[0].text);
  EXPECT_EQ(std::string("警告"), boxes[0].caption);
  EXPECT_EQ(0, window->workerStarted);
}

}  // namespace
}  // namespace apptest
