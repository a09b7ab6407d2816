// The item information panel, drawn with the glyphs recorded: what shows where, in which
// brightness, and that values out of the label tables draw nothing rather than reading
// past them.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "game/data/game_data.h"
#include "game/text/bitmap_font.h"
#include "game/text/item_info_panel.h"
#include "tests/game/text/window_fixture.h"
#include "vexal/graphics/drawing/draw_state.h"

namespace {

using namespace game;

struct Glyph {
  int x, y, cell;
  uint32_t bright;
};
std::vector<Glyph> glyphs;
void RecordGlyph(int x, int y, int cell, int) { glyphs.push_back({x, y, cell, vexal::DrawState.Bright}); }

constexpr uint32_t kCyan = vexal::MakeBrightValue(0, 255, 255);
constexpr uint32_t kWhite = vexal::MakeBrightValue(255, 255, 255);
constexpr uint32_t kRed = vexal::MakeBrightValue(255, 0, 0);
constexpr uint32_t kGrey = vexal::MakeBrightValue(128, 128, 128);

using windowtest::GlyphCells;

// The cells drawn on row y from x0 to x1 (inclusive) in one brightness.
std::vector<int> CellsAt(int y, int x0, int x1, uint32_t bright) {
  std::vector<int> cells;
  for (const Glyph& g : glyphs) {
    if (g.y == y && g.x >= x0 && g.x <= x1) {
      EXPECT_EQ(g.bright, bright) << "at " << g.x << "," << g.y;
      cells.push_back(g.cell);
    }
  }
  return cells;
}

class ItemInfoPanelTest : public windowtest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    glyphs.clear();
    SetGlyphDrawHook(RecordGlyph);
    ResetGameData();
  }
  void TearDown() override {
    SetGlyphDrawHook(nullptr);
    ResetGameData();
    WindowTest::TearDown();
  }
};

TEST_F(ItemInfoPanelTest, ShowsLabelsValuesAndSignsAndSkipsValuesOutsideItsTables) {
  GameData& d = TheGameData();
  auto& v = d.Items[7].values;
  v[kItemKind] = 104;
  v[kItemRange] = 99;     // no such range label
  v[kItemDependsOn] = 7;  // no such stat
  v[kItemMultiplier] = 2;
  v[kItemRaise] = 600000;  // MAXIMIZE
  v[kItemHits] = 0;        // shown as 1
  v[kItemPpCost] = 0;      // not shown
  v[kItemAttackBonus] = -3;
  v[kItemAttackBonus + 1] = 0;
  v[kItemAttackBonus + 2] = 5;
  v[kItemAttackBonus + 3] = INT_MIN;
  DrawItemInfo(7);

  EXPECT_EQ(CellsAt(50, 74, 120, kCyan), GlyphCells("ぶんるい"));
  EXPECT_EQ(CellsAt(50, 130, 250, kWhite), GlyphCells("ソード"));
  EXPECT_TRUE(CellsAt(178, 130, 260, kWhite).empty());
  EXPECT_EQ(CellsAt(70, 200, 240, kWhite), GlyphCells("----"));
  EXPECT_TRUE(CellsAt(70, 130, 160, kWhite).empty());
  EXPECT_EQ(CellsAt(90, 208, 240, kWhite), GlyphCells("×2"));
  EXPECT_EQ(CellsAt(100, 168, 240, kWhite), GlyphCells("MAXIMIZE"));
  EXPECT_EQ(CellsAt(120, 200, 240, kWhite), GlyphCells("1"));
  EXPECT_EQ(CellsAt(102, 124, 160, kRed), GlyphCells("-3"));
  EXPECT_EQ(CellsAt(114, 124, 160, kGrey), GlyphCells("0"));
  EXPECT_EQ(CellsAt(126, 124, 160, kWhite), GlyphCells("+5"));
  EXPECT_EQ(CellsAt(138, 124, 170, kRed), GlyphCells("-9999"));
}

TEST_F(ItemInfoPanelTest, NoItemShowsOnlyTheLabels) {
  DrawItemInfo(0);
  EXPECT_EQ(CellsAt(178, 74, 160, kCyan), GlyphCells("こうかはんい"));
  for (const Glyph& g : glyphs) EXPECT_EQ(g.bright, kCyan) << g.x << "," << g.y;
}

}  // namespace
