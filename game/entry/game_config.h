// The settings the game reads once at start-up from system\nlconfig.inf: a header token,
// then 256 integers, whitespace-separated. Entries 0-8 mean something; any non-zero value
// counts as set. A missing file, or one that ends or goes wrong early, gives 0 for every
// entry it did not hold.
#pragma once

#include <array>
#include <string_view>

namespace game {

inline constexpr int kGameConfigEntries = 256;
inline constexpr char kGameConfigFile[] = "system\\nlconfig.inf";
inline constexpr int kGameConfigHeaderBytes = 256;  // room for the header token, NUL included

// What each entry switches on.
inline constexpr int kConfigWindowMode = 0;
inline constexpr int kConfig32BitColour = 1;
inline constexpr int kConfigDirect3DGraphs = 2;
inline constexpr int kConfigNoVideoMemoryGraphs = 3;  // overrides entry 2
inline constexpr int kConfigDoubledScreen = 4;        // 640 x 480
inline constexpr int kConfigKeepPowerSaving = 5;      // leave the screen saver alone
inline constexpr int kConfigNoLampControl = 6;
inline constexpr int kConfigNoLogFile = 7;
inline constexpr int kConfigFontSheet = 8;  // 0 standard, 1..9 numbered sheets
inline constexpr int kLastFontSheet = 9;

using GameConfigTable = std::array<int, kGameConfigEntries>;

// The settings file's entries (see above).
GameConfigTable ReadGameConfig(std::string_view file = kGameConfigFile);

// The font sheet entry 8 names; a value outside 0..9 counts as the standard sheet.
int ConfiguredFontSheet(const GameConfigTable& config);

}  // namespace game
