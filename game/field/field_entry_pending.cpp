#include "game/field/field_entry_pending.h"

#include "game/entry/frame_loop.h"
#include "vexal/app/log_file.h"

namespace game {

void StartBattle(std::span<const int32_t>, int group, std::span<const int32_t>) {
  vexal::LogWriteFmt("battle with group %d: won\n", group);
  GameMode = MODE_FIELD;
}
void OpenShop(std::span<const int32_t>) { vexal::LogWrite("shop closed\n"); }
void OpenConcoction() {}
void OpenMenu(int, int) { GameMode = MODE_FIELD; }
void EnterTitle() { GameMode = MODE_TITLE; }
void ShowBustUp(int, int) {}
void HideBustUp(int) {}
void HideBothBustUps() {}
void PlayScreenWipe() {}
void ArmScreenBreak() {}
void PlayMusic(int) {}
void FadeToMusic(int) {}
void SetSavedMusic(int) {}
void SetBattleMusic(int) {}

}  // namespace game

#include "game/data/game_data.h"
#include "game/field/field_map.h"

namespace game {
namespace {

constexpr int kNewGameMap = 33, kNewGameX = 115, kNewGameY = 132, kNewGameDirection = 0;

void PendingTitleFrame() {
  TheGameData().NewGame();
  ForgetFieldMap();
  TheField.EnterMap(kNewGameMap, kNewGameX, kNewGameY, kNewGameDirection);
  GameMode = MODE_FIELD;
}

}  // namespace

void ForgetFieldMap() { TheField.ForgetMapName(); }

void RegisterPendingTitle() { SetGameModeHandler(MODE_TITLE, PendingTitleFrame); }

}  // namespace game
