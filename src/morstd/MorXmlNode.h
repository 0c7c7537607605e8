// One element of a document read by cMorXml. The texts point into the reader's working
// copy of the document, so a node is valid only as long as that document is.
#pragma once

namespace morstd {

struct XmlNode {
  XmlNode* parent;      // enclosing element; null at the top level
  XmlNode* firstChild;  // null when the element holds no elements
  XmlNode* next;        // next sibling; null for the last one
  char* name;
  // The text between the start and the end tag, entities still encoded; empty when the
  // end tag follows at once; null for an empty-element tag and for an element that
  // holds elements.
  char* value;
  int attributeCount;
  char** attributeNames;   // null when there are none
  char** attributeValues;  // raw, entities still encoded
};

}  // namespace morstd
