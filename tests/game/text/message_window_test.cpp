// The message box and the pop-up: where the text goes, the cut after four lines, the
// slide-in, the "more" mark, closing only on a press seen inside the box, and Escape held
// ending the box with the game.
#include "game/text/message_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/input/key_cast.h"
#include "game/text/bitmap_font.h"
#include "platform/input/input.h"
#include "platform/surface/presentation.h"
#include "tests/game/text/window_fixture.h"

namespace {

using windowtest::Calls;

struct Glyph {
  uint64_t frame;  // presentations before it was drawn
  int x, y, cell;
};
std::vector<Glyph> glyphs;
void RecordGlyph(int x, int y, int cell, int) { glyphs.push_back({plat::presentation::PresentedFrames(), x, y, cell}); }

int field_redraws = 0;

constexpr uint8_t A = 74, B = 75, C = 76, D = 77, E = 78, kBreak = 5;
constexpr int kCellA = A - 48, kCellE = E - 48;
constexpr int kMoreCell0 = 173 - 48, kMoreCell1 = 174 - 48;

class MessageWindowTest : public windowtest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    glyphs.clear();
    field_redraws = 0;
    game::SetGlyphDrawHook(RecordGlyph);
    game::SetMessageWindowHooks({nullptr, [] { ++field_redraws; }});
    first_ = plat::presentation::PresentedFrames();
  }
  void TearDown() override {
    game::SetGlyphDrawHook(nullptr);
    game::SetMessageWindowHooks({});
    WindowTest::TearDown();
  }
  // Input by frame, counted from the first frame the test makes (1).
  void Script(const std::vector<std::pair<int, std::string>>& lines) {
    std::string text;
    for (const auto& [frame, what] : lines) text += std::to_string(first_ + frame) + " " + what + "\n";
    ASSERT_TRUE(plat::input::SetInputScript(text));
  }
  uint64_t FramesShown() const { return plat::presentation::PresentedFrames() - first_; }

  uint64_t first_ = 0;  // presentations before the test
};

TEST_F(MessageWindowTest, InlineMessageDrawsFourLinesOverTheBoxDrawnTwice) {
  const std::vector<uint8_t> text = {A, kBreak, B, kBreak, C, kBreak, D, kBreak, E, 0};
  game::TheMessageWindow.SetMessageText(text);
  Record();
  game::TheMessageWindow.ShowMessage(1);
  std::vector<std::pair<int, int>> at;
  for (const Glyph& g : glyphs) at.emplace_back(g.y, g.cell);
  EXPECT_EQ(at,
            (std::vector<std::pair<int, int>>{{170, kCellA}, {186, kCellA + 1}, {202, kCellA + 2}, {218, kCellA + 3}}))
      << "the fifth line is cut";
  for (const Glyph& g : glyphs) EXPECT_EQ(g.x, 54);
  std::vector<std::string> blends, backgrounds;
  for (const std::string& c : Calls) {
    if (c.rfind("blend ", 0) == 0) blends.push_back(c);
    if (c.rfind("back", 0) == 0) backgrounds.push_back(c);
  }
  EXPECT_EQ(blends, (std::vector<std::string>{"blend 1,225", "blend 0,0"}));
  EXPECT_EQ(backgrounds, (std::vector<std::string>{"back0 52,164 trans 0 area 52,164,268,230 blend 0",
                                                   "back0 52,164 trans 0 area 52,164,268,230 blend 1"}));
  EXPECT_EQ(FramesShown(), 0u);
  EXPECT_EQ(field_redraws, 0);
}

TEST_F(MessageWindowTest, DecideHeldFromBeforeDoesNotCloseTheMessageANewPressDoes) {
  // Decide is pressed in the frame that opens the message and held until frame 8.
  Script({{1, "down X"}, {8, "up X"}, {12, "down X"}});
  game::KeyInput.UpdateKeyCast();
  ASSERT_TRUE(game::KeyInput.IsButtonPressed(game::kButtonDecide));
  game::TheMessageWindow.SetMessageText(std::vector<uint8_t>{A, 0});

  game::TheMessageWindow.ShowMessage(0);

  EXPECT_EQ(FramesShown(), 12u) << "closed in the frame of the new press";
  EXPECT_EQ(game::QuitRequested, 0);
  EXPECT_EQ(field_redraws, 1);
  // The text slides up over three frames, then stays; the "more" mark takes turns every
  // eight frames from the first waiting frame.
  std::vector<int> text_y, marks;
  for (const Glyph& g : glyphs) {
    if (g.cell == kCellA) text_y.push_back(g.y);
    if (g.cell == kMoreCell0 || g.cell == kMoreCell1) {
      EXPECT_EQ(g.x, 258);
      EXPECT_EQ(g.y, 220);
      marks.push_back(g.cell);
    }
  }
  EXPECT_EQ(text_y, (std::vector<int>{174, 173, 171, 170, 170, 170, 170, 170, 170, 170, 170, 170}));
  std::vector<int> want_marks(8, kMoreCell0);
  want_marks.push_back(kMoreCell1);
  EXPECT_EQ(marks, want_marks);
}

TEST_F(MessageWindowTest, EscapeHeldEndsTheMessageAndTheGame) {
  Script({{6, "down Esc"}});
  game::TheMessageWindow.SetMessageText(std::vector<uint8_t>{A, 0});
  game::TheMessageWindow.ShowMessage(0);
  // Frame 6 samples Escape and is shown; the next frame's end sees it held.
  EXPECT_EQ(FramesShown(), 6u);
  EXPECT_EQ(game::QuitRequested, 1);
}

TEST_F(MessageWindowTest, PopupBlinksItsBackgroundAndPutsThePictureBack) {
  Script({{20, "down C"}});  // cancel
  Record();
  game::TheMessageWindow.ShowPopup("ABC");
  EXPECT_EQ(FramesShown(), 20u);
  std::vector<std::string> backgrounds;
  for (const std::string& c : Calls) {
    if (c.rfind("back", 0) == 0) backgrounds.push_back(c.substr(0, 5));
  }
  std::vector<std::string> want(9, "back0");
  want.insert(want.end(), 8, "back1");
  want.insert(want.end(), 3, "back0");
  EXPECT_EQ(backgrounds, want);
  EXPECT_EQ(Calls.back(), "copy 0,0 trans 0 area 0,0,320,240 blend 0");
  EXPECT_EQ(Calls.front(), "copy 0,0 trans 0 area 0,0,320,240 blend 0");
  ASSERT_FALSE(glyphs.empty());
  EXPECT_EQ(glyphs.front().x, 46);
  EXPECT_EQ(glyphs.front().y, 112);
  EXPECT_EQ(glyphs.front().cell, kCellA);
}

}  // namespace
