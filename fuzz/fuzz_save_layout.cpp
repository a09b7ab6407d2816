// The unpacked save layout (what a save file holds once its icon is stripped and it is
// unpacked): reached directly, since random bytes rarely unpack.
#include <array>
#include <span>

#include "game/data/save_game.h"
#include "game_data_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  game::GameData& d = nlfuzz::FreshGameData();
  std::array<uint32_t, 160> flags{};
  game::ParseSaveLayout(std::span<const uint8_t>(data, size), &d, &flags);
  return 0;
}
