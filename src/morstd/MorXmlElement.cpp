// Reading one element of the document: its start tag and attributes, its text or its
// child elements, and its end tag. MakeNode's results: 0 the document ends after the
// element, 10 an end tag follows (the enclosing element's), 1000 a sibling follows;
// a negative code names what was wrong (shown by Parse as "MakeNode Err=%d").
#include <cstdint>
#include <cstring>

#include "morstd/MorAlloc.h"
#include "morstd/MorXml.h"
#include "morstd/MorXmlScan.h"
#include "platform/win.h"

namespace morstd {
namespace {

using namespace xmlscan;

// What ends the scan of an element name.
bool EndsName(char c) { return IsSpace(c) || c == '>'; }

enum MakeNodeCode {
  kDocumentEnds = 0,
  kParentEnds = 10,
  kSiblingFollows = 1000,
  kMoreElementsThanCounted = -1,
  kCommentBeforeElement = -2,
  kNoElementStart = -3,
  kNothingAfterStart = -4,
  kNameRunsToEnd = -5,
  kNothingAfterStartTag = -6,
  kNothingAfterName = -7,
  kBadAttributes = -8,
  kNoTagEnd = -9,
  kContentRunsToEnd = -10,
  kNoEndTag = -11,
  kCommentBeforeChildren = -12,
  kEndAfterChildren = -13,
  kEndTagNotAfterChildren = -14,
  kCommentAfterElement = -15,
  kTextInsteadOfElement = -16,
  // Our own limits, past which the reader refuses rather than overrun.
  kNameTooLong = -17,
  kNestedTooDeep = -18,
  kChildFailed = -100,
};

}  // namespace

int cMorXml::MakeNode(char** position, XmlNode* parent, int depth) {
  char* at = SkipSpaces(*position, documentEnd);
  if (at == documentEnd) return kDocumentEnds;
  if (nodeCount >= nodeCapacity) return kMoreElementsThanCounted;
  XmlNode* node = &nodes[nodeCount++];
  if (depth >= kMaxDepth) return kNestedTooDeep;
  if (!SkipComment(&at, documentEnd)) return kCommentBeforeElement;

  char* open = Find(at, documentEnd, '<');
  if (!open) return kNoElementStart;
  char* name = SkipSpaces(open + 1, documentEnd);
  if (name >= documentEnd) return kNothingAfterStart;
  char* scan = name + 1;
  while (scan < documentEnd && !EndsName(*scan)) ++scan;
  if (scan >= documentEnd) return kNameRunsToEnd;

  bool empty = false;
  if (*scan == '>') {
    if (scan[-1] == '/') {
      scan[-1] = '\0';
      empty = true;
    } else {
      *scan = '\0';
      if (scan + 1 >= documentEnd) return kNothingAfterStartTag;
    }
    at = scan + 1;
  } else {
    *scan = '\0';
    if (scan + 1 >= documentEnd) return kNothingAfterName;
    at = scan + 1;
    if (!ParseAttributes(node, &at)) return kBadAttributes;
    char* close = Find(at, documentEnd, '>');
    if (!close) return kNoTagEnd;
    empty = close[-1] == '/';
    at = close + 1;
  }
  // The end tag must fit its 128-byte buffer; a longer name is refused even for an
  // empty-element tag, so that one rule holds for every element.
  if (std::strlen(name) > static_cast<size_t>(kMaxNameLength)) return kNameTooLong;

  char* value = nullptr;
  if (!empty) {
    const int code = ParseContent(&at, node, name, &value, depth);
    if (code != 0) return code;
  }
  if (!SkipComment(&at, documentEnd)) return kCommentAfterElement;

  node->parent = parent;
  node->name = name;
  node->value = value;
  node->next = nullptr;
  if (parent && !parent->firstChild) parent->firstChild = node;
  if (at == documentEnd) {
    *position = at;
    return kDocumentEnds;
  }
  if (at[0] == '<' && at[1] == '/') {
    *position = at;
    return kParentEnds;
  }
  if (at[0] == '<') {
    // The sibling is read next and takes the next free record.
    node->next = nodeCount < nodeCapacity ? &nodes[nodeCount] : nullptr;
    *position = at;
    return kSiblingFollows;
  }
  return kTextInsteadOfElement;
}

// After the start tag: the raw text up to the end tag, the empty text when the end tag
// follows at once, or child elements followed by the end tag. 0 when read.
int cMorXml::ParseContent(char** position, XmlNode* node, const char* name, char** value,
                          int depth) {
  char* at = SkipSpaces(*position, documentEnd);
  if (at >= documentEnd) return kContentRunsToEnd;
  char endTag[kMaxNameLength + 4];
  const size_t nameLength = std::strlen(name);
  endTag[0] = '<';
  endTag[1] = '/';
  std::memcpy(endTag + 2, name, nameLength);
  endTag[nameLength + 2] = '>';
  const size_t endLength = nameLength + 3;

  char* endAt = FindSequence(at, documentEnd, endTag, endLength);
  if (*at != '<' || endAt == at) {
    // Text (markup inside it stays part of it), or nothing at all.
    if (!endAt) return kNoEndTag;
    *value = at;
    *endAt = '\0';
    *position = endAt + endLength;
    return 0;
  }
  if (!endAt) return kNoEndTag;
  if (!SkipComment(&at, documentEnd)) return kCommentBeforeChildren;
  for (;;) {
    const int result = MakeNode(&at, node, depth + 1);
    if (result < 0) return kChildFailed;
    if (result != kSiblingFollows) break;
  }
  at = SkipSpaces(at, documentEnd);
  if (at >= documentEnd) return kEndAfterChildren;
  if (!StartsWith(at, documentEnd, endTag, endLength)) return kEndTagNotAfterChildren;
  *position = at + endLength;
  return 0;
}

// The attributes of a start tag, from after its name. Their number is the count of
// '=' up to the tag's first '>'. Every part of every attribute must lie before that
// '>': a value holding '=' or '>' makes the count and the text disagree, and the tag
// is then refused rather than read on into the rest of the document.
int cMorXml::ParseAttributes(XmlNode* node, char** position) {
  char* at = SkipSpaces(*position, documentEnd);
  char* close = Find(at, documentEnd, '>');
  if (!close) return 0;
  int count = 0;
  for (char* c = at; c < close; ++c) count += *c == '=';
  if (count == 0) {
    node->attributeCount = 0;
    node->attributeNames = node->attributeValues = nullptr;
    *position = close;
    return 1;
  }
  if (static_cast<size_t>(count) > SIZE_MAX / sizeof(char*)) return 0;  // 32-bit: no wrap
  node->attributeNames = static_cast<char**>(MorAllocZeroed(sizeof(char*) * count));
  node->attributeValues = static_cast<char**>(MorAllocZeroed(sizeof(char*) * count));
  if (!node->attributeNames || !node->attributeValues) return 0;
  node->attributeCount = count;
  for (int i = 0; i < count; ++i) {
    char* attributeName = SkipSpaces(at, close);
    char* equals = Find(attributeName, close, '=');
    if (!equals) return 0;
    *equals = '\0';  // white space before it stays part of the name
    at = SkipSpaces(equals + 1, close);
    if (at >= close || *at != '"') return 0;
    char* attributeValue = SkipSpaces(at + 1, close);
    char* quote = Find(attributeValue, close, '"');
    if (!quote) return 0;
    *quote = '\0';
    node->attributeNames[i] = attributeName;
    node->attributeValues[i] = attributeValue;
    at = quote + 1;
  }
  *position = at;
  return 1;
}

}  // namespace morstd
