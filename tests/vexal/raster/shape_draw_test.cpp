// The shape drawers on a started library: a sweep of random shapes against a per-pixel
// reference built here (the walks, one BlendShapePixel a write, the old pixel from the copy
// or from the picture as it stands), return codes, the frame's read-back, brightness, the
// mask surface, 8-bit screens, the point and line sets and the fatal lock failures.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/surface.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/library.h"
#include "vexal/app/window_mode.h"
#include "vexal/graphics/blend_mul_table.h"
#include "vexal/graphics/color_value.h"
#include "vexal/graphics/ddraw_row.h"
#include "vexal/graphics/ddraw_state.h"
#include "vexal/graphics/draw_state.h"
#include "vexal/graphics/draw_target.h"
#include "vexal/graphics/mask.h"
#include "vexal/graphics/screen_access.h"
#include "vexal/graphics/screen_mode.h"
#include "vexal/raster/circle_walk.h"
#include "vexal/raster/line_set.h"
#include "vexal/raster/line_walk.h"
#include "vexal/raster/oval_walk.h"
#include "vexal/raster/shape_kernels.h"

namespace shapetest {

namespace pd = plat::display;
namespace ps = plat::surface;

using vexal::DDrawState;
using vexal::DrawState;

struct Screen {
  const char* name;
  int bits;
  pd::Layout16 layout;
  bool other_masks;  // the format is given blue-on-top masks after start-up
};

const Screen kXrgb32{"32", 32, pd::Layout16::k565, false};
const Screen k565{"565", 16, pd::Layout16::k565, false};
const Screen k555{"555", 16, pd::Layout16::k555, false};
const Screen kBgr16{"Bgr16", 16, pd::Layout16::k565, true};
const Screen kIndex8{"8", 8, pd::Layout16::k565, false};

struct Picture {
  int w = 0, h = 0, bytes = 0;
  std::vector<uint32_t> px;
  uint32_t& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  bool operator==(const Picture&) const = default;
};

Picture Read(ps::Surface* s) {
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  Picture p{l.width, l.height, l.format.bit_count / 8, {}};
  p.px.resize(static_cast<size_t>(p.w) * p.h);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) std::memcpy(&p.at(x, y), l.bits + y * l.pitch + x * p.bytes, p.bytes);
  ps::Unlock(s);
  return p;
}

void Write(ps::Surface* s, const Picture& p) {
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      const uint32_t v = p.at(x, y);
      std::memcpy(l.bits + y * l.pitch + x * p.bytes, &v, p.bytes);
    }
  ps::Unlock(s);
}

struct Look {
  int mode = 0;
  int param = 255;
  uint32_t bright = vexal::kBrightNone;
  bool coarse = false;
  bool video = false;  // the target counts as video memory: old pixels come from a copy
};

void Apply(const Look& look) {
  DrawState.BlendMode = look.mode;
  DrawState.BlendParam = look.param;
  DrawState.Bright = look.bright;
  DDrawState.CoarseBlendFlag = look.coarse ? 1 : 0;
  DrawState.TargetInVideoMemory = look.video ? 1 : 0;
}

// The drawing colour as the frame should make it: each channel times its brightness
// byte / 255, then the screen's colour value (black for an 8-bit value past the palette).
uint32_t Brightened(uint32_t color, uint32_t bright) {
  int r = 0, g = 0, b = 0;
  if (vexal::GetColorRGB(color, &r, &g, &b) != 0) r = g = b = 0;
  return vexal::MakeColorValue(r * static_cast<int>((bright >> 8) & 0xFF) / 255,
                               g * static_cast<int>((bright >> 16) & 0xFF) / 255,
                               b * static_cast<int>(bright >> 24) / 255);
}

// The per-pixel reference: writes `expected` (surface coordinates), reading each old pixel
// from the picture before the call (a copy) or from `expected` as it stands.
class Reference {
 public:
  Reference(const Picture& before, Picture* expected, const vexal::Rect& area, int ox, int oy, bool copy)
      : before_(before), out_(*expected), area_(area), ox_(ox), oy_(oy), copy_(copy) {}

  void Use(const vexal::ShapeKernel& kernel) { kernel_ = kernel; }

