#include "foundation/scramble.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvelin {
namespace {

const std::vector<uint8_t> kKey = {0x5A, 0x17, 0xC3, 0x08, 0x9E, 0x41, 0x2D, 0xB6,
                                   0x73, 0xE0, 0x14, 0x8F, 0x62, 0xAD, 0x39, 0xC5};

TEST(ScrambleTest, ZerosRevealTheKeyFromThePhase) {
  for (size_t phase : {0, 1, 7, 15, 16, 33}) {
    std::vector<uint8_t> buffer(40, 0);
    ScrambleBytes(buffer.data(), buffer.size(), phase);
    for (size_t i = 0; i < buffer.size(); ++i) {
      ASSERT_EQ(buffer[i], kKey[(i + phase) % 16]) << "phase " << phase << " byte " << i;
    }
  }
}

TEST(ScrambleTest, IsItsOwnInverse) {
  std::vector<uint8_t> original(100);
  for (size_t i = 0; i < original.size(); ++i) original[i] = static_cast<uint8_t>(i * 37 + 11);
  for (size_t phase : {0, 5, 16}) {
    std::vector<uint8_t> buffer = original;
    ScrambleBytes(buffer.data(), buffer.size(), phase);
    EXPECT_NE(buffer, original);
    ScrambleBytes(buffer.data(), buffer.size(), phase);
    EXPECT_EQ(buffer, original);
  }
}

TEST(ScrambleTest, PhaseContinuesAPieceOfALargerBuffer) {
  std::vector<uint8_t> whole(50);
  for (size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> piece(whole.begin() + 21, whole.end());
  ScrambleBytes(whole.data(), whole.size(), 0);
  ScrambleBytes(piece.data(), piece.size(), 21);
  EXPECT_EQ(piece, std::vector<uint8_t>(whole.begin() + 21, whole.end()));
}

}  // namespace
}  // namespace tarvelin
