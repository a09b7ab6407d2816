// The mask on a started library: masked draws through the public calls and the row's mask
// steps, stamping mask data into the buffer, and the buffer's and surface's life.
#include "vexal/graphics/mask/mask.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/surface/surface.h"
#include "platform/window/window.h"
#include "tests/vexal/graphics/call_record.h"
#include "tests/vexal/graphics/image_fixtures.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/mask/mask_data.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

namespace ps = plat::surface;
using graphicstest::Calls;
using vexal::DrawState;
using vexal::MaskState;

// Row 0's box fill as the shape drawer does it: into the mask surface while masked drawing
// is on and it exists, else into the draw surface, clipped to the draw area and placed by
// the target's origin.
int FillBox(int x1, int y1, int x2, int y2, uint32_t color) {
  ps::Surface* masked = DrawState.MaskedDrawing != 0 ? vexal::GetMaskSurface() : nullptr;
  ps::Surface* dst = masked != nullptr ? masked : vexal::GetDrawSurface();
  vexal::Rect r{x1, y1, x2, y2};
  vexal::ClipRect(&r, &DrawState.DrawArea);
  if (r.left >= r.right || r.top >= r.bottom) return 0;
  const int ox = DrawState.TargetRect.left, oy = DrawState.TargetRect.top;
  const ps::Rect at{r.left + ox, r.top + oy, r.right + ox, r.bottom + oy};
  return ps::Blt(dst, &at, nullptr, nullptr, ps::kBltColorFill, color) == ps::Result::kOk ? 0 : -1;
}

int SyncTarget(int masked) {
  graphicstest::Record(0, 37, {masked});
  return 0;
}

class MaskTest : public screentest::ScreenTest {
 protected:
  void StartDrawing(int window_mode, int target) {
    Start(window_mode);
    rows_ = vexal::DrawBackendTable;
    rows_[0].DrawFillBox = FillBox;
    rows_[0].SyncDrawTarget = SyncTarget;
    vexal::SetDrawBackendTableForTests(&rows_);
    ASSERT_EQ(vexal::SetDrawTarget(target), 0);
    bytes_ = vexal::GetScreenColorBits() / 8;
    Calls.clear();
  }
  void TearDown() override {
    vexal::SetDrawBackendTableForTests(nullptr);
    vexal::LibraryEnd();
    screentest::ScreenTest::TearDown();
  }
  static uint32_t Pixel(ps::Surface* s, int x, int y) { return screentest::SurfacePixel(s, x, y); }
  static void Fill(ps::Surface* s, uint32_t value) {
    ASSERT_EQ(ps::Blt(s, nullptr, nullptr, nullptr, ps::kBltColorFill, value), ps::Result::kOk);
  }
  // Every pixel of (x0, y0)-(x1, y1) on s is want(x, y); the first miss is reported.
  void ExpectPixels(ps::Surface* s, int x0, int y0, int x1, int y1, const std::function<uint32_t(int, int)>& want,
                    const std::string& what) const {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (Pixel(s, x, y) != want(x, y)) {
          ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex << Pixel(s, x, y) << ", want "
                        << want(x, y);
          return;
        }
      }
    }
  }
  static void SetMaskBytes(int x0, int y0, int x1, int y1, uint8_t value) {
    for (int y = y0; y < y1; ++y) std::memset(&MaskState.Buffer[y * MaskState.Pitch + x0], value, x1 - x0);
  }
  vexal::DrawBackendRows rows_{};
  int bytes_ = 4;
};

class MaskDepthTest : public MaskTest, public ::testing::WithParamInterface<int> {};

// Window mode runs at the desktop's 32 bits, full screen at the default 16.
INSTANTIATE_TEST_SUITE_P(WindowAndFullScreen, MaskDepthTest, ::testing::Values(1, 0));

