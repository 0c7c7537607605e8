// Reads the uninstall record for the uninstall worker, which reports its own codes:
// 110 the file cannot be opened, 120 its signature cannot be read, 130 it is not a
// record (or its name area cannot be held), 135 no whole header, 140 the name area
// cannot be read whole, 150 the names do not fit the area.
#pragma once

#include "morstd/LogSink.h"
#include "morstd/MorMemBlock.h"
#include "payload/UninstRecordFormat.h"

// Fills `header` and replaces `list` with the record's names; 1 on success. On
// failure it logs "例外発生(GetUninstData err=<code>)" and returns 0; the header is
// then zeroed or as far as it was read, and the list is empty.
int GetUninstData(const char* recordPath, morstd::cMorMemBlock* list, cLogSink* log,
                  UninstRecordHeader* header);
