// Start-up and shut-down of the game.
#include "game/entry/game_start.h"

#include <algorithm>
#include <string>

#include "game/battle/battle.h"
#include "game/battle/battle_effect.h"
#include "game/data/game_data.h"
#include "game/data/sound_table.h"
#include "game/entry/field_wiring.h"
#include "game/field/field_frame.h"
#include "game/field/field_graphics.h"
#include "game/field/field_map.h"
#include "game/frame/frame_loop.h"
#include "game/frame/screen_wipe.h"
#include "game/frame/scroll_lock_lamp.h"
#include "game/menu/field_menu.h"
#include "game/text/bitmap_font.h"
#include "game/text/hand_cursor.h"
#include "game/text/message_window.h"
#include "game/text/portrait.h"
#include "game/text/window_frame.h"
#include "music/music_manager.h"
#include "music/music_player.h"
#include "music/song_timer.h"
#include "platform/input/input.h"
#include "platform/sys/sys.h"
#include "platform/window/window.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/sound/sound_device.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/system/timing.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"
#include "vexal/graphics/screen/screen_present.h"

namespace game {

uint8_t ScreenSaverRestore = 0;     // start-up switched the screen saver off
uint8_t SavedScreenSaveActive = 0;  // 1 when it was on before

namespace {

constexpr int kScreenBits16 = 16;
constexpr int kScreenBits32 = 32;
constexpr int kTextureBits16 = 16;
constexpr int kAnyRefreshRate = -1;

// The boot log: one growing text, drawn whole from the top-left corner after each line,
// so the loaders that follow a line run while it is shown.
class BootLog {
 public:
  BootLog() { vexal::ClearDrawTarget(); }
  void Add(std::string_view line) {
    text_ += line;
    TheBitmapFont.DrawSjisText(0, 0, text_);
    vexal::PresentScreen();
    vexal::ClearDrawTarget();
  }

 private:
  std::string text_;  // every line so far
};

// The free physical memory as the game's memory query reports it: at most 32 bits.
std::string FreeMemoryDigits() {
  uint64_t free = plat::sys::GetMemoryStatus().available_physical;
  return std::to_string(std::min<uint64_t>(free, UINT32_MAX));
}

void RestoreScreenSaver() {
  if (ScreenSaverRestore == 0) return;
  plat::window::SetScreenSaverEnabled(SavedScreenSaveActive != 0);
  ScreenSaverRestore = 0;
}

}  // namespace

void ApplyGameConfig(const GameConfigTable& config) {
  int width = kGameScreenWidth, height = kGameScreenHeight;
  WindowSizeDoubled = 0;
  ScreenSaverRestore = 0;
  if (config[kConfigDoubledScreen] != 0) {
    width = kDoubledScreenWidth;
    height = kDoubledScreenHeight;
    WindowSizeDoubled = 1;
  }
  if (config[kConfigKeepPowerSaving] == 0) {
    SavedScreenSaveActive = plat::window::IsScreenSaverEnabled() ? 1 : 0;
    plat::window::SetScreenSaverEnabled(false);
    ScreenSaverRestore = 1;
  }
  vexal::ChangeWindowMode(config[kConfigWindowMode] != 0 ? 1 : 0);
  if (config[kConfig32BitColour] == 0) {
    vexal::RequestScreenMode(width, height, kScreenBits16, kAnyRefreshRate);
    vexal::SetTextureBitDepth(kTextureBits16);
  } else {
    vexal::RequestScreenMode(width, height, kScreenBits32, kAnyRefreshRate);
  }
  vexal::AllowDirect3DGraphs(config[kConfigDirect3DGraphs] != 0 ? 1 : 0);
  if (config[kConfigNoVideoMemoryGraphs] != 0) {
    vexal::AllowDirect3DGraphs(0);
    vexal::SetUse3DSurfaces(0);
  }
  if (config[kConfigNoLampControl] != 0) TheScrollLockLamp.Disable();
  if (config[kConfigNoLogFile] != 0) vexal::SetLogEnabled(0);
}

int InitGame() {
  vexal::SetDrawTarget(vexal::kBackScreen);
  vexal::SetWindowTitle(kGameWindowTitle);
  vexal::RequestScreenMode(kGameScreenWidth, kGameScreenHeight, kScreenBits32, kAnyRefreshRate);
  const std::string free_memory = FreeMemoryDigits();

  const GameConfigTable config = ReadGameConfig();
  ApplyGameConfig(config);

  if (vexal::LibraryInit() == -1) {
    // The library is gone, but the player's screen saver must not stay off.
    RestoreScreenSaver();
    return -1;
  }
  vexal::SetDrawTarget(vexal::kBackScreen);
  vexal::SetGraphRestoreHandler(RestoreGraphsWithCharacterSheet);
  TheBitmapFont.LoadBitmapFont(ConfiguredFontSheet(config));
  TheScrollLockLamp.LampInit();

  BootLog boot;
  boot.Add(kBootLine1);
  TheSoundTable.LoadSoundTable();
  TheWindowFrame.LoadWindowFrame();
  TheHandCursor.LoadHandCursor();
  boot.Add(kBootLine2);
  TheScreenWipe.LoadScreenWipe();
  boot.Add(kBootLine3);
  TheBustUp.LoadBustUp();
  // A closed message leaves the field in the back screen, not the box over its copy.
  SetMessageWindowHooks({[] { TheBustUp.DrawBustUp(); }, [] { TheField.DrawField(); }});
  SetPopupWindow([](std::string_view sjis) { TheMessageWindow.ShowPopup(sjis); });
  boot.Add(free_memory + kBootFreeMemory);
  CreateGameData();  // reads its tables from the data folder, the working directory
  LoadFieldGraphics();
  RegisterFieldHandler();
  WireField();
  SetScrollLockQuery(plat::input::ScrollLockOn);
  TheFieldMenu.LoadIdCardImages();
  TheEnemyGraphCache.LoadEnemyDef();
  boot.Add(kBootLine5);
  TheGameData().LoadGameDatabase();
  TheBattle.effects.ReadEffectList();
  TheBattle.LoadBattleGraphics();

  ScreenCopyGraph = vexal::CreateBlankGraph(kGameScreenWidth, kGameScreenHeight);
  if (WindowSizeDoubled != 0) StretchGraph = vexal::CreateBlankGraph(kGameScreenWidth, kGameScreenHeight);
  music::SetLampFlashHook([](int ms) { TheScrollLockLamp.LampFlash(ms); });
  music::TheMusicManager.InitMusic(vexal::GetDirectSoundObject());

  FrameClock = vexal::GetTimeMs();
  QuitRequested = 0;
  return 0;
}

int ShutdownGame() {
  ResetField();
  TheSoundTable.FreeSoundTable();
  music::StopMusic();
  music::TheMusicManager.ReleaseMusic();
  TheScrollLockLamp.LampRestore();
  vexal::LibraryEnd();
  RestoreScreenSaver();
  return 0;
}

void ResetGameStart() {
  ScreenSaverRestore = 0;
  SavedScreenSaveActive = 0;
}

}  // namespace game
