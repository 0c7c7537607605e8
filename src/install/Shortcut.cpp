#include "install/Shortcut.h"

#include "platform/win.h"

namespace {

constexpr int kLinkPathChars = MAX_PATH;

// The link object's two interfaces, released whatever way the save ends.
struct LinkInterfaces {
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  ~LinkInterfaces() {
    if (file) file->Release();
    if (link) link->Release();
  }
};

int SaveShortcut(const char* linkPath, const char* target, const char* workingFolder) {
  LinkInterfaces objects;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&objects.link))) ||
      !objects.link) {
    objects.link = nullptr;
    return 0;
  }
  objects.link->SetPath(target);
  objects.link->SetArguments("");
  objects.link->SetWorkingDirectory(workingFolder);
  objects.link->SetShowCmd(SW_SHOW);
  if (FAILED(objects.link->QueryInterface(IID_IPersistFile,
                                          reinterpret_cast<void**>(&objects.file))) ||
      !objects.file) {
    objects.file = nullptr;
    return 0;
  }
  // A path that does not convert (or is longer than a path can be) is not saved under
  // a cut or empty name.
  WCHAR widePath[kLinkPathChars] = {};
  if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, kLinkPathChars) == 0) return 0;
  return SUCCEEDED(objects.file->Save(widePath, TRUE)) ? 1 : 0;
}

}  // namespace

int CreateShortcut(const char* linkPath, const char* target, const char* workingFolder) {
  if (!linkPath || !target || !workingFolder) return 0;
  // COM is needed only for the link object, on whichever thread asks.
  const HRESULT initialized = CoInitialize(nullptr);
  const int made = SaveShortcut(linkPath, target, workingFolder);
  if (SUCCEEDED(initialized)) CoUninitialize();
  return made;
}
