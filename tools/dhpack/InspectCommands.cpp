#include "InspectCommands.h"

#include <iconv.h>

#include <cstdio>
#include <vector>

#include "OutputFile.h"
#include "morstd/MorMemBlock.h"
#include "platform/host/MessageJournal.h"
#include "platform/win.h"
#include "uninstall/UninstDat.h"
#include "update/SetupInfo.h"

namespace {

// Where `uninst` puts the record for the installer's own reader: a folder of the host
// layer's sandbox, which lives under the temporary folder for this run only.
constexpr char kRecordFolder[] = "C:\\dhpack-uninst";

// What each failure code of the record's Load means, for the vendor.
const char* LoadFailure(int code) {
  switch (code) {
    case 120: return "cannot open it";
    case 125: return "cannot read its signature";
    case 130: return "no \"DHVUI01\" signature with its zero byte";
    case 135: return "shorter than its 28-byte header";
    case 140: return "its name area is negative or larger than the file";
    case 145: return "cannot read its name area";
    case 150: return "its entries do not fit its name area";
    default: return "the reader failed";
  }
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "dhpack: %s\n", message.c_str());
  return 1;
}

// The bytes as a terminal shows them; bytes that are no character are written as
// \xNN so that nothing the installer would see is hidden.
std::string Shown(const std::string& text) {
  if (text.empty()) return text;
  iconv_t cd = iconv_open("UTF-8", "CP932");
  std::string out;
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  std::vector<char> buffer(text.size() * 4 + 4);
  while (inLeft > 0) {
    char* outAt = buffer.data();
    size_t outLeft = buffer.size();
    const size_t result = iconv(cd, &in, &inLeft, &outAt, &outLeft);
    out.append(buffer.data(), outAt);
    if (result == static_cast<size_t>(-1) && inLeft > 0) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(*in));
      out += escaped;
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

std::string Escaped(const char* bytes, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  return out;
}

// The message boxes shown since the journal was last cleared, one per line.
std::string ShownMessageBoxes() {
  std::string lines;
  for (const hostwin::MessageBoxEntry& box : hostwin::MessageJournal())
    lines += "\ndhpack: the installer shows the message box \"" + Shown(box.caption) + "\": " +
             Shown(box.text);
  hostwin::ClearMessageJournal();
  return lines;
}

// One command per line: its kind, its 1-based number, then its fields.
void PrintCommands(const char* kind, const morstd::cMorMemBlock& list, const char* const* fields,
                   int fieldCount) {
  for (int i = 0; i + fieldCount <= list.GetCount(); i += fieldCount) {
    std::printf("%s\t%d", kind, i / fieldCount + 1);
    for (int f = 0; f < fieldCount; ++f)
      std::printf("\t%s=%s", fields[f], Shown(list.GetAt(i + f)).c_str());
    std::printf("\n");
  }
}

bool ReadText(const std::string& file, std::string* text, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(file, &bytes, error)) return false;
  // The installer reads the member as a NUL-terminated text.
  text->assign(bytes.begin(), bytes.end());
  text->resize(std::string(text->c_str()).size());
  return true;
}

}  // namespace

bool CheckSetupInfo(const std::string& text, std::string* message) {
  if (text.empty()) return true;
  hostwin::ClearMessageJournal();
  cSetupInfo info;
  if (info.Parse(text.c_str())) {
    hostwin::ClearMessageJournal();
    return true;
  }
  *message = Shown(info.GetErrorMessage()) + ShownMessageBoxes();
  return false;
}

int InspectSetupInfo(const std::string& file) {
  std::string text;
  std::string error;
  if (!ReadText(file, &text, &error)) return Fail(error);
  std::string message;
  if (!CheckSetupInfo(text, &message)) return Fail(file + ": " + message);
  cSetupInfo info;
  if (!text.empty()) info.Parse(text.c_str());
  hostwin::ClearMessageJournal();
  std::printf("DeleteFile\tCollections=%d\tModel=%d\tProgramFiles=%d\n", info.GetDeleteCollections(),
              info.GetDeleteModel(), info.GetDeleteProgramFiles());
  static const char* const kModAdd[] = {"Key", "SubKey", "Type", "ValueName", "Value"};
  static const char* const kDeleteValue[] = {"Key", "SubKey", "ValueName"};
  static const char* const kDeleteKey[] = {"Key", "SubKey"};
  PrintCommands("ModAdd", info.GetModAddList(), kModAdd, 5);
  PrintCommands("DeleteValue", info.GetDeleteValueList(), kDeleteValue, 3);
  PrintCommands("DeleteKey", info.GetDeleteKeyList(), kDeleteKey, 2);
  if (text.empty()) std::fprintf(stderr, "dhpack: %s is empty: the update deletes nothing and runs no commands\n", file.c_str());
  return 0;
}

int InspectUninstRecord(const std::string& file) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(file, &bytes, &error)) return Fail(error);
  const std::string folder = kRecordFolder;
  const std::string copy = folder + "\\" + kUninstRecordName;
  CreateDirectoryA(folder.c_str(), nullptr);
  HANDLE handle = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  const bool copied = handle != INVALID_HANDLE_VALUE &&
                      (bytes.empty() || (WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()),
                                                   &written, nullptr) &&
                                         written == bytes.size()));
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  if (!copied) return Fail(file + ": cannot copy it for the installer's reader");

  cUninstDat record;
  const int loaded = record.Load(folder.c_str());
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(folder.c_str());
  const UninstRecordHeader& header = record.GetHeader();
  const int code = record.GetLastError();
  if (loaded || code >= 135) {  // the header was read
    std::printf("signature\t%s\n", Escaped(header.signature, sizeof header.signature).c_str());
    std::printf("headerSize\t%d\nstartMenuShortcut\t%d\ndesktopShortcut\t%d\n", header.headerSize,
                header.startMenuShortcut, header.desktopShortcut);
    std::printf("dataSize\t%d\nentryCount\t%d\n", header.dataSize, header.entryCount);
  }
  if (!loaded) {
    char coded[32];
    std::snprintf(coded, sizeof coded, " (code %d)", code);
    return Fail(file + ": the installer cannot load it: " + LoadFailure(code) + coded);
  }
  const morstd::cMorMemBlock& names = record.GetNames();
  for (int i = 0; i < names.GetCount(); ++i) std::printf("%d\t%s\n", i + 1, Shown(names.GetAt(i)).c_str());
  return 0;
}
