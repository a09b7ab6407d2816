#include "vexal/app/log/screen_log.h"

#include <gtest/gtest.h>

#include <string>

#include "vexal/graphics/screen/screen_mode.h"

namespace {

// 8 pixels a half-width byte, 16 a double-byte character.
int EightPerByte(const char*, int bytes) { return 8 * bytes; }

class ScreenLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Before the device exists a mode request only stores the size.
    vexal::RequestScreenMode(320, 240, -1, -1);
    vexal::SetScreenLogCharWidthFunc(EightPerByte);
    vexal::ScreenLogInit();
  }
};

TEST_F(ScreenLogTest, ControlBytesAndQuestionMarksVanishTabsBecomeSpaces) {
  vexal::ScreenLogPrintf("a?b\tc\x07\x08\x0B\x0C\rd");
  EXPECT_EQ(vexal::ScreenLogLine(0), "ab    cd");
  EXPECT_EQ(vexal::ScreenLogIsUsed(), 1);
  vexal::ScreenLogClear();
  EXPECT_EQ(vexal::ScreenLogIsUsed(), 0);
  EXPECT_EQ(vexal::ScreenLogLine(0), "");
}

TEST_F(ScreenLogTest, LinesBreakBeforeTheScreenWidthIsReached) {
  // 40 bytes x 8 = 320: the 40th character would reach the edge, so it starts line 1.
  vexal::ScreenLogAddText(std::string(40, 'x'));
  EXPECT_EQ(vexal::ScreenLogLine(0), std::string(39, 'x'));
  EXPECT_EQ(vexal::ScreenLogLine(1), "x");
  // A double-byte character never splits across lines.
  vexal::ScreenLogClear();
  vexal::ScreenLogAddText(std::string(38, 'x') + "あ");  // 304 + 16 reaches 320
  EXPECT_EQ(vexal::ScreenLogLine(0), std::string(38, 'x'));
  EXPECT_EQ(vexal::ScreenLogLine(1), "あ");
}

TEST_F(ScreenLogTest, A240PixelScreenKeeps15LinesAndScrollsTheOldestAway) {
  for (int i = 0; i < 15; ++i) vexal::ScreenLogPrintf("line %d\n", i);
  // 15 line feeds: line 14 is the last that fits; the feed after it scrolled once.
  EXPECT_EQ(vexal::ScreenLogCurrentLineIndex(), 14);
  EXPECT_EQ(vexal::ScreenLogLine(0), "line 1");
  EXPECT_EQ(vexal::ScreenLogLine(13), "line 14");
  EXPECT_EQ(vexal::ScreenLogLine(14), "");
  vexal::ScreenLogPrintf("line 15");
  EXPECT_EQ(vexal::ScreenLogLine(14), "line 15");
  EXPECT_EQ(vexal::ScreenLogLine(15), "");
}

TEST_F(ScreenLogTest, TallScreensNeverPassTheLastLineSlot) {
  vexal::RequestScreenMode(4000, 2000, -1, -1);  // room for 125 rows
  for (int i = 0; i < 100; ++i) vexal::ScreenLogPrintf("%d\n", i);
  EXPECT_EQ(vexal::ScreenLogCurrentLineIndex(), vexal::kScreenLogLineSlots - 1);
  EXPECT_EQ(vexal::ScreenLogLine(78), "99");
  EXPECT_EQ(vexal::ScreenLogLine(0), "21");
}

TEST_F(ScreenLogTest, ALineHoldsAt254Bytes) {
  vexal::RequestScreenMode(10000, 240, -1, -1);
  vexal::ScreenLogAddText(std::string(300, 'y'));
  EXPECT_EQ(vexal::ScreenLogLine(0), std::string(254, 'y'));
  EXPECT_EQ(vexal::ScreenLogLine(1), std::string(46, 'y'));
}

TEST_F(ScreenLogTest, ALoneLeadByteAtTheEndIsOneCharacter) {
  vexal::ScreenLogAddText("ab\x82");
  EXPECT_EQ(vexal::ScreenLogLine(0), "ab\x82");
  vexal::ScreenLogAddText("c");
  EXPECT_EQ(vexal::ScreenLogLine(0),
            "ab\x82"
            "c");
}

}  // namespace
