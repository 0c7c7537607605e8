// The special folders as the tests set them, handed out as item lists in task memory
// the way the shell does, so that callers must free them with CoTaskMemFree (the
// sanitizers of the host build report a list that is never freed).
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/host/Faults.h"
#include "platform/host/Shell.h"
#include "platform/host/ShellControl.h"
#include "platform/host/Strings.h"

namespace hostwin {
namespace {

struct SpecialFolders {
  std::mutex lock;  // the uninstall worker asks from its own thread
  std::map<int, std::string> paths;
};

SpecialFolders& Folders() {
  static SpecialFolders folders;
  return folders;
}

void ClearSpecialFolders() {
  std::lock_guard<std::mutex> guard(Folders().lock);
  Folders().paths.clear();
}

const bool registered = (RegisterReset(&ClearSpecialFolders), true);

int FolderId(int csidl) { return csidl & ~CSIDL_FLAG_MASK; }

}  // namespace

void SetSpecialFolder(int csidl, const std::string& path) {
  std::lock_guard<std::mutex> guard(Folders().lock);
  if (path.empty())
    Folders().paths.erase(FolderId(csidl));
  else
    Folders().paths[FolderId(csidl)] = path;
}

}  // namespace hostwin

LPVOID CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb ? cb : 1); }

void CoTaskMemFree(LPVOID pv) { std::free(pv); }

// The list holds one item whose bytes are the path with its NUL, then the empty item
// (a zero size) that ends every item list.
HRESULT SHGetSpecialFolderLocation(HWND, int csidl, PIDLIST_ABSOLUTE* ppidl) {
  if (!ppidl) return E_FAIL;
  *ppidl = nullptr;
  // Faults name the folder by its CSIDL number in decimal, e.g. "16".
  const std::string id = std::to_string(hostwin::FolderId(csidl));
  DWORD error = 0;
  if (hostwin::FailNow("SHGetSpecialFolderLocation", id.c_str(), &error)) return E_FAIL;
  std::string path;
  {
    hostwin::SpecialFolders& folders = hostwin::Folders();
    std::lock_guard<std::mutex> guard(folders.lock);
    auto it = folders.paths.find(hostwin::FolderId(csidl));
    if (it == folders.paths.end()) return E_FAIL;
    path = it->second;
  }
  const size_t itemSize = sizeof(WORD) + path.size() + 1;
  if (itemSize > 0xFFFF) return E_FAIL;
  auto* bytes = static_cast<BYTE*>(CoTaskMemAlloc(itemSize + sizeof(WORD)));
  if (!bytes) return E_FAIL;
  const WORD size = static_cast<WORD>(itemSize);
  std::memcpy(bytes, &size, sizeof size);
  std::memcpy(bytes + sizeof size, path.c_str(), path.size() + 1);
  std::memset(bytes + itemSize, 0, sizeof(WORD));
  *ppidl = reinterpret_cast<PIDLIST_ABSOLUTE>(bytes);
  return S_OK;
}

BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR pszPath) {
  if (!pidl || !pszPath) return FALSE;
  const char* path = reinterpret_cast<const char*>(pidl->mkid.abID);
  DWORD error = 0;
  if (hostwin::FailNow("SHGetPathFromIDListA", path, &error)) return FALSE;
  if (pidl->mkid.cb <= sizeof(WORD) || std::strlen(path) >= MAX_PATH) return FALSE;
  lstrcpynA(pszPath, path, MAX_PATH);
  return TRUE;
}
