// The values of the viewer's uninstall entry, in the order they are written: the
// fresh installation and the update's version record write the same six.
#pragma once

#include "morstd/MorString.h"

class cUninstallValues {
 public:
  static constexpr int kCount = 6;

  // The entry of a viewer of `version` installed in `installFolder`. Throws the
  // library's exception when memory runs out.
  cUninstallValues(const char* installFolder, const char* version);

  const char* Name(int i) const { return kNames[i]; }
  const char* Text(int i) const { return texts[i].GetData(); }

 private:
  static const char* const kNames[kCount];
  morstd::cMorString texts[kCount];
};
