// The list pages as drawn: where the long-jump modes, points and hands stand, the save
// slots from the scroll, the shop's goods and its question, the concoction screen's marks
// and result lines. Glyphs are recorded by position
// and cell; the hand and the boxes are drawn for real and read back where a position is
// what matters.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/data/game_data.h"
#include "game/entry/field_wiring.h"
#include "game/field/field_graphics.h"
#include "game/menu/field_menu.h"
#include "game/text/bitmap_font.h"
#include "game/text/hand_cursor.h"
#include "tests/game/text/window_fixture.h"

namespace {

using namespace game;

struct Glyph {
  int x, y, cell;
  bool black;
};
std::vector<Glyph> Glyphs;

void RecordGlyph(int x, int y, int cell, int) {
  Glyphs.push_back({x, y, cell, vexal::DrawState.Bright == vexal::MakeBrightValue(0, 0, 0)});
}

// The cell of the first glyph code that a Shift-JIS character converts to.
int CellOf(std::string_view sjis) {
  uint8_t codes[4] = {};
  SjisToGlyphCodes(sjis, codes);
  return GlyphCellOfCode(codes[0] == kGlyphVoicedMark ? codes[1] : codes[0]);
}

constexpr nltools::Rgb kGlove{240, 236, 250};

// A glyph a page must draw: where, the Shift-JIS character it shows, whether in black, and
// what it stands for.
struct DrawnGlyph {
  int x, y;
  const char* sjis;
  bool black = false;
  const char* what = "";
};

class ListPagesTest : public windowtest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WritePicture("handicon.bmp", nltools::Picture(16, 10, kGlove));
    TheHandCursor = HandCursor{};
    TheHandCursor.LoadHandCursor();
    windowtest::GraphNames[TheHandCursor.Graph()] = "hand";
    ResetGameData();
    ResetFieldMenu();
    WireField();  // the party's pictures are the field's
    SetGlyphDrawHook(RecordGlyph);
    Glyphs.clear();
  }
  void TearDown() override {
    SetGlyphDrawHook(nullptr);
    ResetFieldMenu();
    ResetGameData();
    TheFieldGraphics = FieldGraphics{};
    TheHandCursor = HandCursor{};
    WindowTest::TearDown();
  }
  void WritePicture(const std::string& name, const nltools::Picture& p) {
    ASSERT_TRUE(nltools::WriteBmp(dir_.File("system/" + name), p));
  }
  static FieldMenu& menu() { return TheFieldMenu; }
  static GameData& data() { return TheGameData(); }

  // Whether a glyph of this cell was drawn at (x, y), and whether in black.
  static const Glyph* GlyphAt(int x, int y) {
    for (const Glyph& g : Glyphs)
      if (g.x == x && g.y == y) return &g;
    return nullptr;
  }
  static ::testing::AssertionResult Drawn(int x, int y, std::string_view sjis, bool black = false) {
    const Glyph* g = GlyphAt(x, y);
    if (g == nullptr) return ::testing::AssertionFailure() << "nothing at " << x << "," << y;
    if (g->cell != CellOf(sjis) || g->black != black)
      return ::testing::AssertionFailure() << "cell " << g->cell << (g->black ? " black" : "") << " at " << x << ","
                                           << y << ", want " << CellOf(sjis) << (black ? " black" : "");
    return ::testing::AssertionSuccess();
  }
  static void ExpectDrawn(std::initializer_list<DrawnGlyph> glyphs) {
    for (const DrawnGlyph& g : glyphs) EXPECT_TRUE(Drawn(g.x, g.y, g.sjis, g.black)) << g.what;
  }
  // A recorded graph draw that begins so.
  static bool Called(const std::string& prefix) {
    for (const std::string& c : windowtest::Calls)
      if (c.rfind(prefix, 0) == 0) return true;
    return false;
  }
  static bool NothingOnRow(int y) {
    for (const Glyph& g : Glyphs)
      if (g.y == y) return false;
    return true;
  }
  static uint32_t Pixel(int x, int y) {
    plat::surface::LockedRect l;
    EXPECT_EQ(plat::surface::Lock(vexal::GetBackSurface(), nullptr,
                                  plat::surface::kLockWait | plat::surface::kLockReadOnly, &l),
              plat::surface::Result::kOk);
    uint32_t v = 0;
    std::memcpy(&v, l.bits + y * l.pitch + x * 4, 4);
    plat::surface::Unlock(vexal::GetBackSurface());
    return v & 0xFFFFFF;
  }
  static constexpr uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }
};

