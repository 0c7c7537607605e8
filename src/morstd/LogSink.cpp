#include "morstd/LogSink.h"

#include <cstdarg>

#include "morstd/MorString.h"

int cLogSink::AppendLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  int placed = 0;
  try {
    morstd::cMorString text;
    text.FormatV(format, args);
    placed = AppendLogText(text.GetData());
  } catch (...) {
    placed = 0;
  }
  va_end(args);
  return placed;
}
