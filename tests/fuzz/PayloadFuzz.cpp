// The payload operations over an arbitrary resource image, on the host layer: the
// decipherment, the size and the listing, the read-me, the uninstall record and the
// extraction into the sandbox. Each must end in success or its failure code, the
// deciphered bytes and the key wiped either way, and the extraction may write nothing
// outside the install and application-data folders.
//
// The first input byte chooses what the rest is: the stored image itself (salt and
// ciphertext, as a tampered installer could carry), or the archive, enciphered here
// first, so that most inputs reach the archive reader.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "morstd/MorBinary.h"
#include "morstd/MorMemBlock.h"
#include "morstd/MorString.h"
#include "payload/EncipherResource.h"
#include "payload/GetLhaFile.h"
#include "payload/LhaArchiveReader.h"
#include "payload/PayloadNames.h"
#include "platform/host/HostTest.h"

namespace {

namespace fs = std::filesystem;

constexpr char kInstallFolder[] = "C:\\Program Files\\Viewer";
constexpr char kAppDataFolder[] = "C:\\AppData\\Viewer";
constexpr char kRecord[] = "C:\\Program Files\\Viewer\\Uninst.dat";
// Each member is decoded into a block of its claimed size. Archives claiming more in
// one member are left out: they only measure the machine's memory.
constexpr uint32_t kMaxMember = 4 * 1024 * 1024;

// True when no member header of the deciphered archive claims more than kMaxMember.
bool SizesBounded(const std::vector<BYTE>& image) {
  cGetLhaFile probe;
  morstd::cMorBinary stored, plain;
  stored.Assign(image.data(), static_cast<DWORD>(image.size()));
  if (!probe.DecryptData(stored, &plain)) return true;
  cLhaArchiveReader reader;
  if (reader.Open(plain.data, plain.size) != kLhaOpenFound) return true;
  reader.ReadHeaders();
  bool bounded = true;
  reader.Walk([&](int, const LhaMember& member) {
    bounded = member.unpackedSize <= kMaxMember;
    return bounded;
  });
  return bounded;
}

bool KeyWiped(const cGetLhaFile& lha) {
  for (BYTE b : lha.key) {
    if (b) return false;
  }
  return true;
}

// A result and the code it leaves must agree: 1 with the code untouched, 0 with some
// operation's failure code.
void CheckResult(int result, const cGetLhaFile& lha, int32_t before) {
  if (result != 0 && result != 1) __builtin_trap();
  if (result == 0 && lha.lastError >= 0) __builtin_trap();
  if (result == 1 && lha.lastError != before) __builtin_trap();
  if (lha.payload.data || lha.payload.size || !KeyWiped(lha)) __builtin_trap();
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Every file or folder of the sandbox outside the two folders and the folders that
// lead to them.
bool WroteOutside() {
  const fs::path root = hostwin::SandboxRoot();
  const fs::path install = hostwin::SandboxPath(kInstallFolder);
  const fs::path appData = hostwin::SandboxPath(kAppDataFolder);
  std::error_code error;
  for (fs::recursive_directory_iterator it(root, error), end; it != end; it.increment(error)) {
    const fs::path path = it->path();
    auto within = [&](const fs::path& folder) {
      const std::string p = path.string(), f = folder.string();
      return p == f || StartsWith(p, f + "/") || StartsWith(f, p + "/");
    };
    if (!within(install) && !within(appData)) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  hostwin::ResetAll();
  cGetLhaFile::extractPauseMs = 0;
  std::vector<BYTE> image(data + 1, data + size);
  if (data[0] & 1) {
    static const BYTE kSalt[16] = {7, 1, 7, 1, 7, 1, 7, 1, 7, 1, 7, 1, 7, 1, 7, 1};
    morstd::cMorBinary enciphered;
    if (!EncipherResource(image.data(), static_cast<DWORD>(image.size()), kSalt, &enciphered))
      __builtin_trap();
    image.assign(enciphered.data, enciphered.data + enciphered.size);
  }
  if (!SizesBounded(image)) return 0;
  hostwin::RegisterResource(kPayloadResourceType, cGetLhaFile::kPayloadResource, image);
  hostwin::RegisterResource(kPayloadResourceType, cGetLhaFile::kReadMeResource, image);
  CreateDirectoryA("C:\\Program Files", nullptr);
  CreateDirectoryA(kInstallFolder, nullptr);
  CreateDirectoryA("C:\\AppData", nullptr);
  CreateDirectoryA(kAppDataFolder, nullptr);

  cGetLhaFile lha;
  DWORD total[2] = {};
  int32_t before = lha.lastError;
  CheckResult(lha.GetPayloadSize(total), lha, before);

  morstd::cMorMemBlock names;
  before = lha.lastError;
  const int listed = lha.ListInstallFiles(&names);
  CheckResult(listed, lha, before);
  for (int i = 0; i < names.GetCount(); ++i) {
    if (!names.GetAt(i)) __builtin_trap();
  }

  morstd::cMorString text;
  before = lha.lastError;
  CheckResult(lha.GetReadMe(&text), lha, before);

  const int recorded = lha.WriteUninstRecord(kRecord, 1, 0);
  if (recorded != 0 && recorded != 1) __builtin_trap();
  if (recorded && lha.lastError != 0) __builtin_trap();
  if (recorded != listed) __builtin_trap();  // the record lists what the listing gives

  int step = 0;
  const int steps = lha.memberCount > 0 ? lha.memberCount : 1;
  before = lha.lastError;
  CheckResult(lha.ExtractAll(kInstallFolder, kAppDataFolder, nullptr, &step, steps), lha, before);
  if (step > names.GetCount()) __builtin_trap();

  // Whatever the member names say, the extractor writes only below the two folders.
  if (WroteOutside()) __builtin_trap();
  hostwin::ClearMessageJournal();
  return 0;
}
