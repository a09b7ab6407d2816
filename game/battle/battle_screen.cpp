// The battle screen: background, boxes by phase, the acting member's values, the members
// and enemies with their poses, the hand and the number pop-ups. It decides nothing and
// changes only the dying-fade counters and the pop-ups' flight.
#include <algorithm>

#include "game/battle/battle.h"
#include "game/battle/battle_draw_calls.h"
#include "game/data/saturating_math.h"

namespace game {

extern BattleKeys battle_keys;

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr int kPoseStanding = 0, kPoseActing = 1, kPoseHit = 2, kPoseDown = 3, kPoseWeak = 4;
constexpr int kActorLift = 5;
constexpr int kMaxShake = 10;
constexpr int kHealingDigits = 10;
constexpr int kFailedCells = 20, kKilledCells = 22;
constexpr int kPopupFrames = 30;
constexpr int16_t kDashCount = static_cast<int16_t>(0xFFE0);
constexpr int kChargeEffect = 13;

bool InPhases(int phase, std::initializer_list<int> list) {
  return std::find(list.begin(), list.end(), phase) != list.end();
}

}  // namespace

// The pose of member k and how many pixels it is lifted (negative: shaken down).
int Battle::PoseOfMember(int k, int* lift) const {
  const Combatant& m = fighters[k];
  *lift = 0;
  bool acting_phase = phase >= kPhaseCommand && phase <= kPhaseEffects && actor == k;
  if (m.Kind() != kKindMember) return -1;
  if (m.status[kStatusDown] != 0) return kPoseDown;
  const PendingResult& p = pending[k];
  if (p.valid && p.value >= 1 && !p.healing && !p.no_number) {
    int64_t hp = m.Word(kMemberHp);
    int64_t s = hp <= 0 || p.killed ? kMaxShake : std::min<int64_t>(static_cast<int64_t>(p.value) * 8 / hp, kMaxShake);
    *lift = -(GameRandomUpTo(static_cast<int32_t>(2 * s)) - static_cast<int32_t>(s));
    return kPoseHit;
  }
  if (phase == kPhaseEffects && actor == k) {
    *lift = kActorLift;
    return kPoseActing;
  }
  bool weak = m.Word(kMemberHp) <= (m.Word(kMemberMaxHp) >> 2) ||
              std::any_of(m.status.begin() + 1, m.status.begin() + 5, [](uint8_t b) { return b != 0; });
  if (weak && !acting_phase) return kPoseWeak;
  if (acting_phase) *lift = kActorLift;
  return kPoseStanding;
}

void Battle::DrawPartyBattlers() {
  const BattleDrawCalls& draw = BattleDraw();
  for (int k = 0; k < kBattleMembers; ++k) {
    int lift = 0;
    int pose = PoseOfMember(k, &lift);
    int cell = kAbsentMemberCell;
    if (pose >= 0) {
      int column = std::clamp(fighters[k].Word(kMemberId), 0, kBattleCharColumns - 1);
      cell = pose * kBattleCharColumns + column;
    }
    draw.graph(member_corner[k].x, member_corner[k].y - lift, char_graphs[cell], 1);
  }
}

void Battle::DrawEnemyBattlers() {
  const BattleDrawCalls& draw = BattleDraw();
  for (int i = 0; i < kBattleEnemies; ++i) {
    EnemyLayout& l = enemy_layout[i];
    const Combatant& c = fighters[kBattleMembers + i];
    // The frames run through the strip from the enemy's first frame, one step every 10
    // ticks of the cache's counter A.
    int cells = TheEnemyGraphCache.Def(l.sprite).last_cell;
    int frame = cells > 0 ? ((l.first_frame % cells + cells) % cells + TheEnemyGraphCache.CounterA() / 10) % cells : 0;
    if (c.Kind() != kKindGone) {
      TheEnemyGraphCache.DrawEnemyGraph(l.corner.x, l.corner.y, l.sprite, frame, actor == kBattleMembers + i);
    } else if (l.fade > 0) {
      int t = l.fade;
      draw.blend(kBattleBlendAdd, 255 - 5 * t);
      draw.bright((130 - 5 * t) * 5, 0, (100 - 5 * t) * 4);
      draw.graph(l.corner.x, l.corner.y, TheEnemyGraphCache.GetEnemyGraphHandle(l.sprite, frame), 1);
      draw.bright(255, 255, 255);
      draw.blend(kBattleBlendOff, 0);
    }
  }
}

