#include "vexal/app/system/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Straight from the generator's definition, one output at a time: the independent
// reference the batch code is checked against.
class ReferenceTwister {
 public:
  explicit ReferenceTwister(uint32_t s) {
    for (int i = 0; i < 624; ++i) {
      mt_[i] = s & 0xFFFF0000u;
      s = 69069u * s + 1u;
      mt_[i] |= (s & 0xFFFF0000u) >> 16;
      s = 69069u * s + 1u;
    }
  }
  uint32_t Next() {
    if (i_ == 624) {
      for (int k = 0; k < 624; ++k) {
        uint32_t y = (mt_[k] & 0x80000000u) | (mt_[(k + 1) % 624] & 0x7FFFFFFFu);
        mt_[k] = mt_[(k + 397) % 624] ^ (y >> 1) ^ ((y & 1u) * 0x9908B0DFu);
      }
      i_ = 0;
    }
    uint32_t y = mt_[i_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    return y ^ (y >> 18);
  }

 private:
  uint32_t mt_[624];
  int i_ = 624;
};

TEST(Random, SeededWith4357TheFirstOutputsAreTheKnownOnes) {
  vexal::SeedRandom(4357);
  EXPECT_EQ(vexal::MtState.MtOutput[0], 2867219139u);
  EXPECT_EQ(vexal::MtState.MtOutput[1], 1585203162u);
  EXPECT_EQ(vexal::MtState.MtOutput[2], 3113124129u);
  ReferenceTwister ref(4357);
  for (int batch = 0; batch < 3; ++batch) {
    for (int i = 0; i < 624; ++i) ASSERT_EQ(vexal::MtState.MtOutput[i], ref.Next()) << batch << " " << i;
    vexal::MtGenerateBatch();
  }
}

TEST(Random, UnseededDrawsAreZeroThenStartAtTheSecondBatchOf4357) {
  vexal::ResetRandomState();  // unseeded, whatever an earlier case drew
  for (int i = 0; i < 624; ++i) ASSERT_EQ(vexal::RandomUpTo(1000000), 0) << i;
  // Draws 625 onward: raw outputs 1044672925, 1965277612, 1713774522.
  EXPECT_EQ(vexal::RandomUpTo(99), 24);
  EXPECT_EQ(vexal::RandomUpTo(99), 45);
  EXPECT_EQ(vexal::RandomUpTo(99), 39);
  EXPECT_EQ(vexal::MtState.MtOutput[0], 1044672925u);
  EXPECT_EQ(vexal::MtState.MtOutput[1], 1965277612u);
  EXPECT_EQ(vexal::MtState.MtOutput[2], 1713774522u);
}

TEST(Random, DrawIsTheHighHalfOfOutputTimesRange) {
  vexal::SeedRandom(1);
  struct Case {
    uint32_t output;
    int32_t max;
    int32_t expected;
  };
  const Case cases[] = {
      {0xFFFFFFFFu, 0, 0},
      {0x7FFFFFFFu, 1, 0},
      {0x80000000u, 1, 1},
      {0xFFFFFFFFu, 99, 99},
      {0x00000000u, 99, 0},
      {0x80000000u, 2147483647, 1073741824},
      {0xFFFFFFFFu, 2147483647, 2147483647},
  };
  for (const Case& c : cases) {
    vexal::MtState.MtOutput[0] = c.output;
    vexal::MtState.MtIndex = 0;
    EXPECT_EQ(vexal::RandomUpTo(c.max), c.expected) << c.output << " " << c.max;
  }
}

TEST(Random, PairedBatchEqualsOneByOne) {
  vexal::MtSeed(20261209);
  std::vector<uint32_t> words(vexal::MtState.MtWords.begin(), vexal::MtState.MtWords.end());
  for (int round = 0; round < 3; ++round) {
    vexal::MtState.MtUseMmx = 0;
    vexal::MtGenerateBatch();
    auto one_by_one_words = vexal::MtState.MtWords;
    auto one_by_one_out = vexal::MtState.MtOutput;
    std::copy(words.begin(), words.end(), vexal::MtState.MtWords.begin());
    vexal::MtState.MtUseMmx = 1;
    vexal::MtGenerateBatch();
    ASSERT_EQ(vexal::MtState.MtWords, one_by_one_words);
    ASSERT_EQ(vexal::MtState.MtOutput, one_by_one_out);
    words.assign(vexal::MtState.MtWords.begin(), vexal::MtState.MtWords.end());
  }
}

}  // namespace
