// The screens and effects the field and its scripts open. Battles, the shop, the
// concoction screen, the field menu and the title lie above the field: game/entry hands
// them over at start-up (field_wiring.cpp), and a field without them opens none.
// Portraits, the wipe and the break, and music lie below it and are called directly.
#pragma once

#include <cstdint>
#include <span>

namespace game {

struct FieldScreenHooks {
  // A battle with the given enemies (eight values), group choice and set-up (sixteen
  // words); the game mode becomes the battle's.
  void (*start_battle)(std::span<const int32_t> battle_values, int group, std::span<const int32_t> list) = nullptr;
  void (*open_shop)(std::span<const int32_t> goods) = nullptr;  // up to eight goods
  void (*open_concoction)() = nullptr;
  void (*open_menu)() = nullptr;
  void (*enter_title)() = nullptr;  // after a wipe-out
};
void SetFieldScreenHooks(FieldScreenHooks hooks);

void StartBattle(std::span<const int32_t> battle_values, int group, std::span<const int32_t> list);
void OpenShop(std::span<const int32_t> goods);
void OpenConcoction();
void OpenMenu();
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

}  // namespace game
