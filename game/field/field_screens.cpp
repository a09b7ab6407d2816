// The field's calls into the other screens.
#include "game/field/field_screens.h"

#include "game/frame/screen_wipe.h"
#include "game/text/portrait.h"
#include "music/music_manager.h"

namespace game {
namespace {

FieldScreenHooks hooks;  // null members: nothing opens

}  // namespace

void SetFieldScreenHooks(FieldScreenHooks h) { hooks = h; }

void StartBattle(std::span<const int32_t> battle_values, int group, std::span<const int32_t> list) {
  if (hooks.start_battle) hooks.start_battle(battle_values, group, list);
}
void OpenShop(std::span<const int32_t> goods) {
  if (hooks.open_shop) hooks.open_shop(goods);
}
void OpenConcoction() {
  if (hooks.open_concoction) hooks.open_concoction();
}
void OpenMenu() {
  if (hooks.open_menu) hooks.open_menu();
}
void EnterTitle() {
  if (hooks.enter_title) hooks.enter_title();
}
void ShowBustUp(int picture, int slot) { TheBustUp.ShowBustUp(picture, slot); }
void HideBustUp(int picture) { TheBustUp.HideBustUp(picture); }
void HideBothBustUps() { TheBustUp.ResetBustUp(); }
void PlayScreenWipe() { TheScreenWipe.PlayScreenWipe(); }
void ArmScreenBreak() { TheScreenWipe.ArmScreenBreak(); }
void PlayMusic(int entry) { music::TheMusicManager.PlayMusic(entry); }
void FadeToMusic(int entry) { music::TheMusicManager.FadeToMusic(entry); }
void SetSavedMusic(int entry) { music::TheMusicManager.SetSavedMusic(entry); }
void SetBattleMusic(int entry) { music::TheMusicManager.SetBattleMusic(entry); }

}  // namespace game
