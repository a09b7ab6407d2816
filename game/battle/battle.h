// One turn-based fight between the party (4 members) and up to 8 enemies: the combatants,
// the phase machine and the state every step reads.
//
// The rules (battle_start, battle_turns, battle_phase, battle_action, battle_growth)
// decide without drawing: random numbers, sounds and pop-ups go through the game data's
// hooks, keys through BattleKeys, music and the field through BattleHooks. Everything
// the screen draws goes through BattleDrawCalls (battle_screen), so a test can record it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "game/battle/battle_effect.h"
#include "game/data/game_data.h"
#include "game/input/key_cast.h"

namespace game {

inline constexpr int kBattleMembers = 4;
inline constexpr int kBattleEnemies = 8;
inline constexpr int kCombatants = 12;      // 0-3 members, 4-11 enemies
inline constexpr int kHitEffectSlots = 15;  // 0-11 combatants, 12 enemies, 13 members, 14 all
inline constexpr int kAllEnemiesSlot = 12, kAllMembersSlot = 13, kEveryoneSlot = 14;
inline constexpr int kResultPopups = 32;
inline constexpr int kFoundItemSlots = 12;
inline constexpr int kTurnOrderLength = 24;
inline constexpr int kBattleMessageBytes = 512;
inline constexpr int kBattleSetupWords = 16;
inline constexpr int kCommandSlots = 16;
inline constexpr int kLastCommandSlot = 11;  // selectable command slots 0-11
inline constexpr int kVisibleCommandRows = 4;
inline constexpr int kBattleNameBytes = 24;
inline constexpr int kBattleLetterCells = 40;  // system\battleletter.png, 16 x 16
inline constexpr int kBattleCharCells = 25;    // img\battlechar_new.png, 48 x 64, 5 across
inline constexpr int kBattleCharColumns = 5;
inline constexpr int kAbsentMemberCell = 24;
inline constexpr int kChargeFrames = 25;
inline constexpr int kDyingFadeFrames = 30;
inline constexpr char kBattleLetterFile[] = "system\\battleletter.png";
inline constexpr char kBattleCharFile[] = "img\\battlechar_new.png";

// Combatant kinds (member-block word 0).
inline constexpr int32_t kKindGone = 0;  // absent member, fallen enemy
inline constexpr int32_t kKindMember = 1;
inline constexpr int32_t kKindEnemy = -1;

// Set-up words read by the battle.
inline constexpr int kSetupSong = 0, kSetupAfterSong = 1, kSetupStartSound = 4, kSetupKeepGroup = 5;

// Battle command buttons (the key assignment's numbers).
inline constexpr int kButtonDescription = 7, kButtonPageDown = 8, kButtonPageUp = 9;

enum BattlePhaseValue : int32_t {
  kPhaseAppear = 0,
  kPhaseCommand = 1,
  kPhaseTarget = 2,
  kPhaseEffects = 3,
  kPhaseResult = 4,
  kPhaseVictory = 5,
  kPhaseNewCycle = 6,
  kPhaseNextActor = 7,
  kPhaseEnemyDecides = 8,
  kPhasePay = 9,
  kPhaseHit = 10,
  kPhaseAfterHit = 11,
  kPhaseDefeat = 12,
  kPhaseContinue = 13,
  kPhaseGrowth = 20,
  kPhaseGrowthMessage = 21,
  kPhaseLeave = 22,
  kPhaseCharge = 30,
};

// Death-message styles.
inline constexpr int32_t kStylePlain = 0, kStyleTorn = 1, kStyleAnger = 2, kStyleWatching = 3;

struct Combatant {
  int32_t slot = 0;     // 0-11
  PartyMember block{};  // laid out as a party member; word 0 the kind
  // Battle words, cleared at the start.
  int32_t damage_taken = 0;  // since the combatant's own last action
  std::array<int32_t, 4> exercised{};
  int32_t esp_uses = 0;
  std::array<int32_t, 4> raised{};
  int32_t hp_gain = 0, pp_gain = 0;
  std::array<uint8_t, kStatusBytes> status{};
  struct Command {
    int16_t id = 0;
    int16_t count = 0;  // negative counts are markers (unlimited, levelled, ability)
  };
  std::array<Command, kCommandSlots> commands{};
  std::array<uint8_t, kBattleNameBytes> name{};  // glyph codes

