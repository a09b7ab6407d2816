// nl_fruit_picture FILE: draws "fruit.png", the pictures of the twenty materials in one
// row of 16 x 16 cells (320 x 16): twelve berries (a disc in its colour with a lighter
// spot, a darker lower edge and a green stem), then five flasks of liquid, a dark orb, a
// crystal and a smiling face. Black is transparent.
#include <cstdio>

#include "tools/picture/picture_file.h"

namespace {

using nltools::Picture;
using nltools::Rgb;

constexpr int kCell = 16;
constexpr int kMaterials = 20;
constexpr int kBerries = 12;
constexpr int kFlasks = 5;

constexpr Rgb kBerryColours[kBerries] = {{200, 48, 64},  {232, 120, 48},  {224, 200, 64}, {96, 184, 80},
                                         {72, 160, 216}, {120, 96, 216},  {200, 96, 200}, {240, 160, 176},
                                         {168, 64, 40},  {248, 232, 200}, {96, 72, 168},  {48, 120, 96}};
constexpr Rgb kFlaskColours[kFlasks] = {
    {216, 80, 80}, {120, 200, 240}, {160, 224, 120}, {240, 240, 240}, {232, 200, 240}};
constexpr Rgb kStem{64, 144, 48};
constexpr Rgb kOutline{40, 32, 72};
constexpr Rgb kGlass{184, 200, 224};

Rgb Scale(Rgb c, int num, int den) {
  auto s = [&](int v) { return static_cast<uint8_t>(v * num / den > 255 ? 255 : v * num / den); };
  return {s(c.r), s(c.g), s(c.b)};
}

void Set(Picture& p, int cell, int x, int y, Rgb c) { p.At(cell * kCell + x, y) = c; }

// A disc of radius r about (7.5, cy) with shading; r and cy in half pixels.
void Disc(Picture& p, int cell, int cy2, int r2, Rgb c) {
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      const int dx = 2 * x + 1 - 16, dy = 2 * y + 1 - cy2;
      const int d = dx * dx + dy * dy;
      if (d > r2 * r2) continue;
      Rgb shade = c;
      if (d > (r2 - 3) * (r2 - 3) && dy > 0) shade = Scale(c, 2, 3);
      if ((dx + 5) * (dx + 5) + (dy + 5) * (dy + 5) <= 9) shade = Scale(c, 3, 2);
      Set(p, cell, x, y, shade);
    }
  }
}

void Berry(Picture& p, int cell, Rgb c) {
  Disc(p, cell, 19, 12, c);
  for (int y = 1; y <= 3; ++y) Set(p, cell, 8, y, kStem);
  Set(p, cell, 9, 2, kStem);
  Set(p, cell, 10, 1, kStem);
}

void Flask(Picture& p, int cell, Rgb liquid) {
  for (int y = 2; y <= 5; ++y) {
    Set(p, cell, 6, y, kGlass);
    Set(p, cell, 9, y, kGlass);
  }
  for (int x = 6; x <= 9; ++x) Set(p, cell, x, 1, kOutline);
  for (int y = 6; y <= 14; ++y) {
    const int half = y < 9 ? y - 3 : 6;
    for (int x = 8 - half; x <= 7 + half; ++x) {
      const bool edge = x == 8 - half || x == 7 + half || y == 14;
      Set(p, cell, x, y, edge ? kGlass : y >= 9 ? liquid : Scale(kGlass, 1, 3));
    }
  }
}

void Orb(Picture& p, int cell) {
  Disc(p, cell, 16, 13, {56, 24, 88});
  Set(p, cell, 5, 5, {200, 160, 240});
}

void Crystal(Picture& p, int cell) {
  for (int y = 1; y <= 14; ++y) {
    const int half = y <= 5 ? y : 14 - y + 1;
    const int w = half * 5 / 9 + 1;
    for (int x = 8 - w; x < 8 + w; ++x) Set(p, cell, x, y, x < 8 ? Rgb{176, 232, 248} : Rgb{96, 176, 224});
  }
}

void Smiley(Picture& p, int cell) {
  Disc(p, cell, 16, 13, {248, 216, 72});
  for (int y : {5, 6}) {
    Set(p, cell, 5, y, kOutline);
    Set(p, cell, 10, y, kOutline);
  }
  for (int x = 5; x <= 10; ++x) Set(p, cell, x, x == 5 || x == 10 ? 9 : 10, kOutline);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_fruit_picture FILE\n");
    return 2;
  }
  Picture p(kCell * kMaterials, kCell);
  for (int i = 0; i < kBerries; ++i) Berry(p, i, kBerryColours[i]);
  for (int i = 0; i < kFlasks; ++i) Flask(p, kBerries + i, kFlaskColours[i]);
  Orb(p, kBerries + kFlasks);
  Crystal(p, kBerries + kFlasks + 1);
  Smiley(p, kBerries + kFlasks + 2);
  if (!nltools::WritePng(argv[1], p)) {
    std::fprintf(stderr, "%s: could not be written\n", argv[1]);
    return 1;
  }
  return 0;
}
