// nl_frame_pictures DIR: draws the window frame's pictures into DIR: the four 8 x 8
// corners "wakuwaku7.bmp" (2 x 2 cells: top-left, top-right, bottom-left, bottom-right),
// the edges "wakuyoko.bmp" (320 x 5) and "wakutate.bmp" (5 x 240), and the two
// backgrounds "wna.bmp" and "wac.bmp" (320 x 240, the second lighter: the pop-up blinks
// between them).
//
// An edge is five lines across, the same seen from either side, as one picture serves
// both sides of a box; a corner bends that band round a quarter circle. Outside the
// band the corners are black, which the game draws as transparent.
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/picture/picture_file.h"

namespace {

using nltools::Picture;
using nltools::Rgb;

constexpr int kCorner = 8;
constexpr int kEdge = 5;
constexpr int kScreenWidth = 320, kScreenHeight = 240;
constexpr Rgb kBand[kEdge] = {{24, 24, 64}, {150, 150, 210}, {240, 240, 250}, {150, 150, 210}, {24, 24, 64}};
constexpr Rgb kTransparent{0, 0, 0};

// The band line at distance d from the outside of a box, or none.
Rgb BandAt(double d) {
  int line = static_cast<int>(std::floor(d));
  return line >= 0 && line < kEdge ? kBand[line] : kTransparent;
}

Picture Corners() {
  Picture p(2 * kCorner, 2 * kCorner);
  for (int y = 0; y < kCorner; ++y) {
    for (int x = 0; x < kCorner; ++x) {
      // The top-left corner: the band's outer line runs 7 pixels from the cell's inner
      // corner, as along the straight edges.
      double d = kCorner - 1 - std::hypot(kCorner - 1 - x, kCorner - 1 - y) + 0.5;
      Rgb c = BandAt(d);
      const int fx = 2 * kCorner - 1 - x, fy = 2 * kCorner - 1 - y;
      p.At(x, y) = c;    // top-left
      p.At(fx, y) = c;   // top-right
      p.At(x, fy) = c;   // bottom-left
      p.At(fx, fy) = c;  // bottom-right
    }
  }
  return p;
}

Picture Horizontal() {
  Picture p(kScreenWidth, kEdge);
  for (int y = 0; y < kEdge; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) p.At(x, y) = kBand[y];
  }
  return p;
}

Picture Vertical() {
  Picture p(kEdge, kScreenHeight);
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kEdge; ++x) p.At(x, y) = kBand[x];
  }
  return p;
}

// A blue that darkens downwards from top, to half its strength at the bottom.
Picture Background(Rgb top) {
  Picture p(kScreenWidth, kScreenHeight);
  for (int y = 0; y < kScreenHeight; ++y) {
    auto shade = [y](uint8_t v) { return static_cast<uint8_t>(v - v * y / (2 * (kScreenHeight - 1))); };
    Rgb c{shade(top.r), shade(top.g), shade(top.b)};
    for (int x = 0; x < kScreenWidth; ++x) p.At(x, y) = c;
  }
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_frame_pictures DIR\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  const struct {
    const char* name;
    Picture picture;
  } files[] = {
      {"wakuwaku7.bmp", Corners()},           {"wakuyoko.bmp", Horizontal()},         {"wakutate.bmp", Vertical()},
      {"wna.bmp", Background({32, 32, 156})}, {"wac.bmp", Background({64, 64, 188})},
  };
  for (const auto& f : files) {
    if (!nltools::WriteBmp(dir + f.name, f.picture)) {
      std::fprintf(stderr, "nl_frame_pictures: cannot write %s%s\n", dir.c_str(), f.name);
      return 1;
    }
  }
  return 0;
}
