// One change of the host registry, kept apart from the tree it changes so that a
// transaction can make it in its own view at once and again in the hives when it
// commits.
#pragma once

#include <string>
#include <vector>

#include "platform/host/RegistryKey.h"
#include "platform/host/Types.h"

namespace hostwin {

struct RegistryChange {
  enum Kind { kCreateKey, kSetValue, kDeleteValue, kDeleteKey };

  Kind kind = kCreateKey;
  int hive = 0;
  std::vector<std::string> path;  // the key's parts below its hive root
  std::string valueName;          // kSetValue, kDeleteValue
  DWORD type = 0;                 // kSetValue
  std::string data;               // kSetValue

  // Makes the change in a hive. It never fails: replayed at a commit onto hives that
  // others changed meanwhile, a value write recreates a key deleted outside, and a key
  // delete leaves a key alone that gained subkeys outside (deleting those too would
  // remove what the transaction never saw).
  void ApplyTo(RegistryKey* hiveRoot) const;
};

}  // namespace hostwin
