// What the file operations of an update share: the backup folder under the temporary
// folder, and the shell calls over single paths.
#pragma once

#include "morstd/MorString.h"
#include "platform/win.h"

namespace updatefile {

// The temporary folder followed by "Dravenholt", no final backslash. False when the
// temporary folder cannot be had or does not fit MAX_PATH.
bool BackupRoot(morstd::cMorString* root);

// The text after the last backslash of the path (a Shift-JIS character's second byte
// 0x5C is no backslash). False without a backslash or with nothing after it: such a
// path gives no name to keep the backup under.
bool LastComponent(const char* path, morstd::cMorString* leaf);

// One SHFileOperationA over single names, silent; true when it returned 0. False for
// names of MAX_PATH characters or more, which the shell's lists here cannot hold.
bool ShellOperation(UINT function, const char* from, const char* to, FILEOP_FLAGS flags);

// True for a non-empty text.
inline bool HasText(const char* text) { return text && *text; }

}  // namespace updatefile
