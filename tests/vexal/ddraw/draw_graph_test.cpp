// The graph blitter's call on a started library: clipping against the draw area with the
// target origin, the plain and the software paths against the slow reference, the work
// surfaces, the keyed GDI detour, a graph target larger than the screen and the fatal
// lock failures.
#include "vexal/ddraw/draw_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "blit_reference.h"
#include "platform/surface/display.h"
#include "platform/surface/surface.h"
#include "tests/support/surface_picture.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace {

namespace pd = plat::display;
namespace ps = plat::surface;

using vexal::DDrawState;
using vexal::DrawState;

constexpr uint32_t kFull = vexal::kFullBrightness;

// A screen format as the tests know it, written out by hand.
struct Screen {
  const char* name;
  int bits;
  pd::Layout16 layout;
  uint32_t red, green, blue;
  uint32_t magenta;  // MakeColorValue(255, 0, 255)
  uint32_t white;    // MakeColorValue(255, 255, 255)
};

const Screen kXrgb32{"32", 32, pd::Layout16::k565, 0xFF0000, 0xFF00, 0xFF, 0xFF00FF, 0xFFFFFF};
const Screen k565{"565", 16, pd::Layout16::k565, 0xF800, 0x07E0, 0x001F, 0xF81F, 0xFFFF};
const Screen k555{"555", 16, pd::Layout16::k555, 0x7C00, 0x03E0, 0x001F, 0x7C1F, 0x7FFF};

using nltest::Picture;
using nltest::Read;
using nltest::Write;

// Random pixels of the format, a fifth of them white or magenta, some with a top byte set.
void Scramble(Picture* p, const Screen& f, std::mt19937* rng) {
  const uint32_t field = f.bits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
  for (uint32_t& v : p->px) {
    const uint32_t pick = (*rng)() % 10;
    v = (*rng)() & field;
    if (pick == 0) v = f.magenta;
    if (pick == 1) v = f.white;
    if (f.bits == 32 && pick < 2 && (*rng)() % 2 == 0) v |= 0x5A000000;
  }
}

// What one draw asks for, beyond the piece and the position.
struct Look {
  int mode = 0;
  int param = 255;
  uint32_t bright = vexal::kBrightNone;  // as the draw state keeps it
  bool coarse = false;
  bool trans = false;
};

