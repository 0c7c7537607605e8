// Module resources of the host layer. Fault injection: FindResourceA, LoadResource and
// LockResource ask FailNow with the resource's name as text, the decimal id for an
// integer id ("126") or the name itself, so a test can fail one resource and not another.
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/ResourceControl.h"
#include "platform/host/Resources.h"
#include "platform/host/Disk.h"
#include "platform/host/Strings.h"

namespace hostwin {
namespace {

// The program's module handle: any fixed non-null value serves.
HMODULE const kProgramModule = reinterpret_cast<HMODULE>(static_cast<UINT_PTR>(0x400000));

struct Resource {
  std::string name;          // as fault arguments see it
  std::vector<BYTE> bytes;   // never empty: see Register
  DWORD size = 0;
};

struct ResourceState {
  std::mutex lock;
  // Current resources by (type key, name key).
  std::map<std::pair<std::string, std::string>, std::shared_ptr<Resource>> byName;
  // Every resource registered since the last reset, replaced ones too, so that data a
  // caller has loaded stays valid; HRSRC and HGLOBAL values point into these.
  std::vector<std::shared_ptr<Resource>> all;
};

ResourceState& State() {
  static ResourceState state;
  return state;
}

[[maybe_unused]] const bool registered = (RegisterReset([] {
                                            std::lock_guard<std::mutex> guard(State().lock);
                                            State().byName.clear();
                                            State().all.clear();
                                          }),
                                          true);

// One spelling for each resource name or type: "#126" for an integer id (given as such
// or as a "#126" text), else the text in upper case.
std::string KeyOf(LPCSTR nameOrType) {
  if (IS_INTRESOURCE(nameOrType))
    return "#" + std::to_string(static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(nameOrType)));
  std::string text(nameOrType);
  if (text.size() > 1 && text[0] == '#') {
    char* end = nullptr;
    const unsigned long id = std::strtoul(text.c_str() + 1, &end, 10);
    if (*end == '\0' && id <= 0xFFFF) return "#" + std::to_string(id);
  }
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The text a fault's argument is compared with.
std::string FaultArgument(LPCSTR name) {
  if (!name) return "";
  if (IS_INTRESOURCE(name))
    return std::to_string(static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
  return name;
}

bool IsProgram(HMODULE module) { return module == nullptr || module == kProgramModule; }

// The registered resource behind an HRSRC or HGLOBAL value (a Resource or its bytes).
Resource* FindByInfo(HRSRC info) {
  for (const auto& r : State().all)
    if (reinterpret_cast<HRSRC>(r.get()) == info) return r.get();
  return nullptr;
}
Resource* FindByData(HGLOBAL data) {
  for (const auto& r : State().all)
    if (r->bytes.data() == data) return r.get();
  return nullptr;
}

}  // namespace

void RegisterResource(const char* type, int id, std::vector<BYTE> bytes) {
  auto resource = std::make_shared<Resource>();
  resource->name = std::to_string(id);
  resource->size = static_cast<DWORD>(bytes.size());
  resource->bytes = std::move(bytes);
  // An empty resource still has an address in the module: LoadResource must not give
  // null for it.
  if (resource->bytes.empty()) resource->bytes.push_back(0);
  std::lock_guard<std::mutex> guard(State().lock);
  State().byName[{KeyOf(type), KeyOf(MAKEINTRESOURCEA(id))}] = resource;
  State().all.push_back(resource);
}

}  // namespace hostwin

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
  if (!lpModuleName) return hostwin::kProgramModule;
  // The kernel is loaded in every process; its functions are looked up in Disk.cpp.
  if (lstrcmpiA(lpModuleName, "kernel32.dll") == 0 || lstrcmpiA(lpModuleName, "kernel32") == 0)
    return hostwin::kKernel32Module;
  return hostwin::FailWith(ERROR_MOD_NOT_FOUND, HMODULE{nullptr});
}

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  DWORD error = 0;
  const std::string argument = hostwin::FaultArgument(lpName);
  if (hostwin::FailNow("FindResourceA", argument.c_str(), &error))
    return hostwin::FailWith(error, HRSRC{nullptr});
  if (!hostwin::IsProgram(hModule))
    return hostwin::FailWith(ERROR_RESOURCE_DATA_NOT_FOUND, HRSRC{nullptr});
  if (!lpName || !lpType) return hostwin::FailWith(ERROR_INVALID_PARAMETER, HRSRC{nullptr});
  const std::string type = hostwin::KeyOf(lpType);
  const std::string name = hostwin::KeyOf(lpName);
  hostwin::ResourceState& state = hostwin::State();
  std::lock_guard<std::mutex> guard(state.lock);
  auto it = state.byName.find({type, name});
  if (it != state.byName.end()) return reinterpret_cast<HRSRC>(it->second.get());
  for (const auto& entry : state.byName)
    if (entry.first.first == type)
      return hostwin::FailWith(ERROR_RESOURCE_NAME_NOT_FOUND, HRSRC{nullptr});
  return hostwin::FailWith(ERROR_RESOURCE_TYPE_NOT_FOUND, HRSRC{nullptr});
}

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  std::lock_guard<std::mutex> guard(hostwin::State().lock);
  hostwin::Resource* resource = hostwin::FindByInfo(hResInfo);
  if (!hostwin::IsProgram(hModule) || !resource)
    return hostwin::FailWith(ERROR_INVALID_HANDLE, DWORD{0});
  return resource->size;
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo) {
  std::string argument;
  {
    std::lock_guard<std::mutex> guard(hostwin::State().lock);
    hostwin::Resource* resource = hostwin::FindByInfo(hResInfo);
    if (resource) argument = resource->name;
  }
  DWORD error = 0;
  if (hostwin::FailNow("LoadResource", argument.c_str(), &error))
    return hostwin::FailWith(error, HGLOBAL{nullptr});
  std::lock_guard<std::mutex> guard(hostwin::State().lock);
  hostwin::Resource* resource = hostwin::FindByInfo(hResInfo);
  if (!hostwin::IsProgram(hModule) || !resource)
    return hostwin::FailWith(ERROR_INVALID_HANDLE, HGLOBAL{nullptr});
  // As on Win32, the loaded handle is the address of the data itself.
  return resource->bytes.data();
}

LPVOID LockResource(HGLOBAL hResData) {
  std::string argument;
  {
    std::lock_guard<std::mutex> guard(hostwin::State().lock);
    hostwin::Resource* resource = hostwin::FindByData(hResData);
    if (resource) argument = resource->name;
  }
  DWORD error = 0;
  if (hostwin::FailNow("LockResource", argument.c_str(), &error))
    return hostwin::FailWith(error, LPVOID{nullptr});
  return hResData;
}

BOOL FreeResource(HGLOBAL) { return FALSE; }
