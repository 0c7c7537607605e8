// Keeps GDI+ started for the life of the message loop and shuts it down only if the
// start-up succeeded.
#pragma once

#include <windows.h>

class cGDIPlusInit {
 public:
  cGDIPlusInit();
  virtual ~cGDIPlusInit();
  cGDIPlusInit(const cGDIPlusInit&) = delete;
  cGDIPlusInit& operator=(const cGDIPlusInit&) = delete;

  // The GdiplusStartup status: 0 (Ok) when GDI+ is usable.
  int GetStatus() const { return status; }

 private:
  ULONG_PTR token = 0;
  int status = -1;
};
