// wintool: drives a Windows program from a shell script under Wine (scripts/run.sh),
// with the same library the GUI tests use. CLASS names the visible top-level window
// whose controls are meant; TEXT arguments are compared as code page 932 bytes (Wine
// hands a UTF-8 command line to the program in the ANSI code page).
//
//   wintool wait-window CLASS TIMEOUT_MS   waits for a visible top-level window of CLASS
//                                          and for its program to be idle
//   wintool wait-control CLASS ID TIMEOUT_MS [TEXT]
//                                          waits for the control ID to show (and to read
//                                          TEXT), then for the window to be painted
//   wintool click CLASS ID TIMEOUT_MS      presses the button ID once it shows enabled
//   wintool get-text CLASS ID              prints the control's text (ID 0: the title)
//   wintool is-enabled CLASS ID            exit status 0 when the control is enabled
//   wintool check CLASS ID 0|1             unchecks or checks the check box ID
//   wintool screenshot PNG [CLASS]         the whole screen, or the window of CLASS
//   wintool close CLASS                    posts WM_CLOSE to the window of CLASS
//   wintool wait-box TIMEOUT_MS            waits for a message box and prints its caption
//                                          and text, leaving it open
//   wintool answer-box BUTTON TIMEOUT_MS [TEXT]
//                                          waits for a message box, prints its caption
//                                          and text, presses BUTTON, or Yes or OK when
//                                          BUTTON is not offered; with TEXT, exit status
//                                          3 when the box said something else (it is
//                                          answered all the same, so the program goes on)
// Exit status 0 on success, 1 when the window, control or box is not there, 2 on bad
// usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gui/lib/GuiTest.h"

namespace {

// A program that does not answer a sent message within this time is hung.
const DWORD kSettleTimeoutMs = 5000;

int Usage() {
  std::fprintf(stderr,
               "usage: wintool wait-window CLASS TIMEOUT_MS |\n"
               "               wait-control CLASS ID TIMEOUT_MS [TEXT] |\n"
               "               click CLASS ID TIMEOUT_MS | get-text CLASS ID |\n"
               "               is-enabled CLASS ID | check CLASS ID 0|1 |\n"
               "               screenshot PNG [CLASS] | close CLASS | wait-box TIMEOUT_MS |\n"
               "               answer-box BUTTON TIMEOUT_MS [TEXT]\n");
  return 2;
}

// Parses a decimal argument; -1 when it is not one.
long Number(const char* text) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  return (end == text || *end != '\0' || value < 0) ? -1 : value;
}

HWND TopWindow(const char* className) {
  HWND window = guitest::WaitForWindow(className, nullptr, 0);
  if (window == nullptr) std::fprintf(stderr, "wintool: no window of class \"%s\"\n", className);
  return window;
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
  guitest::SettleWindow(window, kSettleTimeoutMs);
  std::printf("%p\n", static_cast<void*>(window));
  return 0;
}

int WaitControl(const char* className, int id, long timeoutMs, const char* text) {
  HWND window = guitest::WaitForWindow(className, nullptr, static_cast<DWORD>(timeoutMs));
  HWND control = window == nullptr
                     ? nullptr
                     : guitest::WaitForControlText(window, id, text, static_cast<DWORD>(timeoutMs));
  if (control == nullptr) {
    std::fprintf(stderr, "wintool: control %d of \"%s\" did not show%s\n", id, className,
                 text != nullptr ? " with the text asked for" : "");
    return 1;
  }
  guitest::SettleWindow(window, kSettleTimeoutMs);
  std::printf("%p\n", static_cast<void*>(control));
  return 0;
}

int Click(const char* className, int id, long timeoutMs) {
  HWND window = guitest::WaitForWindow(className, nullptr, static_cast<DWORD>(timeoutMs));
  if (window == nullptr ||
      !guitest::ClickButtonWhenReady(window, id, static_cast<DWORD>(timeoutMs))) {
    std::fprintf(stderr, "wintool: no enabled button %d in \"%s\"\n", id, className);
    return 1;
  }
  return 0;
}

