// nl_wipe_pictures DIR: draws the map-change wipe into DIR: the ten mask stages
// "sc0.png" .. "sc9.png" (320 x 240; white shows the catch picture, black keeps the old
// one: the game reads the blue byte) and the catch picture "catch.png" (320 x 240, cut
// by the game into four 160 x 120 quarters).
//
// The wipe plays stage 9 first and stage 0 last. The screen is a grid of 16 x 16 tiles;
// tile (tx, ty) is reached (tx + ty) steps after the top-left one and opens as a diamond
// from its centre, so the catch picture sweeps in diagonally. Stage 0 shows everything.
//
// The catch picture: the night's violet with a dithered glow round a crescent moon in the
// middle and a ring of small stars. It has no pure black, so nothing of it is transparent.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/picture/picture_file.h"

namespace {

using nltools::Picture;
using nltools::Rgb;

constexpr int kWidth = 320, kHeight = 240;
constexpr int kStages = 10;
constexpr int kTile = 16;
constexpr double kStageReach = 4.1;  // tile steps the sweep advances a stage (10 x 4.1 passes the last pixel, 40.5)
constexpr Rgb kShow{255, 255, 255}, kKeep{0, 0, 0};

Picture Stage(int stage) {
  Picture p(kWidth, kHeight, kKeep);
  const double reach = (kStages - stage) * kStageReach;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int steps = x / kTile + y / kTile;
      // Diamond distance from the tile's centre, 1 to 15.
      const double d = std::abs(x % kTile - 7.5) + std::abs(y % kTile - 7.5);
      if (steps + d / 2 < reach) p.At(x, y) = kShow;
    }
  }
  return p;
}

Picture Catch() {
  constexpr Rgb kDeep{24, 16, 56}, kGlow{56, 36, 110}, kMoon{250, 236, 180}, kStar{200, 210, 255};
  constexpr int kCx = 160, kCy = 120;
  Picture p(kWidth, kHeight, kDeep);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double r = std::hypot(x - kCx, y - kCy);
      // The glow: solid near the moon, a 2 x 2 checker further out, then plain.
      const bool checker = ((x / 2 + y / 2) & 1) == 0;
      if (r < 60 || (r < 90 && checker)) p.At(x, y) = kGlow;
      // The crescent: a disc of 40 less a disc of 34 moved up and right.
      if (r < 40 && std::hypot(x - (kCx + 14), y - (kCy - 10)) >= 34) p.At(x, y) = kMoon;
    }
  }
  // Twelve stars in a ring, each a plus sign.
  for (int i = 0; i < 12; ++i) {
    const double a = i * (2 * M_PI / 12);
    const int sx = kCx + static_cast<int>(std::lround(110 * std::cos(a)));
    const int sy = kCy + static_cast<int>(std::lround(95 * std::sin(a)));
    for (int k = -2; k <= 2; ++k) {
      p.At(sx + k, sy) = kStar;
      p.At(sx, sy + k) = kStar;
    }
  }
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_wipe_pictures DIR\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  for (int s = 0; s < kStages; ++s) {
    const std::string file = dir + "sc" + std::to_string(s) + ".png";
    if (!nltools::WritePng(file, Stage(s))) {
      std::fprintf(stderr, "nl_wipe_pictures: cannot write %s\n", file.c_str());
      return 1;
    }
  }
  if (!nltools::WritePng(dir + "catch.png", Catch())) {
    std::fprintf(stderr, "nl_wipe_pictures: cannot write %scatch.png\n", dir.c_str());
    return 1;
  }
  return 0;
}
