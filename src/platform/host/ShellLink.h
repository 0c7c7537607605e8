// The shell link object of the host layer: enough of COM (CoInitialize,
// CoCreateInstance, IShellLinkA, IPersistFile) and of MultiByteToWideChar for a caller
// to make a shortcut as on Windows. Save writes a small file at the link's path (so a
// missing folder fails as it does there) and records the link for tests
// (ShellLinkControl.h). Injected faults: "CoCreateInstance", "QueryInterface" (of the
// link object), "IPersistFile::Save" by the link's path.
#pragma once

#include "platform/host/Types.h"

typedef const WCHAR* LPCWSTR;
typedef LPCWSTR LPCOLESTR;
typedef GUID IID;
typedef GUID CLSID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define CLSCTX_INPROC_SERVER 0x1
#define CP_ACP 0
#define SW_SHOW 5

extern const IID IID_IUnknown;
extern const IID IID_IShellLinkA;
extern const IID IID_IPersistFile;
extern const CLSID CLSID_ShellLink;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

// The part of IShellLinkA that the program uses.
struct IShellLinkA : IUnknown {
  virtual HRESULT SetPath(LPCSTR pszFile) = 0;
  virtual HRESULT SetArguments(LPCSTR pszArgs) = 0;
  virtual HRESULT SetWorkingDirectory(LPCSTR pszDir) = 0;
  virtual HRESULT SetShowCmd(int iShowCmd) = 0;

 protected:
  ~IShellLinkA() = default;
};

// The part of IPersistFile that the program uses.
struct IPersistFile : IUnknown {
  virtual HRESULT Save(LPCOLESTR pszFileName, BOOL fRemember) = 0;

 protected:
  ~IPersistFile() = default;
};

// COM for the calling thread; counted, so tests can see each call is balanced.
HRESULT CoInitialize(LPVOID pvReserved);
void CoUninitialize();
// Only CLSID_ShellLink is offered (REGDB_E_CLASSNOTREG for anything else), only
// in-process, only without an outer object.
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid,
                         LPVOID* ppv);

// Code page 932 (CP_ACP, and 932 itself) to wide characters. With cbMultiByte -1 the
// text's NUL is converted and counted too. 0 with ERROR_INSUFFICIENT_BUFFER when
// cchWideChar is too small, ERROR_NO_UNICODE_TRANSLATION for bytes that are no text.
#define ERROR_NO_UNICODE_TRANSLATION 1113L
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);
