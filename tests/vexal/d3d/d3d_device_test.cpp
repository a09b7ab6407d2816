// The Direct3D device's life on the device stand-in: start-up with its log, the texture
// limits, every failure of the start-up, release and restore with shared textures.
#include "vexal/d3d/d3d_device.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/vexal/d3d/d3d_fixture.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/render_state_cache.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/surface_table.h"

namespace {

using d3dtest::Direct3DTest;
namespace pd = plat::d3d;
namespace ps = plat::surface;

TEST_F(Direct3DTest, StartUpChoosesTheHardwareDeviceAndLogsItsLimitsAndFormats) {
  Start3D();
  ASSERT_NE(vexal::D3DObject, nullptr);
  EXPECT_EQ(vexal::D3DInitialised, 1);
  EXPECT_EQ(vexal::GraphTable.Direct3DAvailable, 1u);
  EXPECT_EQ(vexal::D3DTargetIsFront, 1);  // graph management starts on the front screen
  EXPECT_EQ(Current().Used, 1u);
  EXPECT_EQ(Current().TextureAddress, vexal::kTextureAddressClamp);
  EXPECT_EQ(pd::GetRenderState(Current().Device, pd::RenderState::kShadeMode), pd::kShadeFlat);
  EXPECT_EQ(pd::GetTextureStageState(Current().Device, pd::StageState::kAlphaOp), pd::kOpSelectArg2);
  EXPECT_EQ(vexal::MinTextureSize, 32);
  EXPECT_EQ(vexal::MaxTextureSize, 256);
  for (const char* line :
       {"Direct3D 関連の初期化を行います", "３Ｄデバイスを作成します... ３Ｄデバイスの作成に成功しました",
        "テクスチャ最大幅:256 最小幅:32 ", "描画制限: D3DPTEXTURECAPS_POW2 = 1  D3DPTEXTURECAPS_SQUAREONLY = 0 ",
        "通常グラフィック用", "アルファチャンネル付きグラフィック用", "Direct3D 関連の初期化は正常に終了しました",
        "３Ｄグラフィック描画機能を使用します"}) {
    EXPECT_EQ(LinesWith(line).size(), 1u) << line;
  }
  // The 32-bit alpha format as the log reports it.
  EXPECT_EQ(LinesWith("BIT:32  ALPHA:8  RED:8  GREEN:8  BLUE:8 ").size(), 1u);
  EXPECT_EQ(LinesWith("ALPHA:ff000000 RED:00ff0000 GREEN:0000ff00 BLUE:000000ff ").size(), 1u);
  // A second start without an end changes nothing.
  const pd::Direct3D* object = vexal::D3DObject;
  EXPECT_EQ(vexal::InitDirect3D(), -1);
  EXPECT_EQ(vexal::D3DObject, object);
}

TEST_F(Direct3DTest, TextureLimitsComeFromTheSmallerSideWithAFloorAndADefault) {
  struct Case {
    uint32_t min_w, min_h, max_w, max_h;
    int want_min, want_max;
  } cases[] = {
      {1, 1, 2048, 2048, 32, 2048},
      {0, 0, 0, 0, 32, 256},
      {64, 16, 2048, 1024, 32, 1024},
      {64, 128, 512, 0, 64, 256},
  };
  Start3D();
  for (const Case& c : cases) {
    pd::Profile p = pd::DefaultProfile();
    p.devices[1].min_texture_width = c.min_w;
    p.devices[1].min_texture_height = c.min_h;
    p.devices[1].max_texture_width = c.max_w;
    p.devices[1].max_texture_height = c.max_h;
    pd::SetProfile(p);
    vexal::EndDirect3D();
    ASSERT_EQ(vexal::InitDirect3D(), 0);
    EXPECT_EQ(vexal::MinTextureSize, c.want_min) << c.min_w << " " << c.min_h;
    EXPECT_EQ(vexal::MaxTextureSize, c.want_max) << c.max_w << " " << c.max_h;
  }
}

TEST_F(Direct3DTest, EveryStartUpFailureLogsItsLineAndReleasesWhatItMade) {
  pd::Device* const kForeign = reinterpret_cast<pd::Device*>(uintptr_t{0x10});
  struct Row {
    const char* name;
    std::function<void()> setup;
    const char* line;  // "" for none
  };
  const pd::PixelFormatDesc kDepth16Stencil{pd::kPfZBuffer | pd::kPfStencil, 0, 16, 0xFFFE, 1, 0, 0};
  const std::vector<Row> rows = {
      {"no object", [] { pd::InjectFailure(pd::Call::kQueryDirect3D, pd::Result::kOutOfMemory); },
       "Direct3Dオブジェクトの作成に失敗しました"},
      {"no device at the depth",
       [] {
         pd::Profile p = pd::DefaultProfile();
         for (auto& d : p.devices) d.render_depths = pd::kRenderDepth24;
         pd::SetProfile(p);
       },
       "現在の画面モードで使用できる描画デバイスが見つかりませんでした"},
      {"24-bit screen", [] { vexal::DDrawState.ScreenColorBits = 24; },
       "現在の画面モードで使用できる描画デバイスが見つかりませんでした"},
      {"8-bit screen", [] { vexal::DDrawState.ScreenColorBits = 8; },
       "現在の画面モードで使用できる描画デバイスが見つかりませんでした"},
      {"only the software device",
       [] {
         pd::Profile p = pd::DefaultProfile();
         p.devices.pop_back();
         pd::SetProfile(p);
       },
       "現在の画面モードで使用できる描画デバイスが見つかりませんでした"},
      {"no plain 16-bit depth",
       [&] {
         pd::Profile p = pd::DefaultProfile();
         p.depth_formats = {pd::kDepth32, kDepth16Stencil};
         pd::SetProfile(p);
       },
       "使用可能なＺバッファが見つかりませんでした"},
      {"every record used",
       [&] {
         for (auto& r : vexal::D3DDeviceTable) r.Used = 1, r.Device = kForeign;
       },
       ""},
      {"device creation", [] { pd::InjectFailure(pd::Call::kCreateDevice, pd::Result::kOutOfMemory); },
       "３Ｄデバイスの作成に失敗しました"},
      {"the checked address state",
       [] {
         pd::InjectFailure(pd::Call::kSetTextureStageState, pd::Result::kInvalidParams, 1,
                           static_cast<int64_t>(pd::StageState::kAddress), 1);
       },
       ""},
      {"32-bit textures only",
       [] {
         pd::Profile p = pd::DefaultProfile();
         p.texture_formats = {pd::kTexX8R8G8B8, pd::kTexA8R8G8B8};
         pd::SetProfile(p);
       },
       "使用可能なテクスチャフォーマットが見つかりませんでした"},
      {"depth buffer made before the device fails",
       [] {
         vexal::ZBufferRequested = 1;
         pd::InjectFailure(pd::Call::kCreateDevice, pd::Result::kOutOfMemory);
       },
       "３Ｄデバイスの作成に失敗しました"},
  };
  Start3D();
  const int bits = vexal::DDrawState.ScreenColorBits;
  for (const Row& row : rows) {
    vexal::EndDirect3D();
    ASSERT_EQ(vexal::D3DObject, nullptr);
    const int surfaces = ps::LiveSurfaceCount();
    const size_t lines_before = LogLines().size();
    row.setup();
    EXPECT_EQ(vexal::InitDirect3D(), -1) << row.name;
    EXPECT_EQ(vexal::D3DObject, nullptr) << row.name;
    EXPECT_EQ(vexal::D3DInitialised, 0) << row.name;
    EXPECT_EQ(pd::LiveObjectCount(), 0) << row.name;
    EXPECT_EQ(pd::LiveDeviceCount(), 0) << row.name;
    EXPECT_EQ(ps::LiveSurfaceCount(), surfaces) << row.name;
    EXPECT_EQ(vexal::ZBufferSurface, nullptr) << row.name;
    const std::vector<std::string> lines = LogLines();
    bool found = false, limits = false;
    for (size_t i = lines_before; i < lines.size(); ++i) {
      if (*row.line != '\0' && lines[i].find(row.line) != std::string::npos) found = true;
      if (lines[i].find("テクスチャ最大幅") != std::string::npos) limits = true;
    }
    EXPECT_TRUE(*row.line == '\0' || found) << row.name;
    EXPECT_FALSE(limits) << row.name;
    // Back to a device that starts.
    pd::ClearInjectedFailures();
    pd::SetProfile(d3dtest::Profile256());
    vexal::DDrawState.ScreenColorBits = bits;
    vexal::ZBufferRequested = 0;
    for (auto& r : vexal::D3DDeviceTable) {
      if (r.Device == kForeign) r = vexal::D3DDeviceRecord{};
    }
    ASSERT_EQ(vexal::InitDirect3D(), 0) << row.name;
  }
}

TEST_F(Direct3DTest, ARequestedDepthBufferIsMadeBeforeTheDeviceAndGoesWithIt) {
  Start3D();
  vexal::EndDirect3D();
  EXPECT_EQ(vexal::CreateZBuffer(), 0);  // no object: only noted
  EXPECT_EQ(vexal::ZBufferRequested, 1);
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::InitDirect3D(), 0);
  ASSERT_NE(vexal::ZBufferSurface, nullptr);
  const ps::SurfaceInfo info = ps::GetSurfaceInfo(vexal::ZBufferSurface);
  int w = 0, h = 0;
  vexal::GetScreenSize(&w, &h);
  EXPECT_EQ(info.width, w);
  EXPECT_EQ(info.height, h);
  EXPECT_EQ(info.format.bit_count, 16);
  ps::Surface* attached = nullptr;
  EXPECT_EQ(ps::GetAttachedSurface(vexal::GetBackSurface(), ps::kCapsZBuffer, &attached), ps::Result::kOk);
  EXPECT_EQ(attached, vexal::ZBufferSurface);
  ps::ReleaseSurface(attached);
  for (const std::string& line : d3dtest::JournalLines()) EXPECT_EQ(line.find("kZEnable"), std::string::npos) << line;
  // A device exists now: nothing more is made.
  ps::Surface* before = vexal::ZBufferSurface;
  EXPECT_EQ(vexal::CreateZBuffer(), 0);
  EXPECT_EQ(vexal::ZBufferSurface, before);
}