TEST_F(ListPagesTest, JumpPageDarkensForbiddenModesListsUpToTheMaximumAndStillsTheModeHand) {
  GameData& g = data();
  g.Scalars[kScalarFlagWord] = 1u << 0 | 1u << 1;  // registering allowed, teleport forbidden
  g.Scalars[kScalarMenuValue] = 2;
  g.LongJumpPoints[0].area = 33;
  CopySjisBounded("まち", g.LongJumpPoints[0].name);
  g.LongJumpPoints[3].area = 34;  // used, beyond the maximum: listed all the same
  CopySjisBounded("のはら", g.LongJumpPoints[3].name);
  g.LongJumpPoints[10].area = 35;  // the last row shown
  CopySjisBounded("うみ", g.LongJumpPoints[10].name);
  g.LongJumpPoints[11].area = 36;  // below the 11 rows
  CopySjisBounded("やま", g.LongJumpPoints[11].name);
  menu().state = kMenuStateJumpPoints, menu().page = kMenuPageJump, menu().jump_mode = 1, menu().jump_cursor = 1;
  menu().MenuFrame();

  ExpectDrawn({
      {167, 12, "テ", true, "teleport, forbidden by bit 1"},
      {227, 12, "と", false, "register, allowed by bit 0"},
      // Rows 16 pixels apart from y 36: the number, then the name or the free mark.
      {56, 36, "0"},
      {64, 36, "1"},
      {80, 36, "ま"},
      {80, 52, "-", false, "- みとうろく -"},
      {64, 68, "3"},
      {56, 84, "0"},
      {64, 84, "4"},
      {80, 84, "の", false, "point 4, used, beyond the maximum"},
      {56, 196, "1"},
      {64, 196, "1"},
      {80, 196, "う", false, "point 11"},
  });
  for (int y = 100; y <= 180; y += 16) EXPECT_TRUE(NothingOnRow(y)) << "free points beyond the maximum, row " << y;
  EXPECT_TRUE(NothingOnRow(212)) << "11 rows";

  // The mode hand stands still at (167 + 60, 12): the picture from (203, 10).
  for (int y = 10; y < 20; ++y)
    for (int x = 203; x < 219; ++x) ASSERT_EQ(Pixel(x, y), Rgb(240, 236, 250)) << x << "," << y;
  EXPECT_NE(Pixel(202, 10), Rgb(240, 236, 250));
  EXPECT_NE(Pixel(219, 10), Rgb(240, 236, 250));
}

TEST_F(ListPagesTest, SaveListShowsThreeSlotsFromTheScrollWithTheirSummaries) {
  GameData& g = data();
  SaveSlotSummary& s = g.SlotSummaries[2];
  s.leader_id = 0;
  s.values = {58, 68, 43, 43};
  s.play_seconds = 3725;  // 1:02
  CopySjisBounded("まち", s.place);
  SjisToGlyphCodes("12/08 09:05", s.date);
  s.graphics = {34, 0, 35, 0};
  TheFieldGraphics.CharacterFrames[34 * 16] = TheHandCursor.Graph();
  TheFieldGraphics.CharacterFrames[35 * 16] = TheHandCursor.Graph();
  menu().OpenMenu(kMenuStateSaveList, kMenuPageSaveLoad);
  menu().save_scroll = 1, menu().save_cursor = 2;
  Record();
  menu().MenuFrame();

  // Slots 1, 2, 3 at y 55, 118, 181.
  ExpectDrawn({
      {140, 58, "E", false, "slot 1 empty"},
      {140, 184, "E", false, "slot 3 empty"},
      {52, 102, "1", false, "the date line"},
      {100, 102, "0", false, "after the blank"},
      {108, 102, "9"},
      {52, 114, "ま", false, "the place"},
      {156, 114, "1", false, "hours, 4 wide from 132"},
      {164, 114, ":"},
      {172, 114, "0"},
      {180, 114, "2"},
      {92, 126, "5", false, "HP 58, 5 wide from 68"},
      {100, 126, "8"},
      {108, 126, "/"},
      {140, 126, "6"},
      {92, 138, "4", false, "PP 43"},
  });
  EXPECT_TRUE(NothingOnRow(112)) << "no question before decide";

  EXPECT_TRUE(Called("hand 200,114 trans 1")) << "member 0's picture";
  EXPECT_TRUE(Called("hand 236,114 trans 1")) << "member 2's picture";
  EXPECT_FALSE(Called("hand 218,114"));
  // The bouncing hand's first step is a pixel right of (48 - 24, 118 - 2).
  EXPECT_TRUE(Called("hand 25,116 trans 1"));

  Glyphs.clear();
  menu().state = kMenuStateSaveConfirm;
  menu().MenuFrame();
  EXPECT_TRUE(Drawn(64, 112, "こ")) << "the save question";
}

