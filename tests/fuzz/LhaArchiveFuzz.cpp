// The archive reader and every decoder over arbitrary bytes: finding the first header,
// parsing all headers, selecting each member and decoding it must stay inside the
// input, the tables and the output buffer whatever the bytes say.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "payload/LhaArchive.h"

namespace {
// Members claiming more are decoded only up to this many bytes per call, in chunks, so
// that a header's absurd size cannot make the target allocate without bound.
constexpr uint32_t kChunk = 64 * 1024;
constexpr uint32_t kMaxPerMember = 4 * 1024 * 1024;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LhaMemberList list = {};
  cMorLhaDec decoder;
  if (OpenArchive(&list, static_cast<uint32_t>(size), data, &decoder) != kLhaOpenFound) {
    FreeHeaders(&list);
    return 0;
  }
  ReadHeaders(&list, &decoder);  // members read before a malformed header stay usable
  std::vector<uint8_t> out(kChunk);
  for (int index = 1; index <= list.count; ++index) {
    if (SelectMember(&list, index, &decoder) != kLhaSelected) continue;
    uint32_t want = list.current->unpackedSize;
    if (want > kMaxPerMember) want = kMaxPerMember;
    uint32_t total = 0;
    while (total < want) {
      uint32_t part = want - total < kChunk ? want - total : kChunk;
      uint32_t got = ReadMember(&decoder, out.data(), part);
      if (got > part) __builtin_trap();
      total += got;
      if (got < part) break;
    }
  }
  FreeHeaders(&list);
  if (list.head || list.count != 0) __builtin_trap();
  return 0;
}
