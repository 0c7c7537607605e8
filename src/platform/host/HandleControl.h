// Test control of the handle table: a sequence that forgets to close a file (or a
// search, thread, mutex...) shows up as a handle still open after it ends.
#pragma once

#include <cstddef>

namespace hostwin {

// Handles currently open, of every kind. ResetAll closes them all.
size_t OpenHandleCount();

}  // namespace hostwin
