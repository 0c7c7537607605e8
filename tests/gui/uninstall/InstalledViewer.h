// A viewer installation made by hand in the test prefix, as the installer leaves it:
// the install folder with its files, a sub-folder and "Uninst.dat", the
// application-data folder with Collections, Model and the data file, a contents
// folder, the Start-menu and desktop shortcuts, and the registry data. Everything
// lives under one folder of the temporary folder (the shortcuts excepted) and goes
// again with Remove().
#pragma once

#include <string>
#include <vector>

namespace uninsttest {

class InstalledViewer {
 public:
  // uninstaller: a program file to install as "Uninstall.exe" and list in the record
  // (empty: none).
  explicit InstalledViewer(const std::string& tag, const std::string& uninstaller = "");
  ~InstalledViewer();
  InstalledViewer(const InstalledViewer&) = delete;
  InstalledViewer& operator=(const InstalledViewer&) = delete;

  // Makes the files, folders, shortcuts and registry data; false (with the reason in
  // `problem`) when something could not be made.
  bool Create();
  // Takes away whatever is left of it, registry data included.
  void Remove();

  // The log a complete uninstall writes, line by line, the dialog's own last line
  // included.
  std::string ExpectedLog() const;
  // Files and folders the uninstall must remove (the install folder itself is not
  // among them).
  std::vector<std::string> RemovedPaths() const;
  // True while any registry data of the viewer are left.
  static bool RegistryLeft();
  // Removes every registry data of the viewer, as a clean prefix has none.
  static void ForgetRegistry();

  std::string root;
  std::string installDir;
  std::string appDataDir;
  std::string contentsDir;
  std::string startMenuDir;
  std::string startMenuLink;
  std::string desktopLink;
  std::string uninstallerPath;  // in installDir, when an uninstaller was asked for
  std::string problem;

 private:
  bool WriteRecord();
  std::string uninstaller_;
};

// Names inside `folder` other than "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace uninsttest
