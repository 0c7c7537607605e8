// Bit streams written in pieces and joined read the same as one written whole,
// whatever bit offset the join meets.
#include <gtest/gtest.h>

#include <vector>

#include "BitWriter.h"
#include "unit/lhawriter/WrittenArchive.h"

namespace {

struct Field {
  uint32_t value;
  int count;
};

void PutAll(cBitWriter* bits, const std::vector<Field>& fields, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) bits->Put(fields[i].value, fields[i].count);
}

TEST(BitWriter, AppendedStreamsEqualOneStream) {
  const std::vector<uint8_t> noise = RandomBytes(600, 40);
  std::vector<Field> fields;
  for (size_t i = 0; i + 3 < noise.size(); i += 3) {
    fields.push_back({noise[i] | (uint32_t{noise[i + 1]} << 8), noise[i + 2] % 17});
  }
  std::vector<uint8_t> whole;
  cBitWriter wholeBits(&whole);
  PutAll(&wholeBits, fields, 0, fields.size());
  const size_t wholeCount = wholeBits.BitCount();
  wholeBits.Flush();

  for (size_t cut = 0; cut <= 12; ++cut) {
    SCOPED_TRACE(cut);
    // The head ends at various offsets within a byte; the tail is another writer's.
    std::vector<uint8_t> head, tail;
    cBitWriter headBits(&head), tailBits(&tail);
    PutAll(&headBits, fields, 0, cut);
    PutAll(&tailBits, fields, cut, fields.size());
    const size_t tailCount = tailBits.BitCount();
    tailBits.Flush();
    headBits.Append(tail, tailCount);
    EXPECT_EQ(headBits.BitCount(), wholeCount);
    headBits.Flush();
    EXPECT_EQ(head, whole);
  }
}

}  // namespace
