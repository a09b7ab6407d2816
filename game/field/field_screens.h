// The screens and effects the field and its scripts open: battles, shops, the menu, the
// title, portraits, the wipe and the break, music. Each forwards to its owner; the ones
// whose screens are not built yet do the least the call asks.
#pragma once

#include <cstdint>
#include <span>

namespace game {

// A battle with the given enemies (eight values), group choice and set-up (sixteen words);
// the game mode becomes the battle's.
void StartBattle(std::span<const int32_t> battle_values, int group, std::span<const int32_t> list);
// A shop with up to eight goods, and the concoction screen: close at once until the shop
// screens come.
void OpenShop(std::span<const int32_t> goods);
void OpenConcoction();
// The field menu: closes at once until the menus come.
void OpenMenu(int a, int b);
// The title screen after a wipe-out.
void EnterTitle();
// Portraits and screen effects.
void ShowBustUp(int picture, int slot);
void HideBustUp(int picture);
void HideBothBustUps();
void PlayScreenWipe();
void ArmScreenBreak();
// Music.
void PlayMusic(int entry);
void FadeToMusic(int entry);
void SetSavedMusic(int entry);
void SetBattleMusic(int entry);

// Forgets the loaded map's name, so a new game on the last map reloads its pages.
void ForgetFieldMap();

}  // namespace game
