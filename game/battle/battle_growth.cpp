// After a victory: the members' stats, HP and PP grow, and the items found are taken.
#include <algorithm>
#include <cmath>

#include "game/battle/battle.h"
#include "game/data/saturating_math.h"
#include "game/text/bitmap_font.h"

namespace game {
namespace {

constexpr int kStatStep = 100;        // growth points a stat point costs
constexpr int kMaxTriangleStep = 99;  // PP points: 1 + 2 + ... + j reaching the uses
constexpr int kItemsSound = 30, kGrowthSound = 34;
constexpr const char* kStatWords[4] = {"こうげき", "ぼうぎょ", "すばやさ", "せいしん"};

}  // namespace

void Battle::GrowMembers() {
  GameData& data = TheGameData();
  BitmapFont& font = TheBitmapFont;
  font.ComposeClear();
  bool line_written = false;
  for (int k = 0; k < kBattleMembers; ++k) {
    Combatant& m = fighters[k];
    if (m.Kind() == kKindGone || m.status[kStatusDown] || m.status[kStatusIll] || m.status[kStatusParalysed]) continue;
    for (int s = 0; s < 4; ++s) {
      if (m.exercised[s] && m.Word(kMemberGrowthPoints + s) >= kStatStep) {
        m.raised[s] = 1;
        m.Word(kMemberGrowthPoints + s) -= kStatStep;
        AddSaturated(m.Word(kMemberBaseAttack + s), 1);
      }
    }
    int32_t max_hp = m.Word(kMemberMaxHp);
    if (m.Word(kMemberHpPoints) >= static_cast<int64_t>(max_hp) * 13 / 10.0 && GameRandomUpTo(100) < 25) {
      const int64_t eighths = int64_t{max_hp} * 7 / 8;
      double root = eighths > 0 ? std::sqrt(static_cast<double>(eighths)) : 0.0;
      int32_t gain = Saturate32(int64_t{GameRandomUpTo(3)} + 1 + static_cast<int64_t>(root));
      m.Word(kMemberHpPoints) =
          Saturate32(std::max<int64_t>(int64_t{m.Word(kMemberHpPoints)} - int64_t{2} * max_hp, 0) >> 1);
      AddSaturated(m.Word(kMemberBaseMaxHp), gain);
      m.hp_gain = gain;
    }
    if (m.esp_uses <= 4950) {
      int j = 1;
      while (j < kMaxTriangleStep && j * (j + 1) / 2 < m.esp_uses) ++j;
      AddSaturated(m.Word(kMemberPpPoints), j);
    }
    int32_t max_pp = m.Word(kMemberMaxPp);
    if (m.Word(kMemberPpPoints) >= max_pp) {
      int32_t gain = GameRandomUpTo(2) + 3;
      AddSaturated(m.Word(kMemberPpPoints), -(int64_t{gain} * max_pp / 5));
      AddSaturated(m.Word(kMemberBaseMaxPp), gain);
      m.pp_gain = gain;
    }
    // One line over attack, defence, speed, spirit, HP gain, PP gain.
    int values[6] = {m.raised[0], m.raised[1], m.raised[2], m.raised[3], m.hp_gain, m.pp_gain};
    bool named = false, only_stats = true;
    for (int i = 0; i < 6; ++i) {
      if (values[i] <= 0) continue;
      if (!named) {
        font.ComposeAddCodes(m.name);
        font.ComposeAddSjis("は＿");
      } else if (only_stats) {
        font.ComposeAddSjis("と＿");
      }
      named = true;
      if (i < 4) {
        font.ComposeAddSjis(kStatWords[i]);
      } else {
        only_stats = false;
        font.ComposeAddSjis(i == 4 ? "HPが＿" : "PPが＿");
        font.ComposeAddNumber(values[i]);
        font.ComposeAddSjis("＿");
      }
    }
    if (named) {
      font.ComposeAddSjis(only_stats ? "が＿あがった!\n" : "あがった!\n");
      line_written = growth_line = true;
    }
  }
  bool items_named = false;
  for (int32_t id : found) {
    if (id <= 0 || id >= kItemCount) continue;
    const ItemRecord& item = data.Item(id);
    bool esp = item.values[kItemKind] >= 300;
    if (!esp) {
      auto free = std::find_if(data.ItemBag.begin(), data.ItemBag.begin() + kUsedBagSlots,
                               [](const ItemStack& s) { return s.id == 0; });
      if (free == data.ItemBag.begin() + kUsedBagSlots) continue;  // a full bag drops it silently
      *free = {static_cast<uint16_t>(id), static_cast<uint16_t>(item.values[kItemUses])};
    } else {
      data.AddItem(id);
    }
    if (items_named || line_written) font.ComposeAddSjis("\n");
    if (esp) font.ComposeAddSjis("ESP:");
    font.ComposeAddCodes(item.name);
    items_named = true;
  }
  if (items_named) font.ComposeAddSjis("＿を＿てにいれた。\n");
  phase = items_named || line_written ? kPhaseGrowthMessage : kPhaseLeave;
  if (items_named && !line_written) PlayGameSound(kItemsSound);
  if (line_written) PlayGameSound(kGrowthSound);
  SetMessageFromCompose();
  redo = true;
}

}  // namespace game
