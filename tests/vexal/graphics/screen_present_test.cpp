// Presenting the back screen: where its pixels land on the primary (checked against a
// slow reference of the clipping rule), which flip or wait each mode makes, and the
// copy through device contexts.
#include "vexal/graphics/screen/screen_present.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "platform/surface/presentation.h"
#include "tests/support/png_file.h"
#include "tests/vexal/graphics/graph_pixels.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/app/log/screen_log.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/graphics/drawing/call_trace.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace {

namespace ps = plat::surface;
using vexal::AppState;
using vexal::DDrawState;

// Every pixel of a 32-bit surface, row by row.
std::vector<uint32_t> Pixels(ps::Surface* s) {
  ps::LockedRect r;
  EXPECT_EQ(ps::Lock(s, nullptr, 0, &r), ps::Result::kOk);
  std::vector<uint32_t> out;
  for (int y = 0; y < r.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(r.bits + static_cast<ptrdiff_t>(y) * r.pitch);
    out.insert(out.end(), row, row + r.width);
  }
  ps::Unlock(s);
  return out;
}

// Fills a 32-bit surface with a value of its own at every pixel: x + 1 | y << 16.
void Paint(ps::Surface* s) {
  ps::LockedRect r;
  ASSERT_EQ(ps::Lock(s, nullptr, 0, &r), ps::Result::kOk);
  for (int y = 0; y < r.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(r.bits + static_cast<ptrdiff_t>(y) * r.pitch);
    for (int x = 0; x < r.width; ++x) row[x] = static_cast<uint32_t>(x + 1) | (static_cast<uint32_t>(y) << 16);
  }
  ps::Unlock(s);
}

class ScreenPresentTest : public screentest::ScreenTest {
 protected:
  // A window-mode library with a 16 x 8 screen on the 1024 x 768 desktop, drawing to the
  // back screen.
  void StartSmallWindow() {
    vexal::RequestScreenMode(16, 8, -1, -1);
    Start(1);
    vexal::SetDrawTarget(-2);
  }
};

TEST_F(ScreenPresentTest, AWindowShowsTheBackScreenAtItsClientAreaClippedToTheDesktop) {
  StartSmallWindow();
  struct Case {
    const char* name;
    std::array<int32_t, 4> client;  // left, top, right, bottom on the desktop
  };
  const Case cases[] = {
      {"inside", {100, 50, 116, 58}},
      {"off the top-left corner", {-4, -2, 12, 6}},
      {"off the bottom-right corner", {1020, 764, 1036, 772}},
      {"touching the right edge", {1008, 0, 1024, 8}},
      {"entirely off the desktop", {1030, 10, 1046, 18}},
  };
  Paint(vexal::GetBackSurface());
  const std::vector<uint32_t> back = Pixels(vexal::GetBackSurface());
  for (const Case& c : cases) {
    ps::Blt(vexal::GetPrimarySurface(), nullptr, nullptr, nullptr, ps::kBltColorFill, 0);
    AppState.ClientRect = c.client;
    const uint64_t frames = plat::presentation::PresentedFrames();
    EXPECT_EQ(vexal::PresentScreen(), 0) << c.name;
    // Every presentation is a frame, also of a window off the desktop (a black one).
    EXPECT_EQ(plat::presentation::PresentedFrames(), frames + 1) << c.name;
    // Reference: a desktop pixel shows the back screen's pixel under it, or stays 0.
    std::vector<uint32_t> expected(1024 * 768, 0);
    for (int y = 0; y < 768; ++y) {
      for (int x = 0; x < 1024; ++x) {
        const int bx = x - c.client[0], by = y - c.client[1];
        if (bx >= 0 && bx < 16 && by >= 0 && by < 8) expected[y * 1024 + x] = back[by * 16 + bx];
      }
    }
    EXPECT_EQ(Pixels(vexal::GetPrimarySurface()), expected) << c.name;
  }
}

