// Screenshots: a GDI copy of the screen, written as PNG by GDI+.
#include "gui/lib/GuiTest.h"

#include <objidl.h>  // PROPID, needed by gdiplus.h
#include <gdiplus.h>

#include <vector>

namespace guitest {
namespace {

// GDI+ is started once per process and left running: shutting it down while another
// thread of the test might still draw is not worth the saving.
bool StartGdiplus() {
  static const bool started = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

bool PngEncoder(CLSID* clsid) {
  UINT count = 0;
  UINT size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<BYTE> buffer(size);
  Gdiplus::ImageCodecInfo* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (lstrcmpiW(codecs[i].MimeType, L"image/png") == 0) {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
  wide.resize(n - 1);
  return wide;
}

bool WritePng(HBITMAP bitmap, const std::string& path) {
  CLSID png;
  if (!StartGdiplus() || !PngEncoder(&png)) return false;
  std::wstring widePath = Wide(WinPath(path));
  if (widePath.empty()) return false;
  Gdiplus::Bitmap image(bitmap, nullptr);
  return image.GetLastStatus() == Gdiplus::Ok &&
         image.Save(widePath.c_str(), &png, nullptr) == Gdiplus::Ok;
}

}  // namespace

bool SaveScreenshot(HWND hwnd, const char* pngPath) {
  if (pngPath == nullptr) return false;
  RECT screen;
  screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT area = screen;
  if (hwnd != nullptr) {
    RECT window = WindowRect(hwnd);
    if (!IntersectRect(&area, &window, &screen)) return false;
  }
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;

  bool saved = false;
  HDC screenDc = GetDC(nullptr);
  HDC memoryDc = CreateCompatibleDC(screenDc);
  HBITMAP bitmap = CreateCompatibleBitmap(screenDc, width, height);
  if (memoryDc != nullptr && bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    bool copied = BitBlt(memoryDc, 0, 0, width, height, screenDc, area.left, area.top,
                         SRCCOPY | CAPTUREBLT) != FALSE;
    SelectObject(memoryDc, old);
    saved = copied && WritePng(bitmap, pngPath);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memoryDc != nullptr) DeleteDC(memoryDc);
  ReleaseDC(nullptr, screenDc);
  return saved;
}

}  // namespace guitest