TEST_P(MaskDepthTest, DrawsShowOnlyWhereTheMaskAllowsAndNeverInColourZero) {
  StartDrawing(GetParam(), vexal::kBackScreen);
  ASSERT_EQ(vexal::GetScreenColorBits(), GetParam() == 1 ? 32 : 16);
  ps::Surface* back = vexal::GetBackSurface();
  const uint32_t kOld = bytes_ == 4 ? 0x00123456u : 0x1234u;
  const uint32_t kNew = bytes_ == 4 ? 0x00ABCDEFu : 0xF0F0u;
  auto inside = [](int x, int y, int x0, int y0, int x1, int y1) { return x >= x0 && x < x1 && y >= y0 && y < y1; };

  // No mask surface yet: masked drawing is on, but the draw goes straight to the target.
  Fill(back, kOld);
  ASSERT_EQ(vexal::GetMaskSurface(), nullptr);
  ASSERT_EQ(vexal::DrawFillBox(10, 10, 20, 20, kNew), 0);
  ExpectPixels(
      back, 0, 0, 48, 48, [&](int x, int y) { return inside(x, y, 10, 10, 20, 20) ? kNew : kOld; }, "no mask");

  // A new buffer is all 0: nothing a draw does shows.
  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  Fill(back, kOld);
  ASSERT_EQ(vexal::DrawFillBox(0, 0, 40, 40, kNew), 0);
  ExpectPixels(
      back, 0, 0, 48, 48, [&](int, int) { return kOld; }, "all-0 mask");

  // All 0xFF: as without a mask, except that colour 0 leaves the old picture.
  ASSERT_EQ(vexal::FillMaskBuffer(1), 0);
  ASSERT_EQ(vexal::DrawFillBox(0, 0, 40, 40, kNew), 0);
  ASSERT_EQ(vexal::DrawFillBox(5, 5, 8, 8, 0), 0);
  ExpectPixels(
      back, 0, 0, 48, 48, [&](int x, int y) { return inside(x, y, 0, 0, 40, 40) ? kNew : kOld; }, "all-0xFF mask");

  // A stamp whose left half shows: only that part of the box is drawn.
  ASSERT_EQ(vexal::FillMaskBuffer(0), 0);
  const int stamp = vexal::CreateMaskData(8, 8);
  for (int y = 0; y < 8; ++y) std::memset(&vexal::MaskDataTable[stamp].Bytes[y * 8], 0xFF, 4);
  ASSERT_EQ(vexal::PutMaskData(16, 16, stamp, vexal::kPutMaskAll), 0);
  Fill(back, kOld);
  ASSERT_EQ(vexal::DrawFillBox(0, 0, 40, 40, kNew), 0);
  ExpectPixels(
      back, 0, 0, 48, 48, [&](int x, int y) { return inside(x, y, 16, 16, 20, 24) ? kNew : kOld; }, "stamped mask");

  // Masked drawing off: the mask surface is bypassed again.
  ASSERT_EQ(vexal::SetMaskTargetFlag(0), 0);
  ASSERT_EQ(vexal::DrawFillBox(0, 0, 4, 4, kNew), 0);
  EXPECT_EQ(Pixel(back, 3, 3), kNew);
}

TEST_P(MaskDepthTest, StringsUnderTheMaskAreTheUnmaskedStringWhereTheMaskShows) {
  StartDrawing(GetParam(), vexal::kBackScreen);
  ps::Surface* back = vexal::GetBackSurface();
  const uint32_t kOld = bytes_ == 4 ? 0x00123456u : 0x1234u;
  const int font = vexal::CreateFontHandle(nullptr, 16, 6, 0, -1);
  ASSERT_GE(font, 0);
  std::string name;
  int size = 0, thickness = 0;
  vexal::GetFontStateToHandle(vexal::GetDefaultFontHandle(), &name, &size, &thickness);
  constexpr int kX = 8, kY = 12, kW = 160, kH = 40;
  auto draw = [&] {
    Fill(back, kOld);
    ASSERT_EQ(vexal::DrawStringToHandle(kX, kY, "Mask 0123 WM", vexal::MakeColorValue(250, 200, 100), font, 0, 0), 0);
  };
  // The reference: the same string with no mask surface.
  draw();
  std::vector<uint32_t> plain;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) plain.push_back(Pixel(back, x, y));
  }
  ASSERT_GT(std::count_if(plain.begin(), plain.end(), [&](uint32_t p) { return p != kOld; }), 50);

  // Masked, a string's rectangle runs from (x, y) to the draw area's right edge and the
  // default font's size + 3 down; pixels drawn in colour 0 never show.
  auto shown = [&](int x, int y, bool mask_shows) {
    const uint32_t p = plain[y * kW + x];
    const bool in_rect = x >= kX && y >= kY && y < kY + size + 3;
    return in_rect && mask_shows && p != 0 ? p : kOld;
  };
  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  ASSERT_EQ(vexal::FillMaskBuffer(1), 0);
  draw();
  ExpectPixels(
      back, 0, 0, kW, kH, [&](int x, int y) { return shown(x, y, true); }, "all-0xFF mask");
  ASSERT_EQ(vexal::FillMaskBuffer(0), 0);
  SetMaskBytes(0, 0, 40, 480, 0xFF);
  draw();
  ExpectPixels(
      back, 0, 0, kW, kH, [&](int x, int y) { return shown(x, y, x < 40); }, "left part shown");
  ASSERT_EQ(vexal::FillMaskBuffer(0), 0);
  draw();
  ExpectPixels(
      back, 0, 0, kW, kH, [&](int, int) { return kOld; }, "all-0 mask");
}

