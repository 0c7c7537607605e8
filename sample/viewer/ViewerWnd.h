// The viewer's one window: the installed version, how the viewer was started, the list
// of recorded settings and a close button.
#pragma once

#include <windows.h>

#include <string>

#include "SettingsReport.h"

class cViewerWnd {
 public:
  static const char kClassName[];
  static const char kTitle[];
  // Child control ids, which tests look the texts up by.
  enum { ID_VERSION = 100, ID_LAUNCH_NOTE = 101, ID_SETTINGS = 102, ID_CLOSE = IDOK };

  cViewerWnd(const cSettingsReport& report, const std::string& launchNote);

  // Registers the class once and creates the shown window; null on failure.
  HWND Create(HINSTANCE instance, int showCommand);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateChildren(HWND hwnd);
  void Layout(int width, int height);

  HWND hwnd = nullptr;
  HINSTANCE instance = nullptr;
  std::string versionText;
  std::string launchNote;
  std::string settingsText;
};
