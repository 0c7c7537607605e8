// The pictures of the wizard pages: PNG resources decoded by GDI+ at every paint and
// composed off-screen before one draw to the page.
#pragma once

#include <windows.h>

namespace Gdiplus {
class GpBitmap;
}

// The decoded picture, or null when the resource is missing or unreadable. The caller
// deletes it with GdipDisposeImage.
Gdiplus::GpBitmap* LoadPngResource(int id);

// WM_PAINT of the welcome page: PNG 136 on a white canvas of the page's size.
void PaintWelcomeImage(HWND page);
// WM_PAINT of the folder, shortcut and confirmation pages: PNG 137 at its own size.
void PaintPageImage(HWND page);
