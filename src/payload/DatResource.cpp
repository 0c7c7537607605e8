#include "payload/DatResource.h"

#include "payload/PayloadNames.h"

DatResourceResult LockDatResource(WORD id, const BYTE** data, DWORD* size) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), kPayloadResourceType);
  if (!found) return kDatResourceNotFound;
  *size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return kDatResourceNotLoaded;
  const BYTE* locked = static_cast<const BYTE*>(LockResource(loaded));
  if (!locked) return kDatResourceNotLocked;
  *data = locked;
  return kDatResourceLocked;
}
