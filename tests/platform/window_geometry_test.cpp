#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/window.h"

namespace {

namespace pw = plat::window;

std::vector<pw::Message> g_geometry;  // kWmMove and kWmSize as the procedure got them

intptr_t GeometryProc(pw::WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
  if (id == pw::kWmMove || id == pw::kWmSize) g_geometry.push_back(pw::Message{w, id, wp, lp});
  return pw::DefWindowProc(w, id, wp, lp);
}

constexpr uint32_t kCaptionStyle = pw::kWsPopup | pw::kWsCaption;

class WindowGeometryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_geometry.clear();
    pw::WindowClass c;
    c.name = "GeometryTest";
    c.proc = GeometryProc;
    ASSERT_TRUE(pw::RegisterClass(c));
  }
  void TearDown() override { pw::ResetWindowStandIn(); }
  pw::WindowHandle Make(uint32_t style, uint32_t ex_style, pw::Rect outer) {
    pw::WindowCreate create;
    create.class_name = "GeometryTest";
    create.style = style;
    create.ex_style = ex_style;
    create.x = outer.left;
    create.y = outer.top;
    create.width = outer.right - outer.left;
    create.height = outer.bottom - outer.top;
    return pw::CreateWindow(create);
  }
};

TEST_F(WindowGeometryTest, FrameFollowsTheStyle) {
  struct Case {
    uint32_t style, ex_style;
    bool menu;
    pw::Rect adjusted;  // of the client rectangle (0, 0, 100, 50)
  };
  const Case cases[] = {
      {pw::kWsPopup, 0, false, {0, 0, 100, 50}},
      {kCaptionStyle, 0, false, {-3, -21, 103, 53}},
      {kCaptionStyle, pw::kWsExClientEdge, false, {-5, -23, 105, 55}},
      {kCaptionStyle, pw::kWsExClientEdge, true, {-5, -42, 105, 55}},
  };
  for (const Case& c : cases) {
    pw::Rect r{0, 0, 100, 50};
    pw::AdjustWindowRectEx(&r, c.style, c.menu, c.ex_style);
    EXPECT_EQ(r, c.adjusted) << c.style << " " << c.ex_style << " " << c.menu;
  }

  pw::WindowHandle w = Make(kCaptionStyle, pw::kWsExClientEdge, {10, 20, 120, 100});
  pw::Rect client;
  ASSERT_TRUE(pw::GetClientRect(w, &client));
  EXPECT_EQ(client, (pw::Rect{0, 0, 100, 52}));
  pw::Point p{1, 2};
  pw::ClientToScreen(w, &p);
  EXPECT_EQ(p.x, 16);
  EXPECT_EQ(p.y, 45);
  // A style change moves the client area at once, without messages.
  pw::SetWindowLong(w, pw::kGwlStyle, pw::kWsPopup);
  pw::SetWindowLong(w, pw::kGwlExStyle, 0);
  pw::GetClientRect(w, &client);
  EXPECT_EQ(client, (pw::Rect{0, 0, 110, 80}));
  EXPECT_TRUE(g_geometry.empty());
}

TEST_F(WindowGeometryTest, MovesAndSizesAreSentOnlyWhenTheyChange) {
  pw::WindowHandle w = Make(pw::kWsPopup, 0, {0, 0, 100, 50});
  EXPECT_TRUE(g_geometry.empty());  // creation sends neither
  pw::MoveWindow(w, 0, 0, 100, 50, true);
  EXPECT_TRUE(g_geometry.empty());
  pw::MoveWindow(w, -4, 7, 100, 50, true);
  ASSERT_EQ(g_geometry.size(), 1u);
  EXPECT_EQ(g_geometry[0].id, pw::kWmMove);
  EXPECT_EQ(static_cast<int16_t>(g_geometry[0].lparam & 0xFFFF), -4);
  EXPECT_EQ(static_cast<int16_t>(g_geometry[0].lparam >> 16), 7);
  g_geometry.clear();
  pw::SetWindowPos(w, pw::ZOrder::Top, 99, 99, 30, 20, pw::kSwpNoMove | pw::kSwpNoZOrder);
  ASSERT_EQ(g_geometry.size(), 1u);
  EXPECT_EQ(g_geometry[0].id, pw::kWmSize);
  EXPECT_EQ(g_geometry[0].lparam, (20 << 16) | 30);
  pw::Rect outer;
  pw::GetWindowRect(w, &outer);
  EXPECT_EQ(outer, (pw::Rect{-4, 7, 26, 27}));

  g_geometry.clear();
  pw::UserResize(w, 40, 40, true);
  ASSERT_EQ(g_geometry.size(), 1u);
  EXPECT_EQ(g_geometry[0].wparam, pw::kSizeMaximized);
}

TEST_F(WindowGeometryTest, VisibilityAndCursorRules) {
  pw::WindowHandle w = Make(pw::kWsPopup, 0, {0, 0, 10, 10});
  EXPECT_FALSE(pw::GetWindowInfo(w)->visible);
  pw::SetWindowLong(w, pw::kGwlStyle, pw::kWsPopup | pw::kWsVisible);
  EXPECT_TRUE(pw::GetWindowInfo(w)->visible);
  pw::SetWindowLong(w, pw::kGwlStyle, pw::kWsPopup);
  EXPECT_TRUE(pw::GetWindowInfo(w)->visible);  // clearing the bit does not hide it

  pw::WindowHandle hidden = Make(pw::kWsPopup, pw::kWsExTopmost, {0, 0, 10, 10});
  EXPECT_TRUE(pw::SetForegroundWindow(hidden));
  EXPECT_TRUE(pw::GetWindowInfo(hidden)->visible);
  EXPECT_EQ(pw::GetForegroundWindow(), hidden);

  EXPECT_TRUE(pw::IsCursorShown());
  EXPECT_EQ(pw::ShowCursor(false), -1);
  EXPECT_FALSE(pw::IsCursorShown());
  EXPECT_EQ(pw::ShowCursor(true), 0);
  pw::SetCursor(pw::Cursor::None);
  EXPECT_FALSE(pw::IsCursorShown());
  // Over the client area the default handling puts the class cursor back.
  pw::DefWindowProc(w, pw::kWmSetCursor, w, pw::kHitClient);
  EXPECT_TRUE(pw::IsCursorShown());
}

}  // namespace
