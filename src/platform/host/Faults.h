// Fault injection of the host layer: a test makes a named Win32 call fail, on every
// matching call or only on the nth one, to reach the failure paths of the callers.
// Every host function that can fail asks FailNow first.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/host/Types.h"

namespace hostwin {

struct Fault {
  std::string function;  // the Win32 name, e.g. "CreateFileA", "RegSetValueExA"
  std::string argument;  // empty: any call; else the call's path, key or value name,
                         // compared without regard to ASCII case (a registry call also
                         // answers to its key's full path below the hive)
  int nth = 0;           // 0: every matching call; n: only the nth matching call (1-based)
  DWORD error = ERROR_ACCESS_DENIED;  // the last error (or LSTATUS) the call reports
};

void InjectFault(const Fault& fault);
void ClearFaults();
// How many calls of the function (with any argument) the layer has seen since the last reset.
int CallCount(const std::string& function);

// For the layer's own functions: counts the call and returns true, with the error to
// report, when an injected fault matches it. The argument may be null.
bool FailNow(const char* function, const char* argument, DWORD* error);
// The same for a call that touches more than one name (a registry call: the sub-key as
// given and the full path of the key, or the value name and its key's path); a fault
// with an argument matches when any of them equals it. Null entries are skipped.
bool FailNow(const char* function, std::initializer_list<const char*> arguments, DWORD* error);

// Resets every area of the layer (faults, files sandbox, message journal, registry...)
// to its initial state. Each area registers its reset once, at start-up.
void ResetAll();
void RegisterReset(void (*reset)());

}  // namespace hostwin
