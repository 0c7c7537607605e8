// Host Win32 layer: the subset of the Win32 API (narrow "A" functions) that the
// portable code calls, implemented on Linux for host builds and tests. Types keep
// their Windows sizes (DWORD and LONG are 32-bit even on LP64 Linux). One header per
// area; tests reach the layer's controls through platform/host/HostTest.h.
#pragma once

#include "platform/host/Types.h"
#include "platform/host/Strings.h"
#include "platform/host/Registry.h"
#include "platform/host/Handles.h"
#include "platform/host/Transaction.h"
#include "platform/host/Files.h"
#include "platform/host/User.h"
#include "platform/host/Resources.h"
#include "platform/host/Sleep.h"
#include "platform/host/Disk.h"
#include "platform/host/Shell.h"
#include "platform/host/ShellLink.h"
#include "platform/host/Version.h"
