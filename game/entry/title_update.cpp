// The title's answer to the buttons, state by state.
#include <optional>
#include <utility>

#include "game/data/game_data.h"
#include "game/data/save_game.h"
#include "game/data/sound_table.h"
#include "game/entry/title_screen.h"
#include "game/field/field_map.h"
#include "game/frame/frame_loop.h"
#include "game/frame/play_timer.h"
#include "game/frame/screen_wipe.h"
#include "game/input/key_cast.h"
#include "game/menu/field_menu.h"
#include "music/music_manager.h"
#include "vexal/app/log/log_file.h"

namespace game {

namespace {

// The field menu's load list, which CONTINUE opens.

TitleHooks hooks;  // what tests watch in place of sound, dialog and wipe

void PlaySound(int row) {
  if (hooks.play_sound != nullptr) {
    hooks.play_sound(row);
  } else {
    TheSoundTable.PlaySoundEffect(row);
  }
}

void OpenKeyCastDialog() {
  if (hooks.key_cast_dialog != nullptr) {
    hooks.key_cast_dialog();
  } else {
    KeyInput.KeyCastDialog();
  }
}

void PlayWipe() {
  if (hooks.screen_wipe != nullptr) {
    hooks.screen_wipe();
  } else {
    TheScreenWipe.PlayScreenWipe();
  }
}

}  // namespace

void SetTitleHooks(TitleHooks h) { hooks = h; }

void TitleScreen::UpdateTitle() {
  switch (state_) {
    case kTitlePress: UpdatePress(); break;
    case kTitleMenu: UpdateMenu(); break;
    case kTitlePrologue: UpdatePrologue(); break;
    case kTitleJukeBox: UpdateJukeBox(); break;
    default: break;
  }
}

void TitleScreen::CountJukePress() {
  if (++juke_presses_ != kJukeBoxPresses) return;
  PlaySound(kTitleDecideSound);
  state_ = kTitleJukeBox;
  music::TheMusicManager.PlayMusic(kSilence);
}

void TitleScreen::UpdatePress() {
  if (KeyInput.IsButtonPressed(kJukeBoxButton)) CountJukePress();
  if (KeyInput.IsButtonPressed(kButtonDecide) || KeyInput.IsButtonPressed(kButtonCancel)) {
    PlaySound(kTitleDecideSound);
    state_ = kTitleMenu;
  }
}

void TitleScreen::UpdateMenu() {
  if (KeyInput.IsButtonRepeat(kButtonDown) && cursor_ < kTitleMenuRows - 1) ++cursor_;
  if (KeyInput.IsButtonRepeat(kButtonUp) && cursor_ > 0) --cursor_;
  if (KeyInput.IsButtonPressed(kJukeBoxButton)) {
    CountJukePress();
  } else if (KeyInput.IsButtonPressed(kButtonDecide)) {
    PlaySound(kTitleDecideSound);
    switch (cursor_) {
      case kTitleNewGame:
        state_ = kTitlePrologue;
        scroll_y_ = kPrologueStartY;
        scroll_tick_ = 0;
        break;
      case kTitleContinue:
        HandOver(MODE_MENU);
        opened_load_list_ = true;
        OpenLoadList();
        break;
      case kTitleKeyCast: key_cast_pending_ = true; break;
      default: break;
    }
  } else if (KeyInput.IsButtonPressed(kButtonCancel)) {
    state_ = kTitlePress;
    juke_presses_ = 0;
  }
  // The dialog reads the keys itself: decide still down would answer its first question.
  if (key_cast_pending_ && !KeyInput.IsButtonDown(kButtonDecide)) {
    OpenKeyCastDialog();
    key_cast_pending_ = false;
  }
}

void TitleScreen::StartNewGame() {
  // A first map the field cannot read would leave the party nowhere, and every save made
  // there refused on load: the new game is refused instead and the title keeps its menu.
  // The map last played is forgotten first, so a new game on it takes its pages again.
  TheField.ForgetMapName();
  std::optional<MapEntry> first = TheField.OpenMap(kFirstMap);
  if (!first) {
    vexal::LogWriteFmt("new game refused: map %d cannot be entered", kFirstMap);
    PlaySound(kTitleRefusedSound);
    ShowGamePopup(kLoadMissingMessage);
    state_ = kTitleMenu;
    return;
  }
  PlayWipe();
  HandOver(MODE_FIELD);
  TheGameData().NewGame();
  TheField.EnterMap(std::move(*first), kFirstMapX, kFirstMapY, kFirstMapDirection);
  ThePlayTimer.StartPlayTimer(0);
}

void TitleScreen::UpdatePrologue() {
  if (++scroll_tick_ == kPrologueTicksPerPixel) {
    scroll_tick_ = 0;
    --scroll_y_;
  }
  const bool decide_held = KeyInput.IsButtonDown(kButtonDecide);
  if (scroll_y_ < kPrologueEndY || (decide_held && KeyInput.IsButtonDown(kPrologueSkipButton))) {
    StartNewGame();
    return;
  }
  if (decide_held) scroll_y_ -= kPrologueFastPixels;
  if (KeyInput.IsButtonPressed(kButtonCancel)) {
    state_ = kTitleMenu;
    PlaySound(kTitleCancelSound);
  }
}

void TitleScreen::UpdateJukeBox() {
  if (KeyInput.IsButtonPressed(kButtonCancel)) {
    state_ = kTitlePress;
    music::TheMusicManager.PlayMusic(kTitleMusic);
    juke_presses_ = 0;
  }
  if (KeyInput.IsButtonRepeat(kButtonLeft) && music_number_ > 0) --music_number_;
  // The list's count is one more than its entries: the last entry is count - 2.
  if (KeyInput.IsButtonRepeat(kButtonRight) && music_number_ < music::TheMusicManager.listCount - 2) ++music_number_;
  if (KeyInput.IsButtonPressed(kButtonDecide)) music::TheMusicManager.PlayMusic(music_number_);
}

}  // namespace game
