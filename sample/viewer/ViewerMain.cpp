// Entry point of the sample DHViewer.exe, the stand-in for the viewer that the
// installer carries. It shows what the installer recorded; started with the single
// argument "-ai" (the installer's relaunch after an update) it first leaves a note of
// the update's outcome in its application-data folder.
#include <windows.h>

#include <string>

#include "RelaunchRecord.h"
#include "SettingsReport.h"
#include "ViewerWnd.h"

namespace {

// The installer relaunches the viewer with exactly this argument after an update.
const char kRelaunchArgument[] = "-ai";

const char kNormalStart[] = "通常の起動です";
const char kRelaunchRecorded[] = "アップデート後の再起動です(-ai)。結果を記録しました: ";
const char kRelaunchNotRecorded[] =
    "アップデート後の再起動です(-ai)。結果を記録できませんでした: ";

std::string NoteRelaunch(const cSettingsReport& report) {
  const std::string line = cRelaunchRecord::Line(report.UpdateSuccess());
  const cRegValue& folder = report.AppDataDir();
  const bool recorded = folder.GetKind() == cRegValue::TEXT &&
                        cRelaunchRecord::Append(folder.GetText(), line);
  return (recorded ? kRelaunchRecorded : kRelaunchNotRecorded) + line;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  const cSettingsReport report = cSettingsReport::Gather();
  const bool relaunched = commandLine && lstrcmpA(commandLine, kRelaunchArgument) == 0;
  const std::string note = relaunched ? NoteRelaunch(report) : std::string(kNormalStart);

  cViewerWnd window(report, note);
  if (!window.Create(instance, showCommand)) return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(GetActiveWindow(), &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return 0;
}
