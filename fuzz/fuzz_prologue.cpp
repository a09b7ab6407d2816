// The prologue system\jealousy.ps, read as the title reads it and converted to glyph codes
// when the title starts; then NEW_GAME chosen and the prologue scrolled to its end with
// decide held, every frame drawing the text, so the codes are also laid out and drawn.
#include <initializer_list>
#include <memory>

#include "game/entry/title_screen.h"
#include "game/frame/frame_loop.h"
#include "game/input/key_cast.h"
#include "game_data_fuzz.h"
#include "music/music_manager.h"
#include "platform/timer/timer.h"
#include "scratch_files.h"

namespace {

// The scroll of 752 pixels, at 4 1/3 a frame with decide held, and a little more.
constexpr int kPrologueFrames = 200;

// This frame's buttons: held, and newly pressed (also held).
void Keys(std::initializer_list<int> held, std::initializer_list<int> pressed = {}) {
  game::KeyCast& k = game::KeyInput;
  k.pad_now = k.pad_pressed = 0;
  k.button_pulse.fill(0);
  for (int b : held) k.pad_now |= k.button_masks[b];
  for (int b : pressed) {
    k.pad_now |= k.button_masks[b];
    k.pad_pressed |= k.button_masks[b];
    k.button_pulse[b] = 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The pop-up of a new game refused (no map here) paces its frames: no time on this clock.
  plat::timer::UseVirtualClock(true);
  nlfuzz::FreshGameData();
  if (!nlfuzz::WriteGameFile(game::kPrologueFile, data, size)) return 0;
  music::ResetMusicForTests();
  game::SetTitleHooks({[](int) {}, [] {}, [] {}});
  game::KeyInput = game::KeyCast();
  auto title = std::make_unique<game::TitleScreen>();  // reads the prologue
  title->EnterTitle();
  Keys({}, {game::kButtonDecide});  // the menu
  title->TitleFrame();
  Keys({}, {game::kButtonUp});  // NEW_GAME
  title->TitleFrame();
  Keys({}, {game::kButtonDecide});  // the prologue
  title->TitleFrame();
  for (int f = 0; f < kPrologueFrames && title->State() == game::kTitlePrologue; ++f) {
    Keys({game::kButtonDecide});
    title->TitleFrame();
  }
  return 0;
}
