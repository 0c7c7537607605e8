// Shell functions of the host layer: FO_DELETE, FO_COPY and FO_MOVE through
// SHFileOperationA (files and whole trees, no recycle bin, no dialogs) and the special folders, which tests set
// through ShellControl.h (an unset folder makes SHGetSpecialFolderLocation fail).
// Injected faults name SHFileOperationA by the list's first name, SHGetSpecialFolderLocation
// by the CSIDL in decimal ("2", "16"), SHGetPathFromIDListA by the folder's path. The
// deletions inside a tree go through DeleteFileA and RemoveDirectoryA, whose faults
// apply there too.
#pragma once

#include "platform/host/Types.h"

// ---- SHFileOperationA ---------------------------------------------------------------
#define FO_MOVE 0x0001
#define FO_COPY 0x0002
#define FO_DELETE 0x0003
#define FO_RENAME 0x0004

#define FOF_MULTIDESTFILES 0x0001
#define FOF_CONFIRMMOUSE 0x0002
#define FOF_SILENT 0x0004
#define FOF_RENAMEONCOLLISION 0x0008
#define FOF_NOCONFIRMATION 0x0010
#define FOF_WANTMAPPINGHANDLE 0x0020
#define FOF_ALLOWUNDO 0x0040
#define FOF_FILESONLY 0x0080
#define FOF_SIMPLEPROGRESS 0x0100
#define FOF_NOCONFIRMMKDIR 0x0200
#define FOF_NOERRORUI 0x0400
typedef WORD FILEOP_FLAGS;

typedef struct _SHFILEOPSTRUCTA {
  HWND hwnd;
  UINT wFunc;
  LPCSTR pFrom;  // names, each ending in a NUL, the list ending in one more NUL
  LPCSTR pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCSTR lpszProgressTitle;
} SHFILEOPSTRUCTA, *LPSHFILEOPSTRUCTA;

// FO_DELETE removes every listed file, and every listed folder with all it holds
// (read-only files too), permanently: FOF_ALLOWUNDO is accepted, but the host has no
// recycle bin. 0 when everything went; otherwise the first failure's error
// (ERROR_FILE_NOT_FOUND for a missing name, as Wine reports it) and the deletion stops
// there. Wildcards are not offered (ERROR_INVALID_NAME); an empty list or a drive's
// root is refused with ERROR_ACCESS_DENIED.
// FO_COPY and FO_MOVE take one destination in pTo (FOF_MULTIDESTFILES is not offered):
// a single source to a missing name becomes that name (missing parent folders are
// made); to an existing folder, or several sources, go inside it. Folders meeting
// folders of the same name are merged and files replaced without asking. A missing
// source is ERROR_FILE_NOT_FOUND, a tree into itself ERROR_INVALID_PARAMETER; the
// first failure stops the operation, what was done stays. FO_RENAME answers
// ERROR_CALL_NOT_IMPLEMENTED. The flags of silence and confirmation are accepted and
// change nothing here.
int SHFileOperationA(LPSHFILEOPSTRUCTA lpFileOp);

// ---- special folders ----------------------------------------------------------------
#define CSIDL_DESKTOP 0x0000
#define CSIDL_PROGRAMS 0x0002
#define CSIDL_PERSONAL 0x0005
#define CSIDL_STARTUP 0x0007
#define CSIDL_STARTMENU 0x000b
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_COMMON_PROGRAMS 0x0017
#define CSIDL_COMMON_DESKTOPDIRECTORY 0x0019
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROGRAM_FILES 0x0026
#define CSIDL_FLAG_CREATE 0x8000
#define CSIDL_FLAG_MASK 0xFF00

typedef struct _SHITEMID {
  WORD cb;  // the size of this item, cb included
  BYTE abID[1];
} SHITEMID;
typedef struct _ITEMIDLIST {
  SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;

// S_OK with an item list the caller frees with CoTaskMemFree; E_FAIL (and a null list)
// for a folder the test has not set.
HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, PIDLIST_ABSOLUTE* ppidl);
// Copies the folder's path (at most MAX_PATH bytes with its NUL); FALSE for a null list.
BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR pszPath);

LPVOID CoTaskMemAlloc(SIZE_T cb);
void CoTaskMemFree(LPVOID pv);
