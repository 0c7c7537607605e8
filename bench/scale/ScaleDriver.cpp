// Runs one operation of the setup program over the host Win32 layer, as a real run
// does it, and reports how long the operation took and how much memory the process
// held at its peak:
//   scale_driver install|update|uninstall SANDBOX IMAGE [unpaced]
// SANDBOX is the Linux folder that holds drive C: (kept between the runs, so that the
// update and the uninstallation find what the installation left); IMAGE is the
// enciphered payload that `dhpack build` made, given to the program as its resource
// 130. "unpaced" takes the pauses after each member out. The registry lives in the
// process, so the update and the uninstallation first record the installation as the
// installation itself records it. Output, one line:
//   seconds=S members=N image=BYTES baseline_kb=K peak_kb=P code=C
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "install/InstallSequence.h"
#include "payload/GetLhaFile.h"
#include "platform/host/HostTest.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "uninstall/UninstallSequence.h"
#include "update/UpdateFile.h"
#include "update/UpdateSequence.h"

namespace {

const char kInstallDir[] = "C:\\Program Files\\Dravenholt";
const char kAppDataDir[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt";
const char kViewer[] = "C:\\Program Files\\Dravenholt\\Viewer";
const char kDataViewer[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer";
const char kContentsDir[] = "C:\\Users\\u\\Documents\\Dravenholt\\Contents";
const char kTemp[] = "C:\\Users\\u\\AppData\\Local\\Temp\\";
const char* const kFolders[] = {"C:\\Program Files",      "C:\\Users",
                                "C:\\Users\\u",           "C:\\Users\\u\\AppData",
                                "C:\\Users\\u\\AppData\\Local", "C:\\Users\\u\\AppData\\Local\\Temp",
                                "C:\\Users\\u\\AppData\\Roaming", "C:\\Users\\u\\Documents"};

class NoProgress : public cProgressSink {
 public:
  void SetProgress(int, const char*) override {}
};

class NoLog : public cLogSink {
 public:
  int AppendLogText(const char*) override { return 1; }
};

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int Install(int* members) {
  // The folder page measures the payload first; the installation follows.
  cGetLhaFile measure;
  DWORD total[2] = {};
  if (!measure.GetPayloadSize(total)) return -1;
  *members = measure.memberCount;
  cReg reg;
  InstallPlan plan;
  plan.installDir = kInstallDir;
  plan.appDataDir = kAppDataDir;
  plan.contentsDir = kContentsDir;
  plan.createInstallDir = 1;
  plan.memberCount = measure.memberCount;
  plan.reg = &reg;
  NoProgress progress;
  return RunInstallSequence(plan, &progress);
}

int Update() {
  cReg reg;
  NoLog log;
  NoProgress progress;
  return RunUpdateSequence(&reg, false, &log, &progress);
}

int Uninstall() {
  cReg reg;
  cUninstallTarget target;
  NoLog log;
  return RunUninstall(&target, &reg, &log, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: scale_driver install|update|uninstall SANDBOX IMAGE [unpaced]\n");
    return 2;
  }
  const std::string op = argv[1];
  if (argc > 4 && std::strcmp(argv[4], "unpaced") == 0) {
    cGetLhaFile::extractPauseMs = 0;
    cUpdateFile::installPauseMs = 0;
  }
  hostwin::SetSandboxRoot(argv[2]);
  hostwin::SetTempPath(kTemp);
  for (const char* folder : kFolders) CreateDirectoryA(folder, nullptr);
  hostwin::RegistryCreateKey(HKEY_LOCAL_MACHINE,
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  hostwin::RegistryCreateKey(kBrowserEmulationKey.root, kBrowserEmulationKey.path);
  if (op != "install") {
    cReg record;
    if (!record.SaveAll(kDataViewer, kViewer, kContentsDir)) {
      std::fprintf(stderr, "scale_driver: the installation cannot be recorded\n");
      return 1;
    }
  }

  const long baseline = ResidentKb();
  // Read into a vector of its final size: a growing one would make the peak its own.
  std::ifstream file(argv[3], std::ios::binary | std::ios::ate);
  std::vector<BYTE> image(file ? static_cast<size_t>(file.tellg()) : 0);
  file.seekg(0);
  if (image.empty() || !file.read(reinterpret_cast<char*>(image.data()),
                                  static_cast<std::streamsize>(image.size()))) {
    std::fprintf(stderr, "scale_driver: %s cannot be read\n", argv[3]);
    return 1;
  }
  const size_t imageBytes = image.size();
  hostwin::RegisterResource("DAT", cGetLhaFile::kPayloadResource, std::move(image));

  int members = 0;
  int code = 0;
  const auto start = std::chrono::steady_clock::now();
  if (op == "install") {
    code = Install(&members);
  } else if (op == "update") {
    code = Update();
  } else if (op == "uninstall") {
    code = Uninstall();
  } else {
    std::fprintf(stderr, "scale_driver: unknown operation %s\n", op.c_str());
    return 2;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("seconds=%.3f members=%d image=%zu baseline_kb=%ld peak_kb=%ld code=%d\n", seconds,
              members, imageBytes, baseline, usage.ru_maxrss, code);
  return code == 0 ? 0 : 1;
}
