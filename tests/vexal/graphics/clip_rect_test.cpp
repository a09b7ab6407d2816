#include "vexal/graphics/pictures/clip_rect.h"

#include <gtest/gtest.h>

namespace {

TEST(ClipRect, EachEdgeIsLimitedToTheClip) {
  const vexal::Rect screen{0, 0, 320, 240};
  struct Case {
    const char* name;
    vexal::Rect in, clip, out;
  };
  const Case cases[] = {
      {"over the top-left corner", {-10, -10, 50, 50}, screen, {0, 0, 50, 50}},
      {"inside", {10, 20, 30, 40}, screen, {10, 20, 30, 40}},
      {"over every edge", {-5, -5, 400, 300}, screen, {0, 0, 320, 240}},
      {"right of the clip", {400, 10, 500, 20}, screen, {320, 10, 320, 20}},
      {"above and left", {-50, -50, -10, -10}, screen, {0, 0, 0, 0}},
      {"below", {10, 250, 20, 260}, screen, {10, 240, 20, 240}},
      {"inverted stays inverted", {50, 60, 10, 20}, screen, {50, 60, 10, 20}},
      {"inverted across an edge", {400, 10, 100, 5}, screen, {320, 10, 100, 5}},
      {"offset clip", {0, 0, 100, 100}, {20, 30, 60, 70}, {20, 30, 60, 70}},
      {"empty clip", {0, 0, 10, 10}, {5, 5, 5, 5}, {5, 5, 5, 5}},
  };
  for (const Case& c : cases) {
    vexal::Rect r = c.in;
    EXPECT_EQ(vexal::ClipRect(&r, &c.clip), 0);
    EXPECT_EQ(r.left, c.out.left) << c.name;
    EXPECT_EQ(r.top, c.out.top) << c.name;
    EXPECT_EQ(r.right, c.out.right) << c.name;
    EXPECT_EQ(r.bottom, c.out.bottom) << c.name;
  }
}

}  // namespace
