// Our own codec, both ways: arbitrary bytes as member names and contents go through the
// payload tool's archive writer and -lh5- encoder, with encoder settings the input
// picks, and come back through the installer's reader and decoder. Every name the
// writer accepts must come back byte for byte, in order, every content exactly, and
// every stored CRC (header and data) must match.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "LhaLayout.h"
#include "LhaWriter.h"
#include "payload/LhaArchive.h"

namespace {

constexpr int kMaxMembers = 12;
// Offset of the data CRC in a level-2 header.
constexpr size_t kDataCrc = 21;

struct Written {
  std::string name;
  std::string content;
  bool folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  cLh5Encoder::Effort effort;
  effort.threads = 1;
  effort.optimalParse = in.ConsumeBool();
  if (in.ConsumeBool()) effort.blockCodes = in.ConsumeIntegralInRange<uint32_t>(1, 300);
  // Slices of at least 1 KB: each slice first primes the match finder with up to 8 KB.
  if (in.ConsumeBool()) effort.sliceBytes = in.ConsumeIntegralInRange<size_t>(1024, 9000);
  if (in.ConsumeBool()) effort.depth = in.ConsumeIntegralInRange<int>(1, 64);
  if (in.ConsumeBool()) effort.niceLength = in.ConsumeIntegralInRange<int>(3, 256);
  effort.passes = in.ConsumeIntegralInRange<int>(1, 2);

  cLhaWriter writer(effort);
  std::vector<Written> written;
  for (int i = 0; i < kMaxMembers && in.remaining_bytes() > 0; ++i) {
    Written member;
    member.name = in.ConsumeRandomLengthString(300);
    member.content = in.ConsumeRandomLengthString(in.remaining_bytes());
    // Folder or file as the input says, not by the last byte: a file may end in "表".
    member.folder = in.ConsumeBool();
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(member.content.data());
    std::string error;
    const bool added = member.folder
                           ? writer.AddFolder(member.name, &error)
                           : writer.AddFile(member.name, bytes, member.content.size(), &error);
    if (added != error.empty()) __builtin_trap();  // a refusal always says why
    if (!added) continue;
    if (member.folder) member.content.clear();
    written.push_back(member);
  }
  const std::vector<uint8_t> archive = writer.Finish();

  const std::vector<lhalayout::Header> headers = lhalayout::Walk(archive.data(), archive.size());
  if (headers.size() != written.size()) __builtin_trap();
  if (!lhalayout::ChecksValid(archive.data(), archive.size(), headers)) __builtin_trap();

  LhaMemberList list = {};
  cMorLhaDec decoder;
  const int opened = OpenArchive(&list, static_cast<uint32_t>(archive.size()), archive.data(), &decoder);
  if (written.empty()) {
    if (opened != kLhaOpenNoHeader) __builtin_trap();
    return 0;
  }
  if (opened != kLhaOpenFound || ReadHeaders(&list, &decoder) != kLhaHeadersRead) __builtin_trap();
  if (list.count != static_cast<int>(written.size())) __builtin_trap();
  std::vector<uint8_t> out;
  const LhaMember* member = list.head;
  for (size_t i = 0; i < written.size(); ++i, member = member->next) {
    const Written& expected = written[i];
    if (expected.name != member->name) __builtin_trap();
    if (expected.folder != (std::strcmp(member->method, "-lhd-") == 0)) __builtin_trap();
    if (member->unpackedSize != expected.content.size()) __builtin_trap();
    if (SelectMember(&list, static_cast<int>(i + 1), &decoder) != kLhaSelected) __builtin_trap();
    out.assign(expected.content.size() + 1, 0);
    const uint32_t got = ReadMember(&decoder, out.data(), static_cast<uint32_t>(out.size()));
    if (got != expected.content.size() || decoder.Damaged()) __builtin_trap();
    if (std::memcmp(out.data(), expected.content.data(), got) != 0) __builtin_trap();
    const uint8_t* stored = archive.data() + headers[i].start + kDataCrc;
    if (lhalayout::Crc16(out.data(), got) != (stored[0] | stored[1] << 8)) __builtin_trap();
  }
  FreeHeaders(&list);
  return 0;
}