TEST_P(MaskDepthTest, GraphsUnderAStampedMaskAreTheUnmaskedGraphWhereItShows) {
  StartDrawing(GetParam(), vexal::kBackScreen);
  ps::Surface* back = vexal::GetBackSurface();
  const uint32_t kOld = bytes_ == 4 ? 0x00123456u : 0x1234u;
  // A picture with black pixels scattered through it.
  nltest::BmpSpec bmp;
  bmp.width = 24, bmp.height = 16;
  bmp.pixel = [](int x, int y) { return (x + y) % 5 == 0 ? 0u : 0x00F00000u | (x * 9) << 8 | (y * 15 + 8); };
  nltest::WriteFile(dir_.File("g.bmp"), nltest::WriteBmp(bmp));
  const int graph = vexal::LoadGraph(dir_.File("g.bmp"));
  ASSERT_NE(graph, -1);
  constexpr int kX = 20, kY = 10, kW = 64, kH = 40;
  auto draw = [&] {
    Fill(back, kOld);
    ASSERT_EQ(vexal::DrawGraph(kX, kY, graph, 0), 0);
  };
  // The reference: the same draw with no mask surface.
  draw();
  std::vector<uint32_t> plain;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) plain.push_back(Pixel(back, x, y));
  }
  ASSERT_NE(plain[(kY + 1) * kW + kX], kOld);
  ASSERT_EQ(plain[kY * kW + kX + 5], 0u);

  // A stamp showing its left half, placed over the graph's left part.
  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  const int stamp = vexal::CreateMaskData(24, 16);
  for (int y = 0; y < 16; ++y) std::memset(&vexal::MaskDataTable[stamp].Bytes[y * 24], 0xFF, 12);
  ASSERT_EQ(vexal::PutMaskData(kX - 4, kY + 4, stamp, vexal::kPutMaskAll), 0);
  draw();
  ExpectPixels(
      back, 0, 0, kW, kH,
      [&](int x, int y) {
        const uint32_t p = plain[y * kW + x];
        const bool shows = x >= kX - 4 && x < kX + 8 && y >= kY + 4 && y < kY + 20;
        return shows && p != 0 ? p : kOld;
      },
      "stamped mask");
}

TEST_F(MaskTest, TheFrontScreenInAWindowIsReadAndWrittenAtTheClientCorner) {
  StartDrawing(1, vexal::kFrontScreen);
  plat::window::UserMove(vexal::AppState.MainWindow, 300, 200);
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kFrontScreen), 0);
  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  // Masked: drawn from (0, 0) of the mask surface; unmasked: at the client area.
  EXPECT_EQ(DrawState.TargetRect.left, 0);
  EXPECT_EQ(DrawState.TargetRect.right, 640);
  Calls.clear();
  ASSERT_EQ(vexal::SetMaskTargetFlag(0), 0);
  EXPECT_EQ(DrawState.TargetRect.left, 300);
  EXPECT_EQ(DrawState.TargetRect.bottom, 680);
  ASSERT_EQ(vexal::SetMaskTargetFlag(1), 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:37 0", "0:37 1"}));

  ps::Surface* front = vexal::GetPrimarySurface();
  SetMaskBytes(10, 10, 20, 20, 0xFF);
  // Choosing the front screen again while masked keeps the mask surface's origin.
  for (const bool again : {false, true}) {
    if (again) {
      ASSERT_EQ(vexal::SetDrawTarget(vexal::kFrontScreen), 0);
    }
    Fill(front, 0x00445566);
    ASSERT_EQ(vexal::DrawFillBox(0, 0, 40, 40, 0x00FEDCBA), 0);
    ExpectPixels(
        front, 290, 190, 350, 250,
        [](int x, int y) { return x >= 310 && x < 320 && y >= 210 && y < 220 ? 0x00FEDCBAu : 0x00445566u; },
        again ? "front screen chosen again" : "front screen");
  }
}

