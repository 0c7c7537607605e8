// Finding the enciphered "DAT" resources in the program's own module. The payload
// extractor tells the user what went wrong; the update only reports a code, so the
// lookup itself is silent and says which step failed.
#pragma once

#include "platform/win.h"

enum DatResourceResult {
  kDatResourceLocked = 0,
  kDatResourceNotFound,   // FindResourceA
  kDatResourceNotLoaded,  // LoadResource
  kDatResourceNotLocked,  // LockResource
};

// Finds, loads and locks "DAT" `id`. *size is set as soon as the resource is found,
// *data once it is locked (the bytes belong to the module).
DatResourceResult LockDatResource(WORD id, const BYTE** data, DWORD* size);
