#include "platform/host/HandleTable.h"

#include <vector>

#include "platform/host/Faults.h"
#include "platform/host/HandleControl.h"
#include "platform/host/Handles.h"

namespace hostwin {
namespace {

// Handle values step by 4 as kernel handles do; null and INVALID_HANDLE_VALUE never
// come out.
constexpr UINT_PTR kHandleStep = 4;

const bool registered = (RegisterReset([] { HandleTable::Instance().CloseAll(); }), true);

}  // namespace

HandleTable& HandleTable::Instance() {
  static HandleTable table;
  return table;
}

HANDLE HandleTable::Add(std::shared_ptr<HostObject> object) {
  std::lock_guard<std::mutex> guard(lock_);
  UINT_PTR value = next_;
  next_ += kHandleStep;
  objects_[value] = std::move(object);
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<HostObject> HandleTable::FindObject(HANDLE handle) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = objects_.find(reinterpret_cast<UINT_PTR>(handle));
  return it == objects_.end() ? nullptr : it->second;
}

std::shared_ptr<HostObject> HandleTable::Remove(HANDLE handle) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = objects_.find(reinterpret_cast<UINT_PTR>(handle));
  if (it == objects_.end()) return nullptr;
  std::shared_ptr<HostObject> object = std::move(it->second);
  objects_.erase(it);
  return object;
}

void HandleTable::CloseAll() {
  std::vector<std::shared_ptr<HostObject>> open;
  {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& entry : objects_) open.push_back(std::move(entry.second));
    objects_.clear();
  }
  for (auto& object : open) object->Close();
}

size_t HandleTable::OpenCount() {
  std::lock_guard<std::mutex> guard(lock_);
  return objects_.size();
}

size_t OpenHandleCount() { return HandleTable::Instance().OpenCount(); }

}  // namespace hostwin

BOOL CloseHandle(HANDLE hObject) {
  hostwin::HandleTable& table = hostwin::HandleTable::Instance();
  std::shared_ptr<hostwin::HostObject> object = table.FindObject(hObject);
  DWORD error = 0;
  if (hostwin::FailNow("CloseHandle", object ? object->FaultArgument().c_str() : nullptr, &error)) {
    SetLastError(error);
    return FALSE;
  }
  // INVALID_HANDLE_VALUE is also the pseudo-handle of the current process, whose
  // closing Windows accepts and ignores.
  if (hObject == INVALID_HANDLE_VALUE) return TRUE;
  if (!object || !object->ClosedByCloseHandle()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // A second thread may have closed it in between; only one of them ends the object.
  if (!table.Remove(hObject)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object->Close();
  return TRUE;
}