void Battle::DrawBattleScreen() {
  const BattleDrawCalls& draw = BattleDraw();
  const BattleHooks& hooks = CurrentBattleHooks();
  draw.graph(0, 0, hooks.background_graph(), 0);
  hooks.draw_field_frame();
  bool battlers_first = InPhases(phase, {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 20, 21, 22, 23, 24, 25, 30});
  if (battlers_first) {
    DrawEnemyBattlers();
    DrawPartyBattlers();
  }
  auto message_box = [&] {
    draw.frame_box(60, 4, 260, 80, 0);
    draw.glyphs(68, 16, 22, 4, message);
  };
  switch (phase) {
    case kPhaseCommand:
    case kPhaseTarget: {
      draw.frame_box(45, 4, 153, 80, 0);
      draw.frame_box(153, 4, 275, 80, phase == kPhaseCommand ? 1 : 0);
      if (actor < 0 || actor >= kBattleMembers) break;
      const Combatant& m = fighters[actor];
      const GameData& data = TheGameData();
      draw.glyphs(53, 14, 12, 1, m.name);
      int cost = data.Item(ActingItem()).values[kItemPpCost];
      draw.number(63, 26, m.Word(kMemberHp), 4, 0);
      draw.text(95, 26, "/");
      draw.number(103, 26, m.Word(kMemberMaxHp), 4, 0);
      draw.number(63, 38, Saturate32(int64_t{m.Word(kMemberPp)} - cost), 4, 0);
      draw.text(95, 38, "/");
      draw.number(103, 38, m.Word(kMemberMaxPp), 4, 0);
      draw.bright(0, 255, 255);
      draw.text(52, 26, "体");
      draw.text(52, 38, "賽");
      draw.text(60, 52, "剣");
      draw.text(60, 64, "靴");
      draw.text(104, 52, "盾");
      draw.text(104, 64, "魔");
      draw.bright(255, 255, 255);
      draw.number(68, 52, m.Word(kMemberBattleAttack), 3, 999);
      draw.number(112, 52, m.Word(kMemberBattleAttack + 1), 3, 999);
      draw.number(68, 64, m.Word(kMemberBattleAttack + 2), 3, 999);
      draw.number(112, 64, m.Word(kMemberBattleAttack + 3), 3, 999);
      int first = m.status[kStatusFirstRow];
      for (int r = 0; r < kVisibleCommandRows; ++r) {
        int slot = first + r;
        if (slot >= kCommandSlots) break;
        const auto& cmd = m.commands[slot];
        const ItemRecord& item = data.Item(cmd.id);
        int kind = item.values[kItemKind];
        int y = 16 * (r + 1);
        bool grey = kind == 4 || (kind >= 201 && kind <= 299) || item.values[kItemPpCost] > m.Word(kMemberPp);
        if (grey) draw.bright(128, 128, 128);
        if (cmd.id != 0) draw.glyphs(166, y, 23, 1, item.name);
        if (cmd.count >= 0 && cmd.id != 0) draw.number(246, y, cmd.count, 2, 9999);
        if (cmd.count == kDashCount) draw.text(254, y, "-");
        if (grey) draw.bright(255, 255, 255);
      }
      break;
    }
    case kPhaseEffects:
    case kPhaseResult:
      message_box();
      DrawHitEffects();
      break;
    case kPhaseContinue:
      hooks.draw_field();
      draw.message_window(message);
      draw.frame_box(200, 100, 278, 164, 0);
      draw.text(216, 112, "あります!");
      draw.text(216, 128, "もうねぇよ");
      draw.text(216, 144, "あんただれ?");
      break;
    case 21:
    case 22:
    case 23:
    case 24:
      draw.frame_box(60, 4, 260, 240, 0);
      draw.glyphs(68, 16, 22, 14, message);
      break;
    case kPhaseCharge: {
      message_box();
      int t = charge;
      if (actor >= 0 && actor < kCombatants) {
        Point c = anchors[actor];
        if (t < 6) {
          draw.blend(kBattleBlendAlpha, 286 - 48 * t);
          draw.circle(c.x, c.y, 35 * t + 20, kBlack, 1);
        }
        draw.blend(kBattleBlendAlpha, 64);
        effects.DrawEffect(c.x, c.y, kChargeEffect, t % 8);
        draw.blend(kBattleBlendAlpha, 128);
        effects.DrawEffect(c.x, c.y, kChargeEffect, t / 2);
        draw.blend(kBattleBlendOff, 0);
        effects.DrawEffect(c.x, c.y, kChargeEffect, t / 3);
      }
      break;
    }
    default:
      if (phase == kPhaseAppear || (phase >= kPhaseVictory && phase <= kPhaseDefeat)) message_box();
      break;
  }
  if (phase == kPhaseAppear || phase == kPhaseTarget) {
    DrawEnemyBattlers();
    DrawPartyBattlers();
  }
}

