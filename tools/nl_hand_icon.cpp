// nl_hand_icon OUTPUT: draws the menus' pointing hand "handicon.bmp", 16 x 10: a pale
// glove with its index finger pointing right, outlined in the night's violet, on black
// (transparent in the game).
#include <cstdio>
#include <string_view>

#include "tools/picture/picture_file.h"

namespace {

constexpr int kWidth = 16, kHeight = 10;
// '#' outline, 'o' glove, '.' transparent.
constexpr std::string_view kHand[kHeight] = {
    "..######........", ".#oooooo#######.", "#oooooooooooooo#", "#oooooo########.", "#ooooooo#.......",
    "#oooooo##.......", "#ooooooo#.......", "#oooooo##.......", ".#ooooo#........", "..#####.........",
};
constexpr nltools::Rgb kOutline{48, 32, 96}, kGlove{240, 236, 250};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_hand_icon OUTPUT\n");
    return 2;
  }
  nltools::Picture hand(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const char c = kHand[y][x];
      if (c == '#') hand.At(x, y) = kOutline;
      if (c == 'o') hand.At(x, y) = kGlove;
    }
  }
  if (!nltools::WriteBmp(argv[1], hand)) {
    std::fprintf(stderr, "nl_hand_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
