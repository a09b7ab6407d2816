// A chip set as the field loads it, under a map that uses every chip: the pass grid, the
// chip animation and the drawing read its records.
#include "field_fuzz.h"
#include "game/field/chip_set.h"
#include "scratch_files.h"

namespace {

constexpr char kChipSetPath[] = "map\\fuzz.chp";
constexpr int kStart = 128;  // the player's tile, both ways

// Every chip number on the ground around the player; a chip event, a bubble and a
// walker beside him.
game::MapFileImage ChipMap() {
  game::MapFileImage m;
  for (int y = 0; y < game::kMapSize; ++y)
    for (int x = 0; x < game::kMapSize; ++x)
      m.Cell(0, x, y) = uint16_t((y * game::kMapSize + x) % game::kChipRecordCount);
  auto place = [&](int e, int x, int y, int fixed, int graphic, int move_type) {
    auto& p = m.events[e][0];
    p[game::kPageX] = uint16_t(x);
    p[game::kPageY] = uint16_t(y);
    p[game::kPageFixed] = uint16_t(fixed);
    p[game::kPageGraphic] = uint16_t(graphic);
    p[game::kPageMoveType] = uint16_t(move_type);
    p[game::kPageAreaHighX] = p[game::kPageAreaHighY] = game::kMapSize - 1;
  };
  place(0, kStart, kStart, 0, 0, 0);
  place(1, kStart + 2, kStart, 1, 5, 0);
  place(2, kStart - 2, kStart, 1, game::kBubbleGraphic, 0);
  place(3, kStart, kStart + 2, 0, 1, 4);
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const game::MapFileImage map = ChipMap();
  game::Field& field = nlfuzz::FreshField();
  if (!nlfuzz::WriteGameFile(kChipSetPath, data, size)) return 0;
  field.Map = map;
  field.EventCount = 4;
  for (int e = 0; e < field.EventCount; ++e)
    field.Map.Cell(2, map.events[e][0][game::kPageX], map.events[e][0][game::kPageY]) = uint16_t(e);
  field.UpdateEventPages(1);
  field.LoadChipSet(kChipSetPath);
  if (field.LoadedChipSetPath() != kChipSetPath) return 0;
  field.PlacePlayer(kStart, kStart, 0);
  field.StartScriptBegun = 1;  // no script to start
  field.BuildPassGrid();
  nlfuzz::RunFieldFrames(16);
  return 0;
}
