// Where a work sequence writes its status lines (the uninstall and update workers).
// On Windows the log pane of the running dialog implements it; host tests record the
// lines. Every line the sequences write is whole and ends in "\r\n".
#pragma once

#include "morstd/MorString.h"  // MOR_PRINTF_FORMAT

class cLogSink {
 public:
  virtual ~cLogSink() = default;
  // Appends `text` as it is; 1 when it was placed, 0 when it could not be (the pane
  // has already told the user).
  virtual int AppendLogText(const char* text) = 0;
  // printf-style: formats, then AppendLogText. 0 also when the text cannot be formatted.
  int AppendLog(const char* format, ...) MOR_PRINTF_FORMAT(2, 3);
};
