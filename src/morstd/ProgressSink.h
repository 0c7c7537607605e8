// Where a work sequence reports how far it has come: a percentage and a status text
// (usually the path being worked on). On Windows the progress dialog implements it;
// host tests record the calls.
#pragma once

class cProgressSink {
 public:
  virtual ~cProgressSink() = default;
  // `position` is a percentage, 0 to 100; `text` a zero-terminated narrow string.
  virtual void SetProgress(int position, const char* text) = 0;
};
