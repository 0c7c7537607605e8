// Sleep really waits, so code that paces itself behaves as on Windows; each call is
// counted with the faults (it cannot fail), so tests can see the pauses were taken.
#include "platform/host/Sleep.h"

#include <chrono>
#include <thread>

#include "platform/host/Faults.h"

void Sleep(DWORD dwMilliseconds) {
  DWORD ignored = 0;
  hostwin::FailNow("Sleep", nullptr, &ignored);
  if (dwMilliseconds) std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}