  void Write(int64_t x, int64_t y) {
    if (x < area_.left || x >= area_.right || y < area_.top || y >= area_.bottom) return;
    if (kernel_.Kind == vexal::ShapeKernelKind::kNone) return;
    const int sx = static_cast<int>(x) + ox_, sy = static_cast<int>(y) + oy_;
    const uint32_t field = out_.bytes == 4 ? 0xFFFFFFFFu : out_.bytes == 2 ? 0xFFFFu : 0xFFu;
    const uint32_t old = copy_ ? before_.at(sx, sy) : out_.at(sx, sy);
    out_.at(sx, sy) = vexal::BlendShapePixel(kernel_, old) & field;
  }

  // The round shapes' sink: points alone, runs clamped, each row's first run only.
  void Point(int64_t x, int64_t y) { Write(x, y); }
  void Run(int64_t y, int64_t xl, int64_t xr) {
    if (y < area_.top || y >= area_.bottom || xr < area_.left || xl >= area_.right) return;
    if (rows_.size() < static_cast<size_t>(out_.h)) rows_.assign(out_.h + 1024, 0);
    uint8_t& done = rows_[static_cast<size_t>(y - area_.top)];
    if (done) return;
    done = 1;
    for (int64_t x = std::max<int64_t>(xl, area_.left); x <= std::min<int64_t>(xr, area_.right - 1); ++x) Write(x, y);
  }
  void Line(int x1, int y1, int x2, int y2) {
    const auto in = [](int v, int lo, int hi) { return v >= lo && v < hi; };
    const vexal::Rect& a = DrawState.DrawArea;
    if (!in(x1, a.left, a.right) && !in(x2, a.left, a.right) && !in(y1, a.top, a.bottom) && !in(y2, a.top, a.bottom))
      return;
    vexal::LineEnds ends;
    if (vexal::ClipLine(x1, y1, x2, y2, area_, &ends)) vexal::WalkLine(ends, [&](int x, int y) { Write(x, y); });
  }

 private:
  const Picture& before_;
  Picture& out_;
  vexal::Rect area_;
  int ox_, oy_;
  bool copy_;
  vexal::ShapeKernel kernel_;
  std::vector<uint8_t> rows_;
};