int GetText(const char* className, int id) {
  HWND window = TopWindow(className);
  if (window == nullptr) return 1;
  HWND control = id == 0 ? window : guitest::FindControl(window, id);
  if (control == nullptr) {
    std::fprintf(stderr, "wintool: no control %d in \"%s\"\n", id, className);
    return 1;
  }
  std::printf("%s\n", guitest::GetText(control).c_str());
  return 0;
}

int IsEnabled(const char* className, int id) {
  HWND window = TopWindow(className);
  HWND control = window == nullptr ? nullptr : guitest::FindControl(window, id);
  return control != nullptr && IsWindowEnabled(control) ? 0 : 1;
}

int Check(const char* className, int id, long state) {
  HWND window = TopWindow(className);
  if (window == nullptr || !guitest::SetCheck(window, id, state == 1)) {
    std::fprintf(stderr, "wintool: check box %d of \"%s\" could not be set\n", id, className);
    return 1;
  }
  return 0;
}

int Screenshot(const char* png, const char* className) {
  HWND window = nullptr;
  if (className != nullptr) {
    window = TopWindow(className);
    if (window == nullptr) return 1;
    guitest::SettleWindow(window, kSettleTimeoutMs);
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

int WaitBox(long timeoutMs) {
  guitest::MessageBoxInfo box;
  if (!guitest::WaitForMessageBox(&box, static_cast<DWORD>(timeoutMs))) return 1;
  guitest::SettleWindow(box.hwnd, kSettleTimeoutMs);
  std::printf("%s\n%s\n", box.caption.c_str(), box.text.c_str());
  return 0;
}

int AnswerBox(long button, long timeoutMs, const char* expected) {
  guitest::MessageBoxInfo box;
  if (!guitest::WaitForMessageBox(&box, static_cast<DWORD>(timeoutMs))) return 1;
  std::printf("%s\n%s\n", box.caption.c_str(), box.text.c_str());
  std::fflush(stdout);
  bool answered = false;
  for (int choice : {static_cast<int>(button), IDYES, IDOK}) {
    if (guitest::AnswerMessageBox(box.hwnd, choice)) {
      answered = true;
      break;
    }
  }
  if (!answered) {
    std::fprintf(stderr, "wintool: the message box could not be answered\n");
    return 1;
  }
  return expected != nullptr && box.text != expected ? 3 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  if (command == "wait-window" && argc == 4) {
    long timeout = Number(argv[3]);
    return timeout < 0 ? Usage() : WaitWindow(argv[2], timeout);
  }
  if (command == "wait-control" && (argc == 5 || argc == 6)) {
    long id = Number(argv[3]);
    long timeout = Number(argv[4]);
    if (id < 0 || timeout < 0) return Usage();
    return WaitControl(argv[2], static_cast<int>(id), timeout, argc == 6 ? argv[5] : nullptr);
  }
  if (command == "click" && argc == 5) {
    long id = Number(argv[3]);
    long timeout = Number(argv[4]);
    return id < 0 || timeout < 0 ? Usage() : Click(argv[2], static_cast<int>(id), timeout);
  }
  if ((command == "get-text" || command == "is-enabled") && argc == 4) {
    long id = Number(argv[3]);
    if (id < 0) return Usage();
    return command == "get-text" ? GetText(argv[2], static_cast<int>(id))
                                 : IsEnabled(argv[2], static_cast<int>(id));
  }
  if (command == "check" && argc == 5) {
    long id = Number(argv[3]);
    long state = Number(argv[4]);
    if (id < 0 || (state != 0 && state != 1)) return Usage();
    return Check(argv[2], static_cast<int>(id), state);
  }
  if (command == "screenshot" && (argc == 3 || argc == 4)) {
    return Screenshot(argv[2], argc == 4 ? argv[3] : nullptr);
  }
  if (command == "close" && argc == 3) return Close(argv[2]);
  if (command == "wait-box" && argc == 3) {
    long timeout = Number(argv[2]);
    return timeout < 0 ? Usage() : WaitBox(timeout);
  }
  if (command == "answer-box" && (argc == 4 || argc == 5)) {
    long button = Number(argv[2]);
    long timeout = Number(argv[3]);
    if (button < 0 || timeout < 0) return Usage();
    return AnswerBox(button, timeout, argc == 5 ? argv[4] : nullptr);
  }
  return Usage();
}
