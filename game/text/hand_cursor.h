// The pointing hand of menus and battle: it bounces towards the right edge and back, or
// stands still, or blinks in place, one animation step a draw.
#pragma once

#include <cstdint>

namespace game {

inline constexpr char kHandCursorFile[] = "system\\handicon.bmp";
inline constexpr int32_t kHandBounceKick = -8;    // speed a bounce starts with
inline constexpr int32_t kHandBounceGravity = 2;  // added to the speed every draw
inline constexpr int kHandBounceShift = 3;        // offset / 8 is the pixels moved
inline constexpr int32_t kHandFrameLast = 10;     // the blink counter runs 0..10
inline constexpr int kHandX = -24, kHandY = -2;   // the hand's corner from the point given
inline constexpr int kHandBlinkX = -16;
inline constexpr int kHandBlinkBase = 268, kHandBlinkStep = 24;  // blend = base - step x frame

class HandCursor {
 public:
  HandCursor() = default;
  virtual ~HandCursor() = default;

  // Loads the hand and starts the bounce afresh.
  void LoadHandCursor();
  // The hand pointing at (x, y). still: no bounce this draw (the bounce does not move);
  // blink: drawn faded by the blink counter at a fixed place instead.
  void DrawHandCursor(int x, int y, int still, int blink);

  int Graph() const { return graph_; }
  int32_t Offset() const { return offset_; }
  int32_t Frame() const { return frame_; }

 private:
  int graph_ = -1;                   // the hand picture
  int32_t offset_ = 0;               // bounce position, eighths of a pixel, at most 0
  int32_t speed_ = kHandBounceKick;  // bounce speed
  int32_t frame_ = 0;                // blink counter, 0..kHandFrameLast
};

// The game's one hand cursor.
extern HandCursor TheHandCursor;

}  // namespace game
