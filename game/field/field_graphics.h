// The field's picture handles: chip cells, character frames and the effect pictures.
#pragma once

#include <array>
#include <string_view>

namespace game {

inline constexpr int kCharacterSheetCells = 768;                      // 48 x 16 cells of 16 x 32
inline constexpr int kCharacterGroups = 256;                          // 4 x character + direction
inline constexpr char kCharacterSheetFile[] = "system\\chargrp.png";  // packed
inline constexpr char kCharacterTempFile[] = "img\\9vwk2ju.wma";      // unpacked, deleted after loading

struct FieldGraphics {
  std::array<int, 1024> ChipCells{};
  std::array<int, kCharacterGroups * 4> CharacterFrames{};
  int EdgeLeft = -1, EdgeRight = -1, EmptyChip = -1;
  std::array<int, 2> Bubble{};
  std::array<int, 8> Break{};
  std::array<int, 4> Teleport{};
  std::array<int, 2> Radar{};
  std::array<double, 5> BubbleY{}, BubbleSpeed{};
};

// The bubble effect's particles: pixels from the top of a 32-pixel column (32 = the
// event's cell), rising faster every frame and starting again at the foot.
inline constexpr int kBubbleParticles = 5;
inline constexpr double kBubbleColumn = 32;
inline constexpr double kBubbleAcceleration = 0.025;  // speed gained a frame
inline constexpr double kBubbleSpeedScale = 8;        // speed units a pixel
inline constexpr double kBubbleRestartSpeed = -3.04;  // the lowest particle's start speed

extern FieldGraphics TheFieldGraphics;
// Loads every field picture (at start-up).
void LoadFieldGraphics();
// The game's restore handler, for after the device lost the graphs: the library's reload
// of every graph from its file, with the character sheet's temporary file there again
// meanwhile. 0.
int RestoreGraphsWithCharacterSheet();
// One frame of the bubble particles.
void StepBubbles(FieldGraphics& g);
// The chip cells again from a chip set's image, into the same handles.
void ReloadChipCells(std::string_view image);

}  // namespace game
