// Glyph codes back to Shift-JIS, through a table made once by converting every
// character the font knows.
#include "game/menu/menu_glyph_text.h"

#include <array>
#include <string_view>
#include <utility>

#include "game/text/bitmap_font.h"

namespace game {

namespace {

struct ReverseTable {
  std::array<std::string, 256> plain;       // one code
  std::array<std::string, 256> voiced;      // 58 and this code
  std::array<std::string, 256> semivoiced;  // 59 and this code
};

void Offer(ReverseTable& t, std::string_view text) {
  std::array<uint8_t, 4> codes{};
  const int n = BitmapFont::SjisToGlyphCodes(text, codes);
  std::string* slot = nullptr;
  if (n == 1) {
    slot = &t.plain[codes[0]];
  } else if (n == 2 && codes[0] == kGlyphVoicedMark) {
    slot = &t.voiced[codes[1]];
  } else if (n == 2 && codes[0] == kGlyphSemiVoicedMark) {
    slot = &t.semivoiced[codes[1]];
  }
  if (slot != nullptr && slot->empty()) *slot = text;
}

ReverseTable MakeTable() {
  ReverseTable t;
  Offer(t, "＿");  // the blank as game data writes it
  for (int c = 0x20; c < 0x7F; ++c) Offer(t, std::string(1, static_cast<char>(c)));
  Offer(t, "\n");
  const auto leads = {std::pair{0x81, 0x84}, std::pair{0x88, 0x9F}, std::pair{0xE0, 0xEA}};
  for (auto [first, last] : leads) {
    for (int lead = first; lead <= last; ++lead) {
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        const char text[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        Offer(t, std::string_view(text, 2));
      }
    }
  }
  return t;
}

}  // namespace

std::string GlyphCodesToSjis(std::span<const uint8_t> codes) {
  static const ReverseTable table = MakeTable();
  std::string out;
  for (size_t i = 0; i < codes.size() && codes[i] != kGlyphEnd; ++i) {
    const uint8_t c = codes[i];
    const bool marked = (c == kGlyphVoicedMark || c == kGlyphSemiVoicedMark) && i + 1 < codes.size();
    if (marked) {
      const std::string& pair = (c == kGlyphVoicedMark ? table.voiced : table.semivoiced)[codes[i + 1]];
      if (!pair.empty()) {
        out += pair;
        ++i;
        continue;
      }
    }
    out += table.plain[c];
  }
  return out;
}

}  // namespace game
