// Allocations of the string and of the filled circle and oval (of both rows) that cannot
// be had: the string goes the software road, a fill without its row flags ends the program
// with its line in the log. The failures are made by this test program's own operator new
// (tests/support/refused_allocation), which refuses the next request of one given size.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "tests/support/refused_allocation/refused_allocation.h"
#include "tests/vexal/d3d/d3d_fixture.h"
#include "tests/vexal/d3d/d3d_pixels.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/d3d_string.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/screen/color_value.h"

namespace {

namespace pd = plat::d3d;

class ShapeStringAllocationTest : public d3dtest::Direct3DTest {
 protected:
  void TearDown() override {
    nltest::refused_allocation_size = 0;
    d3dtest::Direct3DTest::TearDown();
  }
  // In the child of a death test: a fill whose row flags are refused; it should not return.
  void FillWithoutRowFlags(int (*fill)(uint32_t white)) {
    Start3D();
    if (vexal::SetDrawTarget(vexal::kBackScreen) != 0) std::exit(3);
    vexal::Rect area{0, 0, 300, 237};
    vexal::D3DDrawState->DrawArea = area;
    vexal::D3DSetDrawArea(&area);
    nltest::refused_allocation_size = 237;
    fill(vexal::MakeColorValue(255, 255, 255));
    std::exit(3);
  }
};

// A string of 100 bytes on the back screen takes a square page of 256 / cell strips; its
// quads, 112 bytes a strip, are one request of that size.
TEST_F(ShapeStringAllocationTest, AStringWhoseQuadsCannotBeHadIsDrawnByTheSoftwareRoad) {
  Start3D();
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  const int font = vexal::GetDefaultFontHandle();
  const int cell = vexal::GetFontManageDataToHandle(font)->Cell;
  ASSERT_EQ(vexal::MaxTextureSize, 256);
  const size_t strips = static_cast<size_t>(256 / cell);
  ASSERT_EQ(sizeof(std::array<vexal::TexVertex, 4>), 112u);
  const std::string text(100, 'x');
  const uint32_t white = vexal::MakeColorValue(255, 255, 255);
  ASSERT_EQ(vexal::SetBlendModeParam(1, 128), 0);

  d3dtest::ClearScreen();
  ASSERT_EQ(vexal::DDrawStringByWorkDC(4, 20, text.c_str(), white, font, 0, 0), 0);
  const d3dtest::PixelSet software = d3dtest::LitPixels();
  ASSERT_FALSE(software.empty());

  d3dtest::ClearScreen();
  nltest::refused_allocation_size = strips * 112;
  EXPECT_EQ(vexal::D3DDrawString(4, 20, text.c_str(), white, font, 0, 0), 0);
  EXPECT_EQ(nltest::refused_allocation_size, 0u) << "the quads were never asked for";
  vexal::EndPending3DScene();
  // The text textures come after the quads: they were never made.
  EXPECT_EQ(vexal::D3DStringTextures[0], nullptr);
  EXPECT_EQ(vexal::D3DStringTextures[1], nullptr);
  EXPECT_EQ(d3dtest::LitPixels(), software);
}

// The row flags of a fill are one byte for each of the area's 237 rows. The device's oval
// reports under the circle's name; row 0's circle and oval under their own.
TEST_F(ShapeStringAllocationTest, AFilledCircleOrOvalWithoutRowFlagsEndsTheProgramWithItsLine) {
  struct Case {
    const char* name;
    int (*fill)(uint32_t white);
    const char* line;
  };
  const Case cases[] = {
      {"circle", [](uint32_t c) { return vexal::G_D3D_DrawCircle(50, 50, 20, c, 1); },
       "メモリの確保に失敗しました in G_D3D_DrawCircle"},
      {"oval", [](uint32_t c) { return vexal::G_D3D_DrawOval(50, 50, 20, 10, c, 1); },
       "メモリの確保に失敗しました in G_D3D_DrawCircle"},
      {"row 0 circle", [](uint32_t c) { return vexal::G_DDraw_DrawCircle(50, 50, 20, c, 1); },
       "メモリの確保に失敗しました in G_DDraw_DrawCircle"},
      {"row 0 oval", [](uint32_t c) { return vexal::G_DDraw_DrawOval(50, 50, 20, 10, c, 1); },
       "メモリの確保に失敗しました in G_DDraw_DrawOval"},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(FillWithoutRowFlags(c.fill), ::testing::ExitedWithCode(255), "") << c.name;
    EXPECT_EQ(LinesWith(c.line).size(), 1u) << c.name;
    EXPECT_EQ(LinesWith("メモリの確保に失敗しました").size(), 1u) << c.name;
  }
}

}  // namespace
