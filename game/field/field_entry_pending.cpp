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
