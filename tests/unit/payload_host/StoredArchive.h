// Small LHA archives made in the tests: level 2 headers written byte by byte, every
// member stored ("-lh0-" unless a test asks for another id), so no encoder is needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dhtest {

struct StoredMember {
  std::string name;  // backslash-separated; a final backslash makes a folder entry
  std::string data;
  std::string method = "-lh0-";
  // The unpacked size written in the header; by default the size of `data`.
  int64_t unpackedSize = -1;
};

// The archive bytes: each member's header and data, then the end marker unless
// `endMarker` is false.
std::string StoredArchive(const std::vector<StoredMember>& members, bool endMarker = true);

}  // namespace dhtest