TEST_F(Direct3DTest, EndDeletesEveryTextureRecordAndReleasesEverything) {
  Start3D();
  vexal::GraphRecord* a = NewGraph(64, 64);
  vexal::GraphRecord* b = NewGraph(320, 240);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(a), 0);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(b), 0);
  EXPECT_EQ(vexal::TexDataTable.Count, 3);
  const int surfaces = ps::LiveSurfaceCount();
  const size_t lines_before = LogLines().size();
  EXPECT_EQ(vexal::EndDirect3D(), 0);
  EXPECT_EQ(vexal::TexDataTable.Count, 0);
  EXPECT_EQ(vexal::TexDataTable.End, 0);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces - 3);
  EXPECT_EQ(pd::LiveDeviceCount(), 0);
  EXPECT_EQ(pd::LiveObjectCount(), 0);
  int removals = 0;
  const std::vector<std::string> lines = LogLines();
  for (size_t i = lines_before; i < lines.size(); ++i) {
    if (lines[i].find("３Ｄデバイスの削除は正常に終了しました") != std::string::npos) ++removals;
  }
  EXPECT_EQ(removals, 1);
  EXPECT_EQ(vexal::EndDirect3D(), -1);
  EXPECT_EQ(vexal::ReleaseDirect3D(), -1);  // not started any more
}

