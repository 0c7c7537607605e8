// The XML reader over arbitrary text, as a tampered payload could hand it: parsing, path
// queries and texts must stay inside the working copy, the records and the value
// buffer whatever the bytes say.
#include <cstddef>
#include <cstdint>
#include <string>

#include "morstd/MorXml.h"
#include "platform/host/MessageJournal.h"

namespace {

// The paths the update reads, and steps of each kind the query syntax knows.
const char* const kPaths[] = {
    "/UpdatePatch/Version",
    "/UpdatePatch/DeleteFile/Collections",
    "/UpdatePatch/Registry/ModAdd/Data1/Value",
    "/a/b",
    "/a",
    "/b",
    "/Item id=\"3\"",
    "/a/Item id=\"\"/b",
    "/a b=\"",
    "//",
    "/",
};

void Query(morstd::cMorXml* xml, const char* path) {
  const morstd::XmlNode* node = xml->FindByPath(path);
  if (!node) return;
  const char* value = xml->GetValue(node);
  if (value && node->value && std::string(value).size() > std::string(node->value).size())
    __builtin_trap();  // decoding never lengthens a text
  for (const morstd::XmlNode* child = node->firstChild; child; child = child->next)
    xml->GetValue(child);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // up to its first NUL
  for (int skip = 0; skip <= 1; ++skip) {
    morstd::cMorXml xml;
    xml.SetSkipHeaderCheck(skip);
    const int parsed = xml.Parse(text.c_str());
    if (xml.GetNodeCount() > xml.GetNodeCapacity()) __builtin_trap();
    // Queries are safe on a partial tree too.
    for (const char* path : kPaths) Query(&xml, path);
    // The input's last line as a path of its own.
    const size_t line = text.rfind('\n');
    if (line != std::string::npos) Query(&xml, text.c_str() + line + 1);
    xml.GetValue(nullptr);
    (void)parsed;
  }
  hostwin::ClearMessageJournal();  // the reader's message boxes would pile up
  return 0;
}
