// KeyCast: the game's view of the input, sampled once a frame. For every key (codes
// 0-255) whether it is held, newly pressed, or giving an auto-repeat pulse; the same for
// the ten logical buttons, each bound to pad-state bits (keyboard Z X C A S D Q W and the
// joypad buttons share those bits). The binding of buttons 4-9 is the player's, chosen
// in KeyCastDialog and kept in keycast.ini in the start directory.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace game {

inline constexpr int kKeyCastKeys = 256;  // key codes
inline constexpr int kButtonMasks = 16;   // mask slots; buttons 0-9 are used
inline constexpr int kLogicalButtons = 10;

// Logical buttons.
inline constexpr int kButtonUp = 0;
inline constexpr int kButtonDown = 1;
inline constexpr int kButtonRight = 2;
inline constexpr int kButtonLeft = 3;
inline constexpr int kButtonDecide = 4;
inline constexpr int kButtonCancel = 5;
inline constexpr int kFirstAssignedButton = 4;  // buttons 4-9 are the player's to bind

// Repeat timing in frames: the first repeat pulse after the press, then the period.
inline constexpr uint8_t kRepeatDelay = 14;
inline constexpr uint8_t kRepeatPeriod = 2;
// Repeat states.
inline constexpr uint8_t kRepeatIdle = 0;
inline constexpr uint8_t kRepeatWaiting = 1;
inline constexpr uint8_t kRepeatRepeating = 2;

// ReadPadState's selector for the game: the first joypad and the keyboard.
inline constexpr int kGamePadSelector = 0x1001;

// The masks a fresh start uses: directions (always these), then the player's buttons.
inline constexpr std::array<uint32_t, kButtonMasks> kDefaultButtonMasks = {8,    1,    4, 2, 32, 64, 128, 16,
                                                                           2048, 1024, 0, 0, 0,  0,  0,   0};

// keycast.ini: the 16 masks as little-endian u32, then the note below with its zero byte.
inline constexpr char kKeyCastFile[] = "keycast.ini";
inline constexpr char kKeyCastNote[] = "\nこのファイルを消去しますと、キーキャストの設定がデフォルトに戻ります。";
inline constexpr size_t kKeyCastMaskBytes = kButtonMasks * 4;
inline constexpr size_t kKeyCastFileBytes = kKeyCastMaskBytes + sizeof kKeyCastNote;
static_assert(sizeof kKeyCastNote == 72, "the note is 72 bytes of CP932");

class KeyCast {
 public:
  // Default masks, then keycast.ini from the current directory.
  KeyCast();

  // Takes this frame's sample; the frame loop calls it once a frame, at the release.
  void UpdateKeyCast();
  // Button n's mask shares a bit with this frame's pad state / with the newly pressed bits.
  bool IsButtonDown(int n) const;
  bool IsButtonPressed(int n) const;
  // Button n's press-or-repeat pulse this frame (n 0-9).
  bool IsButtonRepeat(int n) const;
  bool IsKeyHeld(int k) const;
  bool IsKeyPressed(int k) const;
  // Forgets every repeat (state, counter, pulse); held and pressed stay.
  void ClearKeyCast();
  // The interactive assignment of buttons 4-9 on the on-screen log; writes keycast.ini.
  void KeyCastDialog();

  // keycast.ini: the masks it fully holds replace ours (a missing file changes nothing),
  // then the direction masks are forced back. Writing stores all 16 masks and the note;
  // true when every byte was written.
  void LoadKeyCastFile();
  bool SaveKeyCastFile() const;

  std::array<uint8_t, kKeyCastKeys> keys{};      // 1 while down (this frame's sample)
  std::array<uint8_t, kKeyCastKeys> previous{};  // down in the last sample
  std::array<uint8_t, kKeyCastKeys> pressed{};   // 1 in the frame the key went down
  std::array<uint8_t, kKeyCastKeys> key_repeat_state{};
  std::array<uint8_t, kKeyCastKeys> key_repeat_counter{};  // frames in the current state
  std::array<uint8_t, kKeyCastKeys> key_pulse{};           // press or repeat pulse this frame
  std::array<uint32_t, kButtonMasks> button_masks = kDefaultButtonMasks;
  uint32_t pad_now = 0;      // this frame's pad state
  uint32_t pad_before = 0;   // the previous frame's
  uint32_t pad_pressed = 0;  // bits that went from 0 to 1 this frame
  std::array<uint8_t, kButtonMasks> button_repeat_state{};
  std::array<uint8_t, kButtonMasks> button_repeat_counter{};
  std::array<uint8_t, kButtonMasks> button_pulse{};
};

// The game's one key input.
extern KeyCast KeyInput;

}  // namespace game
