// The field's calls into the other screens.
#include "game/field/field_screens.h"

#include <algorithm>
#include <array>

#include "game/battle/battle.h"
#include "game/entry/title_screen.h"
#include "game/field/field_map.h"
#include "game/frame/frame_loop.h"
#include "game/frame/screen_wipe.h"
#include "game/menu/field_menu.h"
#include "game/text/portrait.h"
#include "music/music_manager.h"

namespace game {
namespace {

// Copies what the caller gave into a fixed block, zeros after it.
template <size_t N>
std::array<int32_t, N> Block(std::span<const int32_t> values) {
  std::array<int32_t, N> block{};
  std::copy_n(values.begin(), std::min(values.size(), N), block.begin());
  return block;
}

}  // namespace

void StartBattle(std::span<const int32_t> battle_values, int group, std::span<const int32_t> list) {
  const auto enemies = Block<kBattleEnemies>(battle_values);
  const auto setup = Block<kBattleSetupWords>(list);
  EnterBattle(enemies, group, setup);
}
void OpenShop(std::span<const int32_t> goods) { OpenShopScreen(Block<kGoodsCount>(goods)); }
void OpenConcoction() { OpenConcoctionScreen(); }
void OpenMenu(int, int) { OpenFieldMenu(); }
void EnterTitle() { TheTitleScreen.EnterTitle(); }
void ShowBustUp(int picture, int slot) { TheBustUp.ShowBustUp(picture, slot); }
void HideBustUp(int picture) { TheBustUp.HideBustUp(picture); }
void HideBothBustUps() { TheBustUp.ResetBustUp(); }
void PlayScreenWipe() { TheScreenWipe.PlayScreenWipe(); }
void ArmScreenBreak() { TheScreenWipe.ArmScreenBreak(); }
void PlayMusic(int entry) { music::TheMusicManager.PlayMusic(entry); }
void FadeToMusic(int entry) { music::TheMusicManager.FadeToMusic(entry); }
void SetSavedMusic(int entry) { music::TheMusicManager.SetSavedMusic(entry); }
void SetBattleMusic(int entry) { music::TheMusicManager.SetBattleMusic(entry); }

void ForgetFieldMap() { TheField.ForgetMapName(); }

}  // namespace game
