// The main window: decides the mode from the command line, lays out its two panes and
// the three wizard buttons, runs the one worker thread and turns its completion
// message into the final message box (or, in "-ai" mode, a silent relaunch of the
// viewer). It also holds every value the wizard collects and the workers consume.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/BaseWindow.h"
#include "morstd/MorString.h"
#include "payload/GetLhaFile.h"

class cReg;
class cUpWnd;
class cDownWnd;
class cWelcomeDlg;
class cReadMeDlg;
class cInstDirDlg;
class cShortCutDlg;
class cConfirmDlg;
class cUpdateDspDlg;

// The completion message of every worker: wParam says which worker, lParam is 0 for
// success or the failure code.
constexpr UINT WM_SETUP_COMPLETE = WM_APP + 100;
constexpr WPARAM SETUP_DONE_INSTALL = 1000;
constexpr WPARAM SETUP_DONE_UPDATE = 2000;

constexpr int ID_BUTTON_BACK = 50000;
constexpr int ID_BUTTON_NEXT = 50001;
constexpr int ID_BUTTON_CANCEL = 50002;
constexpr UINT_PTR ID_TIMER_UPDATE_START = 1;

// Kinds of StartWorker.
constexpr int WORKER_UPDATE = 0;
constexpr int WORKER_INSTALL = 1;

// A worker thread procedure; it receives the main window object.
typedef unsigned(__stdcall* WorkerProc)(void* mainWindow);

class cSetupMWnd : public BaseWindow<cSetupMWnd> {
 public:
  static constexpr int kWidth = 600;
  static constexpr int kHeight = 360;
  static constexpr int kUpperPaneHeight = 280;
  static constexpr int kCommandLineSize = 256;

  cSetupMWnd();
  ~cSetupMWnd() override;
  cSetupMWnd(const cSetupMWnd&) = delete;
  cSetupMWnd& operator=(const cSetupMWnd&) = delete;

  const char* GetClassName() const override { return "MainWindowClass For DHViewSetup"; }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Keeps the command line (cut to 255 bytes) that decides the mode.
  void SetCommandLine(const char* text);
  // True when the command line is exactly "-ai": the viewer asked for a silent update.
  bool IsUpdateMode() const;

  // Registers the class and creates the main window once; later calls return it.
  HWND CreateMainWindow();

  // Starts the worker of the kind (WORKER_INSTALL or WORKER_UPDATE): 1 started,
  // 0 one is still running, -2 its state cannot be read, -3 it could not be created.
  // A started worker makes the window refuse to close until StopWorker.
  int StartWorker(int kind);
  // Waits for the worker to end, however long it takes, forgets it and lets the window
  // close again.
  void StopWorker();
  // Starts the installed viewer again with "-ai" after a successful silent update.
  int LaunchViewerForUpdate();

  // The thread procedures of the two kinds; the workers register theirs, tests their own.
  static void SetWorkerProcedure(int kind, WorkerProc procedure);

  // The checks before the wizard: stores the folders and installState, posts WM_CLOSE
  // when the system cannot run the viewer, and throws the code of a failed check.
  void RunPreflightChecks();

  // The wizard's Next and Back buttons: one page step forward (with the installed-version
  // questions on the welcome page and the workers' start) or back.
  void NextPage();
  void PreviousPage();
  // The shortcut page's two boxes into addStartMenu and addDesktop: 1, or 0 when the
  // shortcut page is not shown.
  int ReadShortcutChoices();

  cReg* reg = nullptr;
  HWND upPane = nullptr;
  HWND downPane = nullptr;
  RECT backRect = {};
  RECT nextRect = {};
  RECT cancelRect = {};
  RECT pageRect = {};
  HWND backButton = nullptr;
  HWND nextButton = nullptr;
  HWND cancelButton = nullptr;
  int pageIndex = -1;
  cUpWnd* upWnd = nullptr;
  cDownWnd* downWnd = nullptr;
  cWelcomeDlg* welcomeDlg = nullptr;
  cReadMeDlg* readMeDlg = nullptr;
  cInstDirDlg* instDirDlg = nullptr;
  cShortCutDlg* shortCutDlg = nullptr;
  cConfirmDlg* confirmDlg = nullptr;
  cUpdateDspDlg* updateDspDlg = nullptr;
  uint64_t freeBytes = 0;
  uint64_t requiredBytes = 0;
  morstd::cMorString installDir;
  morstd::cMorString defaultInstallDir;
  morstd::cMorString programsDir;
  morstd::cMorString desktopDir;
  morstd::cMorString appDataDir;
  morstd::cMorString contentsDir;
  char commandLine[kCommandLineSize] = {};
  int installState = 0;
  int addStartMenu = 0;
  int addDesktop = 0;
  int createInstallDir = 0;
  HANDLE workerThread = nullptr;
  unsigned workerThreadId = 0;
  int workerStarted = 0;
  int memberCount = 0;
  // 1 while a worker runs, the window's own (from its start until its completion has
  // been taken) or the uninstall dialog's over it: the window then refuses to close,
  // Cancel and the close box are disabled and a log-off or shutdown is refused.
  int workRunning = 0;
  // The payload as the folder page measured it, held deciphered for the install
  // worker, which wipes it after the extraction (or the window's end does).
  cGetLhaFile measuredPayload;

 private:
  void OnCreate();
  // The internal-error message with the code; the window then closes.
  void ReportCreateFailure(int code);
  void CreateInteractiveLayout();
  void StartUpdateMode();
  void OnTimer(UINT_PTR id);
  void OnSetupComplete(WPARAM wParam, LPARAM lParam);
  // Joins a worker that still runs first: it uses reg, the update display and the
  // strings of this object.
  void DestroyChildren();
  // Enters (1) or leaves (0) the state of workRunning, with its buttons and reason.
  void SetWorkRunning(int running);

  // Replaces the page on show with page `index` (0-4) and sets the buttons for it;
  // throws 140 (no page object) or 150 (no page dialog).
  void ShowPage(int index);
  // The update display in the upper pane; throws 160 (no object) or 165 (no dialog).
  void OpenUpdateDisplay();
  void DeletePages();
  void AskAboutInstalledVersion();
  void StartUpdateFromReadMe();
  void ShowConfirmation();
  // Starts the worker for the page that asked; a failed start leaves that page current.
  void StartWorkerFromPage(int kind, int page);
  // The warning that the worker of the kind could not be started.
  void TellWorkerStartFailed(int kind);
};
