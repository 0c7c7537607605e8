// wintool: drives a Windows program from a shell script under Wine (scripts/run.sh),
// with the same library the GUI tests use.
//
//   wintool wait-window CLASS TIMEOUT_MS   waits for a visible top-level window of CLASS
//                                          and for its program to be idle
//   wintool screenshot PNG [CLASS]         the whole screen, or the window of CLASS
//   wintool close CLASS                    posts WM_CLOSE to the window of CLASS
//   wintool answer-box BUTTON TIMEOUT_MS   waits for a message box, prints its caption
//                                          and text (code page 932), presses BUTTON, or
//                                          Yes or OK when BUTTON is not offered
// Exit status 0 on success, 1 when the window or box is not there, 2 on bad usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gui/lib/GuiTest.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: wintool wait-window CLASS TIMEOUT_MS | screenshot PNG [CLASS] |\n"
               "               close CLASS | answer-box BUTTON TIMEOUT_MS\n");
  return 2;
}

// Parses a decimal argument; -1 when it is not one.
long Number(const char* text) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  return (end == text || *end != '\0' || value < 0) ? -1 : value;
}

int WaitWindow(const char* className, long timeoutMs) {
  HWND window = guitest::WaitForWindow(className, nullptr, static_cast<DWORD>(timeoutMs));
  if (window == nullptr) {
    std::fprintf(stderr, "wintool: no window of class \"%s\"\n", className);
    return 1;
  }
  // Shown is not yet painted: wait until the program has handled its start-up messages,
  // so a screenshot taken next shows the window drawn.
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid)) {
    WaitForInputIdle(process, static_cast<DWORD>(timeoutMs));
    CloseHandle(process);
  }
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  std::printf("%p\n", static_cast<void*>(window));
  return 0;
}

int Screenshot(const char* png, const char* className) {
  HWND window = nullptr;
  if (className != nullptr) {
    window = guitest::WaitForWindow(className, nullptr, 0);
    if (window == nullptr) {
      std::fprintf(stderr, "wintool: no window of class \"%s\"\n", className);
      return 1;
    }
  }
  if (!guitest::SaveScreenshot(window, png)) {
    std::fprintf(stderr, "wintool: could not write %s\n", png);
    return 1;
  }
  return 0;
}

int Close(const char* className) {
  HWND window = guitest::WaitForWindow(className, nullptr, 0);
  if (window == nullptr || !PostMessageA(window, WM_CLOSE, 0, 0)) {
    std::fprintf(stderr, "wintool: no window of class \"%s\" to close\n", className);
    return 1;
  }
  return 0;
}

int AnswerBox(long button, long timeoutMs) {
  guitest::MessageBoxInfo box;
  if (!guitest::WaitForMessageBox(&box, static_cast<DWORD>(timeoutMs))) return 1;
  std::printf("%s\n%s\n", box.caption.c_str(), box.text.c_str());
  std::fflush(stdout);
  for (int choice : {static_cast<int>(button), IDYES, IDOK}) {
    if (guitest::AnswerMessageBox(box.hwnd, choice)) return 0;
  }
  std::fprintf(stderr, "wintool: the message box could not be answered\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const char* command = argv[1];
  if (std::strcmp(command, "wait-window") == 0 && argc == 4) {
    long timeout = Number(argv[3]);
    return timeout < 0 ? Usage() : WaitWindow(argv[2], timeout);
  }
  if (std::strcmp(command, "screenshot") == 0 && (argc == 3 || argc == 4)) {
    return Screenshot(argv[2], argc == 4 ? argv[3] : nullptr);
  }
  if (std::strcmp(command, "close") == 0 && argc == 3) return Close(argv[2]);
  if (std::strcmp(command, "answer-box") == 0 && argc == 4) {
    long button = Number(argv[2]);
    long timeout = Number(argv[3]);
    return button < 0 || timeout < 0 ? Usage() : AnswerBox(button, timeout);
  }
  return Usage();
}
