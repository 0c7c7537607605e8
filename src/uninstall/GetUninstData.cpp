#include "uninstall/GetUninstData.h"

#include <cstring>

#include "platform/win.h"
#include "uninstall/RecordIo.h"

namespace {

using namespace uninstrecord;

constexpr int kCannotOpen = 110;
constexpr int kSignatureUnread = 120;
constexpr int kNotARecord = 130;  // also: the name area cannot be held
constexpr int kHeaderUnread = 135;
constexpr int kNamesUnread = 140;
constexpr int kNamesMalformed = 150;
constexpr int kOther = 999;

}  // namespace

int GetUninstData(const char* recordPath, morstd::cMorMemBlock* list, cLogSink* log,
                  UninstRecordHeader* header) {
  int code = kOther;
  try {
    std::memset(header, 0, sizeof *header);
    list->Clear();
    FileHandle file(CreateFileA(recordPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) throw kCannotOpen;

    // One byte more than is read, so that the text ends even when the file's does not.
    char signature[sizeof kUninstSignature + 1] = {};
    DWORD read = 0;
    if (!ReadFile(file.Get(), signature, sizeof kUninstSignature, &read, nullptr))
      throw kSignatureUnread;
    if (lstrcmpA(signature, kUninstSignature) != 0) throw kNotARecord;

    if (SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) != 0 ||
        !ReadExactly(file.Get(), header, sizeof *header))
      throw kHeaderUnread;

    // The sizes come from the file: an area that the file cannot hold is refused before
    // anything is allocated, so that a damaged record cannot make the worker allocate
    // or read without bound.
    LARGE_INTEGER fileSize;
    if (header->dataSize < 0 || !GetFileSizeEx(file.Get(), &fileSize)) throw kNotARecord;
    if (header->dataSize > fileSize.QuadPart - kUninstHeaderSize) throw kNamesUnread;

    NameArea area(static_cast<size_t>(header->dataSize) + kNameAreaSlack);
    if (!area.data) throw kNotARecord;
    if (!ReadExactly(file.Get(), area.data, static_cast<DWORD>(header->dataSize))) throw kNamesUnread;
    if (header->entryCount < 0 ||
        !list->AddMultiple(area.data, static_cast<uint32_t>(header->dataSize),
                           static_cast<uint32_t>(header->entryCount)))
      throw kNamesMalformed;
    return 1;
  } catch (int thrown) {
    code = thrown;
  } catch (...) {
    code = kOther;
  }
  list->Clear();
  log->AppendLog("例外発生(GetUninstData err=%d)\r\n", code);
  return 0;
}
