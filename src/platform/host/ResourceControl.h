// Test controls of the module resources: the bytes of each resource of the program.
// Faults of FindResourceA, LoadResource and LockResource match the resource's id as
// decimal text ("130"), so one resource can fail while another loads.
#pragma once

#include <vector>

#include "platform/host/Types.h"

namespace hostwin {

// Gives the program a resource of `type` ("DAT", "PNG", or MAKEINTRESOURCEA(n)) and
// integer id `id`; registering the same type and id again replaces the bytes for later
// finds (data already loaded stays valid). ResetAll removes every resource.
void RegisterResource(const char* type, int id, std::vector<BYTE> bytes);

}  // namespace hostwin
