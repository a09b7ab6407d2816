// Opening and closing a fight: the set-up, the combatants, the layout, the appearance
// message, and the write-back into the game data.
#include <algorithm>
#include <cstdint>

#include "game/battle/battle.h"
#include "game/battle/battle_draw_calls.h"
#include "game/text/bitmap_font.h"
#include "vexal/app/log/log_file.h"

namespace game {

Battle TheBattle;  // the game's one battle

namespace {

constexpr int kStandardStartSound = 25;
constexpr int kAttackItem = 90;  // command slot 11 of every member
constexpr uint16_t kAttackCount = 0xFFC0;
constexpr int kEnemyCentreY = 128;
constexpr int kMemberLeft = 66, kMemberStep = 48, kMemberTop = 174, kMemberCentreDx = 22, kMemberCentreY = 206;
constexpr int kMaxStatusSelected = 11, kMaxStatusFirstRow = 8;

}  // namespace

Battle::Battle() {
  letter_graphs.fill(-1);
  char_graphs.fill(-1);
  order.fill(-1);
}

void Battle::LoadBattleGraphics() {
  const BattleDrawCalls& draw = BattleDraw();
  draw.load_div_graph(kBattleLetterFile, kBattleLetterCells, 10, 4, 16, 16, letter_graphs.data());
  draw.load_div_graph(kBattleCharFile, kBattleCharCells, kBattleCharColumns, 5, 48, 64, char_graphs.data());
}

void Battle::SetMessageFromCompose() { TheBitmapFont.ComposeGet(message); }

void Battle::StartBattle(std::span<const int32_t, kBattleEnemies> ids, int useGroup,
                         std::span<const int32_t, kBattleSetupWords> setupWords) {
  GameData& data = TheGameData();
  const BattleHooks& hooks = CurrentBattleHooks();
  std::array<int32_t, kBattleEnemies> group_copy;
  std::copy(ids.begin(), ids.end(), group_copy.begin());
  std::copy(setupWords.begin(), setupWords.end(), setup.begin());
  PlayGameSound(setup[kSetupStartSound] != 0 ? setup[kSetupStartSound] : kStandardStartSound);
  if (setup[kSetupSong] != 0) {
    hooks.play_music(setup[kSetupSong]);
  } else {
    hooks.play_battle_music(-1);
  }
  group = group_copy;
  use_group = useGroup;
  actor = -1;

  // The frozen, blurred field behind the fight.
  const BattleDrawCalls& draw = BattleDraw();
  int background = hooks.background_graph();
  hooks.draw_field();
  if (background != -1) {
    draw.copy_screen(background);
    struct Shift {
      int dx, dy, alpha;
    };
    static constexpr Shift kShifts[] = {{1, 0, 96}, {-1, 0, 96}, {0, 1, 96}, {0, -1, 96}, {2, 0, 64}, {-2, 0, 64},
                                        {0, 2, 64}, {0, -2, 64}, {3, 3, 32}, {-3, 3, 32}, {3, 3, 32}, {3, -3, 32},
                                        {5, 5, 16}, {-5, 5, 16}, {5, 5, 16}, {5, -5, 16}};
    for (const Shift& s : kShifts) {
      draw.blend(kBattleBlendAlpha, s.alpha);
      draw.graph(s.dx, s.dy, background, 0);
    }
    draw.blend(kBattleBlendAlpha, 64);
    draw.fill_box(0, 0, 320, 240, 0);
    draw.blend(kBattleBlendOff, 0);
    hooks.draw_field_frame();
    draw.copy_screen(background);
  }

  phase = kPhaseAppear;
  delay = 0;
  if (setup[kSetupKeepGroup] == 0) {
    if (use_group != 0) {
      for (int i = 0; i < kBattleEnemies; ++i) data.EncounterList[i] = static_cast<uint32_t>(group[i]);
    } else {
      data.BuildEncounter();
    }
  }

  money_won = 0;
  found.fill(0);
  order.fill(-1);
  order_index = 0;
  charge = hits_left = 0;
  growth_line = redo = false;
  killed_outright = 0;
  death_style = kStylePlain;
  input_wait = 0;
  input_last_phase = -1;
  enemy_count = 0;
  std::array<int32_t, kBattleEnemies> listed{};  // enemy ids of the fight, in slot order
  for (uint32_t raw : data.EncounterList) {
    int32_t id = static_cast<int32_t>(raw);
    if (id <= 0 || id >= kEnemyCount) continue;
    const EnemyRecord& e = data.Enemies[id];
    enemy_layout[enemy_count] = {};
    enemy_layout[enemy_count].sprite = e.values[kEnemySpriteValue];
    enemy_layout[enemy_count].first_frame = e.values[kEnemyFirstFrameValue];
    TheEnemyGraphCache.RequestEnemyGraph(e.values[kEnemySpriteValue]);
    listed[enemy_count++] = id;
  }
  for (int i = enemy_count; i < kBattleEnemies; ++i) enemy_layout[i] = {};
  LayoutBattlers();
  hits.fill(HitEffectSlot{});
  popups.fill(ResultPopup{});
  pending.fill(PendingResult{});

  for (int k = 0; k < kCombatants; ++k) {
    fighters[k] = Combatant{};
    fighters[k].slot = k;
  }
  for (int k = 0; k < kBattleMembers; ++k) {
    Combatant& c = fighters[k];
    c.block = data.Members[k];
    for (int s = 0; s < 4; ++s) c.Word(kMemberBattleAttack + s) = c.Word(kMemberAttack + s);
    c.status = data.Status[k];
    c.status[kStatusSelected] = std::min<uint8_t>(c.status[kStatusSelected], kMaxStatusSelected);
    c.status[kStatusFirstRow] = std::min<uint8_t>(c.status[kStatusFirstRow], kMaxStatusFirstRow);
    for (int j = 0; j < kCommandSlots; ++j) {
      c.commands[j] = {static_cast<int16_t>(data.Equipment[k][j].id), static_cast<int16_t>(data.Equipment[k][j].count)};
    }
    if (c.Kind() != 0) c.Word(kMemberPresent) = kKindMember;
    int id = c.Word(kMemberId);
    if (id >= 0 && id < kMemberCount) {
      std::string_view name(data.MemberNames[id].data(),
                            std::find(data.MemberNames[id].begin(), data.MemberNames[id].end(), '\0'));
      SjisToGlyphCodes(name, c.name);
    }
    c.commands[kLastCommandSlot] = {kAttackItem, static_cast<int16_t>(kAttackCount)};
  }
  for (int i = 0; i < enemy_count; ++i) {
    Combatant& c = fighters[kBattleMembers + i];
    const EnemyRecord& e = data.Enemies[listed[i]];
    c.Word(kMemberPresent) = kKindEnemy;
    c.Word(kMemberId) = listed[i];
    c.Word(kMemberHp) = c.Word(kMemberMaxHp) = e.values[kEnemyHpValue];
    c.Word(kMemberPp) = c.Word(kMemberMaxPp) = e.values[kEnemyPpValue];
    for (int s = 0; s < 4; ++s) {
      c.Word(kMemberBaseAttack + s) = c.Word(kMemberAttack + s) = c.Word(kMemberBattleAttack + s) =
          e.values[kEnemyStatValue + s];
    }
    c.Word(kMemberEspLevel) = e.values[kEnemyEspValue];
    for (int j = 0; j < kLastCommandSlot; ++j) {
      int item = e.values[kEnemyCommandValue + j];
      c.commands[j] = {static_cast<int16_t>(item), static_cast<int16_t>(data.Item(item).values[kItemUses])};
    }
    std::copy(e.name.begin(), e.name.end(), c.name.begin());
  }
  AppearanceMessage();
  vexal::LogWriteFmt("battle: begins, enemies %d %d %d %d %d %d %d %d", listed[0], listed[1], listed[2], listed[3],
                     listed[4], listed[5], listed[6], listed[7]);
}

// The distinct enemy names in list order, then "appeared".
void Battle::AppearanceMessage() {
  std::array<int32_t, kBattleEnemies> distinct{};
  int n = 0;
  for (int i = 0; i < enemy_count; ++i) {
    int32_t id = fighters[kBattleMembers + i].Word(kMemberId);
    if (std::find(distinct.begin(), distinct.begin() + n, id) == distinct.begin() + n) distinct[n++] = id;
  }
  TheBitmapFont.ComposeClear();
  for (int i = 0; i < n; ++i) {
    TheBitmapFont.ComposeAddCodes(TheGameData().Enemies[distinct[i]].name);
    int place = i + 1;  // names written so far
    if (n < 4) {
      TheBitmapFont.ComposeAddSjis("\n");
    } else if (place == 2) {
      TheBitmapFont.ComposeAddSjis(",\n");
    } else if (place == 4) {
      TheBitmapFont.ComposeAddSjis(place == n ? "\n" : ",\n");
    } else if (place == 5) {
      TheBitmapFont.ComposeAddSjis("\n");
    } else {
      TheBitmapFont.ComposeAddSjis(", ");
    }
  }
  TheBitmapFont.ComposeAddSjis("が＿あらわれた！");
  SetMessageFromCompose();
}

void Battle::LayoutBattlers() {
  static constexpr int kGaps[] = {0, 0, 30, 15, 8};
  int gap = enemy_count >= 2 && enemy_count <= 4 ? kGaps[enemy_count] : 0;
  int total = enemy_count * gap;
  for (int i = 0; i < enemy_count; ++i) total += TheEnemyGraphCache.Def(enemy_layout[i].sprite).width;
  int left = (gap - total + 320) >> 1;
  for (int i = 0; i < enemy_count; ++i) {
    const EnemyDef& d = TheEnemyGraphCache.Def(enemy_layout[i].sprite);
    EnemyLayout& l = enemy_layout[i];
    l.corner = {left, kEnemyCentreY - d.height / 2};
    l.centre = {left + d.width / 2, kEnemyCentreY};
    anchors[4 + i] = l.centre;
    left += d.width + gap;
  }
  for (int k = 0; k < kBattleMembers; ++k) {
    member_corner[k] = {kMemberLeft + kMemberStep * k, kMemberTop};
    member_centre[k] = {member_corner[k].x + kMemberCentreDx, kMemberCentreY};
    anchors[k] = member_centre[k];
  }
  anchors[kAllEnemiesSlot] = {160, 128};
  anchors[kAllMembersSlot] = {160, 206};
  anchors[kEveryoneSlot] = {160, 167};
}

void Battle::EndBattle() {
  GameData& data = TheGameData();
  const BattleHooks& hooks = CurrentBattleHooks();
  TheEnemyGraphCache.ReleaseEnemyGraphs();
  if (setup[kSetupSong] != 0) {
    hooks.play_music(setup[kSetupAfterSong]);
  } else {
    hooks.resume_music();
  }
  data.RollGaussValue();
  for (int k = 0; k < kBattleMembers; ++k) {
    const Combatant& c = fighters[k];
    std::copy(c.block.begin() + 1, c.block.end(), data.Members[k].begin() + 1);
    data.Status[k] = c.status;
    for (int j = 0; j < kCommandSlots; ++j) data.Equipment[k][j].count = static_cast<uint16_t>(c.commands[j].count);
  }
  data.Scalars[kScalarMoney] =
      static_cast<uint32_t>(std::clamp<int64_t>(int64_t{data.Scalars[kScalarMoney]} + money_won, 0, UINT32_MAX));
  if (growth_line) data.RecalcPartyStats();
  data.RemoveUsedUpItems();
  hooks.stop_player_motion();
  vexal::LogWriteFmt("battle: ends, money %u", data.Scalars[kScalarMoney]);
}

void ResetBattle() {
  TheBattle.effects.ReleaseEffects();
  TheBattle = Battle();
}

}  // namespace game
