// Uninstall.exe's own window: a plain frame that the uninstall dialog covers with its
// log, standing where the installer's main window stands for the installer.
#pragma once

#include <windows.h>

// Registers the class and shows the window; null when it cannot be made.
HWND CreateUninstallWindow(HINSTANCE instance);

constexpr char kUninstallWindowClass[] = "DravenholtUninstallWindow";
