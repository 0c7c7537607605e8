// The payload tool's PE resource reader over arbitrary bytes, as `dhpack list FILE:ID`
// meets any file: it must find a resource only inside the file, and say why otherwise.
#include <cstddef>
#include <cstdint>
#include <string>

#include "PeResource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const char* type : {"DAT", "PNG"}) {
    for (uint16_t id : {uint16_t{1}, uint16_t{126}, uint16_t{130}}) {
      size_t offset = 0, length = 0;
      std::string error;
      if (FindPeResource(data, size, type, id, &offset, &length, &error)) {
        if (!error.empty() || offset > size || length > size - offset) __builtin_trap();
      } else if (error.empty()) {
        __builtin_trap();
      }
    }
  }
  // The argument form, over the same bytes as text.
  std::string file;
  uint16_t id = 0;
  const std::string text(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
  if (ParseResourcePath(text, &file, &id) && (id == 0 || file.empty() || file.size() >= text.size()))
    __builtin_trap();
  return 0;
}
