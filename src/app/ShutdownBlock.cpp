#include "app/ShutdownBlock.h"

namespace {

// The system takes the reason only as a wide string: the one wide text of the program.
const wchar_t kShutdownReason[] = L"インストール中です";

ShutdownReasonCreateProc createReason = nullptr;
ShutdownReasonDestroyProc destroyReason = nullptr;

}  // namespace

void SetShutdownReasonFunctions(ShutdownReasonCreateProc create, ShutdownReasonDestroyProc destroy) {
  createReason = create;
  destroyReason = destroy;
}

void BlockShutdown(HWND window) {
  (createReason ? createReason : ShutdownBlockReasonCreate)(window, kShutdownReason);
}

void AllowShutdown(HWND window) {
  (destroyReason ? destroyReason : ShutdownBlockReasonDestroy)(window);
}
