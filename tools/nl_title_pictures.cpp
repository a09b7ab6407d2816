// nl_title_pictures DIR: draws the title's three pictures into DIR:
// - "tt_t1.png", 352 x 290, the night valley behind the title. The game shows a 320 x 240
//   window of it that drifts from (32, 50) to (0, 0), so both corners are composed: a sky
//   darkening upwards with a dithered horizon glow, stars, a crescent moon, two rows of
//   hills and the lit windows of a small town on the nearer one.
// - "title.png", 320 x 100, the lettering "NIGHTLOOM" in 5 x 7 block letters drawn 5
//   times their size, rimmed, with a one-pixel halo and a rule beneath, on black. The game adds
//   it to the picture, so black adds nothing and the colours brighten what is behind.
// - "tt_b.png", 320 x 24, the band that rises over the title after a long wait: a violet
//   strip edged in light with a row of small lamps.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/picture/picture_file.h"

namespace {

using nltools::Picture;
using nltools::Rgb;

// ---- The background ----

constexpr int kSkyW = 352, kSkyH = 290;
constexpr int kHorizon = 200;  // the sky's lowest row behind the far hills

Rgb Mix(Rgb a, Rgb b, double t) {
  auto m = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(std::lround(x + (y - x) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// A fixed scatter of stars: a small integer hash of the position picks one pixel in 97.
bool StarAt(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return h % 97 == 0;
}

Picture Background() {
  constexpr Rgb kTop{8, 8, 32}, kLow{60, 34, 100}, kGlow{96, 52, 120};
  constexpr Rgb kStar{210, 216, 255}, kMoon{250, 238, 190};
  constexpr Rgb kFarHill{34, 24, 70}, kNearHill{18, 14, 44}, kWall{40, 30, 60}, kLamp{255, 196, 110};
  Picture p(kSkyW, kSkyH);
  for (int y = 0; y < kSkyH; ++y) {
    const double t = std::fmin(1.0, static_cast<double>(y) / kHorizon);
    for (int x = 0; x < kSkyW; ++x) {
      Rgb c = Mix(kTop, kLow, t * t);
      // The last 24 rows over the horizon glow, solid below and checkered above.
      if (y > kHorizon - 24 && (y > kHorizon - 12 || ((x + y) & 1) == 0)) c = kGlow;
      if (y < kHorizon - 30 && StarAt(x, y)) c = kStar;
      p.At(x, y) = c;
    }
  }
  // The moon: a disc of 18 less a disc of 15 moved left and up.
  for (int y = 20; y < 80; ++y) {
    for (int x = 240; x < 310; ++x) {
      if (std::hypot(x - 276, y - 48) < 18 && std::hypot(x - 268, y - 42) >= 15) p.At(x, y) = kMoon;
    }
  }
  // Two rows of hills, each the sum of two slow waves.
  for (int x = 0; x < kSkyW; ++x) {
    const int far_top = static_cast<int>(kHorizon - 26 + 14 * std::sin(x / 37.0) + 8 * std::sin(x / 13.0 + 1));
    const int near_top = static_cast<int>(kHorizon + 12 + 18 * std::sin(x / 53.0 + 2) + 5 * std::sin(x / 9.0));
    for (int y = std::max(far_top, 0); y < kSkyH; ++y) p.At(x, y) = y < near_top ? kFarHill : kNearHill;
  }
  // The town on the near hill: houses as blocks with pointed roofs and lit windows.
  constexpr struct {
    int x, w, h;
  } kHouses[] = {{150, 22, 16}, {176, 16, 22}, {196, 26, 14}, {226, 14, 26}, {244, 20, 18}, {268, 18, 12}};
  constexpr int kStreet = 252;
  for (const auto& h : kHouses) {
    const int top = kStreet - h.h;
    for (int y = top - h.w / 2; y < kStreet; ++y) {
      for (int x = h.x; x < h.x + h.w; ++x) {
        // Roof: a triangle over the block.
        const int from_middle = std::abs(2 * x + 1 - (2 * h.x + h.w));
        if (y < top && (top - y) * 2 > h.w - from_middle) continue;
        p.At(x, y) = kWall;
      }
    }
    // Two windows a house, 3 x 3, lit.
    for (int wx : {h.x + 3, h.x + h.w - 6}) {
      for (int y = top + 4; y < top + 7; ++y) {
        for (int x = wx; x < wx + 3; ++x) p.At(x, y) = kLamp;
      }
    }
  }
  return p;
}

// ---- The lettering ----

constexpr int kGlyphW = 5, kGlyphH = 7;

// The letters of the title, 5 x 7, '#' set.
std::string_view GlyphRows(char c, int row) {
  static constexpr std::string_view kN[kGlyphH] = {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"};
  static constexpr std::string_view kI[kGlyphH] = {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"};
  static constexpr std::string_view kG[kGlyphH] = {".####", "#....", "#....", "#.###", "#...#", "#...#", ".###."};
  static constexpr std::string_view kH[kGlyphH] = {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
  static constexpr std::string_view kT[kGlyphH] = {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."};
  static constexpr std::string_view kL[kGlyphH] = {"#....", "#....", "#....", "#....", "#....", "#....", "#####"};
  static constexpr std::string_view kO[kGlyphH] = {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."};
  static constexpr std::string_view kM[kGlyphH] = {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"};
  switch (c) {
    case 'N': return kN[row];
    case 'I': return kI[row];
    case 'G': return kG[row];
    case 'H': return kH[row];
    case 'T': return kT[row];
    case 'L': return kL[row];
    case 'O': return kO[row];
    case 'M': return kM[row];
  }
  return ".....";
}

Picture Lettering() {
  constexpr int kW = 320, kH = 100, kScale = 5, kGap = 5, kTop = 18;
  constexpr std::string_view kWord = "NIGHTLOOM";
  constexpr Rgb kCore{190, 200, 255}, kRim{110, 90, 210}, kHalo{36, 28, 80}, kRule{70, 60, 150};
  const int advance = kGlyphW * kScale + kGap;
  const int left = (kW - (static_cast<int>(kWord.size()) * advance - kGap)) / 2;
  Picture p(kW, kH);
  // The letters, solid; their edge pixels the rim colour, and a halo one pixel round them.
  for (size_t i = 0; i < kWord.size(); ++i) {
    for (int row = 0; row < kGlyphH; ++row) {
      const std::string_view bits = GlyphRows(kWord[i], row);
      for (int col = 0; col < kGlyphW; ++col) {
        if (bits[col] != '#') continue;
        for (int y = 0; y < kScale; ++y) {
          for (int x = 0; x < kScale; ++x) {
            p.At(left + static_cast<int>(i) * advance + col * kScale + x, kTop + row * kScale + y) = kCore;
          }
        }
      }
    }
  }
  Picture out = p;
  for (int y = 1; y < kH - 1; ++y) {
    for (int x = 1; x < kW - 1; ++x) {
      const bool beside = !(p.At(x - 1, y) == Rgb{}) || !(p.At(x + 1, y) == Rgb{}) || !(p.At(x, y - 1) == Rgb{}) ||
                          !(p.At(x, y + 1) == Rgb{});
      const bool outside = (p.At(x - 1, y) == Rgb{}) || (p.At(x + 1, y) == Rgb{}) || (p.At(x, y - 1) == Rgb{}) ||
                           (p.At(x, y + 1) == Rgb{});
      if (p.At(x, y) == Rgb{}) {
        if (beside) out.At(x, y) = kHalo;
      } else if (outside) {
        out.At(x, y) = kRim;
      }
    }
  }
  for (int x = 40; x < kW - 40; ++x) out.At(x, kTop + kGlyphH * kScale + 8) = kRule;
  return out;
}

// ---- The band ----

Picture Band() {
  constexpr int kW = 320, kH = 24;
  constexpr Rgb kBody{28, 20, 60}, kEdge{150, 130, 220}, kLamp{255, 200, 120}, kLampRim{140, 90, 70};
  Picture p(kW, kH, kBody);
  for (int x = 0; x < kW; ++x) {
    p.At(x, 0) = kEdge;
    p.At(x, kH - 1) = kEdge;
  }
  // A lamp every 32 pixels: a diamond of radius 3 with a bright middle.
  for (int cx = 16; cx < kW; cx += 32) {
    for (int y = -3; y <= 3; ++y) {
      for (int x = -3; x <= 3; ++x) {
        const int d = std::abs(x) + std::abs(y);
        if (d <= 3) p.At(cx + x, kH / 2 + y) = d <= 1 ? kLamp : kLampRim;
      }
    }
  }
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_title_pictures DIR\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  const struct {
    const char* name;
    Picture picture;
  } files[] = {{"tt_t1.png", Background()}, {"title.png", Lettering()}, {"tt_b.png", Band()}};
  for (const auto& f : files) {
    if (!nltools::WritePng(dir + f.name, f.picture)) {
      std::fprintf(stderr, "nl_title_pictures: cannot write %s%s\n", dir.c_str(), f.name);
      return 1;
    }
  }
  return 0;
}
