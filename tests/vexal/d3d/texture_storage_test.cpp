// Texture sides, graph pieces, divided and derived graphs, image transfer into pieces.
#include "vexal/d3d/texture_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/vexal/d3d/d3d_fixture.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/d3d/texture_transfer.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/screen/surface_table.h"

namespace {

using d3dtest::Direct3DTest;
namespace pd = plat::d3d;
namespace ps = plat::surface;

struct PieceWant {
  int x, y, tw, th, uw, uh;
};

std::vector<PieceWant> Pieces(const vexal::GraphRecord* g) {
  std::vector<PieceWant> out;
  for (int i = 0; i < g->PieceCount; ++i) {
    const vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(g->Pieces[static_cast<size_t>(i)]));
    out.push_back({t->posX, t->posY, t->texWidth, t->texHeight, t->usedWidth, t->usedHeight});
  }
  return out;
}

bool operator==(const PieceWant& a, const PieceWant& b) {
  return a.x == b.x && a.y == b.y && a.tw == b.tw && a.th == b.th && a.uw == b.uw && a.uh == b.uh;
}
std::ostream& operator<<(std::ostream& o, const PieceWant& p) {
  return o << "(" << p.x << "," << p.y << " " << p.tw << "x" << p.th << " shows " << p.uw << "x" << p.uh << ")";
}

TEST(SplitTextureSizeTest, SidesCoverTheSizeWithPowersOfTwo) {
  vexal::MinTextureSize = 32;
  vexal::MaxTextureSize = 256;
  struct Case {
    int size;
    std::vector<int> sides;
  } cases[] = {{240, {256}},
               {256, {256}},
               {320, {256, 64}},
               {200, {128, 64, 32}},
               {300, {256, 32, 32}},
               {1000, {256, 256, 256, 256}},
               {8, {32}}};
  for (const Case& c : cases) {
    std::vector<int> sides(vexal::kSplitSidesMax, 0);
    const int n = vexal::SplitTextureSize(c.size, sides.data());
    sides.resize(static_cast<size_t>(n));
    EXPECT_EQ(sides, c.sides) << c.size;
    EXPECT_EQ(vexal::SplitTextureSize(c.size, nullptr), n) << c.size;
  }
  vexal::ResetDirect3DState();
}

TEST_F(Direct3DTest, AGraphIsCutIntoPiecesAndASquareOnlyDeviceAddsSquares) {
  Start3D();
  vexal::GraphRecord* g = NewGraph(320, 240);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(g), 0);
  EXPECT_EQ(Pieces(g), (std::vector<PieceWant>{{0, 0, 256, 256, 256, 240}, {256, 0, 64, 256, 64, 240}}));
  const vexal::TextureRecord* second = vexal::GetTexData(static_cast<int>(g->Pieces[1]));
  EXPECT_FLOAT_EQ(second->vertices[3].x, 320.0f);
  EXPECT_FLOAT_EQ(second->vertices[3].v, 240.0f / 256.0f);
  // (320, 0) lies on the diagonal's line; (320, 240) below it.
  EXPECT_EQ(second->upperLeftFlags[1], 1);
  EXPECT_EQ(second->upperLeftFlags[3], 0);

  pd::Profile square = d3dtest::Profile256();
  for (auto& d : square.devices) d.texture_caps |= pd::kTextureSquareOnly;
  pd::SetProfile(square);
  vexal::EndDirect3D();
  ASSERT_EQ(vexal::InitDirect3D(), 0);
  vexal::GraphRecord* s = NewGraph(320, 240);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(s), 0);
  EXPECT_EQ(Pieces(s), (std::vector<PieceWant>{{0, 0, 256, 256, 256, 240},
                                               {256, 0, 64, 64, 64, 64},
                                               {256, 64, 64, 64, 64, 64},
                                               {256, 128, 64, 64, 64, 64},
                                               {256, 192, 64, 64, 64, 48}}));
  // 456 wide under a 1024 maximum is one 512 x 32 piece: its squares at 480 and beyond
  // would start past the graph's edge and are not made.
  for (auto& d : square.devices) d.max_texture_width = d.max_texture_height = 1024;
  pd::SetProfile(square);
  vexal::EndDirect3D();
  ASSERT_EQ(vexal::InitDirect3D(), 0);
  vexal::GraphRecord* wide = NewGraph(456, 32);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(wide), 0);
  const std::vector<PieceWant> made = Pieces(wide);
  ASSERT_EQ(made.size(), 15u);
  EXPECT_EQ(made.back(), (PieceWant{448, 0, 32, 32, 8, 32}));
}

