// The field's message box, drawn inside the current frame or shown as a small modal loop
// that waits for the player, and the pop-up note box.
//
// The modal boxes freeze the picture they open over (ScreenCopyGraph), pass every frame
// through EndFrame and stop at once on a quit request. They close on a press of decide or
// cancel seen in a frame of their own, so a key held (or pressed) before a box opened
// never closes it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace game {

// The message box and its text.
inline constexpr int kMessageBoxX = 48, kMessageBoxY = 160, kMessageBoxW = 224, kMessageBoxH = 74;
inline constexpr int kMessageTextX = 54, kMessageTextY = 170;
inline constexpr int kMessageTextWidth = 25;   // glyphs a line
inline constexpr int kMessageTextLines = 4;    // further lines are cut
inline constexpr int kMessageTextBytes = 512;  // glyph codes, NUL included
inline constexpr int kMessageSlideFrames = 3;
inline constexpr int kMessageBoxOverBlend = 225;  // alpha of the box drawn over the portraits
// The "more" mark: two glyphs taking turns every kMoreMarkFrames frames.
inline constexpr int kMoreMarkX = 258, kMoreMarkY = 220;
inline constexpr uint8_t kMoreMarkGlyphs[2] = {173, 174};
inline constexpr int kMoreMarkFrames = 8;
// The pop-up.
inline constexpr int kPopupX1 = 38, kPopupY1 = 100, kPopupX2 = 282, kPopupY2 = 132;
inline constexpr int kPopupTextX = 46, kPopupTextY = 112;
inline constexpr int kPopupBlinkPeriod = 17;  // frames: style 0 for 9, then style 1 for 8
inline constexpr int kPopupStyle0Frames = 9;

// What the message box draws with that other screens own: the portraits beside it and the
// field it is redrawn over when it closes. Null draws nothing.
struct MessageWindowHooks {
  void (*draw_portraits)() = nullptr;
  void (*redraw_field)() = nullptr;
};
void SetMessageWindowHooks(MessageWindowHooks hooks);

class MessageWindow {
 public:
  MessageWindow();
  virtual ~MessageWindow() = default;

  // Copies a glyph-code text up to its first 0, cut to the buffer.
  void SetMessageText(std::span<const uint8_t> codes);
  // inline != 0: the box and text into the current frame; 0: the modal box.
  void ShowMessage(int inline_);
  // The modal note box with a Shift-JIS text.
  void ShowPopup(std::string_view text);

  std::span<const uint8_t> Text() const { return text_; }

 private:
  // The box with its text at text_y; the "more" mark too when more_frame >= 0.
  void DrawMessage(int text_y, int more_frame) const;
  // The slide-in and the wait for an answer (or the end of the game).
  void RunModalMessage() const;

  std::array<uint8_t, kMessageTextBytes> text_{};  // glyph codes, NUL-terminated
};

// The game's one message window.
extern MessageWindow TheMessageWindow;

}  // namespace game
