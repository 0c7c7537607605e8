#include "app/StartRecovery.h"

#include <windows.h>

#include "morstd/MorString.h"
#include "registry/Reg.h"
#include "res/Captions.h"
#include "update/UpdateRecovery.h"

namespace {

// Keeps the recovery's line for the message box, without its line end.
class cMessageText : public cLogSink {
 public:
  int AppendLogText(const char* text) override {
    line.Assign(text);
    const int length = line.GetLength();
    if (length >= 2 && line.GetData()[length - 2] == '\r') line.GetData()[length - 2] = '\0';
    return 1;
  }
  morstd::cMorString line;
};

}  // namespace

void RecoverUpdateAtStart() {
  cReg reg;
  cMessageText text;
  const int outcome = RecoverInterruptedUpdate(&reg, &text);
  if (outcome == kRecoveryNothing || text.line.GetLength() == 0) return;
  MessageBoxA(nullptr, text.line.GetData(),
              outcome == kRecoveryFailed ? kCaptionWarning : kCaptionConfirm,
              outcome == kRecoveryFailed ? MB_OK | MB_ICONERROR : MB_OK);
}
