// Free disk space of the sandbox's drives, as tests set it, and the lookup of the two
// disk functions by name.
#include "platform/host/Disk.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/host/DiskControl.h"
#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/Sandbox.h"
#include "platform/host/Strings.h"

namespace hostwin {

HMODULE const kKernel32Module = reinterpret_cast<HMODULE>(static_cast<UINT_PTR>(0x7C800000));

namespace {

constexpr DWORD kSectorsPerCluster = 8;
constexpr DWORD kBytesPerSector = 512;
constexpr ULONGLONG kBytesPerCluster = kSectorsPerCluster * kBytesPerSector;
// The drive's size: the free space plus what the files already take.
constexpr ULONGLONG kUsedBytes = 20ULL << 30;

struct DiskState {
  std::mutex lock;
  std::map<std::string, ULONGLONG> freeBytes;  // "C" for a drive, else the share's text
  bool writeRoomSet = false;
  ULONGLONG writeRoom = 0;  // what WriteFile may still store, once a test set it
};

DiskState& State() {
  static DiskState state;
  return state;
}

[[maybe_unused]] const bool registered = (RegisterReset([] {
                                            std::lock_guard<std::mutex> guard(State().lock);
                                            State().freeBytes.clear();
                                            State().writeRoomSet = false;
                                          }),
                                          true);

bool HasDriveLetter(const std::string& text) {
  return text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]));
}

// The key of a volume: the upper-case drive letter, or the share's text in upper case
// without a trailing backslash.
std::string VolumeKey(std::string text) {
  if (HasDriveLetter(text)) return std::string(1, static_cast<char>(std::toupper(text[0])));
  while (!text.empty() && text.back() == '\\') text.pop_back();
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
  return text;
}

// The caller's free bytes of the volume that holds `path`; false with the Win32 error
// when the volume or the folder is not there.
bool FreeBytesOf(LPCSTR path, ULONGLONG* bytes, DWORD* error) {
  Sandbox& sandbox = Sandbox::Instance();
  std::lock_guard<std::mutex> sandboxGuard(sandbox.Lock());
  std::lock_guard<std::mutex> guard(State().lock);
  auto& table = State().freeBytes;
  WinPath parsed = sandbox.CurrentFolder();
  if (path && !WinPath::Parse(path, sandbox.CurrentFolder(), WinPath::Check::kPlain, &parsed,
                              error)) {
    // A share is known only by the text a test gave it.
    auto share = table.find(VolumeKey(path));
    if (*error != ERROR_BAD_NETPATH || share == table.end()) return false;
    *bytes = share->second;
    return true;
  }
  auto drive = table.find(std::string(1, parsed.Drive()));
  const bool driveKnown = drive != table.end();
  const Location where = sandbox.Locate(parsed);
  if (!(parsed.IsRoot() && driveKnown) && where.kind != Location::Kind::kFolder) {
    *error = where.kind == Location::Kind::kFile ? ERROR_DIRECTORY : ERROR_PATH_NOT_FOUND;
    return false;
  }
  *bytes = driveKnown ? drive->second : kDefaultFreeBytes;
  return true;
}

}  // namespace

void SetFreeSpace(const std::string& where, ULONGLONG bytes) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().freeBytes[VolumeKey(where)] = bytes;
}

void SetWriteRoom(ULONGLONG bytes) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().writeRoomSet = true;
  State().writeRoom = bytes;
}

DWORD TakeWriteRoom(DWORD wanted) {
  std::lock_guard<std::mutex> guard(State().lock);
  if (!State().writeRoomSet) return wanted;
  const DWORD granted = static_cast<DWORD>(std::min<ULONGLONG>(wanted, State().writeRoom));
  State().writeRoom -= granted;
  return granted;
}

}  // namespace hostwin

BOOL GetDiskFreeSpaceExA(LPCSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                         PULARGE_INTEGER lpTotalNumberOfBytes,
                         PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
  DWORD error = 0;
  if (hostwin::FailNow("GetDiskFreeSpaceExA", lpDirectoryName, &error))
    return hostwin::FailWith(error, FALSE);
  ULONGLONG available = 0;
  if (!hostwin::FreeBytesOf(lpDirectoryName, &available, &error))
    return hostwin::FailWith(error, FALSE);
  const ULONGLONG totalFree = available + hostwin::kQuotaReserve;
  if (lpFreeBytesAvailableToCaller) lpFreeBytesAvailableToCaller->QuadPart = available;
  if (lpTotalNumberOfFreeBytes) lpTotalNumberOfFreeBytes->QuadPart = totalFree;
  if (lpTotalNumberOfBytes) lpTotalNumberOfBytes->QuadPart = totalFree + hostwin::kUsedBytes;
  return TRUE;
}

BOOL GetDiskFreeSpaceA(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster,
                       LPDWORD lpBytesPerSector, LPDWORD lpNumberOfFreeClusters,
                       LPDWORD lpTotalNumberOfClusters) {
  DWORD error = 0;
  if (hostwin::FailNow("GetDiskFreeSpaceA", lpRootPathName, &error))
    return hostwin::FailWith(error, FALSE);
  ULONGLONG available = 0;
  if (!hostwin::FreeBytesOf(lpRootPathName, &available, &error))
    return hostwin::FailWith(error, FALSE);
  auto clusters = [](ULONGLONG bytes) {
    return static_cast<DWORD>(std::min<ULONGLONG>(bytes / hostwin::kBytesPerCluster, 0xFFFFFFFFULL));
  };
  if (lpSectorsPerCluster) *lpSectorsPerCluster = hostwin::kSectorsPerCluster;
  if (lpBytesPerSector) *lpBytesPerSector = hostwin::kBytesPerSector;
  if (lpNumberOfFreeClusters) *lpNumberOfFreeClusters = clusters(available);
  if (lpTotalNumberOfClusters)
    *lpTotalNumberOfClusters =
        clusters(available + hostwin::kQuotaReserve + hostwin::kUsedBytes);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  DWORD error = 0;
  const char* name = IS_INTRESOURCE(lpProcName) ? nullptr : lpProcName;
  if (hostwin::FailNow("GetProcAddress", name, &error))
    return hostwin::FailWith(error, FARPROC{nullptr});
  if (hModule == hostwin::kKernel32Module && name) {
    // Exact names: GetProcAddress is case-sensitive.
    if (std::strcmp(name, "GetDiskFreeSpaceExA") == 0)
      return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&GetDiskFreeSpaceExA));
    if (std::strcmp(name, "GetDiskFreeSpaceA") == 0)
      return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&GetDiskFreeSpaceA));
  }
  return hostwin::FailWith(ERROR_PROC_NOT_FOUND, FARPROC{nullptr});
}
