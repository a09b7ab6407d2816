// A started library with a 320 x 240 back screen of a chosen format, graphs of random
// pixels, and the slow reference of the warps' per-pixel rule.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/surface/display.h"
#include "platform/surface/surface.h"
#include "tests/support/surface_picture.h"
#include "tests/vexal/app/library_fixture.h"
#include "tests/vexal/raster/screen_color_formula.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"
#include "vexal/graphics/screen/surface_table.h"

namespace warptest {

namespace pd = plat::display;
namespace ps = plat::surface;

// kGeneric: a 16-bit screen given other masks after start-up.
enum class Layout { k32, k565, k555, k8, kGeneric };

struct Screen {
  const char* name;
  int bits;
  pd::Layout16 layout16;
  Layout layout;
  uint32_t red_mask;
  uint32_t green_mask = 0, blue_mask = 0;  // kGeneric only
};

inline const Screen kXrgb32{"32", 32, pd::Layout16::k565, Layout::k32, 0xFF0000};
inline const Screen k565{"565", 16, pd::Layout16::k565, Layout::k565, 0xF800};
inline const Screen k555{"555", 16, pd::Layout16::k555, Layout::k555, 0x7C00};
inline const Screen kPalette8{"8", 8, pd::Layout16::k565, Layout::k8, 0};
// Channels of unequal widths, red widest; and equal narrow ones with bits to spare on top.
inline const Screen k655{"655", 16, pd::Layout16::k565, Layout::kGeneric, 0xFC00, 0x03E0, 0x001F};
inline const Screen k444{"444", 16, pd::Layout16::k565, Layout::kGeneric, 0x0F00, 0x00F0, 0x000F};

using nltest::Picture;
using nltest::Read;
using nltest::Write;

// What a draw asks of the draw state.
struct Look {
  int mode = 0;
  int param = 255;
  uint32_t bright = vexal::kBrightNone;  // as the draw state keeps it
  bool coarse = false;
  int trans = 0;
};

inline std::string Describe(const Look& k) {
  char text[96];
  std::snprintf(text, sizeof text, "mode %d p %d bright %08X coarse %d trans %d", k.mode, k.param, k.bright,
                k.coarse ? 1 : 0, k.trans);
  return text;
}

// The warps' rule for one pixel, written out channel by channel: s the source pixel (or
// the colour), d the old destination pixel, a the alpha byte (only with a plane). Nothing
// when the pixel is left alone. `keyed` has already been decided by the caller.
std::optional<uint32_t> ReferencePixel(Layout layout, const Look& look, bool alpha, int a, uint32_t s, uint32_t d,
                                       bool flat);

// A graph of one piece: w x h random pixels, an alpha plane when asked for, the key given.
struct TestGraph {
  int index = -1;
  vexal::GraphRecord record;
  Picture pixels;              // the piece's w x h texels
  std::vector<uint8_t> alpha;  // w x h alpha bytes, empty without a plane
  vexal::BmpDataRecord* piece = nullptr;
};

class WarpTest : public apptest::LibraryTest {
 protected:
  // The next case of the program starts a library of its own.
  void TearDown() override {
    vexal::LibraryEnd();
    vexal::ResetAppState();
    plat::window::ResetWindowStandIn();
    vexal::ResetDDrawState();
    vexal::ResetDrawState();
    vexal::ResetDDrawTarget();
    vexal::ResetMask();
    vexal::ResetBmpDataTable();
    vexal::ResetGraphTable();
    vexal::ResetSurfaceTable();
    pd::ResetDisplay();
    apptest::LibraryTest::TearDown();
  }

