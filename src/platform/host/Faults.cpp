#include "platform/host/Faults.h"

#include <map>
#include <mutex>
#include <vector>

#include "platform/host/Strings.h"

namespace hostwin {
namespace {

struct ActiveFault {
  Fault fault;
  int seen = 0;  // matching calls so far
};

struct FaultState {
  std::mutex lock;  // workers of the sequences under test may call from a second thread
  std::vector<ActiveFault> faults;
  std::map<std::string, int> calls;
  // The crash switch.
  int crashAt = 0;
  int mutations = 0;
  bool frozen = false;
  std::string crashedCall;
};

void PowerOnLocked(FaultState& state) {
  state.crashAt = 0;
  state.mutations = 0;
  state.frozen = false;
  state.crashedCall.clear();
}

FaultState& State() {
  static FaultState state;
  return state;
}

std::vector<void (*)()>& Resets() {
  static std::vector<void (*)()> resets;
  return resets;
}

bool SameIgnoringCase(const std::string& a, const char* b) {
  return lstrcmpiA(a.c_str(), b ? b : "") == 0;
}

}  // namespace

void InjectFault(const Fault& fault) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().faults.push_back(ActiveFault{fault, 0});
}

void ClearFaults() {
  std::lock_guard<std::mutex> guard(State().lock);
  State().faults.clear();
  State().calls.clear();
  PowerOnLocked(State());
}

void CrashAtMutation(int nth) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().crashAt = nth;
}

bool Crashed() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().frozen;
}

std::string CrashedCall() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().crashedCall;
}

int MutationCount() {
  std::lock_guard<std::mutex> guard(State().lock);
  return State().mutations;
}

void PowerOn() {
  std::lock_guard<std::mutex> guard(State().lock);
  PowerOnLocked(State());
}

bool CrashNow(const char* function, const char* argument, DWORD* error) {
  std::lock_guard<std::mutex> guard(State().lock);
  FaultState& state = State();
  ++state.mutations;
  if (!state.frozen && state.crashAt > 0 && state.mutations == state.crashAt) {
    state.frozen = true;
    state.crashedCall = std::string(function) + " " + (argument ? argument : "");
  }
  if (!state.frozen) return false;
  if (error) *error = ERROR_NOT_READY;
  return true;
}

int CallCount(const std::string& function) {
  std::lock_guard<std::mutex> guard(State().lock);
  auto it = State().calls.find(function);
  return it == State().calls.end() ? 0 : it->second;
}

bool FailNow(const char* function, const char* argument, DWORD* error) {
  return FailNow(function, std::initializer_list<const char*>{argument}, error);
}

bool FailNow(const char* function, std::initializer_list<const char*> arguments, DWORD* error) {
  std::lock_guard<std::mutex> guard(State().lock);
  ++State().calls[function];
  for (ActiveFault& active : State().faults) {
    const Fault& f = active.fault;
    if (f.function != function) continue;
    if (!f.argument.empty()) {
      bool named = false;
      for (const char* argument : arguments) {
        if (argument && SameIgnoringCase(f.argument, argument)) named = true;
      }
      if (!named) continue;
    }
    ++active.seen;
    if (f.nth == 0 || f.nth == active.seen) {
      if (error) *error = f.error;
      return true;
    }
  }
  return false;
}

void RegisterReset(void (*reset)()) { Resets().push_back(reset); }

void ResetAll() {
  ClearFaults();
  for (auto reset : Resets()) reset();
}

}  // namespace hostwin
