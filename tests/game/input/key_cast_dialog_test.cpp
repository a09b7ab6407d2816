// The key-assignment dialog, played by a scripted player who reads the on-screen log and
// holds keys or joypad buttons while the pump runs.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/input/key_cast.h"
#include "platform/input/input.h"
#include "platform/window/window.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/input_fixture.h"
#include "vexal/app/log/screen_log.h"
#include "vexal/app/startup/app_state.h"

namespace {

namespace pi = plat::input;
namespace pw = plat::window;

// What the player holds for one prompt: first `refused` for `refused_polls` polls (the
// dialog must not accept it), then `accepted`.
struct Answer {
  std::function<void(bool)> accepted;
  std::function<void(bool)> refused;
  int refused_polls = 0;
};

class KeyCastDialogTest : public apptest::InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    pad_ = pi::AttachFakeJoypad("pad");
    Start();
  }

  static Answer Take(std::function<void(bool)> hold) { return Answer{std::move(hold), nullptr, 0}; }
  static std::function<void(bool)> Key(uint8_t code) {
    return [code](bool down) { pi::SetFakeKey(code, down); };
  }
  std::function<void(bool)> Button(int b) {
    return [this, b](bool down) { pi::SetFakeJoypadButton(pad_, b, down); };
  }
  static std::function<void(bool)> Keys(uint8_t a, uint8_t b) {
    return [a, b](bool down) {
      pi::SetFakeKey(a, down);
      pi::SetFakeKey(b, down);
    };
  }

  // The log's lines, one after another.
  static std::string ScreenText() {
    std::string text;
    for (int i = 0; i < vexal::kScreenLogLineSlots; ++i) text += std::string(vexal::ScreenLogLine(i));
    return text;
  }

  // Runs the dialog with a player answering each label's prompt; `stop_at` closes the
  // window when that label's prompt shows instead.
  void Play(game::KeyCast& kc, std::map<std::string, Answer> answers, const std::string& stop_at = "") {
    std::function<void(bool)> holding;
    pw::SetEventSource([&] {
      std::string screen = ScreenText();
      std::function<void(bool)> want;
      if (screen.find("[TAB]") != std::string::npos) {
        want = Key(pi::kKeyTab);
      } else if (screen.find("OK.") == std::string::npos) {
        for (auto& [label, answer] : answers) {
          if (screen.find("【" + label + "ボタン】") == std::string::npos) continue;
          if (label == stop_at) {
            pw::UserCloseAll();
            break;
          }
          if (answer.refused_polls > 0) {
            --answer.refused_polls;
            ++refused_polls_seen_[label];
            want = answer.refused;
          } else {
            want = answer.accepted;
          }
        }
      }
      if (holding) holding(false);
      holding = want;
      if (holding) holding(true);
    });
    kc.KeyCastDialog();
    pw::SetEventSource(nullptr);
    if (holding) holding(false);
  }

  pi::DeviceGuid pad_ = 0;
  std::map<std::string, int> refused_polls_seen_;
};

TEST_F(KeyCastDialogTest, AssignsSixButtonsRefusingABitAlreadyTakenAndWritesTheFile) {
  game::KeyCast kc;
  Play(kc, {{"○", Take(Key(pi::kKeyZ))},
            {"×", {Key(pi::kKeyX), Keys(pi::kKeyZ, pi::kKeyX), 20}},  // Z again, with X: Z is the lowest, refused
            {"□", Take(Button(2))},                                   // joypad button 2: bit 0x40
            {"△", {Key(pi::kKeyA), Key(pi::kKeyX), 10}},              // X, taken by ×
            {"Ｒ", Take(Key(pi::kKeyS))},
            {"Ｌ", Take(Key(pi::kKeyD))}});
  EXPECT_EQ(refused_polls_seen_["×"], 20);
  EXPECT_EQ(refused_polls_seen_["△"], 10);
  const std::array<uint32_t, 16> expected = {8, 1, 4, 2, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(kc.button_masks, expected);
  EXPECT_EQ(vexal::ScreenLogIsUsed(), 0);

  std::string bytes = nltest::ReadFileBytes(dir_.File("keycast.ini"));
  ASSERT_EQ(bytes.size(), 136u);
  game::KeyCast next;
  EXPECT_EQ(next.button_masks, expected);
}

TEST_F(KeyCastDialogTest, PromptsAndTheAcceptedKeyAreShownOnTheLog) {
  game::KeyCast kc;
  std::vector<std::string> screens;
  pw::SetEventSource([&] {
    std::string screen = ScreenText();
    if (screens.empty() || screens.back() != screen) screens.push_back(screen);
    // Z for the first prompt, then quit.
    bool accepted = screen.find("OK.") != std::string::npos;
    pi::SetFakeKey(pi::kKeyZ, !accepted && screens.size() < 3);
    if (screen.find("【×ボタン】") != std::string::npos) pw::UserCloseAll();
  });
  kc.KeyCastDialog();
  pw::SetEventSource(nullptr);
  // The log's lines run together, whatever their wrapping.
  ASSERT_GE(screens.size(), 2u);
  const std::string prompt =
      "キーキャストの設定をします。○,×,□,△,Ｒ,Ｌボタンの順に設定します。"
      "使用できるキーはZXCASDQWです。ゲーム中で【○ボタン】として当てるキーまたはジョイパッドのボタンを押してください。"
      ">";
  EXPECT_EQ(screens[0], prompt);
  EXPECT_EQ(screens[1], prompt + "1(Z)OK.");
}

TEST_F(KeyCastDialogTest, QuitEndsEveryWaitAndStillWritesTheFile) {
  game::KeyCast kc;
  Play(kc,
       {{"○", Take(Key(pi::kKeyW))}, {"×", Take(Key(pi::kKeyQ))}, {"□", Take(Key(pi::kKeyD))}, {"△", Take(nullptr)}},
       "△");
  const std::array<uint32_t, 16> expected = {8, 1, 4, 2, 0x800, 0x400, 0x200, 16, 2048, 1024, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(kc.button_masks, expected);
  EXPECT_EQ(vexal::AppState.QuitFlag, 1);
  game::KeyCast next;
  EXPECT_EQ(next.button_masks, expected);
}

}  // namespace
