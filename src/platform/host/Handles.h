// Kernel handles of the host layer: every object that CloseHandle ends (files now;
// threads, mutexes and transactions as their areas arrive) sits in one handle table.
#pragma once

#include "platform/host/Types.h"

BOOL CloseHandle(HANDLE hObject);
