#include "gui/e2e/ShellLinks.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

namespace e2e {

bool ReadShellLink(const std::string& linkPath, std::string* target, std::string* workDir) {
  if (FAILED(CoInitialize(nullptr))) return false;
  bool ok = false;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  wchar_t widePath[MAX_PATH] = {};
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) > 0 &&
      SUCCEEDED(file->Load(widePath, STGM_READ))) {
    char path[MAX_PATH] = {};
    char folder[MAX_PATH] = {};
    ok = SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)) &&
         SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    *target = path;
    *workDir = folder;
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  CoUninitialize();
  return ok;
}

}  // namespace e2e
