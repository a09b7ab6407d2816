// Picture files into graphs on a started 32-bit window: whole graphs, alpha companions,
// divided graphs with and without mirroring, reloading pieces, refused divisions.
#include "vexal/graphics/graphs/graph_load.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/vexal/graphics/graph_pixels.h"
#include "tests/vexal/graphics/image_fixtures.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_table.h"

namespace {

using graphtest::GraphAlpha;
using graphtest::GraphPixel;
using graphtest::SheetColor;

class GraphLoadTest : public screentest::ScreenTest {
 protected:
  void SetUp() override {
    screentest::ScreenTest::SetUp();
    ::mkdir(dir_.File("img").c_str(), 0755);
  }
  // A 24-bit bitmap of w x h whose pixels are SheetColor(x, y), written under name.
  void PutSheet(const std::string& name, int w, int h) const {
    nltest::BmpSpec s;
    s.width = w;
    s.height = h;
    s.pixel = [](int x, int y) { return SheetColor(x, y); };
    nltest::WriteFile(dir_.File(name), nltest::WriteBmp(s));
  }
  // A 24-bit bitmap of w x h in one grey level (the alpha companions).
  void PutGrey(const std::string& name, int w, int h, uint8_t level) const {
    nltest::BmpSpec s;
    s.width = w;
    s.height = h;
    s.pixel = [level](int, int) { return level * 0x010101u; };
    nltest::WriteFile(dir_.File(name), nltest::WriteBmp(s));
  }
};

TEST(AlphaCompanionName, UnderscoreAGoesBeforeTheFirstDotOfTheName) {
  const std::pair<const char*, const char*> cases[] = {
      {"a.png", "a_a.png"},
      {"img\\ci\\sc0.png", "img\\ci\\sc0_a.png"},
      {"noext", "noext_a"},
      {"a.b.png", "a_a.b.png"},
      {".png", "_a.png"},
      {"..\\img\\a.png", "..\\img\\a_a.png"},  // folders keep their dots
      {"old.v1\\noext", "old.v1\\noext_a"},
      {"\x95\x5C.png", "\x95\x5C_a.png"},  // 0x5C as a second byte is no separator
      {"", "_a"},
  };
  for (const auto& [file, companion] : cases) EXPECT_EQ(vexal::AlphaCompanionName(file), companion) << file;
}

TEST_F(GraphLoadTest, APictureBecomesAGraphThatRemembersItsFile) {
  Start(1);
  PutSheet("img/Sheet.bmp", 5, 3);
  const int g = vexal::LoadGraph("IMG\\sheet.bmp");  // the game's separators and any case
  ASSERT_NE(g, -1);
  const vexal::GraphRecord* r = vexal::GetGraphRecord(g);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(std::tuple(r->Width, r->Height, r->Alpha, r->Mirror, r->SourceX, r->SourceY), std::tuple(5, 3, 0, 0, 0, 0));
  EXPECT_EQ(r->FileName, "IMG\\sheet.bmp");  // stored as given
  EXPECT_EQ(r->Directory, plat::fs::CurrentDirectory());
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(GraphPixel(g, x, y), SheetColor(x, y)) << x << "," << y;
  }

  // Mirrored: each row reversed.
  const int m = vexal::LoadGraphCore("img\\sheet.bmp", 1, 1);
  ASSERT_NE(m, -1);
  EXPECT_EQ(vexal::GetGraphRecord(m)->Mirror, 1);
  EXPECT_EQ(GraphPixel(m, 0, 1), SheetColor(4, 1));
  EXPECT_EQ(GraphPixel(m, 4, 2), SheetColor(0, 2));

  const int count = vexal::GraphTable.Count;
  EXPECT_EQ(vexal::LoadGraph("img\\none.bmp"), -1);
  EXPECT_EQ(vexal::GraphTable.Count, count);
  EXPECT_EQ(LinesWith("右記のグラフィックファイルのロードに失敗しました").back(),
            "右記のグラフィックファイルのロードに失敗しました：img\\none.bmp");
}

// A picture too large for a surface fails its load like any unreadable file; the largest
// a surface takes still loads.
TEST_F(GraphLoadTest, APictureLargerThanASurfaceFailsItsLoadAndTheGameGoesOn) {
  Start(1);
  const int side = plat::surface::kMaxSurfaceSide;
  const struct {
    const char* name;
    int w, h;
    bool loads;
  } cases[] = {
      {"img\\wide.bmp", side + 1, 1, false},
      {"img\\tall.bmp", 1, side + 1, false},
      {"img\\widest.bmp", side, 1, true},
  };
  for (const auto& c : cases) {
    std::string file = c.name;
    file.replace(file.find('\\'), 1, "/");
    PutSheet(file, c.w, c.h);
    const int g = vexal::LoadGraph(c.name);
    EXPECT_EQ(g != -1, c.loads) << c.name;
    if (!c.loads) {
      EXPECT_EQ(LinesWith("右記のグラフィックファイルのロードに失敗しました").back(),
                std::string("右記のグラフィックファイルのロードに失敗しました：") + c.name);
    }
  }
}

