// In-process helpers for running the uninstall dialog under Wine: an owner window of
// the test's own (standing in for the installer's main window), and a helper thread
// that answers the dialog's message boxes, reading the log pane while each one shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "gui/lib/MessageBoxInfo.h"

namespace uninsttest {

// The message the owner window turns into a call of its `onPoke`.
constexpr UINT WM_TEST_POKE = WM_APP + 7;

class OwnerWindow {
 public:
  // A visible top-level window of 600 x 360 with an optional edit control `editId`.
  explicit OwnerWindow(int editId = 0);
  ~OwnerWindow();
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;

  HWND hwnd = nullptr;
  HWND edit = nullptr;
  // Runs on the interface thread when WM_TEST_POKE arrives.
  std::function<void()> onPoke;
};

// One message box as the watcher met it.
struct SeenBox {
  guitest::MessageBoxInfo box;
  std::string log;  // the text of the owner's log pane (control 1001) at that moment
};

class BoxWatcher {
 public:
  // Answers `count` boxes of this process with OK; with closeOwner, then posts WM_CLOSE
  // to the box's owner.
  BoxWatcher(int count, bool closeOwner);
  ~BoxWatcher();
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;
  // Joins the helper; the boxes seen.
  std::vector<SeenBox> Finish();

 private:
  std::vector<SeenBox> seen_;
  std::thread thread_;
};

}  // namespace uninsttest