TEST_F(Direct3DTest, AGraphNeedingMoreThanSixtyFourPiecesIsRefused) {
  Start3D();
  vexal::GraphRecord* g = NewGraph(256 * 9, 256 * 8);  // 72 pieces
  const int before = vexal::TexDataTable.Count;
  EXPECT_EQ(vexal::D3DCreateGraphStorage(g), -1);
  EXPECT_EQ(g->PieceCount, 0);
  EXPECT_EQ(vexal::TexDataTable.Count, before);
}

TEST_F(Direct3DTest, SixteenCellsShareOneTextureAndTwelveDoNot) {
  Start3D();
  std::vector<vexal::GraphRecord*> cells;
  for (int i = 0; i < 16; ++i) cells.push_back(NewGraph(32, 32));
  const int surfaces = ps::LiveSurfaceCount();
  ASSERT_EQ(vexal::D3DCreateDivGraphStorage(cells.data(), 16, 4, 4, 32, 32), 0);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces + 1);
  const vexal::TextureRecord* five = vexal::GetTexData(static_cast<int>(cells[5]->Pieces[0]));
  EXPECT_EQ(five->texOffsetX, 32);
  EXPECT_EQ(five->texOffsetY, 32);
  EXPECT_EQ(five->texWidth, 128);
  EXPECT_FLOAT_EQ(five->vertices[0].x, 0.0f);
  EXPECT_FLOAT_EQ(five->vertices[3].u, 64.0f / 128.0f);
  const vexal::SurfaceManageRecord* share = vexal::GetSurfaceManage(five->shareIndex);
  ASSERT_NE(share, nullptr);
  EXPECT_EQ(share->Count, 16);
  EXPECT_EQ(share->Flag, 1);
  EXPECT_EQ(share->Surface, five->surface);
  for (vexal::GraphRecord* c : cells) {
    EXPECT_EQ(c->PieceCount, 1);
    EXPECT_EQ(vexal::GetTexData(static_cast<int>(c->Pieces[0]))->surface, share->Surface);
  }
  // The texture goes with the last cell.
  for (vexal::GraphRecord* c : cells) vexal::D3DDeleteGraphStorage(c);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces);

  std::vector<vexal::GraphRecord*> twelve;
  for (int i = 0; i < 12; ++i) twelve.push_back(NewGraph(32, 32));
  ASSERT_EQ(vexal::D3DCreateDivGraphStorage(twelve.data(), 12, 4, 3, 32, 32), 0);  // 96 high: [64, 32]
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces + 12);
}

TEST_F(Direct3DTest, ADerivedGraphTakesItsParentsPiecesAtTheirOffsets) {
  Start3D();
  vexal::GraphRecord* parent = NewGraph(320, 240);
  vexal::GraphRecord* derived = NewGraph(200, 50);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(parent), 0);
  ASSERT_EQ(vexal::D3DCreateDerivedGraphStorage(derived, 100, 10, 200, 50, parent), 0);
  ASSERT_EQ(derived->PieceCount, 2);
  const vexal::TextureRecord* a = vexal::GetTexData(static_cast<int>(derived->Pieces[0]));
  const vexal::TextureRecord* b = vexal::GetTexData(static_cast<int>(derived->Pieces[1]));
  EXPECT_EQ((std::vector<int>{a->posX, a->posY, a->usedWidth, a->usedHeight, a->texOffsetX, a->texOffsetY}),
            (std::vector<int>{0, 0, 156, 50, 100, 10}));
  EXPECT_EQ((std::vector<int>{b->posX, b->posY, b->usedWidth, b->usedHeight, b->texOffsetX, b->texOffsetY}),
            (std::vector<int>{156, 0, 44, 50, 0, 10}));
  EXPECT_EQ(vexal::GetSurfaceManage(a->shareIndex)->Count, 2);

  // A cell of a shared texture keeps its place inside it.
  std::vector<vexal::GraphRecord*> cells;
  for (int i = 0; i < 4; ++i) cells.push_back(NewGraph(32, 32));
  ASSERT_EQ(vexal::D3DCreateDivGraphStorage(cells.data(), 4, 2, 2, 32, 32), 0);
  vexal::GraphRecord* part = NewGraph(8, 8);
  ASSERT_EQ(vexal::D3DCreateDerivedGraphStorage(part, 4, 2, 8, 8, cells[3]), 0);
  const vexal::TextureRecord* p = vexal::GetTexData(static_cast<int>(part->Pieces[0]));
  EXPECT_EQ(p->texOffsetX, 32 + 4);
  EXPECT_EQ(p->texOffsetY, 32 + 2);
}

