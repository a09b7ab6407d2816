// The key-assignment dialog: the player presses a key or joypad button for each of the
// buttons 4-9 in turn, on the on-screen log; the result is kept in keycast.ini.
#include "game/input/key_cast.h"
#include "platform/timer/timer.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/log/screen_log.h"
#include "vexal/app/system/timing.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/screen_present.h"

namespace game {
namespace {

// Labels of buttons 4-9, in the order the dialog asks for them.
constexpr const char* kButtonLabels[] = {"○", "×", "□", "△", "Ｒ", "Ｌ"};
constexpr int kDialogButtons = 6;
static_assert(kFirstAssignedButton + kDialogButtons == kLogicalButtons);

// The pad-state bits a button may take (keyboard Z X C A S D Q W, joypad buttons 1-8),
// lowest first, and how the dialog names each.
constexpr uint32_t kFirstAssignableBit = 0x10;
constexpr int kAssignableBits = 8;
constexpr const char* kBitLabels[kAssignableBits] = {"1(Z)", "2(X)", "3(C)", "4(A)", "5(S)", "6(D)", "7(Q)", "8(W)"};

constexpr int32_t kAcceptedShowMs = 700;  // how long an accepted key stays on the screen
constexpr int kTabKey = 0x0F;             // ends the dialog
constexpr uint32_t kShowAgainMs = 35;     // the game's frame: the waiting picture is shown again

// Index of the lowest assignable bit set in the pad state, or -1.
int LowestAssignableBit(int pad_state) {
  for (int i = 0; i < kAssignableBits; ++i) {
    if ((static_cast<uint32_t>(pad_state) & (kFirstAssignableBit << i)) != 0) return i;
  }
  return -1;
}

// Waits until `answered` holds; false when the window closed first. Like the game's frame
// wait it takes the messages and sleeps between looks, and it shows the log again once a
// frame, so the window keeps its picture and whoever counts presented frames (the harness
// that closes the window after so many) sees the wait go on.
template <typename Answered>
bool WaitForAnswer(Answered answered) {
  uint32_t shown = vexal::GetTimeMs();
  for (;;) {
    if (vexal::PumpMessages() != 0) return false;
    if (answered()) return true;
    if (static_cast<int32_t>(vexal::GetTimeMs() - shown) >= static_cast<int32_t>(kShowAgainMs)) {
      // The log is drawn over the picture at each presentation: over a cleared one, so a
      // flip's other buffer shows the same.
      vexal::ClearDrawTarget();
      vexal::PresentScreen();
      shown = vexal::GetTimeMs();
    } else {
      plat::timer::PauseUntil(shown + kShowAgainMs);
    }
  }
}

}  // namespace

void KeyCast::KeyCastDialog() {
  bool quit = false;   // the pump reported the end: every remaining wait ends at once
  uint32_t taken = 0;  // bits given to earlier buttons of this dialog

  vexal::ClearDrawTarget();
  vexal::ScreenLogPrintf("キーキャストの設定をします。\n○,×,□,△,Ｒ,Ｌボタンの順に設定します。\n");
  for (int i = 0; i < kDialogButtons; ++i) {
    vexal::ScreenLogPrintf(
        "使用できるキーはZXCASDQWです。\nゲーム中で【%"
        "sボタン】として当てるキーまたはジョイパッドのボタンを押してください。\n>",
        kButtonLabels[i]);
    vexal::PresentScreen();
    int bit = -1;
    // Only the lowest key held counts, and a key already taken is refused.
    quit = quit || !WaitForAnswer([&] {
             const int lowest = LowestAssignableBit(vexal::ReadPadState(kGamePadSelector));
             if (lowest < 0 || (taken & (kFirstAssignableBit << lowest)) != 0) return false;
             bit = lowest;
             return true;
           });
    if (bit < 0) continue;  // ended by the pump: the button keeps its mask

    uint32_t mask = kFirstAssignableBit << bit;
    button_masks[kFirstAssignedButton + i] = mask;
    taken |= mask;
    vexal::ClearDrawTarget();
    vexal::ScreenLogPrintf("%s\n\nOK.\n\n", kBitLabels[bit]);
    vexal::PresentScreen();
    vexal::WaitMs(kAcceptedShowMs);
    vexal::ScreenLogClear();
    vexal::ClearDrawTarget();
  }

  vexal::ScreenLogPrintf(
      "キーキャストがすべて終了しました。\nこの設定は自動的に保存/読込されます。\n\n[TAB]キーで戻ります。\n");
  vexal::PresentScreen();
  if (!quit) WaitForAnswer([] { return vexal::CheckKeyDown(kTabKey) != 0; });
  vexal::ScreenLogClear();
  vexal::ClearDrawTarget();
  SaveKeyCastFile();
}

}  // namespace game
