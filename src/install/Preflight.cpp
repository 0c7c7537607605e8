#include "install/Preflight.h"

#include "registry/Reg.h"
#include "res/Captions.h"

namespace {

const char kUnsupportedOs[] = "本アプリケーションはVista、Windows7,8,8.1,10のみの対応となります";
const char kOldBrowser[] =
    "本アプリケーションの動作のために Internet Explore 9.0以降を\r\nインストールしてください";
const char kFewColours[] =
    "画面の色数は（High Color 16ビット）色以上でないと正しく表示されないことがあります";
const char kNoProgramsLocation[] = "hres";

const char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer";
const char kBrowserVersionValue[] = "Version";
const char kRequiredBrowser[] = "9.0";
constexpr DWORD kBrowserVersionBytes = 256;

const char kFolderFormat[] = "%s\\Dravenholt";
const char kContentsFormat[] = "%s\\Dravenholt\\Contents";

constexpr int kLeastBitsPerPixel = 16;
constexpr DWORD kLastUnsupportedNtMajor = 5;

// Some systems (Wine among them) give a shell folder with a closing backslash, which
// the "%s\\Dravenholt" paths would double; a drive root ("C:\") keeps its own. The
// last byte is a separator only when it is no second byte of a Shift-JIS character.
void DropTrailingSeparator(char* path) {
  const int length = lstrlenA(path);
  if (length <= 3 || path[length - 1] != '\\') return;
  if (CharPrevA(path, path + length) != path + length - 1) return;
  path[length - 1] = '\0';
}

// The path of a shell folder into `path` (MAX_PATH bytes); the item list is freed
// whatever happens. `tellLocationFailure` shows the bare "hres" notice when the folder
// cannot even be located.
bool GetShellFolder(int csidl, char* path, bool tellLocationFailure) {
  PIDLIST_ABSOLUTE items = nullptr;
  const HRESULT located = SHGetSpecialFolderLocation(nullptr, csidl, &items);
  if (FAILED(located)) {
    if (tellLocationFailure) MessageBoxA(nullptr, kNoProgramsLocation, "", MB_OK);
    if (items) CoTaskMemFree(items);
    return false;
  }
  const BOOL found = SHGetPathFromIDListA(items, path);
  CoTaskMemFree(items);
  if (found != 1) return false;
  DropTrailingSeparator(path);
  return true;
}

}  // namespace

int IsSupportedOs() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return 0;
  switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
    case VER_PLATFORM_WIN32_WINDOWS:
      return 0;
    case VER_PLATFORM_WIN32_NT:
      return version.dwMajorVersion > kLastUnsupportedNtMajor ? 1 : 0;
    default:
      return 1;
  }
}

int HasRequiredBrowser() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBrowserKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  // One byte is kept back so that the text always ends inside the buffer; a value that
  // is missing, too long or no text leaves it empty, which compares below "9.0".
  char version[kBrowserVersionBytes] = {};
  DWORD type = 0;
  DWORD size = kBrowserVersionBytes - 1;
  const LSTATUS read = RegQueryValueExA(key, kBrowserVersionValue, nullptr, &type,
                                        reinterpret_cast<BYTE*>(version), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || type != REG_SZ) return 0;
  return lstrcmpA(version, kRequiredBrowser) >= 0 ? 1 : 0;
}

int RunPreflightChecks(HWND owner, int bitsPerPixel, cReg* reg, PreflightResult* result) {
  try {
    if (!IsSupportedOs()) {
      MessageBoxA(owner, kUnsupportedOs, kCaptionWarning, MB_ICONQUESTION);
      result->closeRequested = 1;
    }
    if (!HasRequiredBrowser()) {
      MessageBoxA(owner, kOldBrowser, kCaptionWarning, MB_OK);
      result->closeRequested = 1;
    }
    if (bitsPerPixel < kLeastBitsPerPixel) {
      MessageBoxA(owner, kFewColours, kCaptionConfirm, MB_OK);
    }

    char path[MAX_PATH] = {};
    if (!GetShellFolder(CSIDL_APPDATA, path, false)) throw kNoAppDataFolder;
    result->appDataDir.Format(kFolderFormat, path);
    if (!GetShellFolder(CSIDL_PROGRAM_FILES, path, false)) throw kNoProgramFilesFolder;
    result->defaultInstallDir.Format(kFolderFormat, path);
    result->installDir = result->defaultInstallDir;
    if (!GetShellFolder(CSIDL_DESKTOPDIRECTORY, path, false)) throw kNoDesktopFolder;
    result->desktopDir.Assign(path);
    if (!GetShellFolder(CSIDL_PROGRAMS, path, true)) throw kNoProgramsFolder;
    result->programsDir.Assign(path);
    if (!GetShellFolder(CSIDL_PERSONAL, path, false)) throw kNoDocumentsFolder;
    result->contentsDir.Format(kContentsFormat, path);

    if (!reg || !reg->ReadInstalledInfo()) throw kInstalledLookupFailed;
    if (reg->notInstalled) {
      result->installState = kNotInstalled;
    } else {
      switch (reg->CompareVersions()) {
        case 2:
          result->installState = kInstalledOlder;
          break;
        case 1:
          result->installState = kInstalledSame;
          break;
        case 0:
          result->installState = kInstalledNewer;
          break;
        default:
          throw kVersionCompareFailed;
      }
    }
    return 0;
  } catch (int code) {
    return code;
  }
}