TEST_F(ListPagesTest, ShopListsGoodsWithPricesAndAsksBeforeBuying) {
  GameData& g = data();
  g.Scalars[kScalarMoney] = 12345678;  // shown as 9999999
  SjisToGlyphCodes("やくそう", g.Items[1].name);
  g.Items[1].values[kItemPrice] = 20;
  SjisToGlyphCodes("けむりだま", g.Items[5].name);
  g.Items[5].values[kItemPrice] = 1234567;
  menu().OpenShop({1, 0, 5, 0, 0, 0, 0, 0});
  menu().state = kMenuStateBuy, menu().first_pick = 0;
  menu().MenuFrame();

  ExpectDrawn({
      {167, 12, "か"},
      {227, 12, "う"},
      {56, 34, "C"},
      {96, 34, "9", false, "money, 7 digits at most"},
      {152, 34, "R"},
      // Goods 18 pixels apart from y 64: name at 64, price 7 wide at 176, then "R".
      {64, 64, "や"},
      {216, 64, "2"},
      {232, 64, "R"},
      {64, 100, "け"},
      {176, 100, "1"},
      // The question box over the list.
      {92, 90, "や"},
      {132, 104, "2"},
      {92, 120, "か", false, "かいますか？"},
  });
  EXPECT_TRUE(NothingOnRow(82)) << "goods id 0";
}

TEST_F(ListPagesTest, ConcoctionMarksTheChosenAndShowsTheResultAndItsText) {
  GameData& g = data();
  for (int m = 0; m < kMaterialNames; ++m) g.Materials[m].count = 1;
  menu().OpenConcoction();
  menu().chosen = {2, 5, 0};
  menu().chosen_count = 2;
  menu().MenuFrame();

  // Material 2 at (57, 53), 5 at (173, 70): their bands start 2 left and 5 up.
  const uint32_t band = Rgb(120, 80, 24);
  EXPECT_EQ(Pixel(55, 48), band);
  EXPECT_NE(Pixel(54, 48), band);
  EXPECT_NE(Pixel(55, 47), band);
  EXPECT_EQ(Pixel(171, 65), band);
  EXPECT_NE(Pixel(171, 48), band) << "material 3 is not chosen";
  EXPECT_NE(Pixel(55, 31), band) << "nor material 0";

  // A result: its name and the question; the help line is its description.
  SjisToGlyphCodes("げんきのみ", g.Items[3].name);
  const char* text = "ＨＰを＿５０＿かいふく。ぱぴぷ、ESP!?";
  SjisToGlyphCodes(text, g.Items[3].description);
  menu().state = kMenuStateConcoctionResult, menu().concoction_result = 3;
  Glyphs.clear();
  menu().MenuFrame();
  EXPECT_TRUE(Drawn(72, 104, "げ"));
  EXPECT_TRUE(Drawn(72, 120, "こ")) << "こいつを＿ちょうごうしますか？";
  EXPECT_EQ(std::memcmp(menu().help_line.data(), g.Items[3].description.data(), kDescriptionCodes), 0)
      << "the help line holds the description's codes";

  menu().concoction_result = 0;
  Glyphs.clear();
  menu().MenuFrame();
  EXPECT_TRUE(Drawn(72, 112, "こ")) << "この＿くみあわせでは＿なにもつくれない。";
  std::array<uint8_t, kMenuHelpBytes> nothing{};
  const int n = SjisToGlyphCodes("なーんにも＿できませんぜ。", nothing);
  EXPECT_EQ(std::memcmp(menu().help_line.data(), nothing.data(), n + 1), 0);
}

}  // namespace
