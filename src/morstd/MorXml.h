// A small, non-validating reader of narrow (code page 932) XML documents, used for the
// update patch "SetupInfo.xml". It cuts a working copy of the text in place (NUL bytes
// end names, values and attributes) and links one node record per element. Elements
// are found with slash-separated paths such as "/UpdatePatch/Version"; a step may name
// an element by its first attribute: "/List/Item id=\"3\"".
//
// Scanning is byte-wise: the structural bytes never occur as the second byte of a
// Shift-JIS character, so Japanese text passes through; the ideographic space (0x81
// 0x40) counts as white space after a run of ASCII white space.
//
// The document may come from a tampered payload. Whatever it holds, the reader stays
// inside its working copy and its records; the limits below end the parse instead.
#pragma once

#include "morstd/MorXmlNode.h"

namespace morstd {

class cMorXml {
 public:
  // Element names are at most this long: an end tag is built in a 128-byte buffer.
  static constexpr int kMaxNameLength = 124;
  // Elements nest at most this deep, so that a document cannot exhaust the stack of
  // the worker thread that reads it.
  static constexpr int kMaxDepth = 256;

  cMorXml() = default;
  virtual ~cMorXml();
  cMorXml(const cMorXml&) = delete;
  cMorXml& operator=(const cMorXml&) = delete;

  // Reads `text` (NUL-terminated); 1 on success, 0 on failure. A failed declaration
  // check or element shows a message box; text left over after the elements shows one
  // too, and the parse still succeeds. After a failure the tree is partial and is
  // meant to be discarded.
  int Parse(const char* text);
  // The element at `path`, or null when there is none or the path is malformed. The
  // first step finds the first element of that name at any depth.
  const XmlNode* FindByPath(const char* path) const;
  // The text of `node` (null: the document's first element) with the five predefined
  // entities decoded, one level deep. Null for a node without text or not of this
  // document. Valid until the next GetValue, Parse, Clear or destruction.
  const char* GetValue(const XmlNode* node);
  void Clear();

  // Every use in the installer requires the declaration; tests may read fragments.
  void SetSkipHeaderCheck(int skip) { skipHeaderCheck = skip; }
  int GetNodeCount() const { return nodeCount; }
  int GetNodeCapacity() const { return nodeCapacity; }
  // The declaration's encoding value, recorded and not interpreted; null before a parse.
  const char* GetEncoding() const { return encoding; }

 private:
  int CheckHeader(char** position);
  int MakeNode(char** position, XmlNode* parent, int depth);
  int ParseContent(char** position, XmlNode* node, const char* name, char** value, int depth);
  int ParseAttributes(XmlNode* node, char** position);
  const XmlNode* FindChild(const XmlNode* node, const char* name) const;
  const XmlNode* FindChildByAttribute(const XmlNode* node, const char* name,
                                      const char* attributeName, const char* value) const;
  bool IsOwnNode(const XmlNode* node) const;

  XmlNode* nodes = nullptr;
  int nodeCapacity = 0;
  int nodeCount = 0;
  char* document = nullptr;
  char* documentEnd = nullptr;
  char* encoding = nullptr;
  char* valueBuffer = nullptr;
  int valueBufferCapacity = 0;
  int skipHeaderCheck = 0;
};

}  // namespace morstd
