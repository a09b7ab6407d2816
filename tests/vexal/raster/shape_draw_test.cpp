// The shape drawers against a per-pixel reference built here (the walks, one
// BlendShapePixel a write, the old pixel from the copy or from the picture as it stands),
// over a sweep of random shapes in every layout.
#include "shape_draw_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace shapetest {

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
