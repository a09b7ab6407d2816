#include <gtest/gtest.h>

#include "platform/surface/display.h"

namespace {

namespace pd = plat::display;

class FakeDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    pd::ResetDisplay();
    pd::SetDesktop(1280, 720, 32);
  }
  void TearDown() override { pd::ResetDisplay(); }
};

TEST_F(FakeDisplay, DefaultModesAcceptTheStandardSizesDepthsAndRates) {
  struct Row {
    int w, h, bits, refresh;
    bool accepted;
  };
  const Row rows[] = {
      {320, 240, 16, 0, true},  {320, 240, 32, 60, true},  {640, 480, 16, 75, true},  {640, 480, 8, 0, true},
      {800, 600, 32, 0, true},  {1024, 768, 16, 60, true}, {640, 480, 16, 85, false},  // rate not offered
      {640, 480, 24, 0, false},                                                        // 24 bits never
      {640, 400, 16, 0, false},                                                        // size not offered
  };
  for (const Row& r : rows) {
    EXPECT_EQ(pd::AcceptsMode(r.w, r.h, r.bits, r.refresh), r.accepted)
        << r.w << "x" << r.h << "x" << r.bits << "@" << r.refresh;
  }
}

TEST_F(FakeDisplay, TestsReplaceTheModeListAndTwentyFourBitsStaysRefused) {
  pd::SetAcceptedModes({{320, 240, 16, {70}}, {320, 240, 24, {}}});
  EXPECT_TRUE(pd::AcceptsMode(320, 240, 16, 0));
  EXPECT_TRUE(pd::AcceptsMode(320, 240, 16, 70));
  EXPECT_FALSE(pd::AcceptsMode(320, 240, 16, 60));
  EXPECT_FALSE(pd::AcceptsMode(640, 480, 16, 0));
  EXPECT_FALSE(pd::AcceptsMode(320, 240, 24, 0));
}

TEST_F(FakeDisplay, ApplyModeRecordsEveryAttemptAndRestoreGoesBackToTheDesktop) {
  EXPECT_FALSE(pd::ApplyMode(640, 480, 16, 85));
  EXPECT_TRUE(pd::ApplyMode(640, 480, 16, 0));
  pd::CurrentMode m = pd::Current();
  EXPECT_TRUE(m.changed);
  EXPECT_EQ(m.width, 640);
  EXPECT_EQ(m.bits, 16);
  EXPECT_EQ(pd::CurrentFormat(), plat::kFormatRgb565);

  const auto& attempts = pd::ModeAttempts();
  ASSERT_EQ(attempts.size(), 2u);
  EXPECT_EQ(attempts[0].refresh, 85);
  EXPECT_FALSE(attempts[0].accepted);
  EXPECT_TRUE(attempts[1].accepted);

  pd::RestoreDesktop();
  m = pd::Current();
  EXPECT_FALSE(m.changed);
  EXPECT_EQ(m.width, 1280);
  EXPECT_EQ(m.height, 720);
  EXPECT_EQ(m.bits, 32);
}

TEST_F(FakeDisplay, FormatsFollowTheDepthAndTheSixteenBitLayout) {
  EXPECT_EQ(pd::FormatForBits(8), plat::kFormatPalette8);
  EXPECT_EQ(pd::FormatForBits(16), plat::kFormatRgb565);
  EXPECT_EQ(pd::FormatForBits(24), plat::kFormatRgb888);
  EXPECT_EQ(pd::FormatForBits(32), plat::kFormatXrgb8888);
  EXPECT_EQ(pd::FormatForBits(15).bit_count, 0);
  pd::SetLayout16(pd::Layout16::k555);
  EXPECT_EQ(pd::FormatForBits(16), plat::kFormatRgb555);
  pd::SetDesktop(800, 600, 16);
  EXPECT_EQ(pd::CurrentFormat(), plat::kFormatRgb555);
}

TEST_F(FakeDisplay, VideoMemoryIsTakenAndGivenBack) {
  pd::SetVideoMemory(1000);
  EXPECT_TRUE(pd::ReserveVideoMemory(600));
  EXPECT_EQ(pd::FreeVideoMemory(), 400u);
  EXPECT_FALSE(pd::ReserveVideoMemory(401));
  EXPECT_EQ(pd::FreeVideoMemory(), 400u);
  pd::ReturnVideoMemory(600);
  EXPECT_EQ(pd::FreeVideoMemory(), 1000u);
  EXPECT_EQ(pd::TotalVideoMemory(), 1000u);
}

TEST(FakeDisplayDefaults, DesktopIsTheRealSizeInThirtyTwoBits) {
  // Under SDL's dummy driver the real desktop is whatever it reports; it is some size.
  pd::ResetDisplay();
  EXPECT_GT(pd::DesktopWidth(), 0);
  EXPECT_GT(pd::DesktopHeight(), 0);
  EXPECT_EQ(pd::DesktopBits(), 32);
  EXPECT_EQ(pd::TotalVideoMemory(), pd::kDefaultVideoMemory);
  EXPECT_TRUE(pd::AcceptsMode(pd::DesktopWidth(), pd::DesktopHeight(), 32, 0));
}

}  // namespace
