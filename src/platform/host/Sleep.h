// Pauses of the calling thread.
#pragma once

#include "platform/host/Types.h"

void Sleep(DWORD dwMilliseconds);
