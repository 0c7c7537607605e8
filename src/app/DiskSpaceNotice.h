// The notice shown while the free space of the install drive is measured: a plain text
// box with no behaviour of its own.
#pragma once

#include <windows.h>

// Creates the notice (dialog 106) owned by `owner`, shows it and paints it at once, as
// the check that follows keeps the thread busy. Null when it could not be created.
HWND ShowDiskSpaceNotice(HWND owner);
