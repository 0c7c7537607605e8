// SHA-256 against the standard's vectors, and piecewise feeding.
#include "payload/SHA256.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "unit/payload/PayloadTestSupport.h"

using dhtest::Hex;
using morstd::cSHA256;

namespace {

// The digest of `message` fed in pieces of `piece` bytes (0: all at once).
std::string Digest(const std::string& message, size_t piece = 0) {
  cSHA256 hash;
  if (piece == 0) piece = message.size() ? message.size() : 1;
  for (size_t at = 0; at < message.size(); at += piece) {
    const size_t count = message.size() - at < piece ? message.size() - at : piece;
    hash.Update(static_cast<DWORD>(count), message.data() + at);
  }
  hash.Finish();
  BYTE digest[cSHA256::kDigestLength];
  hash.GetDigest(digest);
  return Hex(digest, sizeof digest);
}

const char kTwoBlockMessage[] = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

}  // namespace

TEST(SHA256Test, StandardVectors) {
  EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Digest(""));
  EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Digest("abc"));
  EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
            Digest(kTwoBlockMessage));
}

TEST(SHA256Test, MillionLetterA) {
  const std::string message(1000000, 'a');
  const std::string expected = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
  EXPECT_EQ(expected, Digest(message));
  // Pieces that straddle the 64-byte blocks in every way.
  EXPECT_EQ(expected, Digest(message, 1000));
  EXPECT_EQ(expected, Digest(message, 63));
}

TEST(SHA256Test, PaddingAtTheBlockBoundary) {
  // 55 bytes leave room for the marker and the length in one block; 56 need a second
  // block; 64 fill a block before any padding.
  EXPECT_EQ("9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318",
            Digest(std::string(55, 'a')));
  EXPECT_EQ("b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a",
            Digest(std::string(56, 'a')));
  EXPECT_EQ("ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb",
            Digest(std::string(64, 'a')));
}

TEST(SHA256Test, PiecesOfAnySizeGiveTheSameDigest) {
  const std::string message = kTwoBlockMessage;
  const std::string whole = Digest(message);
  for (size_t piece : {1u, 7u, 24u, 55u, 56u}) EXPECT_EQ(whole, Digest(message, piece)) << piece;

  // A count of 0 absorbs nothing and does not read its pointer.
  cSHA256 hash;
  hash.Update(0, nullptr);
  hash.Update(3, "abc");
  hash.Update(0, nullptr);
  hash.Finish();
  BYTE digest[cSHA256::kDigestLength];
  hash.GetDigest(digest);
  EXPECT_EQ(Digest("abc"), Hex(digest, sizeof digest));
}
