// nl_portrait_picture OUTPUT: draws the eight portraits "bustupall.png", 800 x 544: 4 x 2
// cells of 200 x 272, read row by row. Each is a bust made of an ellipse head, a hair
// shape, a neck and shoulders widening downwards, with a darker outline; pure black
// round them is transparent in the game. The people: the two who wake in the town, the
// two who join, the elder, the shopkeeper, the gate guard and a child.
#include <cmath>
#include <cstdio>

#include "tools/picture/picture_file.h"

namespace {

using nltools::Picture;
using nltools::Rgb;

constexpr int kCellW = 200, kCellH = 272, kColumns = 4, kRows = 2;
constexpr Rgb kClear{0, 0, 0};
constexpr Rgb kEye{30, 20, 50}, kEyeLight{240, 240, 255}, kMouth{150, 70, 80};

enum class Hair { kShort, kLong, kCap };

struct Person {
  Rgb skin, hair, clothes;
  Hair style;
  bool beard;
};

constexpr Person kPeople[kColumns * kRows] = {
    {{244, 206, 178}, {40, 50, 120}, {40, 60, 150}, Hair::kShort, false},    // the first of the two
    {{250, 214, 190}, {120, 60, 150}, {150, 40, 70}, Hair::kLong, false},    // the second
    {{240, 200, 170}, {230, 200, 90}, {70, 140, 80}, Hair::kShort, false},   // a later member
    {{236, 204, 186}, {200, 200, 220}, {40, 130, 140}, Hair::kLong, false},  // the last member
    {{226, 190, 160}, {190, 190, 190}, {110, 70, 40}, Hair::kShort, true},   // the elder
    {{240, 196, 160}, {120, 70, 40}, {220, 140, 50}, Hair::kShort, false},   // the shopkeeper
    {{232, 196, 168}, {150, 160, 180}, {80, 90, 110}, Hair::kCap, false},    // the gate guard
    {{252, 220, 200}, {240, 130, 170}, {240, 210, 80}, Hair::kLong, false},  // the child
};

bool InEllipse(double x, double y, double cx, double cy, double rx, double ry) {
  const double dx = (x - cx) / rx, dy = (y - cy) / ry;
  return dx * dx + dy * dy <= 1.0;
}

Rgb Darker(Rgb c) {
  return {static_cast<uint8_t>(c.r / 2), static_cast<uint8_t>(c.g / 2), static_cast<uint8_t>(c.b / 2 + 8)};
}

// One bust in its own cell-sized picture.
Picture Bust(const Person& who) {
  Picture p(kCellW, kCellH, kClear);
  constexpr double kCx = 100, kHeadY = 95, kHeadRx = 38, kHeadRy = 44;
  for (int y = 0; y < kCellH; ++y) {
    for (int x = 0; x < kCellW; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      Rgb c = kClear;
      // Shoulders: 40 wide each side at the neck, widening to 90.
      if (y >= 150) {
        const double half = std::fmin(40 + (y - 150) * 0.55, 90);
        if (std::fabs(px - kCx) <= half) c = who.clothes;
      }
      if (y >= 120 && y < 156 && std::fabs(px - kCx) <= 13) c = who.skin;
      const bool head = InEllipse(px, py, kCx, kHeadY, kHeadRx, kHeadRy);
      if (head) c = who.skin;
      const bool hair_shape = InEllipse(px, py, kCx, kHeadY - 8, kHeadRx + 5, kHeadRy + 2);
      switch (who.style) {
        case Hair::kShort:
          if (hair_shape && (py < 78 || !head)) c = who.hair;
          break;
        case Hair::kLong:
          if ((hair_shape && (py < 76 || !head)) ||
              (py > 80 && py < 190 && std::fabs(px - kCx) > 30 && std::fabs(px - kCx) < 48)) {
            c = who.hair;
          }
          break;
        case Hair::kCap:  // a helmet down to the brows, with a nose guard
          if ((hair_shape && py < 88) || (py < 112 && std::fabs(px - kCx) < 3 && head)) c = who.hair;
          break;
      }
      if (who.beard && head && py > 112) c = who.hair;
      p.At(x, y) = c;
    }
  }
  // Eyes with a glint, and the mouth (hidden by a beard).
  for (int side : {-1, 1}) {
    const int ex = static_cast<int>(kCx) + side * 14 - 2;
    for (int y = 96; y < 104; ++y) {
      for (int x = ex; x < ex + 5; ++x) p.At(x, y) = kEye;
    }
    p.At(ex + 1, 97) = kEyeLight;
  }
  if (!who.beard) {
    for (int x = 95; x < 105; ++x) p.At(x, 122) = kMouth;
  }
  // The outline: every drawn pixel beside a transparent one, darkened.
  Picture out = p;
  for (int y = 0; y < kCellH; ++y) {
    for (int x = 0; x < kCellW; ++x) {
      if (p.At(x, y) == kClear) continue;
      const bool edge = x == 0 || y == 0 || x == kCellW - 1 || p.At(x - 1, y) == kClear || p.At(x + 1, y) == kClear ||
                        p.At(x, y - 1) == kClear || (y + 1 < kCellH && p.At(x, y + 1) == kClear);
      if (edge) out.At(x, y) = Darker(p.At(x, y));
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_portrait_picture OUTPUT\n");
    return 2;
  }
  Picture sheet(kCellW * kColumns, kCellH * kRows, kClear);
  for (int i = 0; i < kColumns * kRows; ++i) {
    const Picture bust = Bust(kPeople[i]);
    const int ox = i % kColumns * kCellW, oy = i / kColumns * kCellH;
    for (int y = 0; y < kCellH; ++y) {
      for (int x = 0; x < kCellW; ++x) sheet.At(ox + x, oy + y) = bust.At(x, y);
    }
  }
  if (!nltools::WritePng(argv[1], sheet)) {
    std::fprintf(stderr, "nl_portrait_picture: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