class DrawGraphTest : public apptest::LibraryTest {
 protected:
  void Start(const Screen& f) {
    screen_ = &f;
    pd::SetDesktop(1024, 768, f.bits);
    plat::window::OverrideDesktopMode(plat::window::DesktopMode{1024, 768, f.bits});
    pd::SetLayout16(f.layout);
    vexal::RequestScreenMode(320, 240, f.bits, -1);
    vexal::ChangeWindowMode(1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
    ASSERT_EQ(vexal::GetPixelFormatPtr()->ColorBits, f.bits);
    ASSERT_EQ(vexal::GetPixelFormatPtr()->RedMask, f.red);
    DDrawState.DrawSurface = DDrawState.Back;
    DrawState.TargetRect = {0, 0, 0, 0};
    DrawState.DrawArea = {0, 0, 320, 240};
    DrawState.TargetInVideoMemory = 0;
  }

  // A piece of w x h random pixels (with an alpha plane of the values given, when any).
  int Piece(int w, int h, int32_t key, const std::vector<uint8_t>& alpha_values = {}) {
    // New pieces take the draw state's transparent colour, on the record and its surface.
    vexal::SetTransColorValue(static_cast<uint32_t>(key));
    const int index = vexal::AddBmpData(w, h, 0, 0, 0, 0, nullptr, 0, 0, alpha_values.empty() ? 0 : 1);
    EXPECT_GE(index, 0);
    vexal::BmpDataRecord* r = vexal::GetBmpData(index);
    EXPECT_EQ(r->ColorKey, key);
    Picture p = Read(r->Surface);
    Scramble(&p, *screen_, &rng_);
    Write(r->Surface, p);
    for (int y = 0; y < h && !alpha_values.empty(); ++y)
      for (int x = 0; x < w; ++x)
        r->AlphaPlane[static_cast<size_t>(r->Y + y) * r->AlphaPitch + r->X + x] =
            alpha_values[rng_() % alpha_values.size()];
    return index;
  }

  void FillDestination(ps::Surface* s) {
    Picture p = Read(s);
    Scramble(&p, *screen_, &rng_);
    Write(s, p);
  }

  static void Apply(const Look& look) {
    DrawState.BlendMode = look.mode;
    DrawState.BlendParam = look.param;
    DrawState.Bright = look.bright;
    DDrawState.CoarseBlendFlag = look.coarse ? 1 : 0;
  }

  // Where on the destination drawing `index` at (x, y) may change pixels: the piece's
  // place cut to the draw area, moved by the target origin.
  static nltest::Area DrawnArea(int index, int x, int y) {
    const vexal::BmpDataRecord* r = vexal::GetBmpData(index);
    const vexal::Rect area = DrawState.DrawArea;
    const int ox = DrawState.TargetRect.left, oy = DrawState.TargetRect.top;
    return {ox + std::max(x, area.left), oy + std::max(y, area.top), ox + std::min(x + r->Width, area.right),
            oy + std::min(y + r->Height, area.bottom)};
  }

  // What the destination's drawn area (`before`, read there) should hold after drawing
  // `index` at (x, y): worked out pixel by pixel, each with a one-pixel call of the slow
  // reference, from what it held before.
  Picture Expected(const Picture& before, int index, int x, int y, const Look& look, uint32_t key_value) const {
    const vexal::BmpDataRecord* r = vexal::GetBmpData(index);
    const Picture src = Read(r->Surface, {r->X, r->Y, r->X + r->Width, r->Y + r->Height});
    const bool alpha = r->MaskFlag != 0;
    const bool plain = (look.mode == 0 && look.bright == vexal::kBrightNone && !alpha);
    vexal::BlitSettings st;
    st.Format = vexal::GetPixelFormatPtr();
    st.BlendMode = look.mode;
    st.BlendParam = look.param;
    // red, green, blue from the low end after 0xFF -> from the top down
    const uint32_t b = look.bright;
    st.Brightness = ((b >> 8) & 0xFF) << 24 | ((b >> 16) & 0xFF) << 16 | (b >> 24) << 8 | 0xFF;
    st.Coarse = look.coarse;
    st.Keyed = look.trans;
    st.KeyValue = key_value;
    Picture out = before;
    const int ox = DrawState.TargetRect.left, oy = DrawState.TargetRect.top;
    const nltest::Area drawn = DrawnArea(index, x, y);
    for (int ty = drawn.y0 - oy; ty < drawn.y1 - oy; ++ty)
      for (int tx = drawn.x0 - ox; tx < drawn.x1 - ox; ++tx) {
        const int px = tx - x, py = ty - y;
        if (px < 0 || py < 0 || px >= r->Width || py >= r->Height) continue;
        uint32_t s = src.at(r->X + px, r->Y + py);
        uint32_t& d = out.at(ox + tx, oy + ty);
        if (plain) {
          if (!look.trans || s != key_value) d = s;
          continue;
        }
        const uint8_t a = alpha ? r->AlphaPlane[static_cast<size_t>(r->Y + py) * r->AlphaPitch + r->X + px] : 0;
        vexal::BlitPixels one;
        one.Source = reinterpret_cast<const uint8_t*>(&s);
        one.Alpha = alpha ? &a : nullptr;
        one.DestRead = one.Dest = reinterpret_cast<uint8_t*>(&d);
        one.Width = one.Height = 1;
        nltest::ReferenceBlit(st, one);
      }
    return out;
  }

  // Draws and compares the drawn area with the worked-out picture, and the rest of the
  // destination surface with what it held.
  void DrawAndCheck(ps::Surface* dest, int index, int x, int y, const Look& look, uint32_t key_value,
                    const std::string& where) {
    Apply(look);
    const nltest::Area drawn = DrawnArea(index, x, y);
    const std::vector<uint8_t> bytes = nltest::Bytes(dest);
    const Picture expected = Expected(Read(dest, drawn), index, x, y, look, key_value);
    EXPECT_EQ(vexal::G_DDraw_DrawGraph(x, y, index, look.trans ? 1 : 0), 0) << where;
    EXPECT_TRUE(Read(dest, drawn) == expected) << where;
    EXPECT_TRUE(nltest::UnchangedOutside(dest, bytes, drawn)) << where;
  }

  const Screen* screen_ = nullptr;
  std::mt19937 rng_{0xB17};
};

class DrawGraphFormats : public DrawGraphTest, public ::testing::WithParamInterface<const Screen*> {};

// Every position round a draw area that is moved by a target origin: inside, across each
// edge and corner, wholly outside each side. The rest of the surface is held to what it
// held, so the band outside the area is the canary.
TEST_P(DrawGraphFormats, ClipsToTheDrawAreaMovedByTheTargetOrigin) {
  const Screen& f = *GetParam();
  Start(f);
  const int piece = Piece(12, 10, 0xFF00FF, {0, 1, 128, 255});
  const int opaque = Piece(12, 10, 0xFF00FF);
  DrawState.DrawArea = {30, 20, 70, 50};
  DrawState.TargetRect = {7, 5, 7 + 100, 5 + 80};
  FillDestination(DDrawState.Back);
  const int positions[][2] = {{40, 30}, {25, 30}, {65, 30}, {40, 15}, {40, 45},     {22, 14}, {66, 46},
                              {18, 30}, {70, 30}, {40, 10}, {40, 50}, {-500, -500}, {30, 20}, {58, 40}};
  const Look looks[] = {{0, 255, vexal::kBrightNone, false, true},
                        {1, 128, vexal::kBrightNone, false, true},
                        {1, 100, vexal::MakeBrightValue(254, 128, 0), true, false}};
  for (const auto& pos : positions)
    for (const Look& look : looks)
      for (int index : {opaque, piece}) {
        DrawAndCheck(DDrawState.Back, index, pos[0], pos[1], look, f.magenta,
                     std::string(f.name) + " at " + std::to_string(pos[0]) + "," + std::to_string(pos[1]) + " mode " +
                         std::to_string(look.mode) + " piece " + std::to_string(index));
      }
}

// The blend modes and parameters that matter on each path, with and without the key, an
// alpha plane and brightness.
TEST_P(DrawGraphFormats, EveryPathMatchesTheReference) {
  const Screen& f = *GetParam();
  Start(f);
  const int plain = Piece(16, 16, 0xFF00FF);
  const int alpha = Piece(16, 16, 0xFF00FF, {0, 1, 127, 128, 254, 255});
  const int unkeyed = Piece(16, 16, -1);
  FillDestination(DDrawState.Back);
  const uint32_t brights[] = {vexal::kBrightNone, vexal::MakeBrightValue(254, 128, 0),
                              vexal::MakeBrightValue(0, 255, 255)};
  int n = 0;
  for (int mode : {0, 1, 2, 3, 4, 7})
    for (int param : {0, 14, 128, 255})
      for (uint32_t bright : brights)
        for (bool coarse : {false, true})
          for (bool trans : {false, true}) {
            const Look look{mode, param, bright, coarse, trans};
            // The unkeyed piece's key of -1 still keys out white, the key's low three bytes.
            for (int index : {plain, alpha, unkeyed}) {
              ++n;
              DrawAndCheck(DDrawState.Back, index, (n * 7) % 300, (n * 5) % 220, look,
                           index == unkeyed ? f.white : f.magenta,
                           std::string(f.name) + " mode " + std::to_string(mode) + " p " + std::to_string(param) +
                               " bright " + std::to_string(bright) + " coarse " + std::to_string(coarse) + " trans " +
                               std::to_string(trans) + " piece " + std::to_string(index));
            }
          }
}

// The plain path is what mode 1 at p = 255 draws on the software path, top bytes included.
TEST_P(DrawGraphFormats, PlainPathEqualsModeOneAtFullParameter) {
  const Screen& f = *GetParam();
  Start(f);
  const int piece = Piece(20, 9, 0xFF00FF);
  for (bool trans : {false, true}) {
    FillDestination(DDrawState.Back);
    const Picture before = Read(DDrawState.Back);
    Apply({0, 255});
    ASSERT_EQ(vexal::G_DDraw_DrawGraph(3, 4, piece, trans), 0);
    const Picture plain = Read(DDrawState.Back);
    Write(DDrawState.Back, before);
    Apply({1, 255});
    ASSERT_EQ(vexal::G_DDraw_DrawGraph(3, 4, piece, trans), 0);
    EXPECT_TRUE(Read(DDrawState.Back) == plain) << f.name << " trans " << trans;
    EXPECT_FALSE(plain == before);
  }
}

TEST_P(DrawGraphFormats, WhiteOverWhiteAtHalfGivesOneStepBelowWhite) {
  const Screen& f = *GetParam();
  Start(f);
  const int piece = vexal::AddBmpData(2, 1, 0, 0, 0, 0, nullptr, 0, 0, 0);
  ps::Blt(vexal::GetBmpData(piece)->Surface, nullptr, nullptr, nullptr, ps::kBltColorFill, 0xFFFFFFFF);
  ps::Blt(DDrawState.Back, nullptr, nullptr, nullptr, ps::kBltColorFill, f.white);
  Apply({1, 128});
  ASSERT_EQ(vexal::G_DDraw_DrawGraph(5, 6, piece, 0), 0);
  const Picture after = Read(DDrawState.Back);
  const uint32_t expected = f.bits == 32 ? 0x00FEFEFE : f.layout == pd::Layout16::k565 ? 0xF7DE : 0x7BDE;
  EXPECT_EQ(after.at(5, 6), expected);
  EXPECT_EQ(after.at(7, 6), f.white);
}

INSTANTIATE_TEST_SUITE_P(Screens, DrawGraphFormats, ::testing::Values(&kXrgb32, &k565, &k555),
                         [](const auto& info) { return std::string("Rgb") + info.param->name; });

TEST_F(DrawGraphTest, NothingToDrawLocksAndBlitsNothing) {
  Start(k565);
  const int piece = Piece(8, 8, 0xFF00FF, {255});
  DrawState.DrawArea = {10, 10, 50, 50};
  FillDestination(DDrawState.Back);
  const Picture before = Read(DDrawState.Back);
  const ps::Counters start = ps::GetCounters();
  struct Case {
    int x, y, mode, param;
  };
  const Case cases[] = {{2, 20, 1, 128}, {50, 20, 1, 128}, {20, 2, 0, 0}, {20, 50, 0, 0}};
  for (const Case& c : cases) {
    Apply({c.mode, c.param});
    EXPECT_EQ(vexal::G_DDraw_DrawGraph(c.x, c.y, piece, 1), 0) << c.x << "," << c.y;
  }
  const ps::Counters end = ps::GetCounters();
  EXPECT_EQ(end.locks, start.locks);
  EXPECT_EQ(end.fast_blits, start.fast_blits);
  EXPECT_EQ(end.dc_copies, start.dc_copies);
  EXPECT_TRUE(Read(DDrawState.Back) == before);
  // No piece in the slot, or no device: -1.
  EXPECT_EQ(vexal::G_DDraw_DrawGraph(0, 0, vexal::kBmpDataMax, 0), -1);
  EXPECT_EQ(vexal::G_DDraw_DrawGraph(0, 0, 2999, 0), -1);
  vexal::LibraryEnd();
  EXPECT_EQ(vexal::G_DDraw_DrawGraph(20, 20, piece, 0), -1);
}

// With a graph target larger than the screen the work surfaces are too small: the
// rectangle is read in place and drawn whole, with the same pixels.
TEST_F(DrawGraphTest, AGraphTargetLargerThanTheScreenIsDrawnWhole) {
  Start(kXrgb32);
  const int target = vexal::AddBmpData(400, 300, 0, 0, 0, 0, nullptr, 0, 0, 0);
  ps::Surface* dest = vexal::GetBmpData(target)->Surface;
  DDrawState.DrawSurface = dest;
  DrawState.DrawArea = {0, 0, 400, 300};
  FillDestination(dest);
  const int alpha = Piece(400, 300, 0xFF00FF, {0, 128, 255});
  DrawAndCheck(dest, alpha, 0, 0, {0, 255, vexal::kBrightNone, false, true}, kXrgb32.magenta, "alpha plane");
  const int in_video = Piece(400, 300, 0xFF00FF);
  vexal::GetBmpData(in_video)->InVideoMemory = 1;  // would go through work surface 2
  DrawAndCheck(dest, in_video, 0, 0, {1, 100, vexal::kBrightNone, false, true}, kXrgb32.magenta, "video memory");
  DDrawState.UseGdiScreenCopy = 1;  // the keyed detour through work surface 1
  DrawAndCheck(dest, in_video, 0, 0, {0, 255, vexal::kBrightNone, false, true}, kXrgb32.magenta, "keyed detour");
}

// Through device contexts a keyed screen-sized piece goes by work surface 1, which must key
// with the piece's colour, not its own key 0.
TEST_F(DrawGraphTest, TheKeyedDetourKeysWithThePiecesKey) {
  Start(k565);
  DDrawState.UseGdiScreenCopy = 1;
  const int piece = Piece(320, 240, 0xFF00FF);
  vexal::BmpDataRecord* r = vexal::GetBmpData(piece);
  r->InVideoMemory = 1;
  Picture p = Read(r->Surface);
  p.at(0, 0) = 0;  // black is drawn
  p.at(1, 0) = k565.magenta;
  Write(r->Surface, p);
  FillDestination(DDrawState.Back);
  const ps::Counters start = ps::GetCounters();
  DrawAndCheck(DDrawState.Back, piece, 0, 0, {0, 255, vexal::kBrightNone, false, true}, k565.magenta, "keyed");
  EXPECT_GT(ps::GetCounters().dc_copies, start.dc_copies);
  ps::ColorKey key;
  ASSERT_EQ(ps::GetColorKey(DDrawState.Work1, &key), ps::Result::kOk);
  EXPECT_EQ(key.low, 0u);  // given back
  // Unkeyed, the copy goes straight through device contexts.
  DrawAndCheck(DDrawState.Back, piece, 0, 0, {0, 255}, k565.magenta, "unkeyed");
}

// Masked drawing goes to the mask surface while it exists; a Direct3D target draws nothing.
TEST_F(DrawGraphTest, DrawsOnTheMaskSurfaceWhileMaskingAndNothingOnAnUnusableTarget) {
  Start(k565);
  const int piece = Piece(6, 5, 0xFF00FF);
  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  ps::Surface* mask = vexal::GetMaskSurface();
  ASSERT_NE(mask, nullptr);
  DrawState.MaskedDrawing = 1;
  DrawState.TargetRect = {0, 0, 0, 0};
  FillDestination(DDrawState.Back);
  FillDestination(mask);
  const Picture back = Read(DDrawState.Back);
  DrawAndCheck(mask, piece, 9, 4, {0, 255, vexal::kBrightNone, false, true}, k565.magenta, "masked, plain");
  DrawAndCheck(mask, piece, 9, 4, {1, 77}, k565.magenta, "masked, blended");
  EXPECT_TRUE(Read(DDrawState.Back) == back);

  DrawState.MaskedDrawing = 0;
  const Picture masked = Read(mask);
  vexal::DDrawTargetUnusable = 1;
  EXPECT_EQ(vexal::G_DDraw_DrawGraph(9, 4, piece, 0), -1);
  vexal::DDrawTargetUnusable = 0;
  EXPECT_TRUE(Read(DDrawState.Back) == back);
  EXPECT_TRUE(Read(mask) == masked);
  DrawAndCheck(DDrawState.Back, piece, 9, 4, {0, 255}, k565.magenta, "unmasked");
}

// The public call draws a graph's first piece.
TEST_F(DrawGraphTest, DrawGraphDrawsTheFirstPiece) {
  Start(k565);
  vexal::GraphRecord* g = nullptr;
  const int handle = vexal::AddGraphHandle(6, 4, 0, 0, &g, 0);
  ASSERT_EQ(vexal::DDrawCreateGraphStorage(g), 0);
  const int piece = static_cast<int>(g->Pieces[0]);
  ps::Blt(vexal::GetBmpData(piece)->Surface, nullptr, nullptr, nullptr, ps::kBltColorFill, 0x1234);
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  ASSERT_EQ(vexal::SetDrawClipArea(0, 0, 320, 240), 0);
  ps::Blt(DDrawState.Back, nullptr, nullptr, nullptr, ps::kBltColorFill, 0);
  EXPECT_EQ(vexal::DrawGraph(10, 20, handle, 0), 0);
  const Picture after = Read(DDrawState.Back);
  EXPECT_EQ(after.at(10, 20), 0x1234u);
  EXPECT_EQ(after.at(15, 23), 0x1234u);
  EXPECT_EQ(after.at(16, 23), 0u);
  EXPECT_EQ(after.at(15, 24), 0u);
}

// Each failed lock ends the program with its own message, ending in one blank.
TEST_F(DrawGraphTest, AFailedLockIsFatal) {
  struct Case {
    const char* message;
    int surface;  // which surface is made to refuse: 0 destination, 1 source, 2 work surface 1
  };
  const Case cases[] = {{"転送先サーフェスのロックに失敗しました in G_DDraw_DrawGraph ", 0},
                        {"転送元１サーフェスのロックに失敗しました in G_DDraw_DrawGraph ", 1},
                        {"転送元２サーフェスのロックに失敗しました in G_DDraw_DrawGraph ", 2}};
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          Start(kXrgb32);
          const int piece = Piece(4, 4, 0xFF00FF, {255});
          ps::LockedRect held;
          if (c.surface == 0) ps::InjectFailure(ps::Operation::kLock, ps::Result::kSurfaceLost);
          if (c.surface == 1) {
            vexal::GetBmpData(piece)->InVideoMemory = 0;  // locked itself, not through work surface 2
            ps::Lock(vexal::GetBmpData(piece)->Surface, nullptr, 0, &held);
          }
          if (c.surface == 2) ps::Lock(DDrawState.Work1, nullptr, 0, &held);
          vexal::G_DDraw_DrawGraph(0, 0, piece, 0);
          std::exit(3);
        },
        ::testing::ExitedWithCode(255), "")
        << c.message;
    bool found = false;
    for (const std::string& line : LogLines()) found = found || line == c.message;
    EXPECT_TRUE(found) << c.message;
  }
}

}  // namespace
