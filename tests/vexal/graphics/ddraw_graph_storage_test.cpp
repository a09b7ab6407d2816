// Storage of DirectDraw-row graphs on a started 32-bit window: binding the draw state,
// making, sharing and filling pieces, and bringing lost surfaces back.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "platform/gdi/gdi_bitmap.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/pictures/dib_section.h"
#include "vexal/graphics/pictures/graph_image.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/palette.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

namespace pd = plat::display;
namespace ps = plat::surface;

class DDrawStorageTest : public screentest::ScreenTest {
 protected:
  // A graph of the DirectDraw row with its storage.
  static vexal::GraphRecord* Graph(int w, int h, uint8_t alpha = 0) {
    vexal::GraphRecord* g = nullptr;
    vexal::AddGraphHandle(static_cast<uint16_t>(w), static_cast<uint16_t>(h), 0, 0, &g, alpha);
    EXPECT_EQ(vexal::DDrawCreateGraphStorage(g), 0);
    return g;
  }
  static vexal::BmpDataRecord* Piece(const vexal::GraphRecord* g, int i = 0) {
    return vexal::GetBmpData(static_cast<int>(g->Pieces[i]));
  }
  static uint32_t Pixel(ps::Surface* s, int x, int y) {
    ps::LockedRect l;
    EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
    uint32_t v;
    std::memcpy(&v, l.bits + y * l.pitch + x * 4, 4);
    ps::Unlock(s);
    return v;
  }
};

TEST_F(DDrawStorageTest, WithoutTheDeviceEverySlotButTheDerivedOneFails) {
  vexal::GraphRecord g;
  EXPECT_EQ(vexal::DDrawSetDrawStateBlock(nullptr), -1);
  EXPECT_EQ(vexal::DDrawCreateGraphStorage(&g), -1);
  EXPECT_EQ(vexal::DDrawCreateDivGraphStorage(nullptr, 0), -1);
  EXPECT_EQ(vexal::DDrawSetGraphImage(nullptr, nullptr, nullptr, 0, 0, &g, 0, nullptr, nullptr), -1);
  EXPECT_EQ(vexal::DDrawBltBmpToDivGraph(nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr), -1);
  EXPECT_EQ(vexal::DDrawRestoreLostSurfaces(&g), -1);
  EXPECT_EQ(vexal::DDrawRestoreAllLostGraphs(), -1);
  EXPECT_EQ(g.PieceCount, 0);
}

TEST_F(DDrawStorageTest, BindingTheDrawStateThrowsAwayEveryRecordUnlessTheBlockIsNull) {
  Start(1);
  Graph(4, 4);
  Graph(4, 4);
  ASSERT_EQ(vexal::BmpDataTable.Count, 2);
  EXPECT_EQ(vexal::DDrawSetDrawStateBlock(nullptr), 0);
  EXPECT_EQ(vexal::BmpDataTable.Count, 2);
  EXPECT_EQ(vexal::DDrawSetDrawStateBlock(vexal::GraphDrawStateBlock()), 0);
  EXPECT_EQ(vexal::BmpDataTable.Count, 0);
  EXPECT_EQ(vexal::BmpDataTable.EndIndex, 0);
}