TEST_F(Direct3DTest, ReleaseAndRestoreGiveOneSharedSurfaceBackToBothRecords) {
  Start3D();
  vexal::GraphRecord* parent = NewGraph(64, 64);
  vexal::GraphRecord* derived = NewGraph(16, 16);
  vexal::GraphRecord* other = NewGraph(32, 32);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(parent), 0);
  ASSERT_EQ(vexal::D3DCreateDerivedGraphStorage(derived, 8, 8, 16, 16, parent), 0);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(other), 0);
  vexal::TextureRecord* p = vexal::GetTexData(static_cast<int>(parent->Pieces[0]));
  vexal::TextureRecord* d = vexal::GetTexData(static_cast<int>(derived->Pieces[0]));
  vexal::TextureRecord* o = vexal::GetTexData(static_cast<int>(other->Pieces[0]));
  ASSERT_EQ(p->surface, d->surface);
  const int surfaces = ps::LiveSurfaceCount();

  EXPECT_EQ(vexal::ReleaseDirect3D(), 0);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces - 2);  // the shared one once, the other one
  EXPECT_EQ(p->surface, nullptr);
  EXPECT_EQ(d->surface, nullptr);
  EXPECT_EQ(o->surface, nullptr);
  EXPECT_EQ(vexal::D3DObject, nullptr);
  EXPECT_EQ(Current().Used, 1u);
  EXPECT_EQ(Current().Device, nullptr);
  EXPECT_EQ(pd::LiveDeviceCount(), 0);
  // Nothing is drawn or stored while the device is away.
  EXPECT_EQ(vexal::D3DRestoreLostSurfaces(parent), -1);

  EXPECT_EQ(vexal::RestoreDirect3D(), 0);
  ASSERT_NE(p->surface, nullptr);
  EXPECT_EQ(p->surface, d->surface);
  EXPECT_NE(o->surface, nullptr);
  EXPECT_NE(o->surface, p->surface);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces);
  EXPECT_EQ(p->restorePending, 1);
  EXPECT_EQ(pd::LiveDeviceCount(), 1);
  EXPECT_EQ(vexal::D3DRestoreLostSurfaces(parent), 0);

  // A second restore only says the object is held.
  const size_t lines_before = LogLines().size();
  EXPECT_EQ(vexal::RestoreDirect3D(), 0);
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size() - lines_before, 2u);
  EXPECT_NE(lines[lines_before].find("Ｄｉｒｅｃｔ３Ｄオブジェクトを取得します"), std::string::npos);
  EXPECT_NE(lines[lines_before + 1].find("Ｄｉｒｅｃｔ３Ｄオブジェクトは既に取得されていますn"), std::string::npos);
}

