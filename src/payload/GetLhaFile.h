// The payload extractor: loads one of the program's enciphered "DAT" resources,
// deciphers it into `payload` and runs the archive operations over it. Each operation
// loads and deciphers its resource afresh and releases everything before it returns;
// the object lives on its caller's stack and is used by one thread.
#pragma once

#include <cstdint>

#include "morstd/MorBinary.h"
#include "morstd/MorMemBlock.h"
#include "morstd/MorString.h"
#include "morstd/ProgressSink.h"
#include "platform/win.h"
#include "res/ResourceIds.h"

class cGetLhaFile {
 public:
  static constexpr WORD kReadMeResource = IDR_README_DAT;
  static constexpr WORD kPayloadResource = IDR_PAYLOAD_DAT;
  static constexpr DWORD kKeyLength = 32;

  cGetLhaFile();
  virtual ~cGetLhaFile();
  cGetLhaFile(const cGetLhaFile&) = delete;
  cGetLhaFile& operator=(const cGetLhaFile&) = delete;

  // Loads the "DAT" resource `id` of the program's own module and deciphers it into
  // `payload`. 1 on success; 0 after the failure was shown in a message box ("Err"),
  // `payload` then being empty (or untouched when the resource could not be had).
  int LoadDatResource(WORD id);
  // Zeroes `key`, then stores the SHA-256 digest of the pass phrase in it.
  void MakeResourceKey();
  // Deciphers a stored image (salt + ciphertext) into `output` with the resource key.
  // 1 on success, with `key` wiped; 0 on any failure, including an image shorter than
  // its salt. Never throws.
  int DecryptData(const morstd::cMorBinary& input, morstd::cMorBinary* output);
  // The same straight from a stored image of `size` bytes (the locked resource) into
  // `output`, which is the only buffer the plaintext ever occupies.
  int DecryptData(const BYTE* image, DWORD size, morstd::cMorBinary* output);

  // Keeps the deciphered payload between the operations of this object, so that the
  // folder page's measurement and the installation after it decipher the payload once:
  // a later operation on the same resource uses it again. ExtractAll, the last
  // operation that needs it, and ReleasePayload wipe it.
  void HoldPayload() { holdPayload = true; }
  void ReleasePayload();

  // The archive operations. Each loads and deciphers its resource, parses every
  // header, and releases all of it before returning; 1 on success, 0 on failure with
  // `lastError` = minus the operation's failure code (-999 for any other exception).
  // Only WriteUninstRecord sets `lastError` on success (to 0).

  // The text of the first member named exactly "ReadMe.txt" of the read-me resource;
  // `text` is left as it was when there is none.
  int GetReadMe(morstd::cMorString* text);
  // The sum of the unpacked sizes of every member, low word first; sets memberCount.
  int GetPayloadSize(DWORD total[2]);
  // Empties `list`, then appends every member name except "SetupInfo.xml".
  int ListInstallFiles(morstd::cMorMemBlock* list);
  // Writes the uninstall record (the installed names and the two shortcut choices)
  // to `path`, replacing any file there. After a whole ExtractAll on this object its
  // names serve, without the payload being deciphered again.
  int WriteUninstRecord(const char* path, int32_t startMenuShortcut, int32_t desktopShortcut);
  // Extracts every member except "SetupInfo.xml", the placeholders of its name
  // replaced by the two folders. After each member `*step` is counted up and the sink
  // shown (*step x 100 / totalSteps)% with the path, then the thread pauses
  // extractPauseMs, or less in a payload of many members (the pauses of one
  // extraction add up to about two seconds at most). Empty folders: 0 at once,
  // nothing loaded, `lastError` untouched. Fails with 150 for a member named outside
  // the product's folders, 160 for a folder that cannot be made and 170 for a file that
  // cannot be written whole.
  int ExtractAll(const char* installFolder, const char* appDataFolder, cProgressSink* progress,
                 int* step, int totalSteps);
  static constexpr int kExtractNameRefused = 150;

  // The longest pause after each extracted member, so that the progress can be read;
  // tests shorten it.
  static constexpr DWORD kExtractPauseMs = 50;
  static DWORD extractPauseMs;

  const BYTE* resourceData = nullptr;  // the locked resource; owned by the module
  DWORD resourceSize = 0;
  int32_t memberCount = 0;  // number of archive members, counted when the size is measured
  int32_t lastError = 0;    // minus the failure code of the last failed archive operation
  BYTE key[kKeyLength] = {};  // zero except while a decipherment runs
  morstd::cMorBinary payload;  // the deciphered archive

 private:
  bool holdPayload = false;
  WORD heldResource = 0;  // the resource `payload` holds deciphered, 0 for none
  // What the last ExtractAll wrote, as ListInstallFiles lists it, for the record;
  // complete only when the extraction went through.
  morstd::cMorMemBlock extractedNames;
  bool extractedAll = false;
};