// A 24-bit picture whose pixel (x, y) is red x, green y, blue x + y (mod 256).
vexal::GraphImage Picture(int w, int h, std::vector<uint8_t>* bytes) {
  vexal::GraphImage img{};
  vexal::SetPixelFormat24(&img.ColorFormat);
  img.Width = w;
  img.Height = h;
  img.Pitch = w * 3;
  bytes->assign(static_cast<size_t>(w * h * 3), 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = bytes->data() + y * img.Pitch + x * 3;
      p[0] = static_cast<uint8_t>(x + y), p[1] = static_cast<uint8_t>(y), p[2] = static_cast<uint8_t>(x);
    }
  }
  img.Pixels = bytes->data();
  return img;
}

uint32_t TexturePixel(ps::Surface* s, int x, int y) {
  ps::LockedRect l;
  if (ps::Lock(s, nullptr, ps::kLockWait, &l) != ps::Result::kOk) return 0xDEADBEEF;
  uint32_t v = 0;
  const int bytes = l.format.bit_count / 8;
  std::memcpy(&v, l.bits + y * l.pitch + x * bytes, static_cast<size_t>(bytes));
  ps::Unlock(s);
  return v;
}

// The pixel of the picture in 5:6:5 or X8R8G8B8, worked out by hand from the rule: each
// channel's high bits.
uint32_t Expected(int x, int y, int bits) {
  const uint32_t r = static_cast<uint8_t>(x), g = static_cast<uint8_t>(y), b = static_cast<uint8_t>(x + y);
  if (bits == 16) return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
  return (r << 16) | (g << 8) | b;
}

TEST_F(Direct3DTest, ImagesReachEveryPieceTheDerivedOffsetAndEverySharedCell) {
  Start3D();
  const int bits = vexal::TextureBitDepth;
  std::vector<uint8_t> bytes;
  const vexal::GraphImage img = Picture(320, 240, &bytes);
  vexal::GraphRecord* g = NewGraph(320, 240);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(g), 0);
  ASSERT_EQ(vexal::D3DSetGraphImage(nullptr, nullptr, nullptr, 0, 0, g, 0, &img, nullptr), 0);
  ps::Surface* right = vexal::GetTexData(static_cast<int>(g->Pieces[1]))->surface;
  for (auto [x, y] : {std::pair{0, 0}, {63, 239}, {10, 100}}) {
    EXPECT_EQ(TexturePixel(right, x, y), Expected(256 + x, y, bits)) << x << "," << y;
  }
  EXPECT_EQ(TexturePixel(right, 0, 240), 0u);  // below the used height

  // A derived graph's piece is written at its offset in the parent's texture.
  vexal::GraphRecord* derived = NewGraph(16, 16);
  ASSERT_EQ(vexal::D3DCreateDerivedGraphStorage(derived, 20, 30, 16, 16, g), 0);
  std::vector<uint8_t> other;
  const vexal::GraphImage small = Picture(16, 16, &other);
  ASSERT_EQ(vexal::D3DSetGraphImage(nullptr, nullptr, nullptr, 0, 0, derived, 0, &small, nullptr), 0);
  ps::Surface* left = vexal::GetTexData(static_cast<int>(g->Pieces[0]))->surface;
  EXPECT_EQ(TexturePixel(left, 20, 30), Expected(0, 0, bits));
  EXPECT_EQ(TexturePixel(left, 35, 45), Expected(15, 15, bits));
  EXPECT_EQ(TexturePixel(left, 19, 30), Expected(19, 30, bits));  // the parent's own pixel beside it

  // One transfer fills a shared divided texture and spares its graphs their reload.
  std::vector<vexal::GraphRecord*> cells;
  for (int i = 0; i < 16; ++i) {
    cells.push_back(NewGraph(32, 32));
    cells.back()->NeedsRestore = 1;
  }
  ASSERT_EQ(vexal::D3DCreateDivGraphStorage(cells.data(), 16, 4, 4, 32, 32), 0);
  std::vector<uint8_t> sheet;
  const vexal::GraphImage sheet_img = Picture(128, 128, &sheet);
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::D3DBltBmpToDivGraph(nullptr, nullptr, nullptr, cells.data(), 16, 0, &sheet_img, nullptr), 0);
  int loads = 0;
  for (const pd::JournalEntry& e : pd::Journal()) loads += e.call == pd::Call::kLoad ? 1 : 0;
  EXPECT_EQ(loads, 1);
  for (vexal::GraphRecord* c : cells) EXPECT_EQ(c->NeedsRestore, 0);
  ps::Surface* shared = vexal::GetTexData(static_cast<int>(cells[5]->Pieces[0]))->surface;
  EXPECT_EQ(TexturePixel(shared, 127, 127), Expected(127, 127, bits));
}

