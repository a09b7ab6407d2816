// nl_id_card_picture OUTPUT: draws the field menu's ID cards "idcard.png", 42 x 8: seven
// 6 x 8 cards side by side, one for each event bit the party can hold, each a coloured
// card with a pale stripe and a dark hole, on black (transparent in the game).
#include <array>
#include <cstdio>
#include <string_view>

#include "tools/picture/picture_file.h"

namespace {

constexpr int kCards = 7, kCardWidth = 6, kHeight = 8;
// 'c' card colour, 's' stripe, 'h' hole, '.' transparent.
constexpr std::string_view kCard[kHeight] = {
    ".cccc.", "cchccc", "cccccc", "ssssss", "cccccc", "cscscc", "cccccc", ".cccc.",
};
// In the order the game names the cards: green, red, yellow, blue, silver, gold, master.
constexpr std::array<nltools::Rgb, kCards> kColours = {{
    {70, 180, 80},
    {200, 60, 60},
    {220, 210, 60},
    {60, 110, 220},
    {190, 195, 205},
    {225, 170, 40},
    {120, 70, 200},
}};
constexpr nltools::Rgb kStripe{240, 240, 230}, kHole{24, 16, 40};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_id_card_picture OUTPUT\n");
    return 2;
  }
  nltools::Picture cards(kCards * kCardWidth, kHeight);
  for (int card = 0; card < kCards; ++card) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kCardWidth; ++x) {
        const char c = kCard[y][x];
        nltools::Rgb& px = cards.At(card * kCardWidth + x, y);
        if (c == 'c') px = kColours[card];
        if (c == 's') px = kStripe;
        if (c == 'h') px = kHole;
      }
    }
  }
  if (!nltools::WritePng(argv[1], cards)) {
    std::fprintf(stderr, "nl_id_card_picture: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
