// Entry points of screens and effects the field calls whose own code has not come yet:
// each does the least the call asks, and its screen's code replaces it here.
#pragma once

#include <cstdint>
#include <span>

namespace game {

// A battle: ends at once, won, and the game goes back to the field.
void StartBattle(std::span<const int32_t> battle_values, int group, std::span<const int32_t> list);
// A shop with up to eight goods, and the concoction screen: close at once.
void OpenShop(std::span<const int32_t> goods);
void OpenConcoction();
// The field menu: closes at once.
void OpenMenu(int a, int b);
// The title screen after a wipe-out.
void EnterTitle();
// Portraits and screen effects: nothing is drawn.
void ShowBustUp(int picture, int slot);
void HideBustUp(int picture);
void HideBothBustUps();
void PlayScreenWipe();
void ArmScreenBreak();
// Music: nothing plays.
void PlayMusic(int entry);
void FadeToMusic(int entry);
void SetSavedMusic(int entry);
void SetBattleMusic(int entry);

}  // namespace game

namespace game {
// Until the title screen comes: title mode starts a new game on the town's start cell.
void RegisterPendingTitle();
// Forgets the loaded map's name, so a new game on the last map reloads its pages.
void ForgetFieldMap();
}  // namespace game