TEST_F(MaskTest, StepsStayInsideTheScreenWhenTheDrawAreaIsLarger) {
  StartDrawing(1, vexal::kBackScreen);
  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  ps::Surface* back = vexal::GetBackSurface();
  ps::Surface* mask = vexal::GetMaskSurface();
  Fill(back, 0x00101010);
  Fill(mask, 0x00777777);
  // As a draw target larger than the screen leaves it.
  DrawState.DrawArea = {0, 0, 1000, 900};
  SetMaskBytes(620, 440, 640, 480, 0xFF);
  EXPECT_EQ(vexal::MaskPostDraw({600, 430, 1000, 900}, back), 0);
  ExpectPixels(
      mask, 590, 420, 640, 480,
      [](int x, int y) {
        const bool shown = x >= 620 && y >= 440;
        return x >= 600 && y >= 430 && !shown ? 0u : 0x00777777u;
      },
      "mask surface");
  ExpectPixels(
      back, 590, 420, 640, 480, [](int x, int y) { return x >= 620 && y >= 440 ? 0x00777777u : 0x00101010u; }, "back");
  EXPECT_EQ(vexal::MaskPreDraw({600, 430, 1000, 900}, back), 0);
  ExpectPixels(
      mask, 600, 430, 640, 480, [](int x, int y) { return x >= 620 && y >= 440 ? 0x00777777u : 0x00101010u; },
      "mask surface after the pre-step");
}

