#include "app/InstDirDlg.h"

#include <shlobj.h>

#include "app/PageImage.h"
#include "app/SetupMWnd.h"
#include "install/ProductFolder.h"

namespace {

const char kBrowseTitle[] = "フォルダを選択してください";

// Opens the folder dialog at the start folder (lParam), when one was given.
int CALLBACK SelectStartFolder(HWND browser, UINT message, LPARAM, LPARAM startFolder) {
  const char* start = reinterpret_cast<const char*>(startFolder);
  if (message == BFFM_INITIALIZED && start && start[0]) {
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, startFolder);
  }
  return 0;
}

}  // namespace

INT_PTR cInstDirDlg::DialogProc(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextA(hwnd, IDC_TEXT, owner_.installDir.GetData() ? owner_.installDir.GetData() : "");
      return 1;
    case WM_PAINT:
      PaintPageImage(hwnd);
      return 1;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDC_BROWSE) return 0;
      BrowseForInstallFolder();
      return 1;
    default:
      return ModelessDefault(message);
  }
}

void cInstDirDlg::BrowseForInstallFolder() {
  char start[MAX_PATH] = {};
  GetDlgItemTextA(hwnd, IDC_TEXT, start, MAX_PATH);

  // The folder dialog needs COM on this thread; the pairing leaves any earlier
  // initialisation as it was.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOA info = {};
  info.hwndOwner = hwnd;
  info.lpszTitle = kBrowseTitle;
  info.lpfn = SelectStartFolder;
  info.lParam = reinterpret_cast<LPARAM>(start);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
  char path[MAX_PATH] = {};
  BOOL isFolder = FALSE;
  if (chosen) {
    isFolder = SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) CoUninitialize();

  // Cancel, or a place without a file-system path (such as the computer itself),
  // changes nothing.
  if (!isFolder || !path[0]) return;
  morstd::cMorString folder;
  folder.Assign(path);
  AppendProductFolder(&folder);
  // The folder check and the workers hold paths in MAX_PATH buffers: a longer one
  // would be cut there, so it is not taken.
  if (folder.GetLength() >= MAX_PATH) return;
  owner_.installDir.Assign(folder.GetData());
  SetDlgItemTextA(hwnd, IDC_TEXT, folder.GetData());
}
