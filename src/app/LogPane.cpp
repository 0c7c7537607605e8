#include "app/LogPane.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "res/Captions.h"

namespace {

const char kAppendFailed[] = "例外が発生しました（Add）";
// Headroom added whenever the control's text limit must grow, so that a long log does
// not raise it on every line.
constexpr int kLimitStep = 10240;

// Told from the calling thread (a worker's, usually): the box is modal over the dialog.
void ReportAppendFailure(HWND dialog) {
  MessageBoxA(dialog, kAppendFailed, kCaptionWarning, MB_OK);
}

int CountLineEnds(const char* text) {
  int count = 0;
  for (const char* at = strstr(text, "\r\n"); at; at = strstr(at + 2, "\r\n")) ++count;
  return count;
}

// Puts the caret at the end and inserts there; raising the text limit first when the
// log is unlimited and would not fit.
void AppendAtEnd(HWND edit, const char* text, bool growLimit) {
  const int length = GetWindowTextLengthA(edit);
  if (growLimit) {
    const int needed = length + lstrlenA(text);
    const LRESULT limit = SendMessageA(edit, EM_GETLIMITTEXT, 0, 0);
    if (limit < needed) SendMessageA(edit, EM_LIMITTEXT, needed + kLimitStep, 0);
  }
  SendMessageA(edit, EM_SETSEL, length, length);
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
  UpdateWindow(edit);
}

}  // namespace

int AppendLogText(HWND dialog, int id, int maxLines, const char* text) {
  HWND edit = GetDlgItem(dialog, id);
  if (!edit) return 0;
  if (maxLines <= 0) {
    AppendAtEnd(edit, text, true);
    return 1;
  }
  const int lines = static_cast<int>(SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
  const int ends = CountLineEnds(text);
  if (lines + ends <= maxLines + 1) {
    AppendAtEnd(edit, text, false);
    return 1;
  }
  if (ends > maxLines) {
    // The text alone fills the pane (its last line end leaves no room for the old
    // ones): only its own last lines stay.
    const char* rest = text;
    for (int dropped = 0; dropped < ends - maxLines; ++dropped) rest = strstr(rest, "\r\n") + 2;
    SetWindowTextA(edit, rest);
    UpdateWindow(edit);
    return 1;
  }
  // The oldest lines go whole, line ends included, so that the pane starts with the
  // first line kept and no stray line feed.
  const int dropLines = lines + ends - maxLines - 1;
  const LRESULT keepFrom = SendMessageA(edit, EM_LINEINDEX, dropLines, 0);
  if (keepFrom > 0) {
    SendMessageA(edit, EM_SETSEL, 0, keepFrom);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
  }
  AppendAtEnd(edit, text, false);
  return 1;
}

int AppendLog(HWND dialog, int id, int maxLines, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int length = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  int placed = 0;
  char* buffer = nullptr;
  if (length >= 0) {
    const size_t size = static_cast<size_t>(length) + 10;
    buffer = static_cast<char*>(calloc(size, 1));
    if (buffer && vsnprintf(buffer, size, format, args) >= 0) {
      placed = AppendLogText(dialog, id, maxLines, buffer);
    }
  }
  va_end(args);
  free(buffer);
  if (!placed) ReportAppendFailure(dialog);
  return placed;
}

int cLogPane::AppendLogText(const char* text) {
  if (!text) return 0;
  if (::AppendLogText(dialog_, controlId_, maxLines_, text)) return 1;
  ReportAppendFailure(dialog_);
  return 0;
}
