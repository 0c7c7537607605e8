// The installed version and the update that the update-sequence tests and the
// crash-point driver run, each without its patch: program files, data and the two data
// folders the update backs up; the update replaces the viewer, the help and the Model.
#pragma once

#include <vector>

#include "unit/payload_host/StoredArchive.h"

namespace dhtest {

inline std::vector<StoredMember> InstalledVersionMembers() {
  return {{"#PROGRAMFILES#\\", ""},
          {"#PROGRAMFILES#\\DHViewer.exe", "old viewer"},
          {"#PROGRAMFILES#\\Help\\", ""},
          {"#PROGRAMFILES#\\Help\\old.html", "<html>old</html>"},
          {"#APPDATA#\\", ""},
          {"#APPDATA#\\Collections\\", ""},
          {"#APPDATA#\\Collections\\mine.xml", "<collection/>"},
          {"#APPDATA#\\Model\\", ""},
          {"#APPDATA#\\Model\\model.ini", "old=1"}};
}

// Six members to install.
inline std::vector<StoredMember> UpdateVersionMembers() {
  return {{"#PROGRAMFILES#\\", ""},
          {"#PROGRAMFILES#\\DHViewer.exe", "new viewer"},
          {"#PROGRAMFILES#\\Help\\", ""},
          {"#PROGRAMFILES#\\Help\\new.html", "<html>new</html>"},
          {"#APPDATA#\\Model\\", ""},
          {"#APPDATA#\\Model\\model.ini", "new=2"}};
}

}  // namespace dhtest
