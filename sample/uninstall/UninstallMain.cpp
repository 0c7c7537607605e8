// Placeholder Uninstall.exe of the sample payload. The uninstall entry points at this
// program, so "Programs and Features" finds something to start; until the real
// uninstaller ships it only says that removal is not available and ends with 1, since
// nothing was removed.
#include <windows.h>

namespace {

const char kNotAvailable[] =
    "このビルドにはアンインストーラーが含まれていないため、\r\n"
    "Dravenholtビューアをアンインストールできません。";
const char kCaptionConfirm[] = "確認";

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, kNotAvailable, kCaptionConfirm, MB_OK | MB_ICONINFORMATION);
  return 1;
}