TEST_F(GraphLoadTest, TheAlphaCompanionGivesTheGraphItsAlphaOnlyWhenTheSizesAgree) {
  Start(1);
  PutSheet("img/a.bmp", 4, 2);
  PutGrey("img/a_a.bmp", 4, 2, 0x60);
  PutSheet("img/b.bmp", 4, 2);
  PutGrey("img/b_a.bmp", 4, 3, 0x60);
  // An RGBA PNG and an RGB one without companions: only the picture's own channel counts.
  nltest::PngSpec rgba;
  rgba.width = 2;
  rgba.colorType = 6;
  rgba.samples = [](int x, int) {
    return std::vector<uint16_t>{10, 20, 30, static_cast<uint16_t>(x == 0 ? 0x11 : 0xEE)};
  };
  nltest::WriteFile(dir_.File("img/c.png"), nltest::WritePng(rgba));
  nltest::PngSpec rgb = rgba;
  rgb.colorType = 2;
  rgb.samples = [](int, int) { return std::vector<uint16_t>{10, 20, 30}; };
  nltest::WriteFile(dir_.File("img/d.png"), nltest::WritePng(rgb));

  const int a = vexal::LoadGraph("img\\a.bmp");
  ASSERT_NE(a, -1);
  EXPECT_EQ(vexal::GetGraphRecord(a)->Alpha, 1);
  EXPECT_EQ(GraphAlpha(a, 3, 1), 0x60);
  EXPECT_EQ(GraphPixel(a, 3, 1), SheetColor(3, 1));

  const int count = vexal::GraphTable.Count;
  EXPECT_EQ(vexal::LoadGraph("img\\b.bmp"), -1);
  EXPECT_EQ(vexal::GraphTable.Count, count);
  int pieces[2] = {-1, -1};
  EXPECT_EQ(vexal::LoadDivGraph("img\\b.bmp", 2, 2, 1, 2, 2, pieces), -1);
  EXPECT_EQ(vexal::GraphTable.Count, count);

  const int c = vexal::LoadGraph("img\\c.png");
  ASSERT_NE(c, -1);
  EXPECT_EQ(vexal::GetGraphRecord(c)->Alpha, 1);
  EXPECT_EQ(GraphAlpha(c, 0, 0), 0x11);
  EXPECT_EQ(GraphAlpha(c, 1, 0), 0xEE);
  const int d = vexal::LoadGraph("img\\d.png");
  ASSERT_NE(d, -1);
  EXPECT_EQ(vexal::GetGraphRecord(d)->Alpha, 0);
  EXPECT_EQ(GraphPixel(d, 1, 0), 0x0A141Eu);
}

TEST_F(GraphLoadTest, ATenCellSheetIsCutIntoPiecesMirroredOrNot) {
  Start(1);
  PutSheet("img/cells.bmp", 320, 64);
  for (int mirror : {0, 1}) {
    int h[10];
    ASSERT_EQ(vexal::LoadDivGraphCore("img\\cells.bmp", 10, 10, 1, 32, 64, h, 1, mirror), 0) << mirror;
    for (int i = 0; i < 10; ++i) {
      const vexal::GraphRecord* r = vexal::GetGraphRecord(h[i]);
      ASSERT_NE(r, nullptr);
      EXPECT_EQ(std::tuple(r->Width, r->Height, r->PieceFlag, r->Mirror), std::tuple(32, 64, 1, mirror));
      EXPECT_EQ(r->SourceX, mirror ? 288 - 32 * i : 32 * i) << i;
      EXPECT_EQ(r->SourceY, 0);
      EXPECT_EQ(r->FileName, "img\\cells.bmp");
      // Piece i shows cell i, reversed when mirrored.
      const int left = 32 * i;
      EXPECT_EQ(GraphPixel(h[i], 0, 0), SheetColor(mirror ? left + 31 : left, 0)) << mirror << " " << i;
      EXPECT_EQ(GraphPixel(h[i], 31, 63), SheetColor(mirror ? left : left + 31, 63)) << mirror << " " << i;
    }
  }
}

TEST_F(GraphLoadTest, PiecesAreCountedRowByRowAndAWiderMirroredSheetKeepsItsCells) {
  Start(1);
  // Two rows of three 4 x 2 cells, five pieces wanted; the sheet is 2 pixels wider than
  // the cells, so mirrored cells are counted from its own right edge.
  PutSheet("img/grid.bmp", 14, 4);
  int h[5];
  ASSERT_EQ(vexal::LoadDivGraph("img\\grid.bmp", 5, 3, 2, 4, 2, h), 0);
  const int places[5][2] = {{0, 0}, {4, 0}, {8, 0}, {0, 2}, {4, 2}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(vexal::GetGraphRecord(h[i])->SourceX, places[i][0]) << i;
    EXPECT_EQ(vexal::GetGraphRecord(h[i])->SourceY, places[i][1]) << i;
    EXPECT_EQ(GraphPixel(h[i], 1, 1), SheetColor(places[i][0] + 1, places[i][1] + 1)) << i;
  }
  int m[5];
  ASSERT_EQ(vexal::LoadDivGraphCore("img\\grid.bmp", 5, 3, 2, 4, 2, m, 1, 1), 0);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(vexal::GetGraphRecord(m[i])->SourceX, 14 - 4 - places[i][0]) << i;
    EXPECT_EQ(GraphPixel(m[i], 0, 1), SheetColor(places[i][0] + 3, places[i][1] + 1)) << i;
  }
}

