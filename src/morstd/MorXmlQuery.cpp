// Path queries and element texts of a parsed document.
#include <cstring>

#include "morstd/MorAlloc.h"
#include "morstd/MorXml.h"
#include "platform/win.h"

namespace morstd {
namespace {

size_t BufferSize(size_t needed) { return needed < 128 ? 128 : (needed / 256 + 1) * 256; }

// A block from the library's heap, released when the query ends.
class QueryCopy {
 public:
  explicit QueryCopy(const char* text) {
    const size_t length = std::strlen(text);
    data = static_cast<char*>(MorAllocZeroed(BufferSize(length + 1)));
    if (data) std::memcpy(data, text, length);
  }
  ~QueryCopy() { MorFree(data); }
  QueryCopy(const QueryCopy&) = delete;
  QueryCopy& operator=(const QueryCopy&) = delete;
  char* data;
};

bool SameName(const char* a, const char* b) { return a && lstrcmpA(a, b) == 0; }

struct Entity {
  const char* reference;  // after the ampersand
  size_t length;
  char replacement;
};
constexpr Entity kEntities[] = {
    {"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"apos;", 5, '\''}, {"quot;", 5, '"'},
};

// One level: "&amp;lt;" becomes "&lt;". Other ampersands, numeric references among
// them, are copied as they are. The result is never longer than the text.
void DecodeEntities(const char* text, char* out) {
  while (*text) {
    if (*text == '&') {
      bool decoded = false;
      for (const Entity& entity : kEntities) {
        if (std::strncmp(text + 1, entity.reference, entity.length) == 0) {
          *out++ = entity.replacement;
          text += 1 + entity.length;
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    *out++ = *text++;
  }
}

}  // namespace

const XmlNode* cMorXml::FindChild(const XmlNode* node, const char* name) const {
  if (!node) {
    for (int i = 0; i < nodeCapacity; ++i) {
      if (SameName(nodes[i].name, name)) return &nodes[i];
    }
    return nullptr;
  }
  for (const XmlNode* child = node->firstChild; child; child = child->next) {
    if (SameName(child->name, name)) return child;
  }
  return nullptr;
}

// Only the first attribute is looked at: the documents name an element by it.
const XmlNode* cMorXml::FindChildByAttribute(const XmlNode* node, const char* name,
                                             const char* attributeName,
                                             const char* value) const {
  auto matches = [&](const XmlNode& candidate) {
    return SameName(candidate.name, name) && candidate.attributeCount > 0 &&
           candidate.attributeNames && candidate.attributeValues &&
           SameName(candidate.attributeNames[0], attributeName) &&
           SameName(candidate.attributeValues[0], value);
  };
  if (!node) {
    for (int i = 0; i < nodeCapacity; ++i) {
      if (matches(nodes[i])) return &nodes[i];
    }
    return nullptr;
  }
  for (const XmlNode* child = node->firstChild; child; child = child->next) {
    if (matches(*child)) return child;
  }
  return nullptr;
}

const XmlNode* cMorXml::FindByPath(const char* path) const {
  if (!path || !std::strchr(path, '/')) return nullptr;
  QueryCopy copy(path);
  if (!copy.data) return nullptr;
  const XmlNode* node = nullptr;
  // Text before the first '/' is ignored; each step runs to the next '/'.
  for (char* step = std::strchr(copy.data, '/'); step;) {
    char* component = step + 1;
    step = std::strchr(component, '/');
    if (step) *step = '\0';
    char* equals = std::strstr(component, "=\"");
    if (equals) {
      // Element name, one space, attribute name, '=', the value in double quotes.
      char* space = std::strchr(component, ' ');
      if (!space || space > equals) return nullptr;
      char* value = equals + 2;
      char* quote = std::strchr(value, '"');
      if (!quote) return nullptr;
      *space = *equals = *quote = '\0';
      node = FindChildByAttribute(node, component, space + 1, value);
    } else {
      node = FindChild(node, component);
    }
    if (!node) return nullptr;
  }
  return node;
}

bool cMorXml::IsOwnNode(const XmlNode* node) const {
  for (int i = 0; i < nodeCapacity; ++i) {
    if (node == &nodes[i]) return true;
  }
  return false;
}

const char* cMorXml::GetValue(const XmlNode* node) {
  if (!nodes) return nullptr;
  if (!node) {
    node = &nodes[0];
  } else if (!IsOwnNode(node)) {
    return nullptr;
  }
  if (!node->value) return nullptr;
  const size_t size = BufferSize(std::strlen(node->value) + 1);
  if (static_cast<size_t>(valueBufferCapacity) < size) {
    MorFree(valueBuffer);
    valueBufferCapacity = 0;
    valueBuffer = static_cast<char*>(MorAllocZeroed(size));
    if (!valueBuffer) return nullptr;
    valueBufferCapacity = static_cast<int>(size);
  }
  std::memset(valueBuffer, 0, static_cast<size_t>(valueBufferCapacity));
  DecodeEntities(node->value, valueBuffer);
  return valueBuffer;
}

}  // namespace morstd