TEST_F(Direct3DTest, ADerivedGraphOutsideItsParentIsRefusedAndNothingIsWrittenThroughIt) {
  Start3D();
  vexal::GraphRecord* parent = NewGraph(64, 64);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(parent), 0);
  vexal::GraphRecord* wide = NewGraph(320, 240);  // two pieces
  ASSERT_EQ(vexal::D3DCreateGraphStorage(wide), 0);
  struct Case {
    int x, y, w, h;
    vexal::GraphRecord* parent;
    int result;
  };
  const Case cases[] = {
      {0, 48, 32, 32, parent, -1},  // 16 rows below the parent
      {48, 0, 32, 32, parent, -1},  // 16 columns right of it
      {-1, 0, 8, 8, parent, -1},     {0, -1, 8, 8, parent, -1},   {0, 0, 0, 8, parent, -1},
      {0, 0, 8, 0, parent, -1},      {32, 32, 32, 32, parent, 0},  // exactly the bottom-right quarter
      {0, 0, 64, 64, parent, 0},                                   // the whole parent
      {200, 200, 121, 40, wide, -1},                               // beyond the right edge of a two-piece parent
      {200, 200, 120, 40, wide, 0},
  };
  std::vector<uint8_t> bytes;
  const vexal::GraphImage img = Picture(64, 64, &bytes);
  for (const Case& c : cases) {
    vexal::GraphRecord* g = NewGraph(std::max(c.w, 1), std::max(c.h, 1));
    const int count = vexal::TexDataTable.Count;
    EXPECT_EQ(vexal::D3DCreateDerivedGraphStorage(g, c.x, c.y, c.w, c.h, c.parent), c.result)
        << c.x << "," << c.y << " " << c.w << "x" << c.h;
    if (c.result == -1) {
      EXPECT_EQ(g->PieceCount, 0);
      EXPECT_EQ(vexal::TexDataTable.Count, count);
    }
    // Whatever was made takes a picture without writing beyond its texture (the
    // sanitizer watches the work texture).
    EXPECT_EQ(vexal::D3DSetGraphImage(nullptr, nullptr, nullptr, 0, 0, g, 0, &img, nullptr), 0);
  }
}

TEST_F(Direct3DTest, ATransferStopsAtTheTexturesEdgeWhateverOffsetThePieceHolds) {
  Start3D();
  const int bits = vexal::TextureBitDepth;
  vexal::GraphRecord* parent = NewGraph(64, 64);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(parent), 0);
  vexal::GraphRecord* g = NewGraph(32, 32);
  ASSERT_EQ(vexal::D3DCreateDerivedGraphStorage(g, 0, 32, 32, 32, parent), 0);
  // A record whose offset and size overrun the 64 x 64 texture by 16 rows.
  vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(g->Pieces[0]));
  t->texOffsetY = 48;
  std::vector<uint8_t> bytes;
  const vexal::GraphImage img = Picture(32, 32, &bytes);
  ASSERT_EQ(vexal::D3DSetGraphImage(nullptr, nullptr, nullptr, 0, 0, g, 0, &img, nullptr), 0);
  EXPECT_EQ(TexturePixel(t->surface, 0, 48), Expected(0, 0, bits));
  EXPECT_EQ(TexturePixel(t->surface, 31, 63), Expected(31, 15, bits));  // the last row that fits
}

