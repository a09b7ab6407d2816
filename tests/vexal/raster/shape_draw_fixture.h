// A started library on a 320 x 240 window screen of a chosen format for the shape tests,
// with the surface read and written as pictures.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/surface/display.h"
#include "platform/surface/surface.h"
#include "tests/support/surface_picture.h"
#include "tests/vexal/app/library_fixture.h"
#include "tests/vexal/raster/screen_color_formula.h"
#include "tests/vexal/raster/shape_reference.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/ddraw/point_line_records.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/blend_mul_table.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace shapetest {

namespace pd = plat::display;
namespace ps = plat::surface;

using vexal::DDrawState;
using vexal::DrawState;

struct Screen {
  const char* name;
  int bits;
  pd::Layout16 layout;
  bool other_masks;  // the format is given these masks after start-up
  uint32_t red = 0, green = 0, blue = 0;
};

inline const Screen kXrgb32{"32", 32, pd::Layout16::k565, false};
inline const Screen k565{"565", 16, pd::Layout16::k565, false};
inline const Screen k555{"555", 16, pd::Layout16::k555, false};
inline const Screen kBgr16{"Bgr16", 16, pd::Layout16::k565, true, 0x001F, 0x07E0, 0xF800};
inline const Screen kIndex8{"8", 8, pd::Layout16::k565, false};
// Layouts the blends cannot serve: a channel wider than a table row, a channel missing.
inline const Screen kWide16{"Wide16", 16, pd::Layout16::k565, true, 0xFFC0, 0x0038, 0x0007};
inline const Screen kNoRed16{"NoRed16", 16, pd::Layout16::k565, true, 0, 0x07E0, 0x001F};

using nltest::Picture;
using nltest::Read;
using nltest::Write;

struct Look {
  int mode = 0;
  int param = 255;
  uint32_t bright = vexal::kBrightNone;
  bool coarse = false;
  bool video = false;  // the target counts as video memory: old pixels come from a copy
};

inline void Apply(const Look& look) {
  DrawState.BlendMode = look.mode;
  DrawState.BlendParam = look.param;
  DrawState.Bright = look.bright;
  DDrawState.CoarseBlendFlag = look.coarse ? 1 : 0;
  DrawState.TargetInVideoMemory = look.video ? 1 : 0;
}

// The drawing colour as the frame should make it: each channel's level times its brightness
// byte / 255, then the screen's value of those levels (black for an 8-bit value past the
// palette).
inline uint32_t Brightened(uint32_t color, uint32_t bright) {
  const rastertest::Levels l = rastertest::LevelsOf(color).value_or(rastertest::Levels{});
  auto scale = [](uint32_t level, uint32_t byte) {
    return static_cast<uint32_t>(uint64_t{level} * (byte & 0xFF) / 255);
  };
  return rastertest::ValueOf({scale(l.red, bright >> 8), scale(l.green, bright >> 16), scale(l.blue, bright >> 24)});
}

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
      auto set = [](uint32_t mask, uint32_t* m, uint8_t* shift, uint8_t* width) {
        *m = mask;
        *shift = static_cast<uint8_t>(mask == 0 ? 0 : std::countr_zero(mask));
        *width = static_cast<uint8_t>(std::popcount(mask));
      };
      set(f.red, &format.RedMask, &format.RedShift, &format.RedWidth);
      set(f.green, &format.GreenMask, &format.GreenShift, &format.GreenWidth);
      set(f.blue, &format.BlueMask, &format.BlueShift, &format.BlueWidth);
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

  // The reference's pen for the draw state as it stands: the colour after the brightness.
  shaperef::Pen Pen(shaperef::Family family, uint32_t color) const {
    shaperef::Pen pen;
    pen.family = family;
    pen.lay = shaperef::Layout::Of(screen_->bits, *vexal::GetPixelFormatPtr());
    pen.mode = DrawState.BlendMode;
    pen.p = DrawState.BlendParam;
    pen.coarse = DDrawState.CoarseBlendFlag != 0;
    pen.c = family == shaperef::Family::kStore ? color : Brightened(color, DrawState.Bright);
    return pen;
  }

  const Screen* screen_ = nullptr;
  std::mt19937 rng_{2024};
};

}  // namespace shapetest