  int32_t& Word(int n) { return block[n]; }
  int32_t Word(int n) const { return block[n]; }
  int32_t Kind() const { return block[kMemberPresent]; }
  bool Able() const { return Kind() != kKindGone && status[kStatusDown] == 0; }
};

// The result of the current action on one slot, applied when its hit effects end.
struct PendingResult {
  bool valid = false;     // cleared results read as "no number"
  bool no_number = true;  // also set once the number has been shown
  int32_t value = 0;
  bool healing = false, killed = false, failed = false, pp = false;
};

struct ResultPopup {
  bool active = false;
  int32_t frame = 0, value = 0;
  bool healing = false, killed = false, failed = false;
  int32_t x = 0, digits = 0;
  std::array<int32_t, 10> digit{};  // least significant first
  double y = 0, velocity = 0, ground = 0;
};

struct HitEffectSlot {
  int32_t kind = 0, frame = 0;
  bool active = false;
  std::array<int32_t, 10> random{};  // 0-99, placing sub-sprites
};

struct Point {
  int32_t x = 0, y = 0;
};

// The keys the battle reads; tests feed their own.
struct BattleKeys {
  bool (*down)(int button) = nullptr;
  bool (*pressed)(int button) = nullptr;
  bool (*repeat)(int button) = nullptr;
  void (*clear)() = nullptr;
};
void SetBattleKeys(BattleKeys keys);  // null members: the game's key input

// Music, the title and the field, which the battle calls on but does not own. Null
// members do nothing (draw_field draws nothing; background_graph answers -1).
struct BattleHooks {
  void (*play_music)(int entry) = nullptr;         // -1 silence
  void (*resume_music)() = nullptr;                // the song the battle music interrupted
  void (*play_battle_music)(int entry) = nullptr;  // -1 the standard battle song
  void (*enter_title)() = nullptr;
  void (*draw_field)() = nullptr;
  void (*draw_field_frame)() = nullptr;  // the field's pieces at (0,0) and (280,0)
  void (*stop_player_motion)() = nullptr;
  int (*background_graph)() = nullptr;  // the 320 x 240 graph that freezes the screen
  void (*set_game_mode)(int mode) = nullptr;
};
void SetBattleHooks(BattleHooks hooks);
const BattleHooks& CurrentBattleHooks();

class Battle {
 public:
  Battle();
  virtual ~Battle() = default;

  // Loads the letters and the battle characters (game start).
  void LoadBattleGraphics();
  // Opens a fight; the caller sets the game mode to 2.
  void StartBattle(std::span<const int32_t, kBattleEnemies> group, int useGroup,
                   std::span<const int32_t, kBattleSetupWords> setup);
  void BattleFrame();
  void EndBattle();

  // Rules.
  void LayoutBattlers();
  void BuildTurnOrder();
  void ChooseEnemySkill(int actor);
  void ChooseActionTarget(int itemId, int enemyMode);
  void UpdateBattleInput();
  void UpdateBattlePhase();
  void PayAndStartAction();
  void RunOneHit();
  void ReportAction();
  int ResolveActionOnTarget(int n);
  void SetPendingResult(int n, int value, bool healing, bool failed, bool killed, bool pp, bool noNumber);
  void TriggerResultPopup(int n);
  void SpawnResultPopup(int n, int value, bool healing, bool failed, bool killed);
  void CheckBattleDeaths();
  void GrowMembers();
  void StartHitEffect(int slot, int kind);
  // Hit effects of one pass: draws them, fires the numbers, ends them.
  void DrawHitEffects();

  // Screen.
  void DrawBattleScreen();
  void DrawBattleCursor();
  void DrawPartyBattlers();
  void DrawEnemyBattlers();
  void DrawResultPopups();

  // The acting item (of the actor's selected slot), 0 without an actor.
  int ActingItem() const;
  // Combatant number of the current target (side -1 adds 4).
  int TargetCombatant() const { return side == -1 ? target + 4 : target; }
  int PoseOfMember(int k, int* lift) const;

  // State. Public: the screen and the tests read it.
  int32_t input_wait = 0, input_last_phase = -1;
  std::array<int32_t, kBattleEnemies> group{};
  int32_t use_group = 0;
  std::array<int32_t, kBattleSetupWords> setup{};
  int32_t enemy_count = 0;
  struct EnemyLayout {
    Point corner, centre;
    int32_t sprite = 0, first_frame = 0, fade = 0;
  };
  std::array<EnemyLayout, kBattleEnemies> enemy_layout{};
  std::array<Point, kBattleMembers> member_corner{}, member_centre{};
  std::array<Point, kHitEffectSlots> anchors{};
  std::array<int, kBattleLetterCells> letter_graphs{};
  std::array<int, kBattleCharCells> char_graphs{};
  std::array<int32_t, kTurnOrderLength> order{};
  int32_t order_index = 0, actor = -1;
  int32_t target = 0, side = 1;
  int32_t charge = 0, hits_left = 0, money_won = 0;
  std::array<int32_t, kFoundItemSlots> found{};
  std::array<uint8_t, kBattleMessageBytes> message{};
  int32_t phase = kPhaseAppear, delay = 0;
  bool redo = false, growth_line = false;
  int32_t killed_outright = 0, death_style = kStylePlain;
  int32_t continue_choice = 0;
  bool no_able_target = false;  // an enemy found nobody to aim at
  std::array<Combatant, kCombatants> fighters{};
  std::array<PendingResult, kHitEffectSlots> pending{};
  std::array<ResultPopup, kResultPopups> popups{};
  bool popups_descending = false;  // alternates every pass
  BattleEffect effects;
  std::array<HitEffectSlot, kHitEffectSlots> hits{};

 private:
  void SetMessageFromCompose();
  void AppearanceMessage();
  void EnterPhaseAfterHit();
  bool MoveTarget(int step);
};

// The game's one battle.
extern Battle TheBattle;
void ResetBattle();

// Starts a fight from the field or a script: StartBattle, then the battle mode.
void EnterBattle(std::span<const int32_t, kBattleEnemies> group, int useGroup,
                 std::span<const int32_t, kBattleSetupWords> setup);
// The frame handler of the battle mode.
void BattleModeFrame();

}  // namespace game
