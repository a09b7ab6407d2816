// The transitions between maps: the mask wipe, a modal run of eleven frames that covers
// the picture with the catch picture through ten growing mask stages, and the screen
// break after it, in which the catch picture's four quarters slide out to the corners
// over the next frames (drawn by EndFrame).
#pragma once

#include <array>
#include <cstdint>

namespace game {

inline constexpr int kWipeStages = 10;
// Stage n's mask picture: img\ci\sc<n>.png; the blue byte of a pixel is its mask byte.
inline constexpr char kWipeStageFilePrefix[] = "img\\ci\\sc";
inline constexpr char kWipeStageFileSuffix[] = ".png";
inline constexpr char kCatchFile[] = "img\\ci\\catch.png";  // 2 x 2 quarters
inline constexpr int kCatchQuarters = 4;
inline constexpr int kCatchQuarterWidth = 160;
inline constexpr int kCatchQuarterHeight = 120;
// The break: frames it lasts, and the frames at its start (counter above kBreakSlideFrom)
// in which the quarters stay whole.
inline constexpr int32_t kBreakFrames = 33;
inline constexpr int32_t kBreakSlideFrom = 30;
inline constexpr int32_t kAfterWipeCount = 6;  // the further counter a wipe leaves behind

class ScreenWipe {
 public:
  ScreenWipe();
  virtual ~ScreenWipe() = default;

  // Makes the mask buffer, loads the ten stages and the catch quarters; masked drawing off.
  void LoadScreenWipe();
  // The modal wipe over the current picture; ends at once on a quit request.
  void PlayScreenWipe();
  // The break starts with the next frame's end (on entering a map).
  void ArmScreenBreak() { break_counter_ = kBreakFrames; }
  // One frame of the break, while it runs.
  void DrawScreenBreak();

  int32_t BreakCounter() const { return break_counter_; }
  int32_t AfterWipeCount() const { return after_wipe_; }
  const std::array<int, kCatchQuarters>& CatchGraphs() const { return catch_; }
  const std::array<int, kWipeStages>& StageMasks() const { return stages_; }

 private:
  // The catch picture whole, from its four quarters.
  void DrawCatch() const;

  std::array<int, kWipeStages> stages_;    // mask data of stage 0..9, -1 not loaded
  std::array<int, kCatchQuarters> catch_;  // top-left, top-right, bottom-left, bottom-right
  int32_t break_counter_ = 0;              // frames of the break left
  int32_t after_wipe_ = 0;                 // set after a wipe; nothing reads it
};

// The game's one screen wipe.
extern ScreenWipe TheScreenWipe;

}  // namespace game
