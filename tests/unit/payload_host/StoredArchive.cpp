#include "unit/payload_host/StoredArchive.h"

#include <stdexcept>

namespace dhtest {

namespace {

void Put16(std::string* out, uint32_t v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// One extended header without its leading size field: type, contents, and the size
// of the next one is appended by the caller.
std::string Extended(int type, const std::string& contents) {
  std::string e;
  e.push_back(static_cast<char>(type));
  e += contents;
  return e;
}

}  // namespace

std::string StoredArchive(const std::vector<StoredMember>& members, bool endMarker) {
  std::string out;
  for (const StoredMember& m : members) {
    const size_t cut = m.name.rfind('\\');
    std::string directory = cut == std::string::npos ? "" : m.name.substr(0, cut + 1);
    const std::string file = cut == std::string::npos ? m.name : m.name.substr(cut + 1);
    for (char& c : directory)
      if (c == '\\') c = static_cast<char>(0xFF);
    std::vector<std::string> extended;
    if (!file.empty()) extended.push_back(Extended(1, file));
    if (!directory.empty()) extended.push_back(Extended(2, directory));

    // Each extended header's size counts its type, contents and the next size field.
    size_t headerSize = 26;
    for (const std::string& e : extended) headerSize += e.size() + 2;
    if (headerSize % 256 == 0) throw std::logic_error("header size would read as the end");

    std::string h;
    Put16(&h, static_cast<uint32_t>(headerSize));
    h += m.method.substr(0, 5);
    Put32(&h, static_cast<uint32_t>(m.data.size()));
    Put32(&h, static_cast<uint32_t>(m.unpackedSize < 0 ? m.data.size() : m.unpackedSize));
    Put32(&h, 0);   // timestamp
    h.push_back(0x20);  // reserved
    h.push_back(2);  // level
    Put16(&h, 0);    // CRC-16 of the data; the installer's reader does not check it
    h.push_back('U');  // operating system
    Put16(&h, extended.empty() ? 0 : static_cast<uint32_t>(extended[0].size() + 2));
    for (size_t i = 0; i < extended.size(); ++i) {
      h += extended[i];
      Put16(&h, i + 1 < extended.size() ? static_cast<uint32_t>(extended[i + 1].size() + 2) : 0);
    }
    out += h;
    out += m.data;
  }
  if (endMarker) out.push_back('\0');
  return out;
}

}  // namespace dhtest
