#include "payload/FreeSpace.h"

#include "platform/win.h"

namespace {

typedef BOOL(WINAPI* GetDiskFreeSpaceExProc)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                             PULARGE_INTEGER);

}  // namespace

int GetFreeSpace(const char* path, uint64_t* freeBytes) {
  if (!path) return 0;
  char root[4] = {};
  const char* query = path;
  if (path[0] && path[1] == ':') {
    root[0] = path[0];
    root[1] = ':';
    root[2] = '\\';
    query = root;
  }

  // The extended call is looked up rather than linked, so that a system without it
  // still gets the older cluster count.
  GetDiskFreeSpaceExProc extended = nullptr;
  if (HMODULE kernel = GetModuleHandleA("kernel32.dll"))
    extended = reinterpret_cast<GetDiskFreeSpaceExProc>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
  if (extended) {
    // The figure that counts is what this user may still write (disk quotas), not the
    // drive's total free space.
    ULARGE_INTEGER available, total, totalFree;
    if (!extended(query, &available, &total, &totalFree)) return 0;
    *freeBytes = available.QuadPart;
    return 1;
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(query, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
    return 0;
  *freeBytes = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
  return 1;
}