// The front screen as draw target: what is drawn there counts no frame by itself and
// shows, at the client area, in the frame the next presentation makes.
TEST_F(ScreenPresentTest, DrawingOnTheFrontScreenShowsAtTheNextPresentation) {
  StartSmallWindow();
  AppState.ClientRect = {100, 50, 116, 58};
  const int graph = vexal::CreateBlankGraph(2, 2);
  Paint(graphtest::FirstPiece(graph)->Surface);  // x + 1 | y << 16: blue x + 1, red y
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kFrontScreen), 0);
  ps::Blt(vexal::GetPrimarySurface(), nullptr, nullptr, nullptr, ps::kBltColorFill, 0);
  plat::presentation::HarnessSettings capture;
  capture.capture_dir = dir_.File("frames");
  plat::presentation::SetHarnessSettings(capture);
  const uint64_t frames = plat::presentation::PresentedFrames();
  ASSERT_EQ(vexal::DrawGraph(3, 4, graph, 0), 0);
  EXPECT_EQ(plat::presentation::PresentedFrames(), frames);
  ASSERT_EQ(vexal::PresentScreen(), 0);
  ASSERT_EQ(plat::presentation::PresentedFrames(), frames + 1);
  plat::presentation::SetHarnessSettings({});
  const auto png = nltest::ReadPng(plat::presentation::FrameFileName(dir_.File("frames"), frames + 1));
  ASSERT_TRUE(png);
  ASSERT_EQ(std::tuple(png->width, png->height), std::tuple(16, 8));
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool drawn = x >= 3 && x < 5 && y >= 4 && y < 6;
      const std::array<int, 3> want = drawn ? std::array<int, 3>{y - 4, 0, x - 3 + 1} : std::array<int, 3>{0, 0, 0};
      const uint8_t* p = &png->rgb[static_cast<size_t>((y * 16 + x) * 3)];
      EXPECT_EQ((std::array<int, 3>{p[0], p[1], p[2]}), want) << x << "," << y;
    }
  }
}

TEST_F(ScreenPresentTest, WhatEachModePresentsWith) {
  struct Case {
    const char* name;
    int window_mode;
    int use_3d_surfaces;
    int target;
    int vsync;
    uint64_t flips, blits, fast_blits, blank_waits;
    uint32_t flip_flags;
  };
  const Case cases[] = {
      {"full screen", 0, 1, -2, 0, 1, 0, 0, 0, ps::kFlipWait | ps::kFlipNoVSync},
      {"full screen, waiting for the blank", 0, 1, -2, 1, 1, 0, 0, 0, ps::kFlipWait},
      {"full screen, drawing to the front", 0, 1, -4, 1, 0, 0, 0, 1, 0},
      {"full screen, drawing to the front without the wait", 0, 1, -4, 0, 1, 0, 0, 0, ps::kFlipWait | ps::kFlipNoVSync},
      {"full screen without a flip chain", 0, 0, -2, 0, 0, 0, 1, 0, 0},
      {"full screen without a flip chain, waiting", 0, 0, -2, 1, 0, 0, 1, 1, 0},
      {"window", 1, 1, -2, 0, 0, 1, 0, 0, 0},
      {"window, waiting for the blank", 1, 1, -2, 1, 0, 1, 0, 1, 0},
      {"window, drawing to the front", 1, 1, -4, 0, 0, 0, 0, 1, 0},
  };
  for (const Case& c : cases) {
    vexal::ResetAppState();
    plat::window::ResetWindowStandIn();
    vexal::EndDirectDraw();
    plat::window::SetInstanceLockPath(dir_.File("instance.lock"));
    vexal::SetUse3DSurfaces(c.use_3d_surfaces);
    Start(c.window_mode);
    vexal::SetDrawTarget(c.target);
    vexal::SetVSyncWaitFlag(c.vsync);
    const ps::Counters before = ps::GetCounters();
    EXPECT_EQ(vexal::PresentScreen(), 0) << c.name;
    const ps::Counters after = ps::GetCounters();
    EXPECT_EQ(after.flips - before.flips, c.flips) << c.name;
    EXPECT_EQ(after.blits - before.blits, c.blits) << c.name;
    EXPECT_EQ(after.fast_blits - before.fast_blits, c.fast_blits) << c.name;
    EXPECT_EQ(after.vertical_blank_waits - before.vertical_blank_waits, c.blank_waits) << c.name;
    if (c.flips != 0) {
      EXPECT_EQ(after.last_flip_flags, c.flip_flags) << c.name;
    }
  }
  vexal::EndDirectDraw();
  EXPECT_EQ(vexal::PresentScreen(), -1);
  EXPECT_EQ(vexal::PresentScreenByBlt(), -1);
}

TEST_F(ScreenPresentTest, AFullScreenWithoutFlipChainCopiesTheWholeBackScreen) {
  vexal::SetUse3DSurfaces(0);
  vexal::RequestScreenMode(320, 240, 32, -1);
  Start(0);
  vexal::SetDrawTarget(-2);
  Paint(vexal::GetBackSurface());
  EXPECT_EQ(vexal::PresentScreen(), 0);
  EXPECT_EQ(Pixels(vexal::GetPrimarySurface()), Pixels(vexal::GetBackSurface()));
}

