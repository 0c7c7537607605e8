// What the registry records about the installed viewer, for the uninstall worker.
#pragma once

#include "uninstall/UninstallSequence.h"

// Fills `target` from the uninstall entry ("DisplayVersion", "InstallLocation") and the
// settings key ("AppDataDir", and "ContentsDir" when present, else empty). 1 on
// success; 0 when a key or one of the three required texts cannot be read, or when
// the install or application-data folder is empty (deleting below an empty folder
// name would reach the root of the current drive).
int ReadUninstallInfo(cUninstallTarget* target);