  void Start(const Screen& f, int width = 320, int height = 240) {
    screen_ = &f;
    pd::SetDesktop(1024, 768, f.bits);
    plat::window::OverrideDesktopMode(plat::window::DesktopMode{1024, 768, f.bits});
    pd::SetLayout16(f.layout16);
    vexal::RequestScreenMode(width, height, f.bits, -1);
    vexal::ChangeWindowMode(1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
    ASSERT_EQ(vexal::GetPixelFormatPtr()->ColorBits, f.bits);
    if (f.layout == Layout::kGeneric) {
      vexal::ColorFormatRecord& format = vexal::DDrawState.Screen.Format;
      auto set = [](uint32_t mask, uint32_t* m, uint8_t* shift, uint8_t* width) {
        *m = mask;
        *shift = static_cast<uint8_t>(std::countr_zero(mask));
        *width = static_cast<uint8_t>(std::popcount(mask));
      };
      set(f.red_mask, &format.RedMask, &format.RedShift, &format.RedWidth);
      set(f.green_mask, &format.GreenMask, &format.GreenShift, &format.GreenWidth);
      set(f.blue_mask, &format.BlueMask, &format.BlueShift, &format.BlueWidth);
    } else if (f.bits == 16) {
      ASSERT_EQ(vexal::GetPixelFormatPtr()->RedMask, f.red_mask);
    }
    vexal::DDrawState.DrawSurface = vexal::DDrawState.Back;
    vexal::DrawState.TargetRect = {0, 0, 0, 0};
    vexal::DrawState.DrawArea = {0, 0, width, height};
    vexal::DrawState.TargetInVideoMemory = 0;
    vexal::DrawState.MaskedDrawing = 0;
  }

  uint32_t RandomPixel() {
    switch (screen_->bits) {
      case 32: return rng_() & 0xFFFFFF;
      case 16: return rng_() & (screen_->layout == Layout::k555 ? 0x7FFF : 0xFFFF);
      default: return rng_() % 4;  // plenty of index 0
    }
  }

  // key 0x00RRGGBB, or -1; alpha_values empty for no plane, else the values drawn from.
  std::unique_ptr<TestGraph> Graph(int w, int h, int32_t key, const std::vector<uint8_t>& alpha_values = {}) {
    auto g = std::make_unique<TestGraph>();
    vexal::SetTransColorValue(static_cast<uint32_t>(key));
    g->index = vexal::AddBmpData(w, h, 0, 0, 0, 0, nullptr, 0, 0, alpha_values.empty() ? 0 : 1);
    EXPECT_GE(g->index, 0);
    g->piece = vexal::GetBmpData(g->index);
    g->piece->ColorKey = key;
    g->record.Pieces[0] = static_cast<uint32_t>(g->index);
    g->record.PieceCount = 1;
    g->record.Width = static_cast<uint16_t>(w);
    g->record.Height = static_cast<uint16_t>(h);
    Picture surface = Read(g->piece->Surface);
    g->pixels = Picture{w, h, surface.bytes, std::vector<uint32_t>(static_cast<size_t>(w) * h)};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        // A sixth of the texels carry the key.
        const uint32_t v = rng_() % 6 == 0 ? KeyPixel(key) : RandomPixel();
        g->pixels.at(x, y) = v;
        surface.at(g->piece->X + x, g->piece->Y + y) = v;
      }
    Write(g->piece->Surface, surface);
    if (!alpha_values.empty()) {
      g->alpha.resize(static_cast<size_t>(w) * h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const uint8_t a = alpha_values[rng_() % alpha_values.size()];
          g->alpha[static_cast<size_t>(y) * w + x] = a;
          g->piece->AlphaPlane[static_cast<size_t>(g->piece->Y + y) * g->piece->AlphaPitch + g->piece->X + x] = a;
        }
    }
    return g;
  }

  // The screen pixel of a 0x00RRGGBB key (index 0 on an 8-bit screen).
  uint32_t KeyPixel(int32_t key) const {
    if (screen_->bits == 8) return 0;
    const uint32_t k = static_cast<uint32_t>(key);
    return rastertest::ValueOf({(k >> 16) & 0xFF, (k >> 8) & 0xFF, k & 0xFF});
  }

  void FillBack(nltest::Area area = {0, 0, INT_MAX, INT_MAX}) {
    Picture p = Read(vexal::DDrawState.Back, area);
    for (uint32_t& v : p.px) v = RandomPixel();
    Write(vexal::DDrawState.Back, p);
  }

  static void Apply(const Look& look) {
    vexal::DrawState.BlendMode = look.mode;
    vexal::DrawState.BlendParam = look.param;
    vexal::DrawState.Bright = look.bright;
    vexal::DDrawState.CoarseBlendFlag = look.coarse ? 1 : 0;
  }

  // The expected pixel at a place that shows texel (u, v) of g (keyed with `keyed`).
  void Expect(Picture* out, int x, int y, const TestGraph& g, int u, int v, const Look& look, bool keyed,
              const Picture& before) const {
    const uint32_t s = g.pixels.at(u, v);
    if (screen_->bits == 8) {
      if (!(look.trans != 0 && s == 0)) out->at(x, y) = s;
      return;
    }
    if (keyed && s == KeyPixel(g.piece->ColorKey)) return;
    const bool alpha = !g.alpha.empty();
    const int a = alpha ? g.alpha[static_cast<size_t>(v) * g.pixels.w + u] : 255;
    if (auto r = ReferencePixel(screen_->layout, look, alpha, a, s, before.at(x, y), false))
      out->at(x, y) = screen_->bits == 16 ? *r & 0xFFFF : *r;
  }

  const Screen* screen_ = nullptr;
  std::mt19937 rng_{0x5EED};
};

}  // namespace warptest
