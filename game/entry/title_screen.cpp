// The title's start, its frame and its prologue text.
#include "game/entry/title_screen.h"

#include <cstdio>
#include <cstring>

#include "game/frame/frame_loop.h"
#include "game/menu/field_menu.h"
#include "game/text/bitmap_font.h"
#include "game/text/hand_cursor.h"
#include "music/music_manager.h"
#include "platform/fs/fs.h"
#include "vexal/graphics/graphs/graph_load.h"

namespace game {

TitleScreen TheTitleScreen;  // the game mode MODE_TITLE

namespace {

constexpr int kTitleHandX = 124;  // the hand points at the menu row's words
constexpr int kTitleHandY = 168;
constexpr int kMenuRowHeight = 16;

}  // namespace

TitleScreen::TitleScreen() { LoadPrologue(); }

void TitleScreen::LoadPrologue() {
  prologue_text_.fill(0);
  std::FILE* in = plat::fs::OpenFile(kPrologueFile, "rt");
  if (in == nullptr) return;
  static_assert(kPrologueBytes == 1700, "the width below is the buffer less its NUL");
  if (std::fscanf(in, "%1699s", prologue_text_.data()) != 1) prologue_text_.fill(0);
  std::fclose(in);
}

std::string_view TitleScreen::PrologueText() const {
  return std::string_view(prologue_text_.data(), strnlen(prologue_text_.data(), prologue_text_.size()));
}

void TitleScreen::EnterTitle() {
  if (!loaded_) {
    band_graph_ = vexal::LoadGraph(kTitleBandFile);
    title_graph_ = vexal::LoadGraph(kTitleLogoFile);
    background_graph_ = vexal::LoadGraph(kTitleBackgroundFile);
    loaded_ = true;
  }
  GameMode = MODE_TITLE;
  frame_ = 0;
  state_ = kTitlePress;
  cursor_ = kTitleContinue;
  juke_presses_ = 0;
  music_number_ = 0;
  key_cast_pending_ = false;
  handed_over_ = false;
  opened_load_list_ = false;
  music::TheMusicManager.PlayMusic(kTitleMusic);
  sparks_.fill(TitleSpark{});
  emitter_ = kFirstEmitter;
  SjisToGlyphCodes(PrologueText(), prologue_codes_);
}

void TitleScreen::TitleFrame() {
  if (handed_over_ && LoadListCancelled()) {
    handed_over_ = opened_load_list_ = false;
  } else if (handed_over_) {
    EnterTitle();
  }
  DrawTitle();
  UpdateTitle();
  if (state_ == kTitleMenu) TheHandCursor.DrawHandCursor(kTitleHandX, kTitleHandY + kMenuRowHeight * cursor_, 0, 0);
}

void TitleScreen::HandOver(int mode) {
  GameMode = mode;
  handed_over_ = true;
  opened_load_list_ = false;
}

bool TitleScreen::LoadListCancelled() const {
  // A cancel leaves the list as it was; a load closes it, and a list opened in the game
  // is not the title's.
  return opened_load_list_ && TheFieldMenu.load_from_title && TheFieldMenu.state == kMenuStateLoadList;
}

void TitleModeFrame() { TheTitleScreen.TitleFrame(); }

}  // namespace game
