// The battle's drawing calls as no-ops, but for its picture loads and frees: the loads hand
// out fresh handles, and a draw or free of a handle that is not loaded, or a handle still
// loaded once the pictures are released, is a fault (a reused handle would draw or free
// another picture; a leaked one fills the graph table over many fights).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <set>
#include <span>
#include <string_view>

#include "game/battle/battle.h"
#include "game/battle/battle_draw_calls.h"

namespace nlfuzz {

inline std::set<int> LoadedGraphs;  // handles loaded and not yet freed
inline int NextGraph = 1;

inline game::BattleDrawCalls CountingBattleDrawCalls() {
  game::BattleDrawCalls c;
  c.graph = [](int, int, int g, int) {
    if (g != -1 && LoadedGraphs.count(g) == 0) std::abort();
  };
  c.blend = [](int, int) {};
  c.bright = [](int, int, int) {};
  c.frame_box = [](int, int, int, int, int) {};
  c.glyphs = [](int, int, int, int, std::span<const uint8_t>) {};
  c.text = [](int, int, std::string_view) {};
  c.number = [](int, int, int, int, int) {};
  c.circle = [](int, int, int, uint32_t, int) {};
  c.fill_box = [](int, int, int, int, uint32_t) {};
  c.copy_screen = [](int) {};
  c.hand = [](int, int, int, int) {};
  c.item_info = [](int) {};
  c.message_window = [](std::span<const uint8_t>) {};
  // As the library's division does: all cells of an across x down grid, written to handles.
  c.load_div_graph = [](std::string_view, int all, int across, int down, int w, int h, int* handles) {
    if (all <= 0 || across <= 0 || down <= 0 || int64_t{all} > int64_t{across} * down || w <= 0 || h <= 0) return -1;
    for (int i = 0; i < all; ++i) {
      handles[i] = NextGraph++;
      LoadedGraphs.insert(handles[i]);
    }
    return 0;
  };
  c.delete_graph = [](int g) {
    if (LoadedGraphs.erase(g) == 0) std::abort();
  };
  return c;
}

// Every picture released: none may be left loaded.
inline void ExpectNoGraphLoaded() {
  if (!LoadedGraphs.empty()) std::abort();
}

}  // namespace nlfuzz
