// A fresh, empty folder for one test, named by a Windows path, removed with all it
// holds when the object goes. On the host layer it is C:\contract\<test> in the
// sandbox; on Windows (and Wine) a folder under the temporary folder. Test bodies use
// only Path() and Child(), so the same source runs on both.
#pragma once

#include <string>

namespace dhtest {

class ScratchFolder {
 public:
  ScratchFolder();  // named after the running test
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Without a final backslash.
  const std::string& Path() const { return path_; }
  // Path() + "\" + name.
  std::string Child(const std::string& name) const { return path_ + "\\" + name; }

  // Deletes a folder and everything below it (read-only files too) with the narrow
  // Win32 functions; true when nothing is left.
  static bool RemoveTree(const std::string& winPath);

 private:
  std::string path_;
};

}  // namespace dhtest