TEST_F(Direct3DTest, TheCellsOfAMirroredPictureInOneTextureAreTheCellsRowZeroShows) {
  Start3D();
  const int bits = vexal::TextureBitDepth;
  // Two 32 x 32 cells of a 64 x 32 picture handed over already reversed, as a mirrored
  // load gives it: cell c shows the picture from 64 - (c + 1) x 32 on, as on row 0.
  std::vector<uint8_t> bytes;
  const vexal::GraphImage img = Picture(64, 32, &bytes);
  int handles[2] = {};
  ASSERT_EQ(vexal::CreateDXDivGraph(&img, nullptr, 2, 2, 1, 32, 32, handles, 1), 0);
  ASSERT_EQ(vexal::BltBmpToDivGraph(nullptr, nullptr, nullptr, "", 0, &img, nullptr, 2, 2, 1, 32, 32, handles, 1), 0);
  for (int c = 0; c < 2; ++c) {
    const vexal::GraphRecord* cell = vexal::GetGraphRecord(handles[c]);
    ASSERT_NE(cell, nullptr);
    ASSERT_EQ(cell->Row, 1);
    const vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(cell->Pieces[0]));
    const int from = 64 - (c + 1) * 32;
    EXPECT_EQ(cell->SourceX, from);
    EXPECT_EQ(t->texOffsetX, from) << "cell " << c;
    EXPECT_FLOAT_EQ(t->vertices[0].u, from / 64.0f);
    EXPECT_FLOAT_EQ(t->vertices[3].u, (from + 32) / 64.0f);
    EXPECT_EQ(TexturePixel(t->surface, t->texOffsetX, 0), Expected(from, 0, bits));
    EXPECT_EQ(TexturePixel(t->surface, t->texOffsetX + 31, 31), Expected(from + 31, 31, bits));
  }
  // Unmirrored, cell c is the picture from c x 32 on.
  int plain[2] = {};
  ASSERT_EQ(vexal::CreateDXDivGraph(&img, nullptr, 2, 2, 1, 32, 32, plain, 1), 0);
  ASSERT_EQ(vexal::BltBmpToDivGraph(nullptr, nullptr, nullptr, "", 0, &img, nullptr, 2, 2, 1, 32, 32, plain, 0), 0);
  for (int c = 0; c < 2; ++c) {
    const vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(vexal::GetGraphRecord(plain[c])->Pieces[0]));
    EXPECT_EQ(t->texOffsetX, c * 32);
    EXPECT_EQ(TexturePixel(t->surface, t->texOffsetX, 0), Expected(c * 32, 0, bits));
  }
}

// Cells placed for a mirrored load are placed again by the next load: loaded plain, cell c
// is the picture from c x 32 on, and takes its texture offset and u from there.
TEST_F(Direct3DTest, ADivisionLoadedMirroredAndThenPlainTakesBackThePlainPlaces) {
  Start3D();
  const int bits = vexal::TextureBitDepth;
  std::vector<uint8_t> bytes;
  const vexal::GraphImage img = Picture(64, 32, &bytes);
  int handles[2] = {};
  ASSERT_EQ(vexal::CreateDXDivGraph(&img, nullptr, 2, 2, 1, 32, 32, handles, 1), 0);
  ASSERT_EQ(vexal::BltBmpToDivGraph(nullptr, nullptr, nullptr, "", 0, &img, nullptr, 2, 2, 1, 32, 32, handles, 1), 0);
  ASSERT_EQ(vexal::BltBmpToDivGraph(nullptr, nullptr, nullptr, "", 0, &img, nullptr, 2, 2, 1, 32, 32, handles, 0), 0);
  for (int c = 0; c < 2; ++c) {
    const vexal::GraphRecord* cell = vexal::GetGraphRecord(handles[c]);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->SourceX, c * 32);
    const vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(cell->Pieces[0]));
    EXPECT_EQ(t->texOffsetX, c * 32) << "cell " << c;
    EXPECT_FLOAT_EQ(t->vertices[0].u, c * 32 / 64.0f) << "cell " << c;
    EXPECT_FLOAT_EQ(t->vertices[3].u, (c * 32 + 32) / 64.0f) << "cell " << c;
    EXPECT_EQ(TexturePixel(t->surface, t->texOffsetX, 0), Expected(c * 32, 0, bits)) << "cell " << c;
    EXPECT_EQ(TexturePixel(t->surface, t->texOffsetX + 31, 31), Expected(c * 32 + 31, 31, bits)) << "cell " << c;
  }
}