TEST_F(DDrawStorageTest, PiecesAreMadeOwnedSharedAndRefusedWhenTheTableIsFull) {
  Start(1);
  vexal::GraphRecord* g = Graph(8, 6, 1);
  ASSERT_EQ(g->PieceCount, 1);
  const vexal::BmpDataRecord* p = Piece(g);
  EXPECT_EQ(std::tuple(p->Width, p->Height, p->OwnerGraph, p->MaskFlag),
            std::tuple(8, 6, vexal::GetGraphHandleFromRecord(g), 1));

  // A derived graph is a view of its parent's first piece.
  vexal::GraphRecord* d = nullptr;
  vexal::AddGraphHandle(2, 3, 0, 0, &d, 0);
  EXPECT_EQ(vexal::DDrawCreateDerivedGraphStorage(d, 4, 1, 2, 3, g), 0);
  const vexal::BmpDataRecord* dp = Piece(d);
  EXPECT_EQ(dp->Surface, p->Surface);
  EXPECT_EQ(std::tuple(dp->X, dp->Y, dp->Width, dp->Height), std::tuple(4, 1, 2, 3));
  vexal::GraphRecord empty;
  EXPECT_EQ(vexal::DDrawCreateDerivedGraphStorage(d, 0, 0, 1, 1, &empty), -1);  // a parent with no piece
  // A view reaching past the parent's 8 x 6 piece is refused and makes no record.
  const int records = vexal::BmpDataTable.Count;
  const std::array<std::array<int, 4>, 6> outside = {
      {{7, 0, 2, 1}, {0, 5, 1, 2}, {-1, 0, 1, 1}, {0, -1, 1, 1}, {0, 0, 9, 6}, {0, 0, 0, 1}}};
  for (const auto& [x, y, w, h] : outside) {
    vexal::GraphRecord* o = nullptr;
    vexal::AddGraphHandle(1, 1, 0, 0, &o, 0);
    EXPECT_EQ(vexal::DDrawCreateDerivedGraphStorage(o, x, y, w, h, g), -1) << x << "," << y << " " << w << "x" << h;
    EXPECT_EQ(o->PieceCount, 0);
  }
  EXPECT_EQ(vexal::BmpDataTable.Count, records);
  vexal::GraphRecord* corner = nullptr;
  vexal::AddGraphHandle(2, 3, 0, 0, &corner, 0);
  EXPECT_EQ(vexal::DDrawCreateDerivedGraphStorage(corner, 6, 3, 2, 3, g), 0);  // up to the far corner

  // Room for two more records: the third graph of a divided set fails, the first two keep theirs.
  while (vexal::BmpDataTable.Count < vexal::kBmpDataMax - 2) vexal::AddBmpData(1, 1, 0, 0, 0, 0, nullptr, 0, 0, 0);
  vexal::GraphRecord* set[3];
  for (auto*& r : set) vexal::AddGraphHandle(1, 1, 0, 1, &r, 0);
  EXPECT_EQ(vexal::DDrawCreateDivGraphStorage(set, 0), 0);
  EXPECT_EQ(vexal::DDrawCreateDivGraphStorage(set, 3), -1);
  EXPECT_EQ(std::tuple(set[0]->PieceCount, set[1]->PieceCount, set[2]->PieceCount), std::tuple(1, 1, 0));
  EXPECT_NE(Piece(set[1]), nullptr);
}

TEST_F(DDrawStorageTest, AnImageGoesIntoThePiecesInTheScreensFormat) {
  Start(1);  // 32-bit XRGB
  // A 4 x 2 picture of 24-bit pixels (blue, green, red bytes) and an alpha picture whose
  // red bytes are 0x10 * (index + 1).
  std::vector<uint8_t> rgb(4 * 2 * 3), mask(4 * 2 * 3, 0);
  for (int i = 0; i < 8; ++i) {
    rgb[i * 3 + 0] = static_cast<uint8_t>(i);         // blue
    rgb[i * 3 + 1] = static_cast<uint8_t>(0x40 + i);  // green
    rgb[i * 3 + 2] = static_cast<uint8_t>(0x80 + i);  // red
    mask[i * 3 + 2] = static_cast<uint8_t>(0x10 * (i + 1));
  }
  vexal::GraphImage picture{}, alpha{};
  vexal::SetPixelFormat24(&picture.ColorFormat);
  vexal::SetPixelFormat24(&alpha.ColorFormat);
  picture.Width = alpha.Width = 4;
  picture.Height = alpha.Height = 2;
  picture.Pitch = alpha.Pitch = 12;
  picture.Pixels = rgb.data();
  alpha.Pixels = mask.data();

  struct Case {
    const char* name;
    uint8_t alpha_flag;
    const vexal::GraphImage* alpha;
    std::vector<uint8_t> plane;  // the graph's 2 x 2 alpha bytes; empty: none
  };
  const Case cases[] = {
      {"no alpha plane", 0, nullptr, {}},
      {"opaque without an alpha picture", 1, nullptr, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"red channel of the alpha picture", 1, &alpha, {0x20, 0x30, 0x60, 0x70}},
  };
  for (const Case& c : cases) {
    vexal::GraphRecord* g = Graph(2, 2, c.alpha_flag);
    ASSERT_EQ(vexal::DDrawSetGraphImage(nullptr, nullptr, nullptr, 1, 0, g, 0, &picture, c.alpha), 0) << c.name;
    const vexal::BmpDataRecord* p = Piece(g);
    // Picture pixel i = y * 4 + x + 1 lands at (x, y).
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 2; ++x) {
        const uint32_t i = static_cast<uint32_t>(y * 4 + x + 1);
        EXPECT_EQ(Pixel(p->Surface, x, y), ((0x80 + i) << 16) | ((0x40 + i) << 8) | i) << c.name << x << y;
      }
    }
    if (c.plane.empty()) {
      EXPECT_EQ(p->AlphaPlane, nullptr) << c.name;
    } else {
      EXPECT_EQ(std::vector<uint8_t>(p->AlphaPlane.get(), p->AlphaPlane.get() + 4), c.plane) << c.name;
    }
  }
  // A graph that reaches past the picture gets only the part the picture covers; the
  // rest stays as it was, with an opaque alpha plane.
  vexal::GraphRecord* wide = Graph(3, 3, 1);
  ASSERT_EQ(vexal::DDrawSetGraphImage(nullptr, nullptr, nullptr, 2, 0, wide, 0, &picture, nullptr), 0);
  const vexal::BmpDataRecord* wp = Piece(wide);
  EXPECT_EQ(Pixel(wp->Surface, 1, 1), (0x87u << 16) | (0x47u << 8) | 7u);  // picture pixel 7
  EXPECT_EQ(Pixel(wp->Surface, 2, 0), 0u);
  EXPECT_EQ(Pixel(wp->Surface, 0, 2), 0u);
  EXPECT_EQ(std::vector<uint8_t>(wp->AlphaPlane.get(), wp->AlphaPlane.get() + 9), std::vector<uint8_t>(9, 0xFF));
}

