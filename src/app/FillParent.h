// Fits a full-pane dialog to its parent's client area and its edit control to the dialog.
#pragma once

#include <windows.h>

void FillParent(HWND dialog);
