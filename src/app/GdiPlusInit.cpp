#include "app/GdiPlusInit.h"

#include <gdiplus.h>

cGDIPlusInit::cGDIPlusInit() {
  Gdiplus::GdiplusStartupInput input;  // version 1, no callback, no suppression
  status = static_cast<int>(Gdiplus::GdiplusStartup(&token, &input, nullptr));
}

cGDIPlusInit::~cGDIPlusInit() {
  if (status == Gdiplus::Ok) Gdiplus::GdiplusShutdown(token);
}
