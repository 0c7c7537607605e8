// Driving Windows programs from tests under Wine: finding windows and controls, reading
// their texts, pressing buttons, answering message boxes, screenshots, child programs.
//
// Texts are raw code page 932 bytes (the narrow API in a Japanese locale); compare them
// with literals of the test sources, which the compiler turns into the same bytes.
// Waiting functions poll with a timeout that only guards against a hang; no test should
// depend on how long anything takes.
//
// Paths: Wine shows the Unix root as drive Z:, so /work/x is Z:\work\x. Functions taking
// a path accept either form.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "gui/lib/ChildProcess.h"
#include "gui/lib/MessageBoxAnswerer.h"
#include "gui/lib/MessageBoxInfo.h"

namespace guitest {

// --- windows and controls ------------------------------------------------------------

// The first visible top-level window of class className (compared without regard to
// case) whose title equals `title` (any title when null), owned by processId (any
// process when 0). Null after timeoutMs.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs,
                   DWORD processId = 0);
// True once `hwnd` is destroyed or hidden; false if it still shows after timeoutMs.
bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs);
// The first descendant of parent, at any depth, whose control id is `id`; null if none.
HWND FindControl(HWND parent, int id);
// FindControl, repeated until the control exists (pages and child dialogs are often
// made after their parent shows); null after timeoutMs.
HWND WaitForControl(HWND parent, int id, DWORD timeoutMs);
// WM_GETTEXT (across processes too); empty when the window does not answer in time.
std::string GetText(HWND hwnd);
// Posts BM_CLICK to the visible, enabled button `id` under parent. Posted, not sent: the
// click may open a modal loop in the program (a dialog, a message box) and the caller
// must stay free to drive it. The click happens when the button's thread next pumps
// messages; a test clicking its own window pumps with PumpUntil. False when the button
// is missing, hidden or disabled.
bool ClickButton(HWND parent, int id);
// Screen coordinates of the whole window; all zero when hwnd is not a window.
RECT WindowRect(HWND hwnd);
// Pumps this thread's messages until done() holds (true) or timeoutMs passes (false).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Waits until the control `id` under parent exists and shows, and, when `text` is not
// null, until its text equals `text` (a wizard sets its buttons' texts after the page
// appears). Null after timeoutMs.
HWND WaitForControlText(HWND parent, int id, const char* text, DWORD timeoutMs);
// ClickButton once the button shows and is enabled; false if it never does in time.
bool ClickButtonWhenReady(HWND parent, int id, DWORD timeoutMs);
// Lets the program of hwnd catch up: a sent WM_NULL returns once its thread has handled
// what was queued before it, and RedrawWindow paints what is still invalid, so a
// screenshot taken next shows the window as the program last changed it.
bool SettleWindow(HWND hwnd, DWORD timeoutMs);
// BM_SETCHECK on the check box `id` under parent, read back with BM_GETCHECK; false when
// the box is missing or did not take the state.
bool SetCheck(HWND parent, int id, bool checked);
// BST_CHECKED, BST_UNCHECKED, or -1 when the control is missing or does not answer.
int GetCheck(HWND parent, int id);

// --- message boxes ---------------------------------------------------------------------

// A message box is a visible top-level dialog ("#32770") whose text is the static
// control 0xFFFF and whose other children are statics and buttons only (dialogs of the
// program have edits, progress bars and the like). Waits for one, of processId (any
// when 0), and describes it.
bool WaitForMessageBox(MessageBoxInfo* out, DWORD timeoutMs, DWORD processId = 0);
// Describes `box` if it is a message box.
bool ReadMessageBox(HWND box, MessageBoxInfo* out);
// Presses button buttonId (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7) and waits until the box
// has closed. False when the box has no such button or did not close.
bool AnswerMessageBox(HWND box, int buttonId);

// --- screenshots -----------------------------------------------------------------------

// Captures what the screen shows of hwnd (its whole window rectangle, clipped to the
// screen), or the whole screen when hwnd is null, and writes a PNG with GDI+.
bool SaveScreenshot(HWND hwnd, const char* pngPath);
// pngName inside the screenshot folder (DH_SCREENSHOT_DIR, which with-wine.sh sets to
// build/screenshots; else <build folder>\screenshots), the folder made if missing.
std::string ScreenshotPath(const char* pngName);

// --- paths and programs ----------------------------------------------------------------

// "/work/x/y" -> "Z:\work\x\y"; Windows paths come back unchanged.
std::string WinPath(const std::string& path);
// A file of this build folder (e.g. "DHViewSetup.exe", "tests/gui/x.exe"), as a Windows
// path.
std::string ExePathOf(const char* buildRelative);
// CreateProcessA; hProcess is null when the program could not start. The caller closes
// both handles (or uses ChildProcess, which does).
PROCESS_INFORMATION Launch(const std::string& commandLine, const char* workDir = nullptr);
// False when the process is still running after timeoutMs; otherwise its exit code.
bool WaitForExit(const PROCESS_INFORMATION& process, DWORD timeoutMs, DWORD* exitCode);

}  // namespace guitest
