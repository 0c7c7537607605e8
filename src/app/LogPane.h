// The running log of the update display and the uninstall dialog: a read-only
// multi-line edit control that worker threads append their status lines to. Every
// change goes through SendMessageA, so a worker's call blocks until the interface
// thread, which owns the control and keeps pumping, has made it.
#pragma once

#include <windows.h>

#include "morstd/LogSink.h"
#include "morstd/MorString.h"  // MOR_PRINTF_FORMAT

// printf-style append to edit control `id` of `dialog`. maxLines 0 keeps every line;
// above 0 only the last maxLines lines stay. 1 on success; 0 when the text could not
// be formatted or placed, after the box "例外が発生しました（Add）" over the dialog.
int AppendLog(HWND dialog, int id, int maxLines, const char* format, ...) MOR_PRINTF_FORMAT(4, 5);
// Appends `text` as it is (see AppendLog for maxLines). 1 when it was placed, 0 when the
// dialog has no control `id`; shows nothing.
int AppendLogText(HWND dialog, int id, int maxLines, const char* text);

// The log pane as a work sequence's sink: one edit control of one dialog.
class cLogPane : public cLogSink {
 public:
  cLogPane(HWND dialog, int controlId, int maxLines)
      : dialog_(dialog), controlId_(controlId), maxLines_(maxLines) {}
  // As AppendLog: a text that cannot be placed is reported in the box as well.
  int AppendLogText(const char* text) override;

 private:
  HWND dialog_;
  int controlId_;
  int maxLines_;
};
