// Decoding one member of an archive the tool has loaded, and judging it as the
// installer's extraction would: every byte delivered and the stored CRC-16 matched.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ArchiveFile.h"
#include "payload/LhaMember.h"

// Decodes the member piece by piece into `sink`; the number of bytes delivered, or
// -1 when it cannot be selected. A sink returning false stops the decoding.
template <typename Sink>
int64_t Decode(cLhaArchiveReader* reader, int index, const LhaMember& member, Sink sink) {
  // Decoded bytes are handed out in pieces of this size.
  constexpr uint32_t kChunk = 1u << 20;
  if (!reader->Select(index)) return -1;
  if (LhaIsFolder(member)) return 0;
  std::vector<uint8_t> chunk(kChunk);
  uint64_t delivered = 0;
  while (delivered < member.unpackedSize) {
    const uint32_t want =
        static_cast<uint32_t>(std::min<uint64_t>(kChunk, member.unpackedSize - delivered));
    const uint32_t got = reader->Read(chunk.data(), want);
    if (got && !sink(chunk.data(), got)) break;
    delivered += got;
    if (got < want) break;
  }
  return static_cast<int64_t>(delivered);
}

// "OK", "OK (folder)", or "FAILED: " and why (short, CRC mismatch, header outside the
// archive). The decoded bytes are appended to `*bytes` when it is given.
std::string MemberVerdict(cArchiveFile* archive, int index, const LhaMember& member,
                          std::string* bytes);
