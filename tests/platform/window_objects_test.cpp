#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/window.h"

namespace {

namespace pw = plat::window;

intptr_t PlainProc(pw::WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
  return pw::DefWindowProc(w, id, wp, lp);
}

TEST(Com, CountsStartsAndEnds) {
  EXPECT_EQ(pw::ComInitialize(), pw::kComOk);
  EXPECT_EQ(pw::ComInitialize(), pw::kComAlready);
  EXPECT_EQ(pw::ComInitCount(), 2);
  pw::ComUninitialize();
  pw::ComUninitialize();
  pw::ComUninitialize();  // one too many does nothing
  EXPECT_EQ(pw::ComInitCount(), 0);
  pw::InjectFailures(pw::Failures{false, false, true});
  EXPECT_LT(pw::ComInitialize(), 0);
  EXPECT_EQ(pw::ComInitCount(), 0);
}

TEST(Regions, TableOfRectangleListsWithAFixedSize) {
  std::vector<pw::RegionHandle> made;
  for (int i = 0; i < pw::kMaxRegions; ++i) {
    made.push_back(pw::CreateRegion());
    ASSERT_NE(made.back(), 0u) << i;
  }
  EXPECT_EQ(pw::CreateRegion(), 0u);
  pw::RegionHandle r = made[5];
  EXPECT_TRUE(pw::AddRegionRect(r, {0, 0, 4, 1}));
  EXPECT_TRUE(pw::AddRegionRect(r, {2, 2, 2, 3}));  // empty: not kept
  EXPECT_EQ(pw::RegionRects(r), (std::vector<pw::Rect>{{0, 0, 4, 1}}));

  pw::WindowClass c;
  c.name = "RegionTest";
  c.proc = PlainProc;
  ASSERT_TRUE(pw::RegisterClass(c));
  pw::WindowCreate create;
  create.class_name = "RegionTest";
  pw::WindowHandle w = pw::CreateWindow(create);
  EXPECT_TRUE(pw::SetWindowRegion(w, r, true));
  EXPECT_TRUE(pw::DeleteRegion(r));  // the window keeps its copy
  EXPECT_FALSE(pw::DeleteRegion(r));
  EXPECT_EQ(pw::GetWindowInfo(w)->region, (std::vector<pw::Rect>{{0, 0, 4, 1}}));
  EXPECT_EQ(pw::CreateRegion(), r);  // the freed slot is used again
  EXPECT_TRUE(pw::RegionRects(r).empty());
  pw::ResetWindowStandIn();
}

TEST(WindowClasses, FailuresAndLimits) {
  pw::WindowClass c;
  c.name = "LimitTest";
  c.proc = PlainProc;
  ASSERT_TRUE(pw::RegisterClass(c));
  EXPECT_FALSE(pw::RegisterClass(c));  // twice
  pw::WindowCreate create;
  create.class_name = "Unknown";
  EXPECT_EQ(pw::CreateWindow(create), 0u);
  create.class_name = "LimitTest";
  std::vector<pw::WindowHandle> windows;
  for (int i = 0; i < pw::kMaxWindows; ++i) windows.push_back(pw::CreateWindow(create));
  EXPECT_EQ(std::count(windows.begin(), windows.end(), 0u), 0);
  EXPECT_EQ(pw::CreateWindow(create), 0u);
  EXPECT_FALSE(pw::UnregisterClass("LimitTest"));  // windows of it still live
  for (pw::WindowHandle w : windows) pw::DestroyWindow(w);
  pw::InjectFailures(pw::Failures{false, true, false});
  EXPECT_EQ(pw::CreateWindow(create), 0u);
  pw::InjectFailures(pw::Failures{true, false, false});
  pw::WindowClass other = c;
  other.name = "Other";
  EXPECT_FALSE(pw::RegisterClass(other));
  pw::ResetWindowStandIn();
}

}  // namespace