TEST_F(Direct3DTest, TheTableRefusesItsTwelveThousandAndFirstRecordAndItsEndFollowsTheLastRecord) {
  Start3D();
  vexal::GraphRecord* parent = NewGraph(32, 32);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(parent), 0);
  const vexal::TextureRecord* p = vexal::GetTexData(static_cast<int>(parent->Pieces[0]));
  // Records sharing the parent's texture cost no surface each.
  while (vexal::TexDataTable.Count < vexal::kTexDataMax) {
    ASSERT_NE(vexal::AddTexData(0, 0, 0, 0, 8, 8, 0, 0, 0, 1, p, 0, 0, 0), -1);
  }
  const int surfaces = ps::LiveSurfaceCount();
  EXPECT_EQ(vexal::TexDataTable.End, vexal::kTexDataMax);
  EXPECT_EQ(vexal::AddTexData(0, 0, 0, 0, 8, 8, 0, 0, 0, 1, p, 0, 0, 0), -1);
  EXPECT_EQ(vexal::AddTexData(32, 32, 0, 0, 8, 8, 0, 0, 0, 0, nullptr, 0, 0, 0), -1);
  EXPECT_EQ(LinesWith("３Ｄグラフィックの数が許容量を越えました。").size(), 2u);
  EXPECT_EQ(vexal::TexDataTable.Count, vexal::kTexDataMax);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces);

  // Deleting below the last record leaves the end; deleting the last lowers it past the
  // empty slots below.
  const int last = vexal::kTexDataMax - 1;
  for (int i : {last - 3, last - 2, last - 5}) ASSERT_EQ(vexal::DeleteTexData(i), 0);
  EXPECT_EQ(vexal::TexDataTable.End, vexal::kTexDataMax);
  ASSERT_EQ(vexal::DeleteTexData(last - 1), 0);
  EXPECT_EQ(vexal::TexDataTable.End, vexal::kTexDataMax);
  ASSERT_EQ(vexal::DeleteTexData(last), 0);
  EXPECT_EQ(vexal::TexDataTable.End, last - 3);  // slots last-3 .. last are all empty now
  EXPECT_EQ(vexal::TexDataTable.Count, vexal::kTexDataMax - 5);
  EXPECT_EQ(vexal::DeleteTexData(last), -1);
  // The freed slots are taken again from the lowest.
  EXPECT_EQ(vexal::AddTexData(0, 0, 0, 0, 8, 8, 0, 0, 0, 1, p, 0, 0, 0), last - 5);
  EXPECT_EQ(vexal::TexDataTable.End, last - 3);
}

TEST_F(Direct3DTest, WithoutADeviceTheStorageSlotsRefuse) {
  vexal::GraphRecord graph{};
  graph.Width = graph.Height = 8;
  EXPECT_EQ(vexal::D3DSetDrawStateBlock(nullptr), -1);
  EXPECT_EQ(vexal::D3DCreateGraphStorage(&graph), -1);
  EXPECT_EQ(vexal::D3DDeleteGraphStorage(&graph), -1);
  EXPECT_EQ(vexal::D3DRestoreAllLostGraphs(), -1);
  EXPECT_EQ(vexal::AddTexData(32, 32, 0, 0, 8, 8, 0, 0, 0, 0, nullptr, 0, 0, 0), -1);
  EXPECT_EQ(vexal::TransferImageToTexture(nullptr, nullptr, nullptr, 0, 0, 0, 0, nullptr, nullptr), -1);
}

}  // namespace
