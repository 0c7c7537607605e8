// Page changes that fail: this test program is linked without the dialog resources, so
// no page and no update display can be made. The codes leave the step as exceptions;
// through the window procedure they end the program with "例外".
#include <string>

#include "app/WelcomeDlg.h"
#include "gui/app/AppFixture.h"

namespace apptest {
namespace {

class WizardFailureTest : public AppFixture {
 protected:
  // The window after its failed creation, before the close it asked for is handled,
  // made to stand on `page` as if that page showed.
  void StartOn(int page, int state, guitest::MessageBoxAnswerer& answerer) {
    window = std::make_unique<cSetupMWnd>();
    window->SetCommandLine("");
    ASSERT_NE(nullptr, window->CreateMainWindow());
    ASSERT_EQ(1u, answerer.Boxes().size());  // the creation's own failure (150)
    // The close it asked for would end the next box's modal loop at once.
    MSG close;
    ASSERT_TRUE(PeekMessageA(&close, window->hwnd, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    window->pageIndex = page;
    window->installState = state;
  }

  // The code a page step raises; 0 when it raises nothing.
  int CodeOfNextPage() {
    try {
      window->NextPage();
    } catch (int code) {
      return code;
    }
    return 0;
  }
};

TEST_F(WizardFailureTest, PageThatCannotBeCreatedIsCode150) {
  guitest::MessageBoxAnswerer answerer(IDOK);
  StartOn(0, 0, answerer);
  EXPECT_EQ(150, CodeOfNextPage());
}

TEST_F(WizardFailureTest, UpdateDisplayThatCannotBeCreatedIsCode165AndStartsNoWorker) {
  guitest::MessageBoxAnswerer answerer(IDOK);
  StartOn(1, 2, answerer);
  EXPECT_EQ(165, CodeOfNextPage());
  EXPECT_NE(nullptr, window->updateDspDlg);
  EXPECT_EQ(0, window->workerStarted);
}

TEST_F(WizardFailureTest, FailedStepThroughTheButtonShowsExceptionAndEndsTheWindow) {
  guitest::MessageBoxAnswerer answerer(IDOK);
  StartOn(0, 0, answerer);
  SendMessageA(window->hwnd, WM_COMMAND, ID_BUTTON_NEXT, 0);
  EXPECT_TRUE(WindowGone());
  answerer.Stop();
  auto boxes = answerer.Boxes();
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ(std::string("例外"), boxes[1].text);
  EXPECT_EQ(std::string(""), boxes[1].caption);
}

}  // namespace
}  // namespace apptest
