// The shapes' geometry on its own: which points and runs the circle and the oval name, in
// which order, and the line's clipping and walk.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "vexal/raster/circle_walk.h"
#include "vexal/raster/line_walk.h"
#include "vexal/raster/oval_walk.h"

namespace {

using Point = std::pair<int64_t, int64_t>;  // x, y

struct RowRun {
  int64_t y, xl, xr;
  bool operator==(const RowRun&) const = default;
};

// Records what a walk names; runs only the first on each row, as the drawing keeps them.
struct Recorder {
  std::vector<::Point> points;
  std::vector<RowRun> runs;
  std::set<int64_t> rows;
  void Point(int64_t x, int64_t y) { points.push_back({x, y}); }
  void Run(int64_t y, int64_t xl, int64_t xr) {
    if (rows.insert(y).second) runs.push_back({y, xl, xr});
  }
  // Writes per pixel.
  std::map<::Point, int> Writes() const {
    std::map<::Point, int> n;
    for (const auto& p : points) ++n[p];
    return n;
  }
  int64_t Filled() const {
    int64_t n = 0;
    for (const auto& r : runs) n += r.xr - r.xl + 1;
    return n;
  }
  // Half-width of each row, from its run (centred on x = 0).
  std::map<int64_t, int64_t> HalfWidths() const {
    std::map<int64_t, int64_t> w;
    for (const auto& r : runs) {
      EXPECT_EQ(r.xl, -r.xr);
      w[r.y] = r.xr;
    }
    return w;
  }
};

Recorder Circle(int64_t r, bool filled) {
  Recorder rec;
  vexal::CircleWalk(0, 0, r, filled, rec);
  return rec;
}

Recorder Oval(int64_t rx, int64_t ry, bool filled) {
  Recorder rec;
  vexal::OvalWalk(0, 0, rx, ry, filled, rec);
  return rec;
}

TEST(CircleWalkTest, PixelCountsAndRowWidths) {
  struct Case {
    int64_t r;
    size_t outline_pixels;
    int outline_writes;
    int64_t filled_pixels;
    std::vector<int64_t> half_widths;  // rows 0, 1, ..., r
  };
  const Case cases[] = {
      {0, 1, 4, 1, {0}},
      {1, 4, 4, 5, {1, 0}},
      {2, 12, 12, 21, {2, 2, 1}},
      {5, 28, 28, 97, {5, 5, 5, 4, 3, 2}},
      {10, 56, 60, 349, {10, 10, 10, 10, 9, 9, 8, 7, 6, 5, 3}},
  };
  for (const Case& c : cases) {
    const Recorder outline = Circle(c.r, false);
    EXPECT_EQ(outline.Writes().size(), c.outline_pixels) << c.r;
    EXPECT_EQ(static_cast<int>(outline.points.size()), c.outline_writes) << c.r;
    const Recorder filled = Circle(c.r, true);
    EXPECT_EQ(filled.Filled(), c.filled_pixels) << c.r;
    const auto widths = filled.HalfWidths();
    for (int64_t row = 0; row <= c.r; ++row) {
      EXPECT_EQ(widths.at(row), c.half_widths[row]) << "r " << c.r << " row " << row;
      EXPECT_EQ(widths.at(-row), c.half_widths[row]) << "r " << c.r << " row " << -row;
    }
    EXPECT_EQ(widths.size(), static_cast<size_t>(2 * c.r + 1));
    // Every outline pixel lies in the disc, and each row's run ends at the outline's ends.
    std::map<int64_t, std::pair<int64_t, int64_t>> ends;
    for (const auto& [p, n] : outline.Writes()) {
      EXPECT_LE(std::abs(p.first), widths.at(p.second));
      auto [it, fresh] = ends.insert({p.second, {p.first, p.first}});
      it->second = {std::min(it->second.first, p.first), std::max(it->second.second, p.first)};
    }
    for (const auto& [row, e] : ends) EXPECT_EQ(e, std::make_pair(-widths.at(row), widths.at(row))) << row;
  }
  // r 10: the diagonal pixels are the ones written twice.
  for (const auto& [p, n] : Circle(10, false).Writes())
    EXPECT_EQ(n, std::abs(p.first) == 7 && std::abs(p.second) == 7 ? 2 : 1) << p.first << "," << p.second;
  // r 0 starts with the four axis points, all at the centre.
  EXPECT_EQ(Circle(0, false).points, std::vector<Point>(4, Point{0, 0}));
}

TEST(OvalWalkTest, OrdersOfPointsAndRuns) {
  struct Case {
    int64_t rx, ry;
    std::vector<Point> outline;
  };
  const Case cases[] = {
      {1, 1, {{-1, 0}, {1, 0}, {0, -1}, {0, 1}}},
      {2,
       2,
       {{-2, 0}, {2, 0}, {-2, 1}, {2, 1}, {-2, -1}, {2, -1}, {-1, 2}, {1, 2}, {-1, -2}, {1, -2}, {0, -2}, {0, 2}}},
      {4,
       1,
       {{-4, 0},
        {4, 0},
        {-3, 0},
        {3, 0},
        {-3, 0},
        {3, 0},
        {-2, 0},
        {2, 0},
        {-2, 0},
        {2, 0},
        {-1, 0},
        {1, 0},
        {-1, 0},
        {1, 0},
        {0, -1},
        {0, 1}}},
      {3,
       2,
       {{-3, 0},
        {3, 0},
        {-3, 1},
        {3, 1},
        {-3, -1},
        {3, -1},
        {-2, 1},
        {2, 1},
        {-2, -1},
        {2, -1},
        {-1, 2},
        {1, 2},
        {-1, -2},
        {1, -2},
        {0, -2},
        {0, 2}}},
  };
  for (const Case& c : cases) EXPECT_EQ(Oval(c.rx, c.ry, false).points, c.outline) << c.rx << "x" << c.ry;

  using Runs = std::vector<RowRun>;
  EXPECT_EQ(Oval(1, 1, true).runs, (Runs{{0, -1, 1}, {-1, 0, 0}, {1, 0, 0}}));
  EXPECT_EQ(Oval(2, 2, true).runs, (Runs{{0, -2, 2}, {1, -2, 2}, {-1, -2, 2}, {2, -1, 1}, {-2, -1, 1}}));
  EXPECT_EQ(Oval(4, 1, true).runs, (Runs{{0, -4, 4}, {-1, 0, 0}, {1, 0, 0}}));
  // rx 10, ry 5: rows from the centre outwards, below first.
  const int64_t order[] = {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5};
  const int64_t widths[] = {10, 10, 10, 9, 9, 8, 8, 6, 6, 2, 2};
  const Runs wide = Oval(10, 5, true).runs;
  ASSERT_EQ(wide.size(), 11u);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(wide[i], (RowRun{order[i], -widths[i], widths[i]})) << i;
}

TEST(OvalWalkTest, HeightsWidthsAndRepeatedPixels) {
  // Filled half-widths by row offset.
  auto widths = [](int64_t rx, int64_t ry) { return Oval(rx, ry, true).HalfWidths(); };
  const auto w73 = widths(7, 3);
  EXPECT_EQ(w73, (std::map<int64_t, int64_t>{{-3, 2}, {-2, 5}, {-1, 7}, {0, 7}, {1, 7}, {2, 5}, {3, 2}}));
  const auto w37 = widths(3, 7);
  ASSERT_EQ(w37.size(), 15u);
  for (const auto& [row, w] : w37) EXPECT_EQ(w, std::abs(row) <= 5 ? 3 : 2) << row;
  // Tall tips pass ry.
  struct Tall {
    int64_t rx, ry, final_j;
  };
  for (const Tall& t : {Tall{1, 3, 4}, Tall{10, 24, 25}, Tall{5, 20, 21}, Tall{10, 20, 20}, Tall{4, 10, 11},
                        Tall{10, 1000, 1048}, Tall{1, 1000, 1414}}) {
    const auto w = widths(t.rx, t.ry);
    EXPECT_EQ(w.begin()->first, -t.final_j) << t.rx << "x" << t.ry;
    EXPECT_EQ(w.rbegin()->first, t.final_j) << t.rx << "x" << t.ry;
    EXPECT_EQ(w.size(), static_cast<size_t>(2 * t.final_j + 1)) << t.rx << "x" << t.ry;
    const Recorder outline = Oval(t.rx, t.ry, false);
    EXPECT_EQ(outline.points.back(), (Point{0, t.final_j}));
    for (const auto& [p, n] : outline.Writes()) EXPECT_EQ(n, 1) << "tall outlines write no pixel twice";
  }
  EXPECT_EQ(widths(1, 3),
            (std::map<int64_t, int64_t>{{-4, 1}, {-3, 1}, {-2, 1}, {-1, 1}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}));
  // Wide outlines write centre-row pixels twice while j is 0.
  struct Twice {
    int64_t rx, ry;
    std::set<Point> twice;
  };
  for (const Twice& t : {Twice{20, 3, {{-19, 0}, {19, 0}}}, Twice{2, 1, {{-1, 0}, {1, 0}}},
                         Twice{4, 1, {{-3, 0}, {3, 0}, {-2, 0}, {2, 0}, {-1, 0}, {1, 0}}}}) {
    std::set<Point> got;
    for (const auto& [p, n] : Oval(t.rx, t.ry, false).Writes()) {
      EXPECT_LE(n, 2);
      if (n == 2) got.insert(p);
    }
    EXPECT_EQ(got, t.twice) << t.rx << "x" << t.ry;
  }
  // A circle-shaped oval covers exactly x - rx .. x + rx and, wide, y - ry .. y + ry.
  const auto w20 = widths(20, 10);
  EXPECT_EQ(w20.at(0), 20);
  EXPECT_EQ(w20.size(), 21u);
}

// The walk of a line inside the area, and its clipped ends.
std::vector<Point> Walk(int x1, int y1, int x2, int y2, vexal::Rect area = {-100, -100, 400, 300}) {
  std::vector<Point> pixels;
  vexal::LineEnds ends;
  if (!vexal::ClipLine(x1, y1, x2, y2, area, &ends)) return pixels;
  vexal::WalkLine(ends, [&](int x, int y) { pixels.push_back({x, y}); });
  // The box holds every pixel and is the smallest that does.
  const vexal::Rect box = vexal::LineWalkBox(ends);
  int64_t l = INT64_MAX, t = INT64_MAX, r = INT64_MIN, b = INT64_MIN;
  for (const auto& [x, y] : pixels)
    l = std::min(l, x), t = std::min(t, y), r = std::max(r, x + 1), b = std::max(b, y + 1);
  EXPECT_EQ((std::vector<int64_t>{box.left, box.top, box.right, box.bottom}), (std::vector<int64_t>{l, t, r, b}));
  return pixels;
}

TEST(LineWalkTest, WalksAndClippedEnds) {
  using Pixels = std::vector<Point>;
  auto row = [](int from, int to, int y) {
    Pixels p;
    for (int x = from; from <= to ? x <= to : x >= to; x += from <= to ? 1 : -1) p.push_back({x, y});
    return p;
  };
  EXPECT_EQ(Walk(0, 0, 10, 0), row(0, 9, 0));
  EXPECT_EQ(Walk(10, 0, 0, 0), row(10, 1, 0));
  EXPECT_EQ(Walk(0, 0, 3, 1), (Pixels{{0, 0}, {1, 0}, {2, 0}}));
  EXPECT_EQ(Walk(0, 0, 4, 4), (Pixels{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  EXPECT_EQ(Walk(0, 0, 0, -3), (Pixels{{0, 0}, {0, -1}, {0, -2}}));
  Pixels two_a_row;
  for (int x = 0; x < 10; ++x) two_a_row.push_back({x, x / 2});
  EXPECT_EQ(Walk(0, 0, 10, 5), two_a_row);
  EXPECT_EQ(Walk(5, 5, 5, 5), Pixels{});

  const vexal::Rect area{20, 10, 320, 240};
  EXPECT_EQ(Walk(10, 5 + 10, 30, 15, area), row(20, 29, 15));
  EXPECT_EQ(Walk(30, 15, 10, 15, area), row(30, 20, 15));
  EXPECT_EQ(Walk(-10, -10, 400, 300, {0, 0, 320, 240}), Pixels{}) << "all four end coordinates outside";
  EXPECT_EQ(Walk(330, 5, 400, 5, area), Pixels{}) << "box beside the area";
  // Down the right edge from above: the first end moves to the area's top.
  EXPECT_EQ(Walk(319, 0, 319, 14, area), (Pixels{{319, 10}, {319, 11}, {319, 12}, {319, 13}}));
  // A steep line entering from the left: the first end is moved along the line.
  const Pixels steep = Walk(0, 10, 40, 50, area);
  ASSERT_FALSE(steep.empty());
  EXPECT_EQ(steep.front(), (Point{20, 30}));
  EXPECT_EQ(steep.back(), (Point{39, 49}));
  // Ends far outside (differences beyond an int) still clip into the area.
  for (const Point& p : Walk(-2000000000, 100, 2000000000, 120, area)) {
    EXPECT_GE(p.first, 20);
    EXPECT_LT(p.first, 320);
    EXPECT_GE(p.second, 10);
    EXPECT_LT(p.second, 240);
  }
}

}  // namespace
