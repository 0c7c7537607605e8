#include "RelaunchRecord.h"

#include <windows.h>

const char cRelaunchRecord::kFileName[] = "relaunch.log";

std::string cRelaunchRecord::Line(const cRegValue& updateSuccess) {
  std::string outcome;
  switch (updateSuccess.GetKind()) {
    case cRegValue::DWORD_VALUE:
      outcome = updateSuccess.Display();
      break;
    case cRegValue::MISSING:
      outcome = "missing";
      break;
    default:
      outcome = "invalid";
      break;
  }
  return "relaunched UpdateSuccess=" + outcome;
}

bool cRelaunchRecord::Append(const std::string& appDataDir, const std::string& line) {
  if (appDataDir.empty()) return false;
  std::string path = appDataDir;
  // A trailing 0x5C may be the second byte of a Shift-JIS character, not a separator.
  const char* last = CharPrevA(path.c_str(), path.c_str() + path.size());
  const bool endsInSeparator =
      last == path.c_str() + path.size() - 1 && (*last == '\\' || *last == '/');
  if (!endsInSeparator) path += '\\';
  path += kFileName;
  if (path.size() >= MAX_PATH) return false;
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const std::string record = line + "\r\n";
  DWORD written = 0;
  const bool ok = WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written,
                            nullptr) &&
                  written == record.size();
  CloseHandle(file);
  return ok;
}
