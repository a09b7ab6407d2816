// The on-screen log: a few lines of text that the presentation draws over the picture.
// Lines break at the screen width (measured with the log's font) and scroll when the
// screen is full.
#pragma once

#include <string_view>

namespace vexal {

inline constexpr int kScreenLogLineSlots = 80;   // lines kept; enough for 1280-pixel screens
inline constexpr int kScreenLogLineBytes = 255;  // one line's buffer, terminator included
inline constexpr int kScreenLogLineHeight = 16;  // pixels
inline constexpr int kScreenLogTabWidth = 4;     // spaces per tab

// Pixel width of one character (1 or 2 bytes of Shift-JIS) in the log's font.
using ScreenLogCharWidthFunc = int (*)(const char* bytes, int byte_count);

// Sets up the log (called by the screen-mode change). 0.
int ScreenLogInit();
// Adds text: line feeds break lines, tabs become spaces, control bytes and '?' vanish. 0.
int ScreenLogAddText(std::string_view text);
// printf-style text, cut to 1023 bytes; marks the log as used. 0.
int ScreenLogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// 1 after ScreenLogPrintf, until ScreenLogClear.
int ScreenLogIsUsed();
// Frees every line. 0.
int ScreenLogClear();

// The text of line slot i, empty when it holds none.
std::string_view ScreenLogLine(int i);
// Index of the line being filled.
int ScreenLogCurrentLineIndex();

// The log's font handle, -1 before one could be made.
int ScreenLogFontHandle();

// Measures characters with f instead of the log's font; null restores the font.
void SetScreenLogCharWidthFunc(ScreenLogCharWidthFunc f);

}  // namespace vexal
