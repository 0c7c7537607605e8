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

// The crash switch: the simulated machine loses power at the nth mutating call (a
// file created, written, flushed, deleted, moved or copied; a folder made or removed;
// an attribute set; a registry key made or deleted, a value set or deleted, a
// transaction committed). That call does not happen, and from then on every mutating
// call fails with ERROR_NOT_READY without touching anything, so the files and the
// registry stay frozen as they stood (a transaction not yet committed is lost) while
// the sequence under test runs out its own failure paths. Reading still works, so the
// test can look. PowerOn is the next start: nothing is frozen any more, the switch is
// off and the count starts again. ClearFaults (and ResetAll) does the same.
void CrashAtMutation(int nth);
bool Crashed();
// The call the power was lost at, as "function argument"; empty before a crash.
std::string CrashedCall();
// The mutating calls since the last PowerOn or ClearFaults, the lost one included:
// counted over a whole run, the crash points the run has.
int MutationCount();
void PowerOn();

// For the layer's mutating functions, after FailNow: counts the call and returns true,
// with ERROR_NOT_READY, when it must not happen (the power is lost at it or was lost).
bool CrashNow(const char* function, const char* argument, DWORD* error);

// Resets every area of the layer (faults, files sandbox, message journal, registry...)
// to its initial state. Each area registers its reset once, at start-up.
void ResetAll();
void RegisterReset(void (*reset)());

}  // namespace hostwin
