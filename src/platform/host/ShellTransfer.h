// FO_COPY and FO_MOVE of SHFileOperationA for one source name, built on the layer's
// own file and folder functions so that the sandbox rules and injected faults apply
// inside a tree as they do to single calls. Each returns 0 or the first error; what
// was done before an error stays done, as with the shell.
#pragma once

#include <string>

#include "platform/host/Types.h"

namespace hostwin {

// `into`: the destination names the folder that receives the source (it is created
// when missing); otherwise the destination is the new name of the source itself, its
// missing parent folders created. An existing folder of that name is merged into and
// existing files are replaced.
DWORD ShellCopy(const std::string& source, const std::string& destination, bool into);
DWORD ShellMove(const std::string& source, const std::string& destination, bool into);

// Removes a trailing backslash of its own (not the second byte of a double-byte
// character), except from a drive's root.
std::string WithoutFinalSeparator(std::string name);
// "C:", "C:\" and "\" name a drive's root.
bool IsDriveRoot(const std::string& name);

}  // namespace hostwin