// Whether the application was active, and how many frames had been presented, each time
// a graph was brought back.
std::vector<std::pair<int, uint64_t>> Restores;
int RecordRestore(vexal::GraphRecord*) {
  Restores.emplace_back(AppState.ActiveFlag, plat::presentation::PresentedFrames());
  return 0;
}

TEST_F(ScreenPresentTest, AnInactiveApplicationWaitsUntilItIsActiveAgain) {
  StartSmallWindow();
  vexal::DrawBackendRows rows = vexal::DrawBackendTable;
  rows[vexal::kDDrawRow].RestoreLostSurfaces = RecordRestore;
  vexal::SetDrawBackendTableForTests(&rows);
  Restores.clear();
  vexal::AddGraphHandle(8, 8, 0, 0, nullptr, 0);
  // The user comes back to the window at the third look at the events.
  int polls_left = 3;
  plat::window::SetEventSource([&] {
    if (polls_left > 0 && --polls_left == 0) plat::window::UserFocus(AppState.MainWindow, true);
  });
  AppState.ActiveFlag = 0;
  const uint64_t frames = plat::presentation::PresentedFrames();
  EXPECT_EQ(vexal::PresentScreen(), 0);
  plat::window::SetEventSource(nullptr);
  vexal::SetDrawBackendTableForTests(nullptr);
  EXPECT_EQ(polls_left, 0);
  EXPECT_EQ(AppState.ActiveFlag, 1);
  // Once active the graph came back, and only then was the frame presented.
  EXPECT_EQ(Restores, (std::vector<std::pair<int, uint64_t>>{{1, frames}}));
  EXPECT_EQ(plat::presentation::PresentedFrames(), frames + 1);
}

TEST_F(ScreenPresentTest, TheOnScreenLogIsDrawnOverTheWholeScreenWithoutBlending) {
  StartSmallWindow();
  vexal::SetDrawClipArea(1, 2, 3, 4);
  vexal::SetBlendModeParam(1, 128);
  DDrawState.CoarseBlendFlag = 1;
  std::vector<std::string> calls;
  vexal::SetCallTraceHook([&](std::string_view call) { calls.emplace_back(call); });
  EXPECT_EQ(vexal::PresentScreen(), 0);
  EXPECT_TRUE(calls.empty());  // nothing logged on the screen yet
  vexal::ScreenLogPrintf("x");
  int area[4] = {};
  int mode = 0, param = 0;
  vexal::SetCallTraceHook([&](std::string_view call) {
    if (call == "ScreenLogDraw") {
      vexal::GetDrawClipArea(area);
      vexal::GetBlendModeParam(&mode, &param);
    }
    calls.emplace_back(call);
  });
  EXPECT_EQ(vexal::PresentScreen(), 0);
  vexal::SetCallTraceHook(nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"ScreenLogDraw"}));
  EXPECT_EQ(std::vector<int>(area, area + 4), (std::vector<int>{0, 0, 16, 8}));
  EXPECT_EQ(std::pair(mode, param), std::pair(0, 0));
  vexal::GetDrawClipArea(area);
  vexal::GetBlendModeParam(&mode, &param);
  EXPECT_EQ(std::vector<int>(area, area + 4), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(std::pair(mode, param), std::pair(1, 128));
  EXPECT_EQ(DDrawState.CoarseBlendFlag, 1);
}

TEST_F(ScreenPresentTest, CopyingThroughDeviceContextsGivesTheSamePixels) {
  StartSmallWindow();
  ps::Surface* work = DDrawState.Work1;
  Paint(vexal::GetBackSurface());
  const std::vector<uint32_t> back = Pixels(vexal::GetBackSurface());
  for (int gdi : {0, 1}) {
    ps::Blt(work, nullptr, nullptr, nullptr, ps::kBltColorFill, 0);
    DDrawState.UseGdiScreenCopy = gdi;
    const ps::Counters before = ps::GetCounters();
    const ps::Rect rect{2, 1, 6, 4};
    EXPECT_EQ(vexal::BltToScreenDC(work, vexal::GetBackSurface(), 10, 3, &rect), 0) << gdi;
    const ps::Counters after = ps::GetCounters();
    EXPECT_EQ(after.fast_blits - before.fast_blits, gdi ? 0u : 1u) << gdi;
    EXPECT_EQ(after.dc_copies - before.dc_copies, gdi ? 1u : 0u) << gdi;
    std::vector<uint32_t> expected(16 * 8, 0);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) expected[(3 + y) * 16 + 10 + x] = back[(1 + y) * 16 + 2 + x];
    }
    EXPECT_EQ(Pixels(work), expected) << gdi;
  }
}

}  // namespace
