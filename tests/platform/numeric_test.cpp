#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

#include "platform/numeric/little_endian.h"
#include "platform/numeric/saturate.h"

namespace {

namespace pn = plat::numeric;

constexpr int32_t kMax = 2147483647;
constexpr int32_t kMin = -2147483647 - 1;

TEST(NumericTest, DoublesTruncateTowardZeroAndHoldToTheIntRange) {
  struct Case {
    double value;
    int32_t expected;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {nan, 0},
      {-nan, 0},
      {inf, kMax},
      {-inf, kMin},
      {1e300, kMax},
      {-1e300, kMin},
      {2147483648.0, kMax},  // 2^31, one past the top
      {2147483647.5, kMax},  // the top and a half truncates to the top
      {2147483647.0, kMax},
      {2147483646.75, 2147483646},
      {-2147483648.0, kMin},  // -2^31 is the bottom itself
      {-2147483648.5, kMin},
      {-2147483649.0, kMin},
      {-2147483647.75, -2147483647},  // toward zero, not down
      {0.5, 0},
      {-0.5, 0},
      {-0.0, 0},
      {1.999, 1},
      {-1.999, -1},
      {5e-324, 0},
      {123456.9, 123456},
      {-123456.9, -123456},
  };
  for (const Case& c : cases) EXPECT_EQ(pn::TruncSaturated32(c.value), c.expected) << c.value;
}

TEST(NumericTest, SixtyFourBitValuesHoldToTheIntRange) {
  struct Case {
    int64_t value;
    int32_t expected;
  };
  const Case cases[] = {
      {0, 0},
      {-5, -5},
      {2147483647, kMax},
      {2147483648, kMax},
      {std::numeric_limits<int64_t>::max(), kMax},
      {-2147483648LL, kMin},
      {-2147483649LL, kMin},
      {std::numeric_limits<int64_t>::min(), kMin},
  };
  for (const Case& c : cases) EXPECT_EQ(pn::Saturate32(c.value), c.expected) << c.value;
}

TEST(NumericTest, LittleEndianFieldsPutTheLowByteFirst) {
  const std::array<uint8_t, 4> bytes = {0x78, 0x56, 0x34, 0x92};
  EXPECT_EQ(pn::LoadLe16(bytes.data()), 0x5678u);
  EXPECT_EQ(pn::LoadLe16(bytes.data() + 2), 0x9234u);
  EXPECT_EQ(pn::LoadLe32(bytes.data()), 0x92345678u);

  std::array<uint8_t, 6> out{};
  out.fill(0xAA);
  pn::StoreLe16(out.data(), 0xBEEF);
  EXPECT_EQ(out, (std::array<uint8_t, 6>{0xEF, 0xBE, 0xAA, 0xAA, 0xAA, 0xAA}));
  pn::StoreLe32(out.data() + 1, 0xDEADBEEFu);
  EXPECT_EQ(out, (std::array<uint8_t, 6>{0xEF, 0xEF, 0xBE, 0xAD, 0xDE, 0xAA}));
}

}  // namespace
