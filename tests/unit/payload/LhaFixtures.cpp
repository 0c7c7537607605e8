#include "unit/payload/LhaFixtures.h"

#include <cstdint>
#include <cstdlib>

#ifdef _WIN32
#define DH_FIXTURE_SECTION ".section .rdata,\"dr\"\n"
#else
#define DH_FIXTURE_SECTION ".section .rodata\n"
#endif

#define DH_FIXTURE(name)                                                      \
  ".globl dh_lha_" name "_start\n.globl dh_lha_" name "_end\n"                \
  "dh_lha_" name "_start:\n.incbin \"" DH_LHA_FIXTURES_DIR "/" name ".lzh\"\n" \
  "dh_lha_" name "_end:\n"

asm(DH_FIXTURE_SECTION DH_FIXTURE("level0") DH_FIXTURE("level1") DH_FIXTURE("level2")
        DH_FIXTURE("long") ".text\n");

extern "C" {
extern const char dh_lha_level0_start[] asm("dh_lha_level0_start");
extern const char dh_lha_level0_end[] asm("dh_lha_level0_end");
extern const char dh_lha_level1_start[] asm("dh_lha_level1_start");
extern const char dh_lha_level1_end[] asm("dh_lha_level1_end");
extern const char dh_lha_level2_start[] asm("dh_lha_level2_start");
extern const char dh_lha_level2_end[] asm("dh_lha_level2_end");
extern const char dh_lha_long_start[] asm("dh_lha_long_start");
extern const char dh_lha_long_end[] asm("dh_lha_long_end");
}

namespace dhtest {

std::string LhaFixture(const std::string& name) {
  if (name == "level0") return std::string(dh_lha_level0_start, dh_lha_level0_end);
  if (name == "level1") return std::string(dh_lha_level1_start, dh_lha_level1_end);
  if (name == "level2") return std::string(dh_lha_level2_start, dh_lha_level2_end);
  if (name == "long") return std::string(dh_lha_long_start, dh_lha_long_end);
  abort();
}

// Must stay the same as content() in tools/fixtures/MakeLhaFixtures.java.
std::string LhaFixtureContent(int seed, int size, LhaContent kind) {
  static const char* const kWords[] = {"the ",     "viewer ", "setup ", "Dravenholt ",
                                       "archive ", "\r\n",    "data ",  "of ",
                                       "and ",     "install "};
  uint32_t state = static_cast<uint32_t>(seed);
  auto next = [&state]() {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  };
  std::string out;
  out.reserve(static_cast<size_t>(size));
  int pos = 0;
  while (pos < size) {
    int type = kind == LhaContent::kRandom ? 8 : kind == LhaContent::kShortWords ? 9 : next() % 8;
    int end = pos + 64 + next() % 1024;
    if (end > size) end = size;
    while (pos < end) {
      if (type < 5) {
        const char* w = kWords[next() % 10];
        for (int i = 0; w[i] != '\0' && pos < end; ++i, ++pos) out += w[i];
      } else if (type < 7) {
        out += static_cast<char>('a' + next() % 4);
        ++pos;
      } else if (type < 8) {
        out += static_cast<char>(next());
        ++pos;
      } else if (type < 9) {
        out += static_cast<char>('0' + next() % 64);
        ++pos;
      } else {
        int k = next() % 16;
        const char w[] = {static_cast<char>('a' + k), static_cast<char>('a' + (k * 7) % 26),
                          static_cast<char>('a' + (k * 11 + 3) % 26)};
        for (int i = 0; i < 3 && pos < end; ++i, ++pos) out += w[i];
      }
    }
  }
  return out;
}

}  // namespace dhtest