TEST_F(MaskTest, PutMaskDataWritesByModeTheVisiblePartAlignedAsIfUnclipped) {
  StartDrawing(1, vexal::kBackScreen);
  const int data = vexal::CreateMaskData(4, 3);
  const uint8_t bytes[3][4] = {{0x00, 0xFF, 0x80, 0x01}, {0xFF, 0x00, 0x7F, 0xFF}, {0x02, 0xFF, 0x00, 0x03}};
  for (int y = 0; y < 3; ++y) std::memcpy(&vexal::MaskDataTable[data].Bytes[y * 4], bytes[y], 4);
  // Without a mask surface nothing is written, whatever the handle.
  EXPECT_EQ(vexal::PutMaskData(0, 0, data, 2), 0);
  EXPECT_EQ(vexal::PutMaskData(0, 0, 77, 2), 0);

  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  ASSERT_EQ(vexal::SetDrawClipArea(10, 10, 100, 100), 0);
  struct Case {
    int mode, x, y;
    std::vector<std::vector<int>> want;  // buffer bytes of x - 1 .. x + 4, y - 1 .. y + 2; 0x11 untouched
  };
  const Case cases[] = {
      // At (8, 9) only data columns 2-3 of rows 1-2 are inside the draw area.
      {0,
       8,
       9,
       {{0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x7F, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x00, 0x03, 0x11}}},
      {1,
       8,
       9,
       {{0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x7F, 0xFF, 0x11},
        {0x11, 0x11, 0x11, 0x11, 0x03, 0x11}}},
      {2,
       8,
       9,
       {{0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x7F, 0xFF, 0x11},
        {0x11, 0x11, 0x11, 0x00, 0x03, 0x11}}},
      {3,
       8,
       9,
       {{0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x11, 0x11, 0x11}}},
      // At (98, 98) only columns 0-1 of rows 0-1.
      {2,
       98,
       98,
       {{0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x00, 0xFF, 0x11, 0x11, 0x11},
        {0x11, 0xFF, 0x00, 0x11, 0x11, 0x11},
        {0x11, 0x11, 0x11, 0x11, 0x11, 0x11}}},
      // Wholly inside: every byte but 0xFF.
      {0,
       40,
       40,
       {{0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
        {0x11, 0x00, 0x11, 0x80, 0x01, 0x11},
        {0x11, 0x11, 0x00, 0x7F, 0x11, 0x11},
        {0x11, 0x02, 0x11, 0x00, 0x03, 0x11}}},
  };
  for (const Case& c : cases) {
    std::memset(MaskState.Buffer.data(), 0x11, MaskState.Buffer.size());
    ASSERT_EQ(vexal::PutMaskData(c.x, c.y, data, c.mode), 0);
    for (int row = 0; row < 4; ++row) {
      std::vector<int> got;
      for (int col = 0; col < 6; ++col)
        got.push_back(MaskState.Buffer[(c.y - 1 + row) * MaskState.Pitch + c.x - 1 + col]);
      EXPECT_EQ(got, c.want[row]) << "mode " << c.mode << " at " << c.x << "," << c.y << " row " << row;
    }
    // Nothing changed beyond the bytes looked at.
    long changed = 0;
    for (const auto& r : c.want) changed += std::count_if(r.begin(), r.end(), [](int b) { return b != 0x11; });
    EXPECT_EQ(std::count(MaskState.Buffer.begin(), MaskState.Buffer.end(), 0x11),
              static_cast<long>(MaskState.Buffer.size()) - changed)
        << "mode " << c.mode << " at " << c.x << "," << c.y;
  }
  for (const int bad : {-1, 1, 512}) EXPECT_EQ(vexal::PutMaskData(0, 0, bad, 2), -1) << bad;
}

TEST_F(MaskTest, BufferAndSurfaceLiveUntilTheDeviceOrGraphManagementLetsThemGo) {
  StartDrawing(1, vexal::kBackScreen);
  // Nothing to switch or fill before the buffer exists.
  EXPECT_EQ(vexal::SetMaskTargetFlag(0), -1);
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 1);
  EXPECT_EQ(vexal::FillMaskBuffer(1), -1);
  EXPECT_EQ(vexal::MaskBufferExists(), 0);

  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  ASSERT_NE(vexal::GetMaskSurface(), nullptr);
  const ps::SurfaceInfo info = ps::GetSurfaceInfo(vexal::GetMaskSurface());
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  ps::ColorKey key{1, 1};
  ASSERT_EQ(ps::GetColorKey(vexal::GetMaskSurface(), &key), ps::Result::kOk);
  EXPECT_EQ(key.low, 0u);
  EXPECT_EQ(key.high, 0u);
  EXPECT_EQ(MaskState.Pitch, 640);
  EXPECT_EQ(MaskState.Buffer, std::vector<uint8_t>(640 * 480, 0));
  ASSERT_EQ(vexal::FillMaskBuffer(1), 0);
  EXPECT_EQ(MaskState.Buffer, std::vector<uint8_t>(640 * 480, 0xFF));
  // Only the rows a target covers are filled, and never more than the buffer holds.
  for (const int target_height : {50, 1000}) {
    DrawState.TargetHeight = target_height;
    ASSERT_EQ(vexal::FillMaskBuffer(0), 0);
    const long zeros = std::min(target_height, 480) * 640L;
    EXPECT_EQ(std::count(MaskState.Buffer.begin(), MaskState.Buffer.end(), 0), zeros) << target_height;
    EXPECT_EQ(std::count(MaskState.Buffer.begin(), MaskState.Buffer.begin() + zeros, 0), zeros) << target_height;
    ASSERT_EQ(vexal::FillMaskBuffer(1), 0);
  }
  DrawState.TargetHeight = 480;
  const int data = vexal::CreateMaskData(2, 2);

  // The device goes and comes back: a fresh buffer and surface, the data kept.
  Calls.clear();
  EXPECT_EQ(vexal::DeleteMaskBuffer(), 0);
  EXPECT_EQ(vexal::MaskBufferExists(), 0);
  EXPECT_EQ(vexal::GetMaskSurface(), nullptr);
  EXPECT_EQ(vexal::RestoreMaskBuffer(), 0);
  EXPECT_EQ(MaskState.Buffer, std::vector<uint8_t>(640 * 480, 0));
  EXPECT_NE(vexal::GetMaskSurface(), nullptr);
  EXPECT_EQ(Calls, std::vector<std::string>{"0:37 1"});
  EXPECT_EQ(vexal::MaskDataTable[data].Used, 1);

  // Graph management ends with masked drawing off: everything goes all the same.
  ASSERT_EQ(vexal::SetMaskTargetFlag(0), 0);
  ASSERT_EQ(vexal::EndGraphManage(), 0);
  EXPECT_EQ(vexal::MaskBufferExists(), 0);
  EXPECT_EQ(vexal::GetMaskSurface(), nullptr);
  EXPECT_EQ(MaskState.Created, 0);
  EXPECT_EQ(vexal::MaskDataTable[data].Used, 0);
  EXPECT_EQ(vexal::RestoreMaskBuffer(), 0);
  EXPECT_EQ(vexal::MaskBufferExists(), 0);
  EXPECT_EQ(vexal::GetMaskSurface(), nullptr);
}

TEST_F(MaskTest, AMaskSurfaceThatCannotBeMadeEndsTheProgram) {
  StartDrawing(1, vexal::kBackScreen);
  ps::InjectFailure(ps::Operation::kCreateSurface, ps::Result::kOutOfMemory);
  EXPECT_EXIT(vexal::CreateMaskBuffer(), ::testing::ExitedWithCode(255), "");
  EXPECT_NE(Log().find("マスク用サーフェスの作成に失敗しました"), std::string::npos);
}

}  // namespace
