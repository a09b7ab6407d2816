// The screens and effects the field and its scripts open: battles, shops, the menu, the
// title, portraits, the wipe and the break, music. Each forwards to its owner.
#pragma once

#include <cstdint>
#include <span>

namespace game {

// A battle with the given enemies (eight values), group choice and set-up (sixteen words);
// the game mode becomes the battle's.
void StartBattle(std::span<const int32_t> battle_values, int group, std::span<const int32_t> list);
// A shop with up to eight goods, the concoction screen and the field menu.
void OpenShop(std::span<const int32_t> goods);
void OpenConcoction();
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
