// The vendor's checks before shipping: `setupinfo` reads an update patch exactly as the
// installer will, and `uninst` prints an uninstall record as the installer loads it.
// Texts of the installer (code page 932) are printed as UTF-8. Each command returns
// the process exit status: 0 success, 1 a failure described on standard error.
#pragma once

#include <string>

int InspectSetupInfo(const std::string& file);
int InspectUninstRecord(const std::string& file);

// Whether the installer's update accepts `text` as "SetupInfo.xml" (an empty text is
// accepted unread). Otherwise `*message` is the installer's coded message in UTF-8,
// followed by any message boxes its XML reader would show.
bool CheckSetupInfo(const std::string& text, std::string* message);
