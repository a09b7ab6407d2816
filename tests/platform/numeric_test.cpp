#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "platform/numeric/little_endian.h"

namespace {

namespace pn = plat::numeric;

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
