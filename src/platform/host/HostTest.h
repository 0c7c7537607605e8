// The host layer's controls for tests: fault injection, the files sandbox, the
// message-box journal and the registry trees. Only host-only tests include this.
#pragma once

#include "platform/host/Faults.h"
#include "platform/host/RegistryControls.h"
#include "platform/host/SandboxControl.h"
#include "platform/host/MessageJournal.h"
#include "platform/host/HandleControl.h"
#include "platform/host/ResourceControl.h"
#include "platform/host/ShellControl.h"
#include "platform/host/ShellLinkControl.h"
#include "platform/host/TempPathControl.h"
#include "platform/host/VersionControl.h"
