// The party pages as drawn: texts at their places and in their colours (glyphs recorded),
// boxes and ID-card pieces read back from the screen, the members' pictures and the hand
// (graph draws recorded).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "game/data/game_data.h"
#include "game/entry/field_wiring.h"
#include "game/field/field_graphics.h"
#include "game/frame/play_timer.h"
#include "game/menu/field_menu.h"
#include "game/menu/menu_draw_parts.h"
#include "game/text/bitmap_font.h"
#include "game/text/hand_cursor.h"
#include "tests/game/text/window_fixture.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/color_value.h"

namespace {

using namespace game;
namespace ps = plat::surface;

constexpr uint32_t kWhite = vexal::MakeBrightValue(255, 255, 255);
constexpr uint32_t kGreen = vexal::MakeBrightValue(0, 255, 0);
constexpr uint32_t kBlack = vexal::MakeBrightValue(0, 0, 0);
constexpr uint32_t kBlue = vexal::MakeBrightValue(0, 0, 255);

struct Glyph {
  int x, y, cell;
  uint32_t bright;
};
std::vector<Glyph> glyphs;
// The brightness in force; the untouched start counts as white.
uint32_t Bright() { return vexal::DrawState.Bright == vexal::kBrightNone ? kWhite : vexal::DrawState.Bright; }
void RecordGlyph(int x, int y, int cell, int) { glyphs.push_back({x, y, cell, Bright()}); }

using windowtest::GlyphCells;

// The cells drawn on row y from x0 to x1 (inclusive), each checked for the brightness.
std::vector<int> CellsAt(int y, int x0, int x1, uint32_t bright = kWhite) {
  std::vector<int> cells;
  for (const Glyph& g : glyphs) {
    if (g.y == y && g.x >= x0 && g.x <= x1) {
      EXPECT_EQ(g.bright, bright) << "at " << g.x << "," << g.y;
      cells.push_back(g.cell);
    }
  }
  return cells;
}

// Glyph places a text takes on its line (glyphs and blanks; voicing marks take none).
int Width(std::string_view sjis) {
  std::array<uint8_t, 64> codes{};
  SjisToGlyphCodes(sjis, codes);
  int n = 0;
  for (uint8_t c : codes) {
    if (c == 0) break;
    if (c == kGlyphBlank || (GlyphCellOfCode(c) >= 0 && c != kGlyphVoicedMark && c != kGlyphSemiVoicedMark)) ++n;
  }
  return n;
}

// Text expected at (x, y): its cells fill its places from x and nothing else lies there.
void ExpectText(int x, int y, std::string_view sjis, uint32_t bright = kWhite) {
  EXPECT_EQ(CellsAt(y, x, x + 8 * Width(sjis) - 1, bright), GlyphCells(sjis)) << sjis << " at " << x << "," << y;
}

// Graph draws with their brightness and blend, for the graphs named.
std::map<int, std::string> names;
std::vector<std::string> draws;
vexal::DrawBackendRows rows;
int RecordNamedDraw(int x, int y, vexal::GraphRecord* record, int) {
  auto it = names.find(vexal::GetGraphHandleFromRecord(record));
  if (it == names.end()) return 0;
  const uint32_t b = Bright();
  const char* bright = b == kWhite ? "white" : b == kBlack ? "black" : b == kBlue ? "blue" : "other";
  draws.push_back(it->second + " " + std::to_string(x) + "," + std::to_string(y) + " blend " +
                  std::to_string(vexal::DrawState.BlendMode) + "," + std::to_string(vexal::DrawState.BlendParam) + " " +
                  bright);
  return 0;
}

void SetName(ItemRecord& item, std::string_view sjis) {
  std::array<uint8_t, kNameCodes + 1> codes{};
  SjisToGlyphCodes(sjis, codes);
  std::copy_n(codes.begin(), kNameCodes, item.name.begin());
}

class MenuPagesTest : public windowtest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    glyphs.clear();
    draws.clear();
    names.clear();
    SetGlyphDrawHook(RecordGlyph);
    ResetGameData();
    ResetFieldMenu();
    WireField();  // the members' pictures are the field's
    GameData& d = TheGameData();
    for (int m = 0; m < kMemberCount; ++m) {
      d.Members[m] = {};
      d.Status[m] = {};
      d.Equipment[m] = {};
    }
    d.ItemBag = {};
    d.Items[5] = {};
    d.Items[5].values[kItemFieldUse] = kFieldUseHealHp;
    SetName(d.Items[5], "やくそう");
    d.Items[6] = {};
    SetName(d.Items[6], "ABCDEFGHIJKL");
  }
  void TearDown() override {
    SetGlyphDrawHook(nullptr);
    ResetGameData();
    ResetFieldMenu();
    TheHandCursor = HandCursor{};
    TheFieldGraphics = FieldGraphics{};
    WindowTest::TearDown();
  }
  static FieldMenu& menu() { return TheFieldMenu; }
  static void AddMember(int m, int id, int graphic = 34) {
    PartyMember& p = TheGameData().Members[m];
    p[kMemberPresent] = 1;
    p[kMemberId] = id;
    p[kMemberFieldGraphic] = graphic;
  }
  // Named graph draws are recorded (brightness and blend with them) instead of done.
  void RecordNamed() {
    rows = vexal::DrawBackendTable;
    rows[0].DrawGraph = RecordNamedDraw;
    vexal::SetDrawBackendTableForTests(&rows);
  }
  // The frame's pictures again in colours of their own: quiet and highlit backgrounds, corners.
  void PaintFrame(nltools::Rgb quiet, nltools::Rgb highlit, nltools::Rgb corner) {
    ASSERT_TRUE(nltools::WriteBmp(dir_.File("system/wna.bmp"), nltools::Picture(320, 240, quiet)));
    ASSERT_TRUE(nltools::WriteBmp(dir_.File("system/wac.bmp"), nltools::Picture(320, 240, highlit)));
    ASSERT_TRUE(nltools::WriteBmp(dir_.File("system/wakuwaku7.bmp"), nltools::Picture(16, 16, corner)));
    TheWindowFrame.LoadWindowFrame();
  }
  static nltools::Rgb ScreenPixel(int x, int y) {
    ps::LockedRect l;
    EXPECT_EQ(ps::Lock(vexal::GetBackSurface(), nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
    uint32_t raw = 0;
    std::memcpy(&raw, l.bits + static_cast<size_t>(y) * l.pitch + static_cast<size_t>(x) * 4, 4);
    ps::Unlock(vexal::GetBackSurface());
    int r = 0, g = 0, b = 0;
    vexal::GetColorRGB(raw, &r, &g, &b);
    return {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
  }
};

TEST_F(MenuPagesTest, MainPageShowsMembersValuesAndCounters) {
  GameData& d = TheGameData();
  AddMember(0, 0);
  AddMember(2, 2);
  d.Members[0][kMemberHp] = 123456, d.Members[0][kMemberMaxHp] = 150000;  // both shown as 99999
  d.Members[0][kMemberPp] = 12, d.Members[0][kMemberMaxPp] = 40;
  d.Members[2][kMemberHp] = 7, d.Members[2][kMemberMaxHp] = 80;
  d.Status[2][kStatusParalysed] = 1, d.Status[2][kStatusBlind] = 1;
  d.Scalars[kScalarMoney] = 12345678;
  d.Scalars[kScalarStepCount] = 42;
  ThePlayTimer.StartPlayTimer(3 * 3600 + 7 * 60 + 5);
  menu().DrawMenuPages();

  ExpectText(56, 28, "みなみ");  // member 0 at y 38: name 10 above
  ExpectText(84, 40, "HP");
  ExpectText(100, 40, "99999/99999");
  ExpectText(84, 52, "PP");
  ExpectText(116, 52, "12/");  // 4 digits: "  12/  40"
  ExpectText(156, 52, "40");
  EXPECT_TRUE(CellsAt(76, 0, 215).empty()) << "member 1 is absent";
  ExpectText(56, 124, "みさ");  // member 2 at y 134
  ExpectText(112, 124, "マヒ_くらやみ_");
  ExpectText(132, 136, "7/");
  ExpectText(232, 12, "のうりょく");
  ExpectText(232, 60, "ESP");
  ExpectText(232, 124, "セーブ");
  ExpectText(210, 148, "9999999R");
  ExpectText(214, 164, "ID");
  ExpectText(210, 178, "STEP");
  ExpectText(250, 190, "42");
  ExpectText(234, 204, "3:07");

  // The last command reads "ロード" while page down (W) is held.
  plat::input::SetFakeKey(plat::input::kKeyW, true);
  KeyInput.UpdateKeyCast();
  glyphs.clear();
  menu().DrawMenuPages();
  ExpectText(232, 124, "ロード");
  plat::input::SetFakeKey(plat::input::kKeyW, false);
}

TEST_F(MenuPagesTest, BoxesAreHighlitWhereTheyTakeTheKeys) {
  const nltools::Rgb quiet{20, 30, 140}, highlit{60, 140, 200}, corner{200, 40, 40};
  PaintFrame(quiet, highlit, corner);
  const struct {
    int page, state, x, y;
    nltools::Rgb want;
  } cases[] = {
      {kMenuPageMain, 0, 250, 100, highlit},                                        // the command box (216,1)-(280,140)
      {kMenuPageMain, 1, 250, 100, quiet},    {kMenuPageMain, 1, 250, 160, quiet},  // the page box below it
      {kMenuPageBag, 3, 100, 150, highlit},                                         // the list box (44,26)-(276,216)
      {kMenuPageBag, 15, 100, 150, quiet},    {kMenuPageBag, 3, 44, 26, corner},    // its corners
      {kMenuPageBag, 3, 276, 216, corner},    {kMenuPageBag, 3, 150, 220, quiet},   // the page box below the list box
      {kMenuPageStock, 9, 100, 150, highlit},
  };
  for (const auto& c : cases) {
    menu().page = c.page, menu().state = c.state;
    menu().DrawMenuPages();
    EXPECT_EQ(ScreenPixel(c.x, c.y), c.want)
        << "page " << c.page << " state " << c.state << " at " << c.x << "," << c.y;
  }
  // The bag's scroll marker (270, 28 + 3 s)-(281, 88 + 3 s): its lower corner.
  menu().page = kMenuPageBag, menu().state = kMenuStateBag, menu().bag_scroll = 20;
  menu().DrawMenuPages();
  EXPECT_EQ(ScreenPixel(281, 148), corner);
  EXPECT_NE(ScreenPixel(281, 149), corner);
}

TEST_F(MenuPagesTest, IdCardPiecesFollowTheEventBits) {
  const nltools::Rgb quiet{20, 30, 140};
  PaintFrame(quiet, quiet, quiet);
  nltools::Picture card(42, 8);
  std::array<nltools::Rgb, 7> colour;
  for (int i = 0; i < 7; ++i) {
    colour[i] = {static_cast<uint8_t>(40 + 20 * i), static_cast<uint8_t>(200 - 20 * i), 90};
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 6; ++x) card.At(6 * i + x, y) = colour[i];
  }
  ASSERT_TRUE(nltools::WritePng(dir_.File("system/idcard.png"), card));
  menu().LoadIdCardImages();
  GameData& d = TheGameData();
  for (int bit : {0, 2, 6, 9}) d.SetEventBit(bit);  // bit 9 has no piece
  menu().DrawMenuPages();
  for (int i = 0; i < 7; ++i) {
    const bool set = i == 0 || i == 2 || i == 6;
    for (int x : {231 + 6 * i, 231 + 6 * i + 5}) {
      EXPECT_EQ(ScreenPixel(x, 164), set ? colour[i] : quiet) << "piece " << i << " at x " << x;
      EXPECT_EQ(ScreenPixel(x, 171), set ? colour[i] : quiet) << "piece " << i << " at x " << x;
    }
  }
  EXPECT_EQ(ScreenPixel(273, 164), quiet) << "nothing after the seventh piece";
}

TEST_F(MenuPagesTest, BagNamesAreGreenWhereAnItemCanBeUsed) {
  GameData& d = TheGameData();
  d.ItemBag[0] = {5, 3};
  d.ItemBag[1] = {6, kDashCount};
  d.ItemBag[2] = {6, 12345};
  const struct {
    int state;
    uint32_t usable;
  } cases[] = {{3, kGreen}, {15, kGreen}, {6, kWhite}, {33, kWhite}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    glyphs.clear();
    menu().page = kMenuPageBag, menu().state = c.state;
    menu().DrawMenuPages();
    ExpectText(57, 36, "やくそう", c.usable);
    ExpectText(137, 36, "3");
    ExpectText(173, 36, "ABCDEFGHIJ");
    EXPECT_EQ(CellsAt(36, 253, 319), (std::vector<int>{GlyphCells("K")[0], GlyphCells("-")[0]}))
        << "the 11th glyph of the name lies under the count";
    ExpectText(57, 52, "ABCDEFGHIJ");
    EXPECT_EQ(CellsAt(52, 137, 240), (std::vector<int>{GlyphCells("K")[0], GlyphCells("9")[0], GlyphCells("9")[0],
                                                       GlyphCells("9")[0], GlyphCells("9")[0]}))
        << "11 glyphs of the name, the count at most 9999";
  }
}

TEST_F(MenuPagesTest, BagSecondPageAndTheSellQuestion) {
  GameData& d = TheGameData();
  d.ItemBag[24] = {5, 1};
  d.Scalars[kScalarMoney] = 450;
  menu().page = kMenuPageBag, menu().state = kMenuStateBag, menu().bag_scroll = 22;
  menu().DrawMenuPages();
  ExpectText(57, 52, "やくそう", kGreen);  // entry 24 is the third shown: row 1, column 0
  ExpectText(136, 12, "つかう");
  ExpectText(232, 12, "せいとん");

  glyphs.clear();
  menu().state = kMenuStateSell, menu().sell_scroll = 22, menu().first_pick = 24;
  menu().DrawMenuPages();
  ExpectText(160, 10, "CASH");
  ExpectText(232, 10, "450R");
  ExpectText(88, 88, "やくそう");
  ExpectText(184, 88, "1かい");
  ExpectText(88, 120, "このねだんで＿うりますか？");
  EXPECT_TRUE(CellsAt(12, 136, 280).empty()) << "no sub-commands on the sell list";

  // A piece of equipment: its level shows as the list shows it, "-", not as 999.
  d.ItemBag[25] = {6, kDashCount};
  glyphs.clear();
  menu().first_pick = 25;
  menu().DrawMenuPages();
  ExpectText(184, 88, "-かい");
  EXPECT_TRUE(CellsAt(88, 168, 183).empty()) << "no digits before the dash";
}

TEST_F(MenuPagesTest, MemberPageShowsValuesAndSlots) {
  GameData& d = TheGameData();
  AddMember(1, 1);
  PartyMember& p = d.Members[1];
  p[kMemberEspLevel] = 3;
  p[kMemberHp] = 75, p[kMemberMaxHp] = 80;
  p[kMemberAttack] = 12345;
  p[kMemberAttack + 3] = 8;
  d.Equipment[1][0] = {5, 3};
  d.Equipment[1][7] = {6, kAbilityCount};
  d.Equipment[1][10] = {6, kDashCount};
  menu().member_cursor = 1;
  for (int state : {2, 5}) {
    SCOPED_TRACE(state);
    glyphs.clear();
    menu().page = kMenuPageMember, menu().state = state;
    menu().DrawMenuPages();
    ExpectText(80, 32, "しば");
    ExpectText(136, 32, "ジャンプ");
    ExpectText(200, 32, "ESP_3");
    ExpectText(80, 48, "HP");
    ExpectText(128, 48, "75/");
    ExpectText(56, 84, "こうげき");
    ExpectText(112, 84, "9999");
    ExpectText(168, 100, "せいしん");
    ExpectText(248, 100, "8");
    ExpectText(46, 124, "やくそう", state == 2 ? kGreen : kWhite);  // slot 0
    ExpectText(126, 124, "3");
    ExpectText(162, 140, "ABCDEFGHIJ");  // slot 7: a worn ability, no count
    EXPECT_TRUE(CellsAt(140, 242, 319).empty());
    ExpectText(242, 188, "-");  // slot 10
  }
}

// The header lines are drawn 8 and 30 glyphs wide on one line: the font's wrap lets a
// line hold width + 1 glyphs, and the rest is cut. Title and help line may be set as
// Shift-JIS or as glyph codes.
TEST_F(MenuPagesTest, HeaderLinesAreCutToTheirWidthsOnOneLine) {
  const std::string help35 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345678";
  struct Case {
    bool codes;
    std::string title, help;
    std::string title_shown, help_shown;
  };
  const Case cases[] = {
      {false, "ABCDEFGHIJKL", help35, "ABCDEFGH", help35.substr(0, 30)},
      {true, "ABCDEFGHIJKL", help35, "ABCDEFGH", help35.substr(0, 30)},
      {false, "MENU", "ESPのうりょくを_そうびします", "MENU", "ESPのうりょくを_そうびします"},
      {true, "ABCDEFGHIJKLMNOPQR", "A\nB", "ABCDEFGH", "A"},  // a line break ends the line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title + (c.codes ? " as codes" : " as text"));
    if (c.codes) {
      std::array<uint8_t, 600> codes{};
      SjisToGlyphCodes(c.title, codes);
      menu().SetMenuLineCodes(0, codes);
      SjisToGlyphCodes(c.help, codes);
      menu().SetMenuLineCodes(1, codes);
    } else {
      menu().SetMenuLine(0, c.title);
      menu().SetMenuLine(1, c.help);
    }
    glyphs.clear();
    menu().DrawMenuHeader();
    EXPECT_EQ(CellsAt(8, 0, 319), GlyphCells(c.title_shown));
    EXPECT_EQ(CellsAt(224, 0, 319), GlyphCells(c.help_shown));
    // Voicing marks sit 8 higher; a second line would be 16 lower.
    for (const Glyph& g : glyphs) EXPECT_TRUE(g.y <= 8 || (g.y >= 216 && g.y <= 224)) << "a second line at " << g.y;
    ExpectText(48, 8, c.title_shown);
    ExpectText(45, 224, c.help_shown);
  }
  // Both ways the title buffer keeps 15 codes and its end.
  for (bool codes : {false, true}) {
    std::array<uint8_t, 32> long_title{};
    SjisToGlyphCodes("ABCDEFGHIJKLMNOPQR", long_title);
    if (codes) {
      menu().SetMenuLineCodes(0, long_title);
    } else {
      menu().SetMenuLine(0, "ABCDEFGHIJKLMNOPQR");
    }
    EXPECT_EQ(std::memcmp(menu().title_line.data(), long_title.data(), 15), 0);
    EXPECT_EQ(menu().title_line[15], 0);
  }
}

TEST_F(MenuPagesTest, MaterialsAndStockCounts) {
  GameData& d = TheGameData();
  d.Materials[3].count = 7;
  d.Materials[4].count = 0;
  d.Materials[5].count = 120;
  for (int state : {10, 16}) {
    SCOPED_TRACE(state);
    glyphs.clear();
    menu().page = kMenuPageMaterials, menu().state = state;
    menu().DrawMenuPages();
    // Material 3: column 1 (x 173), row 1 (y 47), the text 4 lower.
    ExpectText(191, 51, "えくのみ");
    ExpectText(247, 51, ":");
    ExpectText(263, 51, "7");
    ExpectText(255, 68, "99");  // material 5, at most 99
    if (state == 10) {
      EXPECT_TRUE(CellsAt(68, 0, 170).empty()) << "material 4 has none";
    } else {
      ExpectText(75, 68, "ういのみ");
      ExpectText(147, 68, "0");
    }
  }

  glyphs.clear();
  d.AbilityStock[0] = {5, kStockUnlimited};
  d.AbilityStock[1] = {6, 12};
  menu().page = kMenuPageStock, menu().state = kMenuStateEspFromStock;
  menu().DrawMenuPages();
  ExpectText(57, 36, "やくそう");  // white: abilities are never marked usable here
  EXPECT_TRUE(CellsAt(36, 130, 170).empty()) << "an unlimited count shows nothing";
  EXPECT_EQ(CellsAt(36, 253, 319), (std::vector<int>{GlyphCells("K")[0], GlyphCells("9")[0]})) << "one digit";
}

TEST_F(MenuPagesTest, MemberPicturesByCondition) {
  // Graphic 34 walks, 35 has an ailment, 36 is down; their frames are named for the record.
  for (int graphic : {34, 35, 36}) {
    for (int f = 0; f < 16; ++f) {
      const int h = vexal::CreateBlankGraph(16, 32);
      TheFieldGraphics.CharacterFrames[graphic * 16 + f] = h;
      names[h] = std::to_string(graphic) + "/" + std::to_string(f);
    }
  }
  AddMember(0, 0, 34);
  AddMember(1, 1, 35);
  AddMember(2, 2, 36);
  AddMember(3, 3, 9999);  // a number no sheet has: no picture
  TheGameData().Status[1][kStatusPoisoned] = 1;
  TheGameData().Status[2][kStatusDown] = 1;
  menu().frame_counter = 6;
  RecordNamed();
  menu().DrawMenuPages();
  const std::vector<std::string> want = {
      "34/2 62,40 blend 1,128 black",  // (6 + 0) mod 4, the shadow 2 right and down
      "34/2 60,38 blend 0,0 white",
      "35/4 62,88 blend 1,128 black",  // standing, facing away
      "35/4 60,86 blend 0,0 white",
      "36/4 60,134 blend 0,0 blue",  // down: no shadow
  };
  EXPECT_EQ(draws, want);

  draws.clear();
  menu().page = kMenuPageMember, menu().member_cursor = 0, menu().frame_counter = 1;
  menu().DrawMenuPages();
  EXPECT_EQ(draws, (std::vector<std::string>{"34/1 58,30 blend 1,128 black", "34/1 56,28 blend 0,0 white"}));
}

TEST_F(MenuPagesTest, HandPointsAtEachStatesCursor) {
  nltools::Picture hand(8, 8, {250, 220, 180});
  ASSERT_TRUE(nltools::WriteBmp(dir_.File("system/handicon.bmp"), hand));
  for (int m : {0, 2}) AddMember(m, m);
  struct Case {
    const char* name;
    int state;
    void (*set)(FieldMenu&);
    std::vector<std::string> want;
  };
  // A fresh hand's first draw bounces 1 pixel: the picture lies at (x - 23, y - 2) of the
  // point; a blinking mark lies at (x - 16, y).
  const Case cases[] = {
      {"command", 0, [](FieldMenu& f) { f.main_cursor = 2; }, {"hand 209,42 blend 0,0 white"}},
      {"member", 4, [](FieldMenu& f) { f.member_cursor = 2; }, {"hand 33,122 blend 0,0 white"}},
      {"order, first pick",
       11,
       [](FieldMenu& f) { f.member_cursor = 1, f.first_pick = 2; },
       {"hand 40,124 blend 1,244 white", "hand 33,74 blend 0,0 white"}},
      {"slot", 5, [](FieldMenu& f) { f.member_cursor = 2, f.slot_cursor[2] = 7; }, {"hand 139,138 blend 0,0 white"}},
      {"bag", 3, [](FieldMenu& f) { f.bag_cursor = 25, f.bag_scroll = 20; }, {"hand 150,66 blend 0,0 white"}},
      {"stock", 9, [](FieldMenu& f) { f.stock_cursor = 30, f.stock_scroll = 10; }, {"hand 34,194 blend 0,0 white"}},
      {"sell", 33, [](FieldMenu& f) { f.sell_cursor = 1; }, {"hand 150,34 blend 0,0 white"}},
      {"materials", 16, [](FieldMenu& f) { f.material_cursor = 3; }, {"hand 150,49 blend 0,0 white"}},
      {"sub-command", 15, [](FieldMenu& f) { f.sub_command = 2; }, {"hand 209,10 blend 0,0 white"}},
      {"one target", 50, [](FieldMenu& f) { f.target = 2; }, {"hand 105,140 blend 0,0 white"}},
      // The whole party: a still hand at every present member.
      {"whole party",
       50,
       [](FieldMenu& f) { f.target = -1; },
       {"hand 104,44 blend 0,0 white", "hand 104,140 blend 0,0 white"}},
      {"item result", 51, [](FieldMenu&) {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetFieldMenu();
    TheHandCursor = HandCursor{};
    TheHandCursor.LoadHandCursor();
    names = {{TheHandCursor.Graph(), "hand"}};
    menu().state = c.state;
    c.set(menu());
    RecordNamed();
    draws.clear();
    menu().DrawMenuCursor();
    vexal::SetDrawBackendTableForTests(nullptr);
    EXPECT_EQ(draws, c.want);
  }
}

TEST_F(MenuPagesTest, ButtonSevenDescribesTheItemUnderTheCursor) {
  GameData& d = TheGameData();
  d.Equipment[1][4] = {6, 1};
  d.ItemBag[9] = {5, 1};
  d.AbilityStock[3] = {6, 1};
  const struct {
    int state;
    const char* name;  // "" for no panel
  } cases[] = {{2, "ABCDEFGHIJKL"},  {3, "やくそう"},  {6, "やくそう"}, {9, "ABCDEFGHIJKL"},
               {33, "ABCDEFGHIJKL"}, {32, "やくそう"}, {0, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    glyphs.clear();
    ResetFieldMenu();
    FieldMenu& f = menu();
    f.state = c.state, f.member_cursor = 1, f.slot_cursor[1] = 4, f.bag_cursor = 9, f.stock_cursor = 3;
    f.sell_cursor = 1, f.goods_cursor = 2, f.goods[2] = 5;
    d.ItemBag[1] = {6, 1};
    f.description_shown = true;
    f.DrawMenuCursor();
    if (*c.name == 0) {
      EXPECT_TRUE(glyphs.empty());
    } else {
      ExpectText(70, 36, c.name);  // the panel's name line
    }
  }
  glyphs.clear();
  menu().state = kMenuStateBag, menu().description_shown = false;
  menu().DrawMenuCursor();
  EXPECT_TRUE(glyphs.empty());
}

TEST_F(MenuPagesTest, ItemTargetPageLiesOverTheFrozenScreen) {
  AddMember(1, 1);
  TheGameData().Members[1][kMemberHp] = 30, TheGameData().Members[1][kMemberMaxHp] = 75;
  names = {{ScreenCopyGraph, "frozen"}};
  menu().page = kMenuPageItemTarget, menu().state = kMenuStateItemTarget;
  RecordNamed();
  menu().DrawMenuPages();
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.front(), "frozen 0,0 blend 0,0 white");
  ExpectText(152, 84, "しば");  // member 1's row: y 86
  ExpectText(152, 96, "HP");
  ExpectText(192, 96, "30/");
  ExpectText(240, 96, "75");
}

}  // namespace