TEST_F(Direct3DTest, AFailedRestoreLeavesARecordWithoutADeviceThatNothingCallsThrough) {
  Start3D();
  vexal::GraphRecord* g = NewGraph(64, 64);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(g), 0);
  ASSERT_EQ(vexal::ReleaseDirect3D(), 0);
  pd::InjectFailure(pd::Call::kCreateDevice, pd::Result::kOutOfMemory);
  EXPECT_EQ(vexal::RestoreDirect3D(), 0);
  EXPECT_NE(vexal::D3DObject, nullptr);
  EXPECT_EQ(Current().Device, nullptr);
  // Every row-1 operation treats the half-restored record as unusable.
  EXPECT_EQ(vexal::D3DSetTextureFilter(1, vexal::D3DCurrentDevice), -1);
  EXPECT_EQ(vexal::D3DSetDrawTarget(vexal::kBackScreen), 0);
  EXPECT_EQ(vexal::D3DRestoreLostSurfaces(g), -1);
  EXPECT_EQ(vexal::EndPending3DScene(), 0);
  // Release and restore again bring the device and the texture back.
  EXPECT_EQ(vexal::ReleaseDirect3D(), 0);
  EXPECT_EQ(vexal::RestoreDirect3D(), 0);
  ASSERT_NE(Current().Device, nullptr);
  EXPECT_NE(vexal::GetTexData(static_cast<int>(g->Pieces[0]))->surface, nullptr);
  // A screen-mode change from the half-restored state ends it cleanly too.
  ASSERT_EQ(vexal::ReleaseDirect3D(), 0);
  pd::InjectFailure(pd::Call::kCreateDevice, pd::Result::kOutOfMemory);
  ASSERT_EQ(vexal::RestoreDirect3D(), 0);
  EXPECT_EQ(vexal::EndDirect3D(), 0);
  EXPECT_EQ(vexal::TexDataTable.Count, 0);
  EXPECT_EQ(Current().Used, 0u);
}

TEST_F(Direct3DTest, GraphsMadeWhileHalfRestoredGetTheirTexturesWithTheNextDevice) {
  Start3D();
  ASSERT_EQ(vexal::ReleaseDirect3D(), 0);
  pd::InjectFailure(pd::Call::kCreateDevice, pd::Result::kOutOfMemory);
  ASSERT_EQ(vexal::RestoreDirect3D(), 0);
  ASSERT_EQ(Current().Device, nullptr);
  // A graph and a divided graph made now: records without surfaces, nothing that would
  // outlive the DirectDraw object.
  const int surfaces = ps::LiveSurfaceCount();
  vexal::GraphRecord* g = NewGraph(64, 64);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(g), 0);
  std::vector<vexal::GraphRecord*> cells = {NewGraph(32, 32), NewGraph(32, 32)};
  ASSERT_EQ(vexal::D3DCreateDivGraphStorage(cells.data(), 2, 2, 1, 32, 32), 0);
  vexal::GraphRecord* part = NewGraph(16, 16);
  ASSERT_EQ(vexal::D3DCreateDerivedGraphStorage(part, 8, 8, 16, 16, g), 0);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces);
  vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(g->Pieces[0]));
  vexal::TextureRecord* cell = vexal::GetTexData(static_cast<int>(cells[1]->Pieces[0]));
  EXPECT_EQ(t->surface, nullptr);
  EXPECT_EQ(cell->surface, nullptr);
  std::vector<uint8_t> bytes(64 * 64 * 3, 0x80);
  vexal::GraphImage img{};
  vexal::SetPixelFormat24(&img.ColorFormat);
  img.Width = img.Height = 64;
  img.Pitch = 64 * 3;
  img.Pixels = bytes.data();
  EXPECT_EQ(vexal::D3DSetGraphImage(nullptr, nullptr, nullptr, 0, 0, g, 0, &img, nullptr), -1);

  // The desktop changes back: the object goes, and the rebuilt device makes every texture.
  ASSERT_EQ(vexal::ReleaseDirect3D(), 0);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces);
  ASSERT_EQ(vexal::RestoreDirect3D(), 0);
  ASSERT_NE(Current().Device, nullptr);
  EXPECT_NE(t->surface, nullptr);
  EXPECT_NE(cell->surface, nullptr);
  EXPECT_EQ(vexal::GetTexData(static_cast<int>(part->Pieces[0]))->surface, t->surface);
  EXPECT_EQ(vexal::GetTexData(static_cast<int>(cells[0]->Pieces[0]))->surface, cell->surface);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces + 2);
  EXPECT_EQ(vexal::D3DSetGraphImage(nullptr, nullptr, nullptr, 0, 0, g, 0, &img, nullptr), 0);
  EXPECT_EQ(vexal::D3DBltBmpToDivGraph(nullptr, nullptr, nullptr, cells.data(), 2, 0, &img, nullptr), 0);
}

