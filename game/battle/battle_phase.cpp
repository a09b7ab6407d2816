// The frame of a fight: the input step and the phase machine with its delays.
#include <algorithm>

#include "game/battle/battle.h"
#include "game/battle/battle_draw_calls.h"
#include "game/text/bitmap_font.h"
#include "vexal/app/log/log_file.h"

namespace game {

extern BattleKeys battle_keys;

namespace {

constexpr int kInputQuietCalls = 2;  // calls of the input step that ignore a new phase
constexpr int kLastInputPhase = 21;
constexpr int kEffectsDoneDelay = 7;
constexpr int kPageRows = 4;
constexpr int kTitleMode = 3, kFieldMode = 0;
constexpr int kSoundCancel = 1, kSoundAccept = 3, kSoundRefusedCommand = 4, kSoundVictory = 24;
constexpr int kKindAttackCommand = 51;
constexpr int kContinueChoices = 3;

bool Decided() { return battle_keys.pressed(kButtonDecide) || battle_keys.pressed(kButtonCancel); }

bool UnusableKind(int kind) { return kind == 4 || (kind >= 201 && kind <= 299); }

}  // namespace

int Battle::ActingItem() const {
  if (actor < 0 || actor >= kCombatants) return 0;
  const Combatant& c = fighters[actor];
  return c.commands[std::min<int>(c.status[kStatusSelected], kCommandSlots - 1)].id;
}

void Battle::BattleFrame() {
  redo = false;
  do {
    redo = false;
    DrawBattleScreen();
    TheEnemyGraphCache.TickEnemyGraphs();
    UpdateBattleInput();
    DrawBattleCursor();
    UpdateBattlePhase();
    DrawResultPopups();
  } while (redo);
  for (EnemyLayout& l : enemy_layout) {
    if (l.fade > 0) l.fade = l.fade + 1 > kDyingFadeFrames ? 0 : l.fade + 1;
  }
}

void Battle::UpdateBattleInput() {
  if (phase != input_last_phase) {
    input_last_phase = phase;
    input_wait = kInputQuietCalls;
  }
  if (input_wait > 0) {
    --input_wait;
    return;
  }
  if (phase > kLastInputPhase) return;
  const BattleKeys& keys = battle_keys;
  GameData& data = TheGameData();
  switch (phase) {
    case kPhaseAppear:
      if (Decided()) phase = kPhaseNewCycle;
      break;
    case kPhaseResult:
      if (hits_left <= 0 && Decided()) phase = kPhaseAfterHit, redo = true;
      break;
    case kPhaseVictory:
      if (Decided()) phase = kPhaseGrowth, redo = true;
      break;
    case kPhaseGrowthMessage:
      if (Decided()) phase = kPhaseLeave, redo = true;
      break;
    case kPhaseCommand: {
      if (actor < 0 || actor >= kBattleMembers) break;
      Combatant& c = fighters[actor];
      int sel = c.status[kStatusSelected], first = c.status[kStatusFirstRow];
      if (keys.repeat(kButtonUp) && sel > 0) --sel;
      if (keys.repeat(kButtonPageUp)) sel = std::max(sel - kPageRows, 0);
      if (keys.repeat(kButtonDown) && sel < kLastCommandSlot) ++sel;
      if (keys.repeat(kButtonPageDown)) sel = std::min(sel + kPageRows, kLastCommandSlot);
      for (int i = 0; i < 4; ++i) {
        if (sel < first) --first;
        if (sel > first + kVisibleCommandRows - 1) ++first;
      }
      c.status[kStatusSelected] = static_cast<uint8_t>(sel);
      c.status[kStatusFirstRow] = static_cast<uint8_t>(first);
      if (keys.down(kButtonDescription)) {
        BattleDraw().item_info(c.commands[sel].id);
        break;
      }
      if (!keys.pressed(kButtonDecide)) break;
      const auto& cmd = c.commands[sel];
      const ItemRecord& item = data.Item(cmd.id);
      int kind = item.values[kItemKind];
      ChooseActionTarget(cmd.id, 0);
      // Counts are signed: a worn or unlimited entry (a negative marker count) is a
      // command only as an ability or as the fixed attack command (kind 51).
      bool usable = !UnusableKind(kind) && cmd.id != 0 && item.values[kItemPpCost] <= c.Word(kMemberPp) &&
                    (kind >= 300 || cmd.count > 0 || kind == kKindAttackCommand);
      if (usable) {
        phase = kPhaseTarget;
        PlayGameSound(kSoundAccept);
      } else {
        PlayGameSound(kSoundRefusedCommand);
      }
      break;
    }
    case kPhaseTarget: {
      if (keys.pressed(kButtonCancel)) {
        phase = kPhaseCommand;
        PlayGameSound(kSoundCancel);
        break;
      }
      if (keys.pressed(kButtonDecide)) {
        phase = kPhasePay;
        break;
      }
      int type = data.Item(ActingItem()).values[kItemRange];
      if (target != -1 && type != kTargetSelf) {
        if (keys.repeat(kButtonLeft)) MoveTarget(-1);
        if (keys.repeat(kButtonRight)) MoveTarget(1);
      }
      // The side of a range that may switch sides; a whole-side range turns onto the other
      // side as a whole.
      if (type == kTargetOneFoe || type == kTargetOneAlly || type == kTargetAllFoes || type == kTargetAllAllies) {
        int new_side = keys.pressed(kButtonUp) ? -1 : keys.pressed(kButtonDown) ? 1 : 0;
        if (new_side != 0) {
          side = new_side;
          if (type == kTargetOneFoe || type == kTargetOneAlly) {
            int from = side == 1 ? 0 : kBattleMembers, count = side == 1 ? kBattleMembers : kBattleEnemies;
            target = 0;
            for (int i = 0; i < count; ++i) {
              if (fighters[from + i].Kind() != kKindGone) {
                target = i;
                break;
              }
            }
          } else {
            target = -1;
          }
        }
      }
      break;
    }
    case kPhaseDefeat:
      if (Decided()) {
        phase = kPhaseContinue;
        redo = true;
        if (setup[kSetupSong] != 0) {
          CurrentBattleHooks().play_music(setup[kSetupAfterSong]);
        } else {
          CurrentBattleHooks().resume_music();
        }
        TheBitmapFont.ComposeClear();
        TheBitmapFont.ComposeAddSjis("この＿みじゅくものが……!\nみなみよ、たたかいつづける＿ゆうきは＿あるか?");
        SetMessageFromCompose();
        continue_choice = 0;
      }
      break;
    case kPhaseContinue:
      if (keys.repeat(kButtonDown)) continue_choice = std::min(continue_choice + 1, kContinueChoices - 1);
      if (keys.repeat(kButtonUp)) continue_choice = std::max(continue_choice - 1, 0);
      if (keys.pressed(kButtonDecide)) {
        if (continue_choice == 0) {
          setup[kSetupKeepGroup] = 1;
          std::array<int32_t, kBattleEnemies> g = group;
          std::array<int32_t, kBattleSetupWords> s = setup;
          StartBattle(g, use_group, s);
        } else {
          if (continue_choice == 2) ShowGamePopup("それは＿ひみつです。");
          CurrentBattleHooks().enter_title();
          CurrentBattleHooks().set_game_mode(kTitleMode);
        }
      }
      break;
    default: break;
  }
}

void Battle::UpdateBattlePhase() {
  if (delay > 0) {
    --delay;
    return;
  }
  switch (phase) {
    case kPhaseEffects: {
      bool any = std::any_of(hits.begin(), hits.end(), [](const HitEffectSlot& h) { return h.active; });
      if (any) break;
      redo = true;
      CheckBattleDeaths();
      phase = kPhaseResult;
      if (hits_left <= 0) delay = kEffectsDoneDelay;
      break;
    }
    case kPhaseResult:
      if (hits_left > 0) phase = kPhaseAfterHit, redo = true;
      break;
    case kPhaseNewCycle:
      BuildTurnOrder();
      order_index = 0;
      phase = kPhaseNextActor;
      redo = true;
      break;
    case kPhaseNextActor: {
      actor = order[std::clamp(order_index, 0, kTurnOrderLength - 1)];
      if (actor >= 0 && fighters[actor].Kind() == kKindMember && fighters[actor].status[kStatusDown] == 0) {
        phase = kPhaseCommand;
        battle_keys.clear();
      } else if (actor >= 0 && fighters[actor].Kind() == kKindEnemy) {
        phase = kPhaseEnemyDecides;
      } else {
        phase = kPhaseAfterHit;
      }
      redo = true;
      break;
    }
    case kPhaseEnemyDecides:
      ChooseEnemySkill(actor);
      ChooseActionTarget(ActingItem(), 1);
      // No able member to aim at: the turn passes, and the defeat test runs.
      phase = no_able_target ? kPhaseAfterHit : kPhasePay;
      redo = true;
      break;
    case kPhasePay: PayAndStartAction(); break;
    case kPhaseHit: RunOneHit(); break;
    case kPhaseAfterHit: EnterPhaseAfterHit(); break;
    case kPhaseGrowth: GrowMembers(); break;
    case kPhaseLeave:
      phase = kPhaseAppear;
      redo = true;
      CurrentBattleHooks().set_game_mode(kFieldMode);
      EndBattle();
      break;
    case kPhaseCharge:
      if (++charge < kChargeFrames) break;
      phase = kPhaseHit;
      redo = true;
      break;
    default: break;
  }
}

void Battle::EnterPhaseAfterHit() {
  if (hits_left > 0) {
    phase = kPhaseHit;
    redo = true;
    return;
  }
  ++order_index;
  phase = order_index < kTurnOrderLength && order[order_index] != -1 ? kPhaseNextActor : kPhaseNewCycle;
  bool enemies_left = false;
  for (int i = 0; i < kBattleEnemies; ++i) enemies_left |= fighters[kBattleMembers + i].Kind() != kKindGone;
  if (!enemies_left) {
    phase = kPhaseVictory;
    TheBitmapFont.ComposeClear();
    TheBitmapFont.ComposeAddSjis("てきを_ぜんめつさせた。\nてきの_からだから_");
    TheBitmapFont.ComposeAddNumber(money_won);
    TheBitmapFont.ComposeAddSjis("R_みつけた。");
    SetMessageFromCompose();
    CurrentBattleHooks().play_music(-1);
    PlayGameSound(kSoundVictory);
  }
  int first_present = -1;
  bool able_left = false;
  for (int k = 0; k < kBattleMembers; ++k) {
    if (fighters[k].Kind() != kKindGone && first_present < 0) first_present = k;
    able_left |= fighters[k].Able();
  }
  if (!able_left) {
    TheBitmapFont.ComposeClear();
    TheBitmapFont.ComposeAddCodes(fighters[std::max(first_present, 0)].name);
    TheBitmapFont.ComposeAddSjis("たちは_ぜんめつした。");
    SetMessageFromCompose();
    phase = kPhaseDefeat;
  }
  if (phase == kPhaseVictory) vexal::LogWriteFmt("battle: won, %d R found", money_won);
  if (phase == kPhaseDefeat) vexal::LogWrite("battle: the party fell\n");
  redo = true;
}

}  // namespace game
