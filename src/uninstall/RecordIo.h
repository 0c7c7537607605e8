// The pieces both readers of the uninstall record use (the record class and the
// uninstall worker's own reader, which reports with codes of its own): a file handle
// that closes itself, the zeroed name area, and whole reads and writes.
#pragma once

#include <cstddef>

#include "morstd/MorAlloc.h"
#include "platform/win.h"

namespace uninstrecord {

// The spare zero bytes behind the name area keep the last name terminated however the
// area's bytes end.
constexpr int kNameAreaSlack = 8;

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE Get() const { return handle_; }
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

class NameArea {
 public:
  explicit NameArea(size_t bytes) : data(static_cast<char*>(morstd::MorAllocZeroed(bytes))) {}
  ~NameArea() { morstd::MorFree(data); }
  NameArea(const NameArea&) = delete;
  NameArea& operator=(const NameArea&) = delete;
  char* data;
};

// True when all `bytes` were read.
inline bool ReadExactly(HANDLE file, void* buffer, DWORD bytes) {
  DWORD read = 0;
  return ReadFile(file, buffer, bytes, &read, nullptr) && read == bytes;
}

// True when all `bytes` were written.
inline bool WriteExactly(HANDLE file, const void* buffer, DWORD bytes) {
  DWORD written = 0;
  return WriteFile(file, buffer, bytes, &written, nullptr) && written == bytes;
}

}  // namespace uninstrecord
