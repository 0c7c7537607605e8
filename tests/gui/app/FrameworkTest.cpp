// The window and dialog templates and the page pictures, in process under Wine.
#include <windows.h>
#include <gdiplus.h>

#include <string>

#include "app/GdiPlusInit.h"
#include "app/PageImage.h"
#include "app/UpWnd.h"
#include "app/UpdateDspDlg.h"
#include "app/WelcomeDlg.h"
#include "gui/app/AppFixture.h"
#include "gui/lib/GuiTest.h"

namespace apptest {
namespace {

class FrameworkTest : public AppFixture {};

TEST_F(FrameworkTest, CreatingADialogThatExistsReturnsOneWithoutASecondWindow) {
  CreateMainWindow("");
  HWND first = window->welcomeDlg->hwnd;
  ASSERT_TRUE(IsWindow(first));
  int before = 0;
  for (HWND c = GetWindow(window->upPane, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++before;
  EXPECT_EQ(1, window->welcomeDlg->Create(window->upPane));
  int after = 0;
  for (HWND c = GetWindow(window->upPane, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++after;
  EXPECT_EQ(before, after);
  EXPECT_EQ(first, window->welcomeDlg->hwnd);
}

TEST_F(FrameworkTest, DeletingAPageDestroysItsDialogAndToleratesOneAlreadyGone) {
  CreateMainWindow("");
  auto* page = new cWelcomeDlg();
  ASSERT_EQ(1, page->Create(window->upPane));
  HWND dialog = page->hwnd;
  delete page;
  EXPECT_FALSE(IsWindow(dialog));

  // The system destroys the dialog first (its parent goes): WM_DESTROY clears hwnd and
  // the later delete does not touch the dead handle.
  auto* display = new cUpdateDspDlg();
  ASSERT_EQ(1, display->Create(window->upPane));
  DestroyWindow(display->hwnd);
  EXPECT_EQ(nullptr, display->hwnd);
  delete display;
}

TEST_F(FrameworkTest, PaneObjectsHaveTheirClassesAndAPaneCreateIsIdempotent) {
  CreateMainWindow("");
  EXPECT_EQ(window->upPane, window->upWnd->Create(window->hwnd));
  EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VISIBLE),
            static_cast<DWORD>(GetWindowLongA(window->upPane, GWL_STYLE)) & 0xFFFF0000u);
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(window->upWnd),
            GetWindowLongPtrA(window->upPane, GWLP_USERDATA));
}

TEST_F(FrameworkTest, PicturesLoadAtTheirSizesAndAMissingOneGivesNull) {
  cGDIPlusInit gdiplus;
  ASSERT_EQ(0, gdiplus.GetStatus());
  struct {
    int id;
    UINT width, height;
  } pictures[] = {{136, 600, 280}, {137, 158, 265}};
  for (auto& p : pictures) {
    Gdiplus::GpBitmap* bitmap = LoadPngResource(p.id);
    ASSERT_NE(nullptr, bitmap) << p.id;
    UINT w = 0, h = 0;
    Gdiplus::DllExports::GdipGetImageWidth(bitmap, &w);
    Gdiplus::DllExports::GdipGetImageHeight(bitmap, &h);
    EXPECT_EQ(p.width, w);
    EXPECT_EQ(p.height, h);
    // Decoded pixels survive the release of the resource stream.
    Gdiplus::ARGB pixel = 0;
    EXPECT_EQ(Gdiplus::Ok, Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, 10, 10, &pixel));
    EXPECT_EQ(0xFF000000u, pixel & 0xFF000000u);
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
  }
  EXPECT_EQ(nullptr, LoadPngResource(999));
  EXPECT_EQ(nullptr, LoadPngResource(111));  // an icon id, not a "PNG" resource
}

TEST_F(FrameworkTest, WelcomePagePaintsThePictureOverTheUpperPane) {
  cGDIPlusInit gdiplus;
  CreateMainWindow("");
  HWND page = window->welcomeDlg->hwnd;
  RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  PumpFor(100);
  // The welcome picture is dark blue at its top and not the pane's white.
  HDC dc = GetDC(page);
  COLORREF top = GetPixel(dc, 300, 5);
  ReleaseDC(page, dc);
  EXPECT_NE(RGB(255, 255, 255), top);
  EXPECT_GT(GetBValue(top), GetRValue(top));
}

}  // namespace
}  // namespace apptest
