// The device and its main surfaces on the fake display: what start-up and shut-down make
// and undo, the surfaces of BMP data across a release of the device, the 8-bit palette,
// and the failures that end the program.
#include "vexal/graphics/screen/ddraw_device.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_surface.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/screen/blend_mul_table.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/main_surfaces.h"
#include "vexal/graphics/screen/palette.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"
#include "vexal/graphics/screen/surface_table.h"

namespace {

namespace pd = plat::display;
namespace ps = plat::surface;
using vexal::DDrawState;

class DDrawDeviceTest : public screentest::ScreenTest {};

uint32_t Caps(ps::Surface* s) { return ps::GetSurfaceInfo(s).caps; }

TEST_F(DDrawDeviceTest, EndWithoutStartReturnsAtOnceAndLogsNothing) {
  vexal::AppState.StartDirectory = dir_.path();
  vexal::StartLogFile();
  EXPECT_EQ(vexal::EndDirectDraw(), 0);
  EXPECT_EQ(Log(), "");
}

TEST_F(DDrawDeviceTest, FullScreenStartAndEnd) {
  vexal::ResetBlendMulTable();  // as at load: only the start may fill it
  Start(0);
  EXPECT_EQ(DDrawState.CooperativeLevel, 0x11u);
  EXPECT_EQ(vexal::IsDisplayModeChanged(), 1);
  EXPECT_EQ(pd::Current().changed, true);
  EXPECT_EQ(screentest::Mode(pd::Current().width, pd::Current().height, pd::Current().bits, 0),
            screentest::Mode(640, 480, 16, 0));
  EXPECT_EQ(vexal::MakeColorValue(255, 255, 255), 0xFFFFu);  // 5:6:5
  // A flip chain cleared and flipped three times without waiting; its first back buffer
  // is the back surface; the work surfaces lie in system memory with source key 0.
  EXPECT_NE(Caps(vexal::GetPrimarySurface()) & ps::kCapsFlip, 0u);
  EXPECT_NE(Caps(vexal::GetBackSurface()) & ps::kCapsBackBuffer, 0u);
  EXPECT_EQ(ps::GetCounters().flips, 3u);
  EXPECT_EQ(ps::GetCounters().last_flip_flags, ps::kFlipNoVSync);
  for (ps::Surface* work : {DDrawState.Work1, DDrawState.Work2}) {
    EXPECT_NE(Caps(work) & ps::kCapsSystemMemory, 0u);
    ps::ColorKey key{1, 1};
    EXPECT_EQ(ps::GetColorKey(work, &key), ps::Result::kOk);
    EXPECT_EQ(std::pair(key.low, key.high), std::pair(0u, 0u));
  }
  for (int p = 0; p < 256; ++p) {
    for (int v = 0; v < 256; ++v) ASSERT_EQ(vexal::BlendMulTable[p][v], (p * v) >> 8) << p << " x " << v;
  }
  EXPECT_TRUE(DDrawState.Initialised);
  EXPECT_EQ(LinesWith("オーバーレイ"), (std::vector<std::string>{"オーバーレイサーフェスは使用しません"}));

  EXPECT_EQ(vexal::LibraryEnd(), 0);
  EXPECT_FALSE(pd::Current().changed);
  EXPECT_EQ(ps::LiveSurfaceCount(), 0);
  EXPECT_EQ(ps::LiveDeviceCount(), 0);
  EXPECT_EQ(vexal::GetDirectDrawObject(), nullptr);
  EXPECT_FALSE(DDrawState.Initialised);
  EXPECT_EQ(LinesWith("画面モードを元に戻す"),
            (std::vector<std::string>{"画面モードを元に戻す処理は正常に終了しました"}));
}

TEST_F(DDrawDeviceTest, AWindowShowsTheDesktopsPixels) {
  struct Case {
    const char* name;
    int bits;
    pd::Layout16 layout;
    uint32_t white;
  };
  const Case cases[] = {
      {"5:6:5", 16, pd::Layout16::k565, 0xFFFF},
      {"5:5:5", 16, pd::Layout16::k555, 0x7FFF},
      {"32 bits", 32, pd::Layout16::k565, 0x00FFFFFF},
  };
  for (const Case& c : cases) {
    ForgetStart();
    pd::SetDesktop(1024, 768, c.bits);
    pd::SetLayout16(c.layout);
    Start(1);
    EXPECT_EQ(vexal::GetScreenColorBits(), c.bits) << c.name;
    EXPECT_EQ(vexal::MakeColorValue(255, 255, 255), c.white) << c.name;
    EXPECT_EQ(DDrawState.CooperativeLevel, 0x08u) << c.name;
    EXPECT_FALSE(pd::Current().changed) << c.name;
    // The primary is the desktop; the back surface is the screen's size.
    EXPECT_EQ(ps::GetSurfaceInfo(vexal::GetPrimarySurface()).width, 1024) << c.name;
    EXPECT_EQ(ps::GetSurfaceInfo(vexal::GetBackSurface()).width, 640) << c.name;
    EXPECT_EQ(ps::GetClipperWindow(DDrawState.Clipper), vexal::AppState.MainWindow) << c.name;
  }
}

TEST_F(DDrawDeviceTest, ReleaseAndRecreateBringEverySurfaceRecordBackOnce) {
  Start(1);
  ps::Device* dd = vexal::GetDirectDrawObject();
  // A 64 x 32 record with an alpha plane, a 16 x 8 share of it at (16, 8), and an 8 x 8
  // record of its own. The share comes first in the table.
  vexal::BmpDataRecord a, share, c;
  const int entry_a = vexal::AddSurfaceManage(1, 0, 64, 32);
  ASSERT_EQ(vexal::CreateBmpDataSurface(64, 32, 0, 0, 0x10000, 0x00FF00FF, 32, 1, &a, dd, 0, nullptr, 0, 0), 0);
  a.SurfaceEntry = entry_a;
  ASSERT_EQ(vexal::CreateBmpDataSurface(16, 8, 0, 0, 0x10001, 0, 32, 0, &share, dd, 1, &a, 16, 8), 0);
  vexal::AddSurfaceRef(entry_a);
  const int entry_c = vexal::AddSurfaceManage(1, 0, 8, 8);
  ASSERT_EQ(vexal::CreateBmpDataSurface(8, 8, 0, 0, 0x10002, 0, 32, 0, &c, dd, 0, nullptr, 0, 0), 0);
  c.SurfaceEntry = entry_c;
  vexal::BmpDataRecord* table[] = {&share, nullptr, &a, &c};
  vexal::SetBmpDataTableForTests(table);
  const uint8_t* alpha = a.AlphaPlane.get();
  const int live = ps::LiveSurfaceCount();

  // Four main surfaces, then each of the two graph surfaces once.
  vexal::ReleaseMainSurfaces();
  EXPECT_EQ(vexal::ReleaseDirectDraw(), 0);
  EXPECT_EQ(ps::LiveSurfaceCount(), live - 6);
  EXPECT_EQ(vexal::GetDirectDrawObject(), nullptr);
  for (vexal::BmpDataRecord* r : {&a, &share, &c}) EXPECT_EQ(r->Surface, nullptr);
  EXPECT_EQ(vexal::GetSurfaceManage(entry_a)->RestoredMark, 1u);
  EXPECT_EQ(vexal::GetSurfaceManage(entry_c)->RestoredMark, 1u);
  EXPECT_EQ(LinesWith("既に解放"), std::vector<std::string>{});
  vexal::ReleaseDirectDraw();
  EXPECT_EQ(LinesWith("既に解放"), (std::vector<std::string>{"既に解放されています"}));

  // Each surface made again once, the share's covering the whole record it shares.
  EXPECT_EQ(vexal::RecreateDirectDraw(), 0);
  EXPECT_EQ(ps::LiveSurfaceCount(), live - 4);
  ASSERT_NE(a.Surface, nullptr);
  EXPECT_EQ(share.Surface, a.Surface);
  EXPECT_NE(c.Surface, a.Surface);
  EXPECT_EQ(vexal::GetSurfaceManage(entry_a)->Surface, a.Surface);
  EXPECT_EQ(vexal::GetSurfaceManage(entry_c)->Surface, c.Surface);
  EXPECT_EQ(ps::GetSurfaceInfo(a.Surface).width, 64);
  EXPECT_EQ(ps::GetSurfaceInfo(a.Surface).height, 32);
  EXPECT_EQ(std::tuple(share.X, share.Y, share.Width, share.Height), std::tuple(16, 8, 16, 8));
  ps::ColorKey key;
  ASSERT_EQ(ps::GetColorKey(a.Surface, &key), ps::Result::kOk);
  EXPECT_EQ(std::pair(key.low, key.high), std::pair(0x00FF00FFu, 0x00FF00FFu));  // 32-bit magenta
  EXPECT_EQ(a.AlphaPlane.get(), alpha);  // the alpha plane is memory, not lost with the device
  EXPECT_NE(DDrawState.Clipper, nullptr);
  EXPECT_EQ(vexal::RecreateDirectDraw(), 0);  // the object exists: nothing happens
  EXPECT_EQ(ps::LiveSurfaceCount(), live - 4);

  EXPECT_EQ(vexal::CreateMainSurfaces(), 0);
  EXPECT_EQ(vexal::CreateMainSurfaces(), -1);  // a primary exists
  EXPECT_EQ(ps::LiveSurfaceCount(), live);
  vexal::SetBmpDataTableForTests({});
}

TEST_F(DDrawDeviceTest, BmpDataSurfaceSetUp) {
  Start(1);
  ps::Device* dd = vexal::GetDirectDrawObject();
  struct Case {
    const char* name;
    int no_video_memory, no_3d_surfaces, width;
    uint8_t in_video_memory;
  };
  const Case cases[] = {
      {"video memory", 0, 0, 64, 1},
      {"graphs may not use video memory", 1, 0, 64, 0},
      {"no 3-D surfaces", 0, 1, 64, 0},
      {"wider than the screen", 0, 0, 641, 0},
  };
  for (const Case& c : cases) {
    DDrawState.NoVideoMemory = c.no_video_memory;
    DDrawState.No3DSurfaces = c.no_3d_surfaces;
    vexal::BmpDataRecord r;
    ASSERT_EQ(vexal::CreateBmpDataSurface(c.width, 4, 3, 5, 0x10007, 0x00102030, 32, 0, &r, dd, 0, nullptr, 1, 2), 0)
        << c.name;
    EXPECT_EQ(r.InVideoMemory, c.in_video_memory) << c.name;
    EXPECT_EQ((Caps(r.Surface) & ps::kCapsVideoMemory) != 0, c.in_video_memory == 1) << c.name;
    EXPECT_EQ(std::tuple(r.Width, r.Height, r.SurfaceWidth, r.SurfaceHeight), std::tuple(c.width, 4, c.width, 4))
        << c.name;
    EXPECT_EQ(std::tuple(r.GraphX, r.GraphY, r.X, r.Y, r.OwnerGraph), std::tuple(3, 5, 1, 2, 0x10007)) << c.name;
    EXPECT_EQ(r.AlphaPlane, nullptr) << c.name;
    ps::ReleaseSurface(r.Surface);
  }
  DDrawState.NoVideoMemory = 0;
  DDrawState.No3DSurfaces = 0;

  // An alpha plane of 0xFF, one byte a pixel; a share takes the parent's surface, key and
  // plane with a place and size of its own, and makes no surface.
  vexal::BmpDataRecord parent, share;
  ASSERT_EQ(vexal::CreateBmpDataSurface(5, 3, 0, 0, 1, 0x00FF0000, 32, 1, &parent, dd, 0, nullptr, 0, 0), 0);
  EXPECT_EQ(parent.AlphaPitch, 5);
  EXPECT_EQ(std::vector<uint8_t>(parent.AlphaPlane.get(), parent.AlphaPlane.get() + 15),
            std::vector<uint8_t>(15, 0xFF));
  ps::ColorKey key;
  ps::GetColorKey(parent.Surface, &key);
  EXPECT_EQ(key.low, 0x00FF0000u);
  parent.SurfaceEntry = 9;
  const int live = ps::LiveSurfaceCount();
  ASSERT_EQ(vexal::CreateBmpDataSurface(2, 1, 0, 0, 2, 0, 32, 0, &share, dd, 1, &parent, 3, 2), 0);
  EXPECT_EQ(ps::LiveSurfaceCount(), live);
  EXPECT_EQ(share.Surface, parent.Surface);
  EXPECT_EQ(share.AlphaPlane, parent.AlphaPlane);
  EXPECT_EQ(std::tuple(share.SurfaceEntry, share.ColorKey, share.MaskFlag, share.OwnsAlphaPlane),
            std::tuple(9, 0x00FF0000, 1, 0));
  EXPECT_EQ(std::tuple(share.X, share.Y, share.Width, share.Height, share.SurfaceWidth), std::tuple(3, 2, 2, 1, 5));
  EXPECT_EQ(vexal::CreateBmpDataSurface(2, 1, 0, 0, 2, 0, 32, 0, &share, dd, 1, nullptr, 0, 0), -1);

  // On an 8-bit screen the key is palette index 0.
  DDrawState.ScreenColorBits = 8;
  vexal::BmpDataRecord indexed;
  ASSERT_EQ(vexal::CreateBmpDataSurface(2, 2, 0, 0, 3, 0x00FFFFFF, 8, 0, &indexed, dd, 0, nullptr, 0, 0), 0);
  ps::GetColorKey(indexed.Surface, &key);
  EXPECT_EQ(key.low, 0u);
}

TEST_F(DDrawDeviceTest, OffscreenSurfacesFallBackToSystemMemoryOnce) {
  Start(1);
  ps::Surface* s = nullptr;
  uint8_t in_video = 9;
  ps::InjectFailure(ps::Operation::kCreateSurface, ps::Result::kOutOfVideoMemory, 1);
  EXPECT_EQ(vexal::CreateOffscreenSurface(vexal::GetDirectDrawObject(), &s, &in_video, 0, 16, 16), 0);
  EXPECT_EQ(in_video, 0);
  EXPECT_NE(Caps(s) & ps::kCapsSystemMemory, 0u);
  EXPECT_EXIT(
      {
        ps::InjectFailure(ps::Operation::kCreateSurface, ps::Result::kOutOfMemory, 2);
        vexal::CreateOffscreenSurface(vexal::GetDirectDrawObject(), &s, nullptr, 1, 16, 16);
        std::exit(3);
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_EQ(LinesWith("オフスクリーン"), (std::vector<std::string>{"オフスクリーンサーフェスの作成に失敗しました"}));
}

TEST_F(DDrawDeviceTest, FailuresThatEndTheProgram) {
  struct Case {
    const char* name;
    bool started;  // the library runs before the failure is injected
    ps::Operation operation;
    int desktop_bits;
    std::function<void()> then;  // what meets the failure (default: the start-up)
    const char* message;
  };
  const Case cases[] = {
      {"device", false, ps::Operation::kCreateDevice, 32, nullptr, "DirectDrawオブジェクトの作成に失敗しました"},
      {"clipper", false, ps::Operation::kCreateClipper, 32, nullptr,
       "DirectDrawClipperオブジェクトの作成時にエラーが発生しました"},
      {"cooperative level", false, ps::Operation::kSetCooperativeLevel, 32, nullptr,
       "DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します"},
      {"primary", false, ps::Operation::kCreateSurface, 32, nullptr, "プライマリサーフェスの作成に失敗しました"},
      {"work surface key", false, ps::Operation::kSetColorKey, 32, nullptr, "作業用サーフェスの作成に失敗しました"},
      {"palette", false, ps::Operation::kCreatePalette, 8, nullptr, "パレットの作成に失敗しました"},
      {"device again at a mode change", true, ps::Operation::kCreateDevice, 32,
       [] { vexal::RequestScreenMode(320, 240, -1, -1); }, "DirectDraw オブジェクトの作成処理時にエラーが発生しました"},
      {"device again after a loss", true, ps::Operation::kCreateDevice, 32,
       [] {
         vexal::ReleaseMainSurfaces();
         vexal::ReleaseDirectDraw();
         vexal::RecreateDirectDraw();
       },
       "DirectDraw オブジェクトの作成処理時にエラーが発生しました"},
  };
  for (const Case& c : cases) {
    pd::SetDesktop(1024, 768, c.desktop_bits);
    EXPECT_EXIT(
        {
          vexal::ChangeWindowMode(1);
          if (c.started && vexal::LibraryInit() != 0) std::exit(3);
          ps::InjectFailure(c.operation, ps::Result::kInvalidParams, 1);
          if (c.then) {
            c.then();
          } else {
            vexal::LibraryInit();
          }
          std::exit(4);
        },
        ::testing::ExitedWithCode(255), "")
        << c.name;
    EXPECT_EQ(LinesWith(c.message), (std::vector<std::string>{c.message})) << c.name;
    EXPECT_EQ(LinesWith("ソフトをエラー終了します").size(), 1u) << c.name;
  }
}

TEST_F(DDrawDeviceTest, EightBitScreensShowTheBuiltInPalette) {
  pd::SetDesktop(1024, 768, 8);
  Start(1);
  ASSERT_EQ(vexal::GetScreenColorBits(), 8);
  ASSERT_NE(DDrawState.PaletteObject, nullptr);
  EXPECT_EQ(ps::GetPalette(vexal::GetPrimarySurface()), DDrawState.PaletteObject);
  EXPECT_EQ(ps::GetPalette(vexal::GetBackSurface()), DDrawState.PaletteObject);
  vexal::PaletteTable entries{};
  ps::GetPaletteEntries(DDrawState.PaletteObject, 0, entries);
  EXPECT_EQ(entries, vexal::kBuiltInPalette);
  EXPECT_EQ(vexal::MakeColorValue(0, 0, 139), 16u);

  // After the device came back the palette object shows the colours the screen had.
  DDrawState.Screen.Palette[1] = {1, 2, 3, 0};
  vexal::ReleaseMainSurfaces();
  vexal::ReleaseDirectDraw();
  EXPECT_EQ(DDrawState.PaletteObject, nullptr);
  vexal::RecreateDirectDraw();
  vexal::CreateMainSurfaces();
  EXPECT_EQ(vexal::RestorePalette(), 0);
  ASSERT_NE(DDrawState.PaletteObject, nullptr);
  EXPECT_EQ(ps::GetPalette(vexal::GetPrimarySurface()), DDrawState.PaletteObject);
  ps::GetPaletteEntries(DDrawState.PaletteObject, 0, entries);
  EXPECT_EQ(entries[1], (plat::PaletteEntry{1, 2, 3, 0}));
  EXPECT_EQ(entries[2], vexal::kBuiltInPalette[2]);

  // In full screen every back buffer of the chain gets the palette.
  pd::SetAcceptedModes({{640, 480, 8, {}}});
  vexal::ChangeWindowMode(0);
  ASSERT_EQ(vexal::GetScreenColorBits(), 8);
  int buffers = 0;
  ps::EnumAttachedSurfaces(vexal::GetPrimarySurface(), [&](ps::Surface* s) {
    EXPECT_EQ(ps::GetPalette(s), DDrawState.PaletteObject);
    ++buffers;
    return true;
  });
  EXPECT_EQ(buffers, 2);
}

TEST_F(DDrawDeviceTest, LostMainSurfacesAreRestored) {
  Start(1);
  ps::MarkSurfaceLost(vexal::GetPrimarySurface());
  ps::MarkSurfaceLost(vexal::GetBackSurface());
  EXPECT_EQ(vexal::RestoreMainSurfaces(), 0);
  EXPECT_EQ(ps::IsLost(vexal::GetPrimarySurface()), ps::Result::kOk);
  EXPECT_EQ(ps::IsLost(vexal::GetBackSurface()), ps::Result::kOk);
  vexal::ReleaseMainSurfaces();
  vexal::ReleaseDirectDraw();
  EXPECT_EQ(vexal::RestoreMainSurfaces(), -1);
  EXPECT_EQ(vexal::ReleaseMainSurfaces(), -1);
}

}  // namespace
