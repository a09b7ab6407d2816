// The game's start-up and shut-down: the settings, the library in the chosen mode, the
// boot log drawn in the bitmap font while every game object loads its files, and the
// power-saving features switched off for the run and put back at its end.
#pragma once

#include <cstdint>
#include <string_view>

#include "game/entry/game_config.h"

namespace game {

inline constexpr char kGameWindowTitle[] = "NIGHTLOOM";

// The boot log's fixed lines, in their order.
inline constexpr char kBootLine1[] = ">NIGHTLOOM.EXE\n\n";
inline constexpr char kBootLine2[] = "NIGHTLOOM_[VERSION_019_B]\n";
inline constexpr char kBootLine3[] = "@KAZE_HOLLOW_[2004]\n";
inline constexpr char kBootFreeMemory[] = "_BYTES_FREE\n";  // after the free-memory digits
inline constexpr char kBootLine5[] = "OK\n";

// The power-saving state that start-up changed (owned by game_start.cpp).
extern uint8_t ScreenSaverRestore;     // 1: ShutdownGame puts the screen saver back
extern uint8_t SavedScreenSaveActive;  // the screen saver as start-up found it

// Reads the settings, starts the library and brings the game objects up. 0, or -1 when
// the library fails to start (the screen saver is put back first).
int InitGame();
// Frees the game's resources, ends the library and restores the screen saver. 0.
int ShutdownGame();

// The settings' part of start-up (steps before the library starts): window mode, colour
// depth, graph placement, lamp and log switches, the screen saver.
void ApplyGameConfig(const GameConfigTable& config);

// Back to the state at load, for tests.
void ResetGameStart();

}  // namespace game
