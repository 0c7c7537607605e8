// The shell-side deletions of the uninstall worker, which the update engine may reuse:
// whole trees, the contents folder with its parent, the Start-menu shortcut and
// folder, and the shell's special folders they live in.
#pragma once

#include "platform/win.h"

// Deletes a file or a folder with everything below it, without the recycle bin and
// without any dialog. 1 when it all went; 0 otherwise, also for an empty path or one
// that does not fit a MAX_PATH buffer (a shortened path would name another tree).
int DeleteTree(const char* path, HWND owner);

// Deletes the contents folder's tree, then its parent folder when that is empty by
// then. 1 when the tree went (whatever became of the parent), 0 when it did not or
// the path has no parent folder.
int DeleteContents(const char* contentsDir, HWND owner);

// The user's Start-menu programs folder into `path` (MAX_PATH bytes). 0 when the shell
// cannot tell it; the failure is shown as "hres" first.
int GetProgramsFolder(char* path, HWND owner);

// The user's desktop folder into `path` (MAX_PATH bytes); 0 without a word when the
// shell cannot tell it.
int GetDesktopFolder(char* path, HWND owner);

// Deletes the viewer's Start-menu shortcut and then its Start-menu folder when that is
// empty. 1 when the programs folder was found (the deletions themselves are best
// effort), else 0.
int RemoveStartMenu(HWND owner);

// The folder the installation makes in Program Files, in the application-data folder
// and in the documents folder to hold the viewer's folders.
constexpr char kVendorFolderName[] = "Dravenholt";
// The ends of the two folders the installer records in the user's registry settings:
// the application-data folder ("AppDataDir") and the contents folder ("ContentsDir").
constexpr char kAppDataFolderTail[] = "\\Dravenholt\\Viewer";
constexpr char kContentsFolderTail[] = "\\Dravenholt\\Contents";

// True for an absolute local path "X:\..." whose components are neither empty, "." nor
// "..": a placeholder replaced by it stays below it.
bool IsAbsoluteFolder(const char* path);

// True when `path` is an absolute folder that ends in `tail` ("\Dravenholt\Viewer"),
// compared without regard to case: a folder that only this product names so, never a
// drive's root or a folder of the system or the user. Values any program of the user
// can write are removed whole only when they pass.
bool IsProductFolder(const char* path, const char* tail);

// Removes the parent of `folder` when it is named "Dravenholt" and empty by now: the
// installation made it to hold the viewer's folders.
void RemoveEmptyProductParent(const char* folder);

// The shortcut file's name on the desktop and in the Start-menu folder.
constexpr char kShortcutName[] = "Dravenholtビューア.lnk";
// The viewer's folder in the Start menu's programs folder.
constexpr char kStartMenuFolderName[] = "Dravenholt";
