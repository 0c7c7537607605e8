#include "platform/host/FileTarget.h"

namespace hostwin {

std::string FileTarget::LinuxFolder() const {
  return where.linuxPath.substr(0, where.linuxPath.rfind('/'));
}

bool FileTarget::Find(const char* text, WinPath::Check check, FileTarget* out, DWORD* error,
                      size_t maxLength, DWORD tooLongError) {
  Sandbox& sandbox = Sandbox::Instance();
  if (!WinPath::Parse(text, sandbox.CurrentFolder(), check, &out->path, error)) return false;
  if (out->path.Length() >= maxLength) {
    *error = tooLongError;
    return false;
  }
  out->where = sandbox.Locate(out->path);
  if (!out->path.IsRoot() && !out->where.parentIsFolder) {
    *error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  if (out->path.IsRoot() && !out->Exists()) {
    *error = ERROR_PATH_NOT_FOUND;  // a drive the machine has not
    return false;
  }
  return true;
}

}  // namespace hostwin
