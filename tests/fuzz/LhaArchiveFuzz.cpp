// The archive reader and every decoder over arbitrary bytes: finding the first header,
// parsing all headers, selecting each member and decoding it must stay inside the
// input, the tables and the output buffer whatever the bytes say.
//
// The custom mutator knows the header layout: it changes one header field, the packed
// data of one member, or (now and then) any bytes, and then repairs the header check
// values, so that mutated inputs remain archives that LHA tools take and most of them
// get past the headers into the decoders of every method.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "LhaLayout.h"
#include "payload/LhaArchive.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

// Members claiming more are decoded only up to this many bytes, in chunks, so that a
// header's absurd size (or a short stream of long matches) cannot hold one input for
// long: the decoders' states are all reached well before.
constexpr uint32_t kChunk = 64 * 1024;
constexpr uint32_t kMaxPerMember = 1024 * 1024;

const char* const kMethods[] = {"-lh0-", "-lh1-", "-lh2-", "-lh3-", "-lh4-", "-lh5-",
                                "-lzs-", "-lz5-", "-lz4-", "-lhd-", "-lh6-", "-lh7-"};

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
}

// A size near `value`: a small step either way, double or half, zero, or any.
uint32_t NearSize(uint32_t value, std::minstd_rand* rng) {
  switch ((*rng)() % 6) {
    case 0: return value + 1 + (*rng)() % 16;
    case 1: return value - 1 - (*rng)() % 16;
    case 2: return value * 2;
    case 3: return value / 2;
    case 4: return 0;
    default: return static_cast<uint32_t>((*rng)()) << 1 ^ static_cast<uint32_t>((*rng)());
  }
}

// Changes one field of the header that leaves every header where it is: the method or
// the unpacked size.
void MutateField(uint8_t* data, const lhalayout::Header& header, std::minstd_rand* rng) {
  uint8_t* h = data + header.start;
  if ((*rng)() % 2) {
    std::memcpy(h + 2, kMethods[(*rng)() % (sizeof kMethods / sizeof kMethods[0])], 5);
  } else {
    Put32(h + 11, NearSize(Get32(h + 11), rng));
  }
}

// Changes the layout of the header: its packed size, its level, or a byte of its name
// and extended headers (lengths and types included).
void MutateLayout(uint8_t* data, const lhalayout::Header& header, std::minstd_rand* rng) {
  uint8_t* h = data + header.start;
  const size_t span = header.dataStart - header.start;
  switch ((*rng)() % 3) {
    case 0:
      Put32(h + 7, NearSize(Get32(h + 7), rng));
      break;
    case 1:
      h[20] = static_cast<uint8_t>((*rng)() % 4);
      break;
    default:
      // Name length, name and extended headers lie from byte 21 to the data.
      if (span > 21) h[21 + (*rng)() % (span - 21)] ^= static_cast<uint8_t>(1 + (*rng)() % 255);
      break;
  }
}

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  std::minstd_rand rng(seed);
  std::vector<lhalayout::Header> headers = lhalayout::Walk(data, size);
  // Mostly changes that keep the archive's layout, so that most inputs reach the
  // decoders; now and then one that moves headers, or any change at all.
  const unsigned choice = rng() % 16;
  if (headers.empty() || choice == 0) {
    size = LLVMFuzzerMutate(data, size, maxSize);
  } else {
    const lhalayout::Header& header = headers[rng() % headers.size()];
    if (choice < 3) {
      MutateLayout(data, header, &rng);
    } else if (choice < 9 || header.dataEnd <= header.dataStart) {
      MutateField(data, header, &rng);
    } else {
      // The packed data in place, so every other member stays where its header says.
      const size_t length = header.dataEnd - header.dataStart;
      std::vector<uint8_t> packed(data + header.dataStart, data + header.dataEnd);
      const size_t got = LLVMFuzzerMutate(packed.data(), length, length);
      std::memcpy(data + header.dataStart, packed.data(), got);
    }
  }
  lhalayout::Repair(data, size, lhalayout::Walk(data, size));
  return size;
}

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