class ShapeDrawTest : public apptest::LibraryTest {
 protected:
  void Start(const Screen& f) {
    screen_ = &f;
    pd::SetDesktop(1024, 768, f.bits);
    plat::window::OverrideDesktopMode(plat::window::DesktopMode{1024, 768, f.bits});
    pd::SetLayout16(f.layout);
    vexal::RequestScreenMode(320, 240, f.bits, -1);
    vexal::ChangeWindowMode(1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
    ASSERT_EQ(vexal::GetScreenColorBits(), f.bits);
    if (f.other_masks) {
      vexal::ColorFormatRecord& format = DDrawState.Screen.Format;
      format.RedMask = 0x001F, format.RedShift = 0, format.RedWidth = 5;
      format.GreenMask = 0x07E0, format.GreenShift = 5, format.GreenWidth = 6;
      format.BlueMask = 0xF800, format.BlueShift = 11, format.BlueWidth = 5;
    }
    DDrawState.DrawSurface = DDrawState.Back;
    DrawState.TargetRect = {0, 0, 0, 0};
    DrawState.DrawArea = {0, 0, 320, 240};
    DrawState.MaskedDrawing = 0;
    DrawState.TargetInVideoMemory = 0;
  }

  void TearDown() override {
    vexal::LibraryEnd();
    LibraryTest::TearDown();
  }

  void Scramble(ps::Surface* s) {
    Picture p = Read(s);
    const uint32_t field = p.bytes == 4 ? 0xFFFFFFFFu : p.bytes == 2 ? 0xFFFFu : 0xFFu;
    for (uint32_t& v : p.px) v = rng_() & field;
    Write(s, p);
  }

  vexal::ShapeKernel Kernel(vexal::ShapeFamily family, uint32_t color) const {
    vexal::ShapeFormat format;
    EXPECT_TRUE(vexal::DescribeShapeFormat(screen_->bits, *vexal::GetPixelFormatPtr(), &format));
    return vexal::PrepareShapeKernel(family, format, DrawState.BlendMode, DrawState.BlendParam,
                                     DDrawState.CoarseBlendFlag != 0, Brightened(color, DrawState.Bright));
  }

  const Screen* screen_ = nullptr;
  std::mt19937 rng_{2024};
};

class ShapeDrawFormats : public ShapeDrawTest, public ::testing::WithParamInterface<const Screen*> {};

// Random shapes, huge, negative, inverted and clipped-away ones among them, in every mode,
// with and without the copy of the old pixels, under a target origin: each call leaves the
// surface exactly as the reference does, and nothing outside the draw area changes.
TEST_P(ShapeDrawFormats, RandomShapesMatchTheReferenceAndStayInTheArea) {
  Start(*GetParam());
  ps::Surface* dest = DDrawState.Back;
  Scramble(dest);
  const int ox = 7, oy = 5;
  DrawState.TargetRect = {ox, oy, ox + 300, oy + 220};
  DrawState.DrawArea = {10, 6, 290, 214};
  const vexal::Rect area = DrawState.DrawArea;
  const uint32_t field = screen_->bits == 32 ? 0xFFFFFFu : screen_->bits == 16 ? 0xFFFFu : 0x1FFu;
  auto coord = [&] {
    switch (rng_() % 8) {
      case 0: return static_cast<int>(rng_() % 2 ? 2000000000u : -2000000000);
      case 1: return static_cast<int>(rng_() % 2000) - 1000;
      default: return static_cast<int>(rng_() % 360) - 20;
    }
  };
  auto radius = [&] {
    switch (rng_() % 10) {
      case 0: return static_cast<int>(rng_() % 2 ? 46341 : 1000000);
      case 1: return -static_cast<int>(rng_() % 50) - 1;
      case 2: return static_cast<int>(rng_() % 3);
      default: return static_cast<int>(rng_() % 150) + 1;
    }
  };
  for (int i = 0; i < 160; ++i) {
    Look look;
    look.mode = static_cast<int>(rng_() % 5);
    const int params[] = {0, 14, 15, 128, 200, 255, static_cast<int>(rng_() % 256)};
    look.param = params[rng_() % 7];
    look.coarse = rng_() % 2 != 0;
    look.video = rng_() % 2 != 0;
    if (rng_() % 4 == 0) look.bright = vexal::MakeBrightValue(rng_() % 256, rng_() % 256, rng_() % 256);
    Apply(look);
    const uint32_t color = rng_() & field;
    const Picture before = Read(dest);
    Picture expected = before;
    const bool copy = look.video && screen_->bits != 8 && look.mode != 0;
    Reference ref(before, &expected, area, ox, oy, copy);
    const int kind = static_cast<int>(rng_() % 7);
    const int x = coord(), y = coord(), x2 = coord(), y2 = coord();
    const bool fill = rng_() % 2 != 0;
    std::string what;
    int result = 0;
    if (kind == 0) {
      const int r = radius();
      what = "circle r " + std::to_string(r);
      result = vexal::G_DDraw_DrawCircle(x, y, r, color, fill);
      ref.Use(Kernel(vexal::ShapeFamily::kRound, color));
      if (r >= 0 && r <= vexal::kMaxShapeRadius) vexal::CircleWalk(x, y, r, fill, ref);
    } else if (kind == 1) {
      int rx = radius(), ry = radius();
      if (rx == 0) rx = 1;
      if (ry == 0) ry = -1;
      // Keep very unequal radii to a walk of a few million steps.
      const int64_t ax = std::abs(static_cast<int64_t>(rx)), ay = std::abs(static_cast<int64_t>(ry));
      if (ax <= vexal::kMaxShapeRadius && ay <= vexal::kMaxShapeRadius && std::max(ax, ay) > 40 * std::min(ax, ay))
        ry = rx;
      what = "oval " + std::to_string(rx) + "x" + std::to_string(ry);
      result = vexal::G_DDraw_DrawOval(x, y, rx, ry, color, fill);
      ref.Use(Kernel(vexal::ShapeFamily::kRound, color));
      const int64_t arx = std::abs(static_cast<int64_t>(rx)), ary = std::abs(static_cast<int64_t>(ry));
      if (arx <= vexal::kMaxShapeRadius && ary <= vexal::kMaxShapeRadius) vexal::OvalWalk(x, y, arx, ary, fill, ref);
    } else if (kind == 2) {
      what = "box";
      result = vexal::G_DDraw_DrawFillBox(x, y, x2, y2, color);
      ref.Use(Kernel(vexal::ShapeFamily::kBoxRow, color));
      for (int64_t py = std::max(y, area.top); py < std::min(y2, area.bottom); ++py)
        for (int64_t px = std::max(x, area.left); px < std::min(x2, area.right); ++px) ref.Write(px, py);
    } else if (kind == 3) {
      what = "line";
      result = vexal::G_DDraw_DrawLine(x, y, x2, y2, color);
      ref.Use(Kernel(vexal::ShapeFamily::kSpan, color));
      ref.Line(x, y, x2, y2);
    } else if (kind == 4) {
      // Small boxes so that the outline's sides meet inside the area.
      const int bx = static_cast<int>(rng_() % 300), by = static_cast<int>(rng_() % 220);
      const int bx2 = bx + static_cast<int>(rng_() % 40) - 5, by2 = by + static_cast<int>(rng_() % 40) - 5;
      what = "outline";
      result = vexal::G_DDraw_DrawBoxOutline(bx, by, bx2, by2, color);
      // Four calls: each side's copy of the old pixels holds the sides before it.
      const int sides[4][4] = {{bx, by, bx2, by}, {bx2 - 1, by, bx2, by2}, {bx2 - 1, by2 - 1, bx, by2}, {bx, by2 - 1, bx, by}};
      for (const auto& side : sides) {
        const Picture now = expected;
        Reference line(now, &expected, area, ox, oy, copy);
        line.Use(Kernel(vexal::ShapeFamily::kSpan, color));
        line.Line(side[0], side[1], side[2], side[3]);
      }
    } else if (kind == 5) {
      const int px = static_cast<int>(rng_() % 320) - 10, py = static_cast<int>(rng_() % 240) - 10;
      what = "pixel";
      result = vexal::G_DDraw_DestPixel(px, py, color);
      ref.Use(Kernel(vexal::ShapeFamily::kPoint, color));
      const bool inside = px >= area.left && px < area.right && py >= area.top && py < area.bottom;
      EXPECT_EQ(result, inside ? 0 : -1);
      result = 0;
      ref.Write(px, py);
    } else {
      what = "line set";
      const vexal::LineSegmentRecord segs[] = {{x, y, x2, y2, color, 0}, {x2, y2, 0, 0, color ^ 0x55, 0}};
      result = vexal::G_DDraw_DrawLineSet(segs, 2);
      vexal::ShapeKernel store;
      store.Kind = vexal::ShapeKernelKind::kStore;
      for (const auto& s : segs) {
        store.Color = s.color;
        ref.Use(store);
        vexal::LineEnds ends;
        if (vexal::ClipLine(s.x1, s.y1, s.x2, s.y2, area, &ends)) vexal::WalkLine(ends, [&](int px, int py) { ref.Write(px, py); });
      }
    }
    what += " at " + std::to_string(x) + "," + std::to_string(y) + " fill " + std::to_string(fill) + " mode " +
            std::to_string(look.mode) + " p " + std::to_string(look.param) + " coarse " + std::to_string(look.coarse) +
            " video " + std::to_string(look.video);
    EXPECT_EQ(result, 0) << what;
    const Picture after = Read(dest);
    for (int py = 0; py < after.h; ++py)
      for (int px = 0; px < after.w; ++px) {
        const bool inside =
            px >= area.left + ox && px < area.right + ox && py >= area.top + oy && py < area.bottom + oy;
        if (!inside) ASSERT_EQ(after.at(px, py), before.at(px, py)) << what << " wrote outside at " << px << "," << py;
      }
    ASSERT_TRUE(after == expected) << what;
  }
}

INSTANTIATE_TEST_SUITE_P(Screens, ShapeDrawFormats, ::testing::Values(&kXrgb32, &k565, &k555, &kBgr16, &kIndex8),
                         [](const auto& info) { return std::string("Rgb") + info.param->name; });

}  // namespace shapetest