void Battle::DrawBattleCursor() {
  const BattleDrawCalls& draw = BattleDraw();
  if (phase == kPhaseCommand || phase == kPhaseTarget) {
    if (actor < 0 || actor >= kBattleMembers) return;
    const Combatant& m = fighters[actor];
    int y = (m.status[kStatusSelected] - m.status[kStatusFirstRow] + 1) * 16;
    if (phase == kPhaseCommand) {
      if (!battle_keys.down(kButtonDescription)) draw.hand(166, y, 0, 0);
      return;
    }
    draw.hand(166, y, 1, 0);
    if (side == 0) return;
    int from = side == 1 ? 0 : kBattleMembers, count = side == 1 ? kBattleMembers : kBattleEnemies;
    auto corner = [&](int i) { return side == 1 ? member_corner[i] : enemy_layout[i].corner; };
    if (target >= 0) {
      Point p = corner(std::min(target, count - 1));
      draw.hand(p.x + 16, p.y + 16, 0, 0);
    } else {
      for (int i = 0; i < count; ++i) {
        if (fighters[from + i].Kind() == kKindGone) continue;
        Point p = corner(i);
        draw.hand(p.x + 10, p.y + 14, 0, 1);
      }
    }
  } else if (phase == kPhaseContinue) {
    draw.hand(212, (continue_choice + 7) * 16, 0, 0);
  }
}

void Battle::DrawResultPopups() {
  const BattleDrawCalls& draw = BattleDraw();
  for (int i = 0; i < kResultPopups; ++i) {
    ResultPopup& p = popups[popups_descending ? kResultPopups - 1 - i : i];
    if (!p.active) continue;
    int t = p.frame;
    if (t <= 3) {
      draw.blend(kBattleBlendAlpha, 64 * t + 32);
    } else if (t >= 29) {
      draw.blend(kBattleBlendAlpha, 2016 - 64 * t);
    }
    if (++p.frame >= kPopupFrames) p.active = false;
    p.y += p.velocity;
    p.velocity += 1.5;
    if (p.y >= p.ground && p.velocity >= 0) {
      p.y = p.ground;
      p.velocity = -p.velocity * 0.5;
      if (p.velocity >= -4) p.velocity = 0;
    }
    int y = static_cast<int>(p.y);
    if (p.killed) {
      draw.graph(p.x + 2, y, letter_graphs[kKilledCells], 1);
      draw.graph(p.x + 18, y, letter_graphs[kKilledCells + 1], 1);
    } else if (p.failed) {
      draw.graph(p.x + 2, y, letter_graphs[kFailedCells], 1);
      draw.graph(p.x + 18, y, letter_graphs[kFailedCells + 1], 1);
    } else {
      for (int d = p.digits - 1, x = p.x; d >= 0; --d, x += 9) {
        draw.graph(x, y, letter_graphs[p.digit[d] + (p.healing ? kHealingDigits : 0)], 1);
      }
    }
    draw.blend(kBattleBlendOff, 0);
  }
  popups_descending = !popups_descending;
}

}  // namespace game