TEST_F(Direct3DTest, TexturesLeftOnAHalfRestoredRecordGoWithTheObject) {
  Start3D();
  vexal::GraphRecord* g = NewGraph(64, 64);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(g), 0);
  ASSERT_EQ(vexal::ReleaseDirect3D(), 0);
  pd::InjectFailure(pd::Call::kCreateDevice, pd::Result::kOutOfMemory);
  ASSERT_EQ(vexal::RestoreDirect3D(), 0);
  // A texture that came to the record somehow while it had no device.
  vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(g->Pieces[0]));
  const int surfaces = ps::LiveSurfaceCount();
  ASSERT_EQ(
      vexal::CreateTextureSurface(vexal::GetDirectDrawObject(), &t->surface,
                                  vexal::GetTexturePixelFormat(t->AlphaValid, t->AlphaTestValid, t->ColorBitDepth),
                                  t->texWidth, t->texHeight),
      0);
  ASSERT_EQ(vexal::ReleaseDirect3D(), 0);
  EXPECT_EQ(t->surface, nullptr);
  EXPECT_EQ(ps::LiveSurfaceCount(), surfaces);
  EXPECT_EQ(t->restorePending, 1);
  ASSERT_EQ(vexal::RestoreDirect3D(), 0);
  EXPECT_NE(t->surface, nullptr);
}

// A 24-bit bitmap file of w x h grey pixels.
std::string GreyBitmap(int w, int h) {
  const int row = (w * 3 + 3) & ~3;
  std::string b(54 + static_cast<size_t>(row) * h, '\0');
  auto put = [&](size_t at, uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) b[at + k] = static_cast<char>(v >> (8 * k));
  };
  b[0] = 'B', b[1] = 'M';
  put(2, static_cast<uint32_t>(b.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(w), 4);
  put(22, static_cast<uint32_t>(h), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (size_t i = 54; i < b.size(); ++i) b[i] = '\x80';
  return b;
}

TEST_F(Direct3DTest, AGraphLoadedWhileTheDesktopHasNoDeviceOutlivesTheDesktopComingBack) {
  // A device that renders only at 32 bits, in a window on a 32-bit desktop.
  pd::Profile profile = d3dtest::Profile256();
  for (pd::DeviceDesc& d : profile.devices) d.render_depths = pd::kRenderDepth32;
  plat::window::OverrideDesktopMode(plat::window::DesktopMode{1024, 768, 32});
  plat::display::SetDesktop(1024, 768, 32);
  Start3D(profile);
  ASSERT_NE(Current().Device, nullptr);
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("grey.bmp"), GreyBitmap(8, 8)));
  auto desktop = [](int bits) {
    plat::window::OverrideDesktopMode(plat::window::DesktopMode{1024, 768, bits});
    plat::display::SetDesktop(1024, 768, bits);
    plat::window::DesktopChanged(bits, 1024, 768);
    vexal::PumpMessages();
  };
  // The desktop goes to 16 bits and back, with a graph loaded in between: the program
  // goes on, and the graph draws through the device again.
  EXPECT_EXIT(
      {
        desktop(16);
        // Half restored: the object again, no device at this depth.
        if (vexal::D3DObject == nullptr || Current().Device != nullptr) std::exit(6);
        const int graph = vexal::LoadGraph(dir_.File("grey.bmp"));
        if (graph == -1) std::exit(3);
        desktop(32);
        if (vexal::D3DObject == nullptr || Current().Device == nullptr) std::exit(4);
        if (vexal::DrawGraph(0, 0, graph, 0) != 0) std::exit(5);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
