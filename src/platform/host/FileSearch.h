// A search behind a handle from FindFirstFileA: the matching entries, taken when the
// search starts, handed out one by one. Ended by FindClose, never by CloseHandle.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/host/Files.h"
#include "platform/host/HostObject.h"

namespace hostwin {

class FileSearch : public HostObject {
 public:
  FileSearch(std::string pattern, std::vector<WIN32_FIND_DATAA> entries)
      : pattern_(std::move(pattern)), entries_(std::move(entries)) {}

  bool ClosedByCloseHandle() const override { return false; }
  std::string FaultArgument() const override { return pattern_; }

  // The next entry; false when none is left.
  bool Next(WIN32_FIND_DATAA* data) {
    std::lock_guard<std::mutex> guard(lock_);
    if (next_ >= entries_.size()) return false;
    *data = entries_[next_++];
    return true;
  }

 private:
  std::mutex lock_;
  std::string pattern_;
  std::vector<WIN32_FIND_DATAA> entries_;
  size_t next_ = 0;
};

}  // namespace hostwin
