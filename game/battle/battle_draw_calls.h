// Colours are 0xRRGGBB.
// The drawing calls of the battle screen and its effects, as one table so tests can
// record them. The defaults call Vexal, the bitmap font, the frame boxes and the hand.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace game {

inline constexpr int kBattleBlendOff = 0, kBattleBlendAlpha = 1, kBattleBlendAdd = 2;

struct BattleDrawCalls {
  void (*graph)(int x, int y, int graph, int trans) = nullptr;
  void (*blend)(int mode, int param) = nullptr;
  void (*bright)(int r, int g, int b) = nullptr;
  void (*frame_box)(int x1, int y1, int x2, int y2, int style) = nullptr;
  void (*glyphs)(int x, int y, int width, int lines, std::span<const uint8_t> codes) = nullptr;
  void (*text)(int x, int y, std::string_view sjis) = nullptr;
  void (*number)(int x, int y, int value, int width, int max) = nullptr;
  void (*circle)(int x, int y, int r, uint32_t rgb, int fill) = nullptr;
  void (*fill_box)(int x1, int y1, int x2, int y2, uint32_t rgb) = nullptr;
  void (*copy_screen)(int graph) = nullptr;  // the whole screen into a 320 x 240 graph
  void (*hand)(int x, int y, int still, int blink) = nullptr;
  void (*item_info)(int item) = nullptr;
  // The field's message box (not the battle's) with a glyph-code text, into this frame.
  void (*message_window)(std::span<const uint8_t> codes) = nullptr;
  // Picture loads and frees of the effect table and the sprite cache.
  int (*load_div_graph)(std::string_view file, int all, int across, int down, int w, int h, int* handles) = nullptr;
  void (*delete_graph)(int graph) = nullptr;
};
// Null members go back to the defaults.
void SetBattleDrawCalls(BattleDrawCalls calls);
const BattleDrawCalls& BattleDraw();

}  // namespace game
