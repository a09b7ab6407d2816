// The character portraits beside messages: two display slots, each showing one of the
// eight portraits of img\bustupall.png. A portrait newly shown in a slot fades in over
// its first four draws; showing the same portrait again keeps it as it is.
#pragma once

#include <array>
#include <cstdint>

namespace game {

inline constexpr char kPortraitFile[] = "img\\bustupall.png";
inline constexpr int kPortraitCount = 8;  // 4 x 2 cells of the picture
inline constexpr int kPortraitColumns = 4;
inline constexpr int kPortraitRows = 2;
inline constexpr int kPortraitWidth = 200;
inline constexpr int kPortraitHeight = 272;
inline constexpr int kPortraitSlots = 2;
inline constexpr int kPortraitSlotX[kPortraitSlots] = {-10, 130};  // left and right; y 0
inline constexpr int32_t kNoPortrait = -1;
// The fade: draws with a fade counter below kPortraitFadeEnd blend by counter x 80 + 30.
inline constexpr int32_t kPortraitFadeEnd = 5;
inline constexpr int kPortraitFadeStep = 80;
inline constexpr int kPortraitFadeBase = 30;

class BustUp {
 public:
  BustUp();
  virtual ~BustUp() = default;

  // Loads the eight portraits; both slots empty.
  void LoadBustUp();
  // The slot shows picture; a picture other than the one shown starts its fade.
  void ShowBustUp(int picture, int slot);
  // Every slot showing picture becomes empty.
  void HideBustUp(int picture);
  // Both slots empty.
  void ResetBustUp();
  // Draws the shown portraits, each a step further into its fade. The blend mode of the
  // last portrait drawn stays set.
  void DrawBustUp();

  int32_t SlotPicture(int slot) const { return slots_[slot].picture; }
  int32_t SlotFade(int slot) const { return slots_[slot].fade; }
  const std::array<int, kPortraitCount>& Graphs() const { return graphs_; }

 private:
  struct Slot {
    int32_t picture = kNoPortrait;  // portrait shown, kNoPortrait none
    int32_t fade = 0;               // draws into the fade so far, from 1
  };
  std::array<Slot, kPortraitSlots> slots_{};
  std::array<int, kPortraitCount> graphs_;  // one graph per portrait, -1 not loaded
};

// The game's one portrait pair.
extern BustUp TheBustUp;

}  // namespace game
