#include "app/PageImage.h"

#include <gdiplus.h>

#include <cstring>

#include "app/AppGlobals.h"
#include "res/ResourceIds.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// Failure codes of LoadPngResource, raised and caught inside it.
constexpr int kPngNotFound = 100;
constexpr int kPngEmpty = 110;
constexpr int kPngNotLoaded = 120;
constexpr int kPngNoBlock = 130;
constexpr int kPngNotLocked = 140;
constexpr int kPngNoBitmap = 200;
constexpr int kPngBadBitmap = 210;
constexpr int kPngNoStream = 220;

// A fresh HGLOBAL copy of the resource, since the stream needs memory it may own.
GpBitmap* DecodeFromResource(int id) {
  HRSRC found = FindResourceA(g_instance, MAKEINTRESOURCEA(id), "PNG");
  if (!found) throw kPngNotFound;
  DWORD size = SizeofResource(g_instance, found);
  if (size == 0) throw kPngEmpty;
  HGLOBAL loaded = LoadResource(g_instance, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) throw kPngNotLoaded;

  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) throw kPngNoBlock;
  void* copy = GlobalLock(block);
  if (!copy) {
    GlobalFree(block);
    throw kPngNotLocked;
  }
  std::memcpy(copy, bytes, size);

  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(block, FALSE, &stream) != S_OK || !stream) {
    GlobalUnlock(block);
    GlobalFree(block);
    throw kPngNoStream;
  }
  GpBitmap* decoded = nullptr;
  GdipCreateBitmapFromStream(stream, &decoded);
  // GDI+ may read a stream-backed bitmap lazily, long after this function has freed
  // the block; drawing it into a bitmap of its own decodes it now and keeps nothing
  // of the stream.
  GpBitmap* bitmap = nullptr;
  UINT width = 0, height = 0;
  bool readable = decoded && GdipGetImageWidth(decoded, &width) == Ok &&
                  GdipGetImageHeight(decoded, &height) == Ok && width > 0 && height > 0;
  if (readable &&
      GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0,
                                PixelFormat32bppARGB, nullptr, &bitmap) == Ok) {
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(bitmap, &graphics) == Ok) {
      readable = GdipDrawImageRectI(graphics, decoded, 0, 0, static_cast<INT>(width),
                                    static_cast<INT>(height)) == Ok;
      GdipDeleteGraphics(graphics);
    } else {
      readable = false;
    }
  }
  if (decoded) GdipDisposeImage(decoded);
  stream->Release();
  GlobalUnlock(block);
  GlobalFree(block);

  if (!decoded) throw kPngNoBitmap;
  if (!readable || !bitmap) {
    if (bitmap) GdipDisposeImage(bitmap);
    throw kPngBadBitmap;
  }
  return bitmap;
}

// Composes the picture on an off-screen canvas and draws that once to the page.
void PaintImage(HWND page, int imageId, bool canvasOfPageSize) {
  RECT client;
  GetClientRect(page, &client);
  GpBitmap* picture = LoadPngResource(imageId);
  UINT width = static_cast<UINT>(client.right - client.left);
  UINT height = static_cast<UINT>(client.bottom - client.top);
  if (!canvasOfPageSize) {
    width = height = 0;
    if (picture) {
      GdipGetImageWidth(picture, &width);
      GdipGetImageHeight(picture, &height);
    }
  }

  GpBitmap* canvas = nullptr;
  GpGraphics* canvasGraphics = nullptr;
  if (width > 0 && height > 0 &&
      GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0,
                                PixelFormat32bppARGB, nullptr, &canvas) == Ok) {
    GdipGetImageGraphicsContext(canvas, &canvasGraphics);
  }
  if (canvasGraphics) {
    GdipGraphicsClear(canvasGraphics, 0xFFFFFFFF);
    if (picture) {
      UINT w = 0, h = 0;
      GdipGetImageWidth(picture, &w);
      GdipGetImageHeight(picture, &h);
      GdipDrawImageRectI(canvasGraphics, picture, 0, 0, static_cast<INT>(w), static_cast<INT>(h));
    }
  }
  if (picture) GdipDisposeImage(picture);

  PAINTSTRUCT ps;
  HDC dc = BeginPaint(page, &ps);
  GpGraphics* screen = nullptr;
  if (canvas && GdipCreateFromHDC(dc, &screen) == Ok) {
    GdipDrawImageI(screen, canvas, 0, 0);
  }
  if (canvasGraphics) GdipDeleteGraphics(canvasGraphics);
  EndPaint(page, &ps);
  if (screen) GdipDeleteGraphics(screen);
  if (canvas) GdipDisposeImage(canvas);
}

}  // namespace

GpBitmap* LoadPngResource(int id) {
  try {
    return DecodeFromResource(id);
  } catch (int) {
    return nullptr;
  }
}

void PaintWelcomeImage(HWND page) { PaintImage(page, IDB_WELCOME_PNG, true); }

void PaintPageImage(HWND page) { PaintImage(page, IDB_PAGE_PNG, false); }
