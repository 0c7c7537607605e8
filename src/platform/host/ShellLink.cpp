// The shell link object: a link keeps what it was told until Save writes it into the
// sandbox (its target as the file's text) and into the journal of saved links.
#include "platform/host/ShellLink.h"

#include <iconv.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/Faults.h"
#include "platform/host/Files.h"
#include "platform/host/Handles.h"
#include "platform/host/ShellLinkControl.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace hostwin {
namespace {

struct LinkState {
  std::mutex lock;
  std::vector<SavedShellLink> saved;
  std::atomic<int> initializations{0};
  std::atomic<int> live{0};
};

LinkState& State() {
  static LinkState state;
  return state;
}

void ResetLinks() {
  std::lock_guard<std::mutex> guard(State().lock);
  State().saved.clear();
  State().initializations = 0;
}

const bool registered = (RegisterReset(&ResetLinks), true);

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

HRESULT FromWin32(DWORD error) {
  return error ? static_cast<HRESULT>((error & 0xFFFF) | 0x80070000u) : S_OK;
}

// Converts between code page 932 and wchar_t; false for bytes that are no text.
bool Convert(const char* to, const char* from, const char* input, size_t inputBytes,
             std::string* output) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  output->assign(inputBytes * 4 + 8, '\0');
  char* in = const_cast<char*>(input);
  size_t inLeft = inputBytes;
  char* out = &(*output)[0];
  size_t outLeft = output->size();
  const bool ok = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  output->resize(output->size() - outLeft);
  return ok;
}

std::string Text(LPCSTR text) { return text ? text : ""; }

class HostShellLink final : public IShellLinkA, public IPersistFile {
 public:
  HostShellLink() { ++State().live; }

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    DWORD error = 0;
    if (FailNow("QueryInterface", nullptr, &error)) return E_NOINTERFACE;
    if (SameGuid(riid, IID_IUnknown) || SameGuid(riid, IID_IShellLinkA)) {
      *ppvObject = static_cast<IShellLinkA*>(this);
    } else if (SameGuid(riid, IID_IPersistFile)) {
      *ppvObject = static_cast<IPersistFile*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

  HRESULT SetPath(LPCSTR pszFile) override {
    link.target = Text(pszFile);
    return S_OK;
  }
  HRESULT SetArguments(LPCSTR pszArgs) override {
    link.arguments = Text(pszArgs);
    return S_OK;
  }
  HRESULT SetWorkingDirectory(LPCSTR pszDir) override {
    link.workingFolder = Text(pszDir);
    return S_OK;
  }
  HRESULT SetShowCmd(int iShowCmd) override {
    link.showCmd = iShowCmd;
    return S_OK;
  }

  HRESULT Save(LPCOLESTR pszFileName, BOOL) override {
    if (!pszFileName) return E_POINTER;
    std::string path;
    const size_t wideBytes = std::wcslen(pszFileName) * sizeof(WCHAR);
    if (!Convert("CP932", "WCHAR_T", reinterpret_cast<const char*>(pszFileName), wideBytes, &path))
      return FromWin32(ERROR_NO_UNICODE_TRANSLATION);
    DWORD error = 0;
    if (FailNow("IPersistFile::Save", path.c_str(), &error)) return FromWin32(error);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FromWin32(GetLastError());
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, link.target.data(), static_cast<DWORD>(link.target.size()),
                                 &written, nullptr);
    error = wrote ? 0 : GetLastError();
    CloseHandle(file);
    if (!wrote) return FromWin32(error);
    link.path = path;
    std::lock_guard<std::mutex> guard(State().lock);
    State().saved.push_back(link);
    return S_OK;
  }

 private:
  ~HostShellLink() { --State().live; }

  ULONG references = 1;
  SavedShellLink link;
};

}  // namespace

std::vector<SavedShellLink> SavedShellLinks() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().saved;
}

int ComInitializations() { return State().initializations; }

int LiveShellLinks() { return State().live; }

}  // namespace hostwin

HRESULT CoInitialize(LPVOID) {
  ++hostwin::State().initializations;
  return S_OK;
}

void CoUninitialize() { --hostwin::State().initializations; }

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  DWORD error = 0;
  if (hostwin::FailNow("CoCreateInstance", nullptr, &error)) return hostwin::FromWin32(error);
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  if (!hostwin::SameGuid(rclsid, CLSID_ShellLink) || !(dwClsContext & CLSCTX_INPROC_SERVER))
    return REGDB_E_CLASSNOTREG;
  auto* link = new hostwin::HostShellLink();
  const HRESULT result = link->QueryInterface(riid, ppv);
  link->Release();
  return result;
}

int MultiByteToWideChar(UINT CodePage, DWORD, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
  if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 ||
      (CodePage != CP_ACP && CodePage != 932)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t bytes =
      cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  std::string wide;
  if (!hostwin::Convert("WCHAR_T", "CP932", lpMultiByteStr, bytes, &wide)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  const int count = static_cast<int>(wide.size() / sizeof(WCHAR));
  if (cchWideChar == 0) return count;
  if (count > cchWideChar) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpWideCharStr, wide.data(), wide.size());
  return count;
}
