// The settings file system/nlconfig.inf that the game reads at start-up and this tool
// rewrites: a header word on line 1, then entries 0-255 one a line, ASCII, CR LF.
//
// Reading takes fields, not lines (a field ends at a comma or a line end, leading blanks
// skipped) and refuses anything the game or the dialog could not take back unchanged (a
// check box takes 0, 1 or 2, the font list -1 to 9, every other entry any value of the
// game's 32-bit int); a refused file is never written. Writing goes to a temporary file beside the settings file
// and replaces it only once complete, so a failed write keeps the player's settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace nlconfig {

inline constexpr char kSettingsPath[] = "system/nlconfig.inf";  // relative to the working directory
inline constexpr int kGameConfigEntries = 256;
inline constexpr int kCheckBoxEntries = 8;  // entries 0-7, one check box each
inline constexpr int kFontEntry = 8;
inline constexpr int kCheckGrey = 2;        // a check box's grey state, kept when read
inline constexpr int kNoFontSelected = -1;  // the font list with no item selected
inline constexpr int kLastFontItem = 9;
inline constexpr size_t kMaxHeaderChars = 255;  // the game reads the header into 256 bytes

struct Settings {
  std::string ConfigHeader;  // one word, printable ASCII, never interpreted
  std::array<int, kGameConfigEntries> GameConfig{};
};

// Either the settings or why they were refused.
struct LoadResult {
  bool ok = false;
  Settings settings;
  std::string error;  // "line N: ..." for a fault in the text
};

// The settings held in a file's text; fields past entry 255 are ignored.
LoadResult ParseSettings(std::string_view text);

// The file's bytes as SaveSettings writes them.
std::string FormatSettings(const Settings& settings);

// Reads and parses the file at path.
LoadResult LoadSettings(const std::string& path);

// Writes the settings to path through a temporary file in the same folder; on failure the
// file at path is as it was and the error says why (empty on success).
std::string SaveSettings(const std::string& path, const Settings& settings);

}  // namespace nlconfig