TEST_F(DDrawStorageTest, OnAnEightBitScreenEachPixelTakesItsPaletteEntry) {
  pd::SetDesktop(1024, 768, 8);
  Start(1);
  ASSERT_EQ(vexal::GetScreenColorBits(), 8);
  // Dark blue is entry 16 of the built-in palette; entry 200's own colour finds the first
  // entry of that colour; the third pixel lies outside the picture and stays 0.
  const plat::PaletteEntry e = vexal::kBuiltInPalette[200];
  int first = 0;
  while (!(vexal::kBuiltInPalette[first].red == e.red && vexal::kBuiltInPalette[first].green == e.green &&
           vexal::kBuiltInPalette[first].blue == e.blue)) {
    ++first;
  }
  std::vector<uint8_t> rgb = {139, 0, 0, e.blue, e.green, e.red};
  vexal::GraphImage picture{};
  vexal::SetPixelFormat24(&picture.ColorFormat);
  picture.Width = 2;
  picture.Height = 1;
  picture.Pitch = 6;
  picture.Pixels = rgb.data();
  vexal::GraphRecord* g = Graph(3, 1);
  auto indices = [&] {
    ps::LockedRect l;
    EXPECT_EQ(ps::Lock(Piece(g)->Surface, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
    std::vector<int> out(l.bits, l.bits + 3);
    ps::Unlock(Piece(g)->Surface);
    return out;
  };
  ASSERT_EQ(vexal::DDrawSetGraphImage(nullptr, nullptr, nullptr, 0, 0, g, 0, &picture, nullptr), 0);
  EXPECT_EQ(indices(), (std::vector<int>{16, first, 0}));

  // A bitmap (bottom row first) takes the same way: black, dark blue, entry 200's colour.
  std::vector<uint8_t> bits = {0, 0, 0, 139, 0, 0, e.blue, e.green, e.red, 0, 0, 0};
  const vexal::DibSection bitmap{3, 1, 24, bits.data()};
  vexal::ColorFormatRecord format;
  vexal::SetPixelFormat24(&format);
  ASSERT_EQ(vexal::DDrawSetGraphImage(&format, &bitmap, nullptr, 0, 0, g, 1, nullptr, nullptr), 0);
  EXPECT_EQ(indices(), (std::vector<int>{0, 16, first}));

  // The picture goes through a bitmap: one that cannot be made ends the program.
  EXPECT_EXIT(
      {
        plat::gdi::test::InjectBitmapFailure(plat::gdi::test::BitmapFailure::kRefuse);
        vexal::DDrawSetGraphImage(nullptr, nullptr, nullptr, 0, 0, g, 0, &picture, nullptr);
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_EQ(LinesWith("ＢＭＰデータからＢＭＰハンドルを作成する処理が失敗しました").size(), 1u);
}

TEST_F(DDrawStorageTest, ABitmapGoesInRowByRowWithAlphaFromItsBlueBytes) {
  Start(1);
  // 2 x 2 bitmaps stored bottom-up, rows of 6 bytes padded to 8: the top row is last.
  std::vector<uint8_t> rgb = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0,   // bottom row
                              0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0, 0};  // top row
  std::vector<uint8_t> mask = {0xA0, 0, 0, 0xA1, 0, 0, 0, 0, 0xB0, 0, 0, 0xB1, 0, 0, 0, 0};
  const vexal::DibSection bitmap{2, 2, 24, rgb.data()}, alpha{2, 2, 24, mask.data()};
  vexal::ColorFormatRecord format;
  vexal::SetPixelFormat24(&format);
  vexal::GraphRecord* g = Graph(2, 2, 1);
  ASSERT_EQ(vexal::DDrawSetGraphImage(&format, &bitmap, &alpha, 0, 0, g, 1, nullptr, nullptr), 0);
  const vexal::BmpDataRecord* p = Piece(g);
  EXPECT_EQ(Pixel(p->Surface, 0, 0), 0x131211u);
  EXPECT_EQ(Pixel(p->Surface, 1, 0), 0x161514u);
  EXPECT_EQ(Pixel(p->Surface, 0, 1), 0x030201u);
  EXPECT_EQ(Pixel(p->Surface, 1, 1), 0x060504u);
  EXPECT_EQ(std::vector<uint8_t>(p->AlphaPlane.get(), p->AlphaPlane.get() + 4),
            (std::vector<uint8_t>{0xB0, 0xB1, 0xA0, 0xA1}));
  // No bitmap: nothing to put in.
  EXPECT_EQ(vexal::DDrawSetGraphImage(&format, nullptr, nullptr, 0, 0, g, 1, nullptr, nullptr), -1);
}

TEST_F(DDrawStorageTest, LostSurfacesAreRestoredPerGraph) {
  Start(1);
  vexal::GraphRecord* g = Graph(4, 4);
  EXPECT_EQ(vexal::DDrawRestoreLostSurfaces(g), 0);  // all present: nothing restored
  EXPECT_EQ(vexal::DDrawRestoreAllLostGraphs(), 0);
  ps::MarkSurfaceLost(Piece(g)->Surface);
  EXPECT_EQ(vexal::DDrawRestoreLostSurfaces(g), -1);
  EXPECT_EQ(ps::IsLost(Piece(g)->Surface), ps::Result::kOk);
  EXPECT_EQ(vexal::DDrawRestoreLostSurfaces(g), 0);
}

TEST_F(DDrawStorageTest, RestoringAllBringsBackEveryOwnerOfALostPiece) {
  Start(1);
  vexal::GraphRecord* a = Graph(4, 4);
  vexal::GraphRecord* b = Graph(4, 4);
  // A second piece of a, and a record that belongs to no graph.
  const int extra =
      vexal::AddBmpData(2, 2, 0, 0, static_cast<uint32_t>(vexal::GetGraphHandleFromRecord(a)), 0, nullptr, 0, 0, 0);
  a->Pieces[1] = static_cast<uint32_t>(extra);
  a->PieceCount = 2;
  const int loose = vexal::AddBmpData(2, 2, 0, 0, static_cast<uint32_t>(-1), 0, nullptr, 0, 0, 0);
  for (int index : {static_cast<int>(a->Pieces[0]), extra, loose}) {
    ps::MarkSurfaceLost(vexal::GetBmpData(index)->Surface);
  }

  EXPECT_EQ(vexal::DDrawRestoreAllLostGraphs(), 0);
  EXPECT_EQ(ps::IsLost(Piece(a, 0)->Surface), ps::Result::kOk);
  EXPECT_EQ(ps::IsLost(Piece(a, 1)->Surface), ps::Result::kOk);
  EXPECT_EQ(ps::IsLost(Piece(b)->Surface), ps::Result::kOk);
  EXPECT_EQ(ps::IsLost(vexal::GetBmpData(loose)->Surface), ps::Result::kSurfaceLost);  // no owner to restore
}

}  // namespace
