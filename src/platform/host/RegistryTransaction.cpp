#include "platform/host/RegistryTransaction.h"

#include "platform/host/RegistryStore.h"

namespace hostwin {

void RegistryTransaction::Close() { RegistryStore::Instance().Rollback(*this); }

}  // namespace hostwin
