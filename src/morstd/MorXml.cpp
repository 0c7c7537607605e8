#include "morstd/MorXml.h"

#include <cstdint>
#include <cstring>

#include "morstd/MorAlloc.h"
#include "morstd/MorXmlScan.h"
#include "platform/win.h"

namespace morstd {
namespace {

using namespace xmlscan;

constexpr char kDeclarationStart[] = "<?xml";
constexpr char kDeclarationEnd[] = "?>";
constexpr char kEncodingAttribute[] = "encoding=\"";

// Buffers of the reader: 128 bytes for short texts, else whole 256-byte steps above
// what is needed.
size_t BufferSize(size_t needed) { return needed < 128 ? 128 : (needed / 256 + 1) * 256; }

// One record per '<' that can start an element: end tags, declarations and comments
// take none. Elements cannot outnumber these, and MakeNode refuses any that would.
int64_t CountElementStarts(const char* text, const char* end) {
  int64_t count = 0;
  for (const char* c = text; c < end; ++c) {
    if (*c != '<') continue;
    if (c[1] == '/' || c[1] == '?') continue;
    if (c[1] == '!' && c[2] == '-' && c[3] == '-') continue;
    ++count;
  }
  return count;
}

}  // namespace

cMorXml::~cMorXml() { Clear(); }

void cMorXml::Clear() {
  for (int i = 0; nodes && i < nodeCapacity; ++i) {
    MorFree(nodes[i].attributeNames);
    MorFree(nodes[i].attributeValues);
  }
  MorFree(nodes);
  MorFree(document);
  MorFree(valueBuffer);
  nodes = nullptr;
  document = nullptr;
  valueBuffer = nullptr;
  encoding = nullptr;
  documentEnd = nullptr;
  nodeCapacity = nodeCount = valueBufferCapacity = 0;
}

int cMorXml::Parse(const char* text) {
  Clear();
  if (!text) return 0;
  const size_t length = std::strlen(text);
  // Record counts and offsets are 32-bit; a longer text is no document of ours.
  if (length > INT32_MAX - 1024) return 0;
  const size_t size = BufferSize(length + 10);
  document = static_cast<char*>(MorAllocZeroed(size));
  if (!document) return 0;
  std::memcpy(document, text, length);
  documentEnd = document + length;

  const int64_t count = CountElementStarts(document, documentEnd);
  // In a 32-bit program the records of a long enough text outgrow the address space:
  // the size must not wrap to a small block.
  if (count == 0 || static_cast<uint64_t>(count) > SIZE_MAX / sizeof(XmlNode)) return 0;
  nodes = static_cast<XmlNode*>(MorAllocZeroed(static_cast<size_t>(count) * sizeof(XmlNode)));
  if (!nodes) return 0;
  nodeCapacity = static_cast<int>(count);

  char* position = document;
  if (!skipHeaderCheck && !CheckHeader(&position)) {
    MessageBoxA(nullptr, "XMLヘッダーエラー", "パース失敗", MB_OK);
    return 0;
  }
  for (;;) {
    const int result = MakeNode(&position, nullptr, 0);
    if (result < 0) {
      char message[64];
      wsprintfA(message, "MakeNode Err=%d", result);
      MessageBoxA(nullptr, message, "XMLパース失敗", MB_OK);
      return 0;
    }
    if (result != 1000) break;  // 1000: a further top-level element follows
  }
  if (position != documentEnd) MessageBoxA(nullptr, "EndPtr!=ptr", "", MB_OK);
  return 1;
}

// The declaration: "<?xml" after white space, up to "?>". Its encoding value is kept
// for the record. The search for it stays inside the declaration: were it to run on,
// an element's text or attribute that happens to read encoding="..." would lose its
// closing quote to the NUL written here.
int cMorXml::CheckHeader(char** position) {
  char* start = SkipSpaces(document, documentEnd);
  if (!StartsWith(start, documentEnd, kDeclarationStart, sizeof kDeclarationStart - 1)) return 0;
  char* end = FindSequence(start, documentEnd, kDeclarationEnd, sizeof kDeclarationEnd - 1);
  if (!end) return 0;
  *position = end + sizeof kDeclarationEnd - 1;
  char* attribute = FindSequence(start, end, kEncodingAttribute, sizeof kEncodingAttribute - 1);
  if (!attribute) {
    *end = '\0';
    encoding = end;
    return 1;
  }
  char* value = attribute + sizeof kEncodingAttribute - 1;
  char* quote = Find(value, end, '"');
  if (!quote) return 0;
  *quote = '\0';
  encoding = value;
  return 1;
}

}  // namespace morstd
