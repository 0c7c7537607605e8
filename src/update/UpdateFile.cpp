// Construction, the payload's loading and listing, the disk-space check and the
// extraction of the update patch.
#include "update/UpdateFile.h"

#include "morstd/CatchCode.h"
#include "payload/DatResource.h"
#include "payload/GetLhaFile.h"
#include "payload/LhaArchive.h"
#include "payload/LhaArchiveReader.h"
#include "payload/MemberBuffer.h"
#include "payload/PayloadNames.h"
#include "update/UpdateFileSteps.h"

using morstd::RunCoded;

DWORD cUpdateFile::installPauseMs = cUpdateFile::kInstallPauseMs;

namespace {

// LoadDatResource
constexpr int kResourceNotFound = 100;
constexpr int kResourceNotLoaded = 105;
constexpr int kResourceNotLocked = 110;
constexpr int kNotDeciphered = 120;
constexpr int kLoadOther = 99999;

// ListMembers
constexpr int kListNoPayload = 200;
constexpr int kListNotOpened = 205;
constexpr int kListHeadersUnread = 210;
constexpr int kListMemberMissing = 215;
constexpr int kListOther = 99970;

// GetSetupInfo
constexpr int kInfoNoPayload = 250;
constexpr int kInfoNotOpened = 255;
constexpr int kInfoHeadersUnread = 260;
constexpr int kInfoMemberMissing = 265;
constexpr int kInfoNotSelected = 270;
constexpr int kInfoNoBuffer = 275;
constexpr int kInfoShort = 280;
constexpr int kInfoOther = 99960;

// The patch is used as a string: spare zero bytes keep it terminated.
constexpr uint32_t kSetupInfoSlack = 64;

}  // namespace

cUpdateFile::cUpdateFile() = default;

cUpdateFile::~cUpdateFile() = default;

int cUpdateFile::LoadPayload() { return LoadDatResource() && ListMembers() ? 1 : 0; }

int cUpdateFile::LoadDatResource() {
  return RunCoded(&lastError, kLoadOther, [&] {
    const BYTE* data = nullptr;
    DWORD size = 0;
    switch (LockDatResource(cGetLhaFile::kPayloadResource, &data, &size)) {
      case kDatResourceLocked:
        break;
      case kDatResourceNotFound:
        throw kResourceNotFound;
      case kDatResourceNotLoaded:
        throw kResourceNotLoaded;
      case kDatResourceNotLocked:
        throw kResourceNotLocked;
    }
    if (!DecryptData(data, size)) throw kNotDeciphered;
  });
}

int cUpdateFile::DecryptData(const BYTE* image, DWORD size) {
  // The payload extractor's key and cipher, straight from the locked resource into
  // `payload`: no copy of the resource, no second plaintext. The old payload is wiped
  // when the new one replaces it.
  cGetLhaFile decipher;
  return decipher.DecryptData(image, size, &payload);
}

int cUpdateFile::ListMembers() {
  requiredBytes = 0;
  return RunCoded(&lastError, kListOther, [&] {
    if (!payload.data || !payload.size) throw kListNoPayload;
    cLhaArchiveReader reader;
    if (reader.Open(payload.data, payload.size) != kLhaOpenFound) throw kListNotOpened;
    if (reader.ReadHeaders() != kLhaHeadersRead) throw kListHeadersUnread;
    memberCount = 0;
    memberList.Clear();
    if (!reader.Walk([&](int, const LhaMember& member) {
          if (IsSetupInfoName(member.name)) return true;
          requiredBytes += member.unpackedSize;
          reader.AddInstalledName(&memberList, member.name);
          ++memberCount;
          return true;
        }))
      throw kListMemberMissing;
  });
}

int cUpdateFile::CheckDiskSpace() {
  if (requiredBytes == 0) return -1;
  if (!GetFreeSpace(installLocation)) return -2;
  return freeBytes >= requiredBytes ? 1 : 0;
}

int cUpdateFile::GetFreeSpace(const char* path) { return ::GetFreeSpace(path, &freeBytes); }

int cUpdateFile::GetSetupInfo(morstd::cMorString* text) {
  return RunCoded(&lastError, kInfoOther, [&] {
    if (!payload.data || !payload.size) throw kInfoNoPayload;
    cLhaArchiveReader reader;
    if (reader.Open(payload.data, payload.size) != kLhaOpenFound) throw kInfoNotOpened;
    if (reader.ReadHeaders() != kLhaHeadersRead) throw kInfoHeadersUnread;
    if (!reader.Walk([&](int index, const LhaMember& member) {
          // Only the exact name is the patch; "setupinfo.xml" is merely never installed.
          if (lstrcmpA(member.name, kSetupInfoName) != 0) return true;
          if (!reader.Select(index)) throw kInfoNotSelected;
          cMemberBuffer buffer(member.unpackedSize, kSetupInfoSlack, kInfoNoBuffer);
          if (reader.Read(buffer.Data(), member.unpackedSize) < member.unpackedSize)
            throw kInfoShort;
          text->Assign(reinterpret_cast<const char*>(buffer.Data()));
          return false;
        }))
      throw kInfoMemberMissing;
  });
}