TEST_F(GraphLoadTest, ImpossibleDivisionsMakeNothing) {
  Start(1);
  PutSheet("img/cells.bmp", 320, 64);
  struct Case {
    const char* name;
    int all, x, y, w, h;
  };
  const Case cases[] = {
      {"eleven columns of 32 from 320 pixels", 11, 11, 1, 32, 64},
      {"rows higher than the sheet", 10, 10, 1, 32, 65},
      {"more pieces than cells", 11, 10, 1, 32, 64},
      {"no pieces", 0, 10, 1, 32, 64},
      {"no columns", 1, 0, 1, 32, 64},
      {"negative rows", 1, 1, -1, 32, 64},
      {"zero width", 1, 1, 1, 0, 64},
      {"zero height", 1, 1, 1, 32, 0},
      {"counts whose product wraps", 1, 0x10000, 0x10000, 1, 1},
  };
  int h[16];
  for (const Case& c : cases) {
    EXPECT_EQ(vexal::LoadDivGraph("img\\cells.bmp", c.all, c.x, c.y, c.w, c.h, h), -1) << c.name;
    EXPECT_EQ(vexal::GraphTable.Count, 0) << c.name;
  }
  EXPECT_EQ(LinesWith("指定のサイズで分割できません in CreateDXDivGraph").size(), std::size(cases));
  EXPECT_EQ(vexal::LoadDivGraph("img\\gone.bmp", 10, 10, 1, 32, 64, h), -1);
  EXPECT_EQ(vexal::LoadDivGraph("img\\cells.bmp", 10, 10, 1, 32, 64, nullptr), -1);
  EXPECT_EQ(vexal::GraphTable.Count, 0);
}

TEST_F(GraphLoadTest, WhileDrawingIsSuspendedNothingIsLoadedOrChanged) {
  Start(1);
  PutSheet("img/one.bmp", 8, 4);
  int h[2];
  ASSERT_EQ(vexal::LoadDivGraph("img\\one.bmp", 2, 2, 1, 4, 4, h), 0);
  PutGrey("img/two.bmp", 8, 4, 0x22);
  vexal::DrawState.Suspended = 1;
  int more[2] = {-1, -1};
  EXPECT_EQ(vexal::LoadGraph("img\\one.bmp"), -1);
  EXPECT_EQ(vexal::LoadDivGraph("img\\one.bmp", 2, 2, 1, 4, 4, more), 0);  // made nothing, as the table shows
  EXPECT_EQ(vexal::ReloadDivGraph("img\\two.bmp", 2, 2, 1, 4, 4, h, 0), 0);
  EXPECT_EQ(vexal::GraphTable.Count, 2);
  EXPECT_EQ(more[0], -1);
  vexal::DrawState.Suspended = 0;
  EXPECT_EQ(GraphPixel(h[1], 0, 0), SheetColor(4, 0));
}

TEST_F(GraphLoadTest, ReloadingPutsANewPictureIntoTheSamePieces) {
  Start(1);
  PutSheet("img/one.bmp", 8, 4);
  PutGrey("img/two.bmp", 8, 4, 0x33);
  PutGrey("img/small.bmp", 7, 4, 0x44);
  int h[4];
  ASSERT_EQ(vexal::LoadDivGraph("img\\one.bmp", 4, 2, 2, 4, 2, h), 0);
  ASSERT_EQ(vexal::ReloadDivGraph("img\\two.bmp", 4, 2, 2, 4, 2, h, 0), 0);
  EXPECT_EQ(vexal::GraphTable.Count, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(GraphPixel(h[i], 3, 1), 0x333333u) << i;
    EXPECT_EQ(vexal::GetGraphRecord(h[i])->FileName, "img\\two.bmp");
  }

  EXPECT_EQ(vexal::ReloadDivGraph("img\\small.bmp", 4, 2, 2, 4, 2, h, 0), -1);
  EXPECT_EQ(LinesWith("指定のサイズで分割できません").back(),
            "指定のサイズで分割できません img\\small.bmp in ReloadDivGraph");
  EXPECT_EQ(vexal::ReloadDivGraph("img\\gone.bmp", 4, 2, 2, 4, 2, h, 0), -1);
  EXPECT_EQ(LinesWith("リロード").back(), "右記のグラフィックファイルのリロードに失敗しました：img\\gone.bmp");
  EXPECT_EQ(GraphPixel(h[0], 0, 0), 0x333333u);  // untouched by the refused reloads

  const int bad[4] = {-1, h[1], h[2], h[3]};
  EXPECT_EQ(vexal::ReloadDivGraph("img\\one.bmp", 4, 2, 2, 4, 2, bad, 0), -1);
  EXPECT_EQ(GraphPixel(h[1], 0, 0), 0x333333u);
}

}  // namespace
