// The user's temporary folder. Every system has one, so the layer makes it in the
// sandbox when a caller asks for it (a fresh sandbox holds only the drive).
#include <sys/stat.h>

#include <cstring>
#include <mutex>
#include <string>

#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/Files.h"
#include "platform/host/Sandbox.h"
#include "platform/host/TempPathControl.h"

namespace hostwin {
namespace {

const char kDefaultTempPath[] = "C:\\Users\\Host\\AppData\\Local\\Temp\\";

struct TempFolder {
  std::mutex lock;
  std::string path = kDefaultTempPath;
};

TempFolder& Temp() {
  static TempFolder temp;
  return temp;
}

const bool registered = (RegisterReset([] { SetTempPath(""); }), true);

// Makes every missing folder of the chain; a path the sandbox cannot hold is left
// alone (the caller's own calls will report it).
void MakeInSandbox(const std::string& winPath) {
  Sandbox& sandbox = Sandbox::Instance();
  std::lock_guard<std::mutex> guard(sandbox.Lock());
  WinPath path;
  DWORD error = 0;
  if (!WinPath::Parse(winPath.c_str(), WinPath::Root('C'), WinPath::Check::kPlain, &path, &error))
    return;
  WinPath prefix = WinPath::Root(path.Drive());
  for (const std::string& name : path.Names()) {
    prefix = prefix.Child(name);
    const Location where = sandbox.Locate(prefix);
    if (where.kind == Location::Kind::kFolder) continue;
    if (where.kind != Location::Kind::kMissing || !where.parentIsFolder) return;
    if (mkdir(where.linuxPath.c_str(), 0777) != 0) return;
  }
}

}  // namespace

void SetTempPath(const std::string& winPath) {
  std::lock_guard<std::mutex> guard(Temp().lock);
  Temp().path = winPath.empty() ? kDefaultTempPath : winPath;
  if (Temp().path.back() != '\\') Temp().path += '\\';
}

}  // namespace hostwin

// As Win32 does: the length without terminator when the path fits the buffer, else
// the buffer size needed (terminator included) and the buffer untouched.
DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
  DWORD error = 0;
  if (hostwin::FailNow("GetTempPathA", nullptr, &error)) return hostwin::FailWith(error, 0u);
  std::string path;
  {
    std::lock_guard<std::mutex> guard(hostwin::Temp().lock);
    path = hostwin::Temp().path;
  }
  hostwin::MakeInSandbox(path);
  if (!lpBuffer || nBufferLength <= path.size()) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}
