// The main window's side of the checks before the wizard: the display's colour depth,
// the found folders and installation state stored in the window's fields, and the
// close that an unsupported system asks for.
#include <new>

#include "app/SetupMWnd.h"
#include "install/Preflight.h"

namespace {

int DisplayBitsPerPixel(HWND window) {
  HDC dc = GetDC(window);
  const int bits = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(window, dc);
  return bits;
}

}  // namespace

void cSetupMWnd::RunPreflightChecks() {
  PreflightResult found;
  const int code = ::RunPreflightChecks(hwnd, DisplayBitsPerPixel(hwnd), reg, &found);
  appDataDir = found.appDataDir;
  defaultInstallDir = found.defaultInstallDir;
  installDir = found.installDir;
  desktopDir = found.desktopDir;
  programsDir = found.programsDir;
  contentsDir = found.contentsDir;
  installState = found.installState;
  if (found.closeRequested) PostMessageA(hwnd, WM_CLOSE, 0, 0);
  // The creation handler reports the code and closes the window.
  if (code != 0) throw code;
}
