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

// The shortcut file's name on the desktop and in the Start-menu folder.
constexpr char kShortcutName[] = "Dravenholtビューア.lnk";
// The viewer's folder in the Start menu's programs folder.
constexpr char kStartMenuFolderName[] = "Dravenholt";
