// The field menu's rules without a screen: item use, the state machine's steps, cursor
// bounds, jump gating, the load list, concoction and the two-step shop.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/codec/lz_codec.h"
#include "game/data/game_data.h"
#include "game/entry/field_wiring.h"
#include "game/field/field_map.h"
#include "game/field/map_file.h"
#include "game/frame/frame_loop.h"
#include "game/menu/field_menu.h"
#include "game/text/bitmap_font.h"
#include "tests/game/data/data_fixture.h"

namespace {

using namespace game;

// The help line as the Shift-JIS it was set from.
std::array<uint8_t, kMenuHelpBytes> HelpCodes(std::string_view sjis) {
  std::array<uint8_t, kMenuHelpBytes> codes{};
  SjisToGlyphCodes(sjis, codes);
  return codes;
}

// One press of button n (pressed, held and pulsed).
MenuKeys Press(int n) {
  const auto bit = static_cast<uint16_t>(1u << n);
  return MenuKeys{bit, bit, bit};
}

class MenuRules : public datatest::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    StartCase();
  }
  // What each case starts from, again before each row of a table: fresh game data, and the
  // menu open on its main page over an empty party and bag.
  void StartCase() {
    ResetState();
    ResetFieldMenu();
    ResetFrameLoop();
    GameData& d = Data();
    for (int m = 0; m < kMemberCount; ++m) {
      d.Members[m] = {};
      d.Status[m] = {};
      d.Equipment[m] = {};
    }
    d.ItemBag = {};
    menu().OpenMenu(kMenuStateMain, kMenuPageMain);
  }
  void TearDown() override {
    ResetFieldMenu();
    ResetFrameLoop();
    ResetField();
    DataTest::TearDown();
  }
  static FieldMenu& menu() { return TheFieldMenu; }
  void AddMember(int m, int id, int hp, int max_hp, int pp = 0, int max_pp = 0) {
    PartyMember& p = Data().Members[m];
    p[kMemberPresent] = 1;
    p[kMemberId] = id;
    p[kMemberHp] = hp, p[kMemberMaxHp] = p[kMemberBaseMaxHp] = max_hp;
    p[kMemberPp] = pp, p[kMemberMaxPp] = p[kMemberBaseMaxPp] = max_pp;
  }
  // Item 5 with a field-use type, a fixed amount and sound 40, single target, in bag 0.
  void GiveItem(int type, int base, int range = 0) {
    auto& v = Data().Items[5].values;
    v[kItemKind] = 1, v[kItemUses] = 3, v[kItemFieldUse] = type, v[kItemRaise] = base, v[kItemSound] = 40;
    v[kItemRange] = range;
    Data().ItemBag[0] = {5, 3};
  }
  void Step(MenuKeys k) { menu().UpdateMenu(k); }
};

struct EffectCase {
  const char* name;
  int type;
  int hp, max_hp, pp, max_pp;
  uint8_t down, ailment;
  int id;
  int want_hp, want_pp;
  const char* message;
  bool used;
};

TEST_F(MenuRules, UseItemEffectTable) {
  const EffectCase cases[] = {
      {"heal", kFieldUseHealHp, 10, 50, 0, 0, 0, 0, 0, 35, 0, "HPかいふく!", true},
      {"heal capped", kFieldUseHealHp, 40, 50, 0, 0, 0, 0, 0, 50, 0, "HPかいふく!", true},
      {"heal full", kFieldUseHealHp, 50, 50, 0, 0, 0, 0, 0, 50, 0, "かいふくできないぜ", false},
      {"heal down", kFieldUseHealHp, 0, 50, 0, 0, 1, 0, 0, 0, 0, "かいふくできないぜ", false},
      {"pp", kFieldUseHealPp, 10, 50, 1, 9, 0, 0, 0, 10, 9, "PPかいふく!", true},
      {"pp at full pp", kFieldUseHealPp, 10, 50, 9, 9, 0, 0, 0, 10, 9, "PPかいふく!", true},
      {"pp down", kFieldUseHealPp, 0, 50, 1, 9, 1, 0, 0, 0, 1, "かいふくできないぜ", false},
      {"cure ailment at full hp", kFieldUseCure, 50, 50, 0, 0, 0, 1, 0, 50, 0, "げんきになった!", true},
      {"cure nothing", kFieldUseCure, 50, 50, 0, 0, 0, 0, 0, 50, 0, "かいふくできないぜ", false},
      {"revive", kFieldUseRevive, 0, 50, 0, 0, 1, 0, 0, 25, 0, "いしきを＿とりもどした!", true},
      {"revive healthy", kFieldUseRevive, 50, 50, 0, 0, 0, 0, 0, 50, 0, "げんきですよ", false},
      {"full", kFieldUseFullHeal, 1, 50, 0, 9, 0, 1, 0, 50, 9, "かんぜんかいふく!", true},
      {"hp and pp", kFieldUseRestore, 1, 50, 0, 9, 0, 0, 0, 50, 9, "HP・PPかいふく!", true},
      {"full at full values", kFieldUseFullHeal, 50, 50, 9, 9, 0, 0, 0, 50, 9, "かんぜんかいふく!", true},
      {"hp and pp at full values", kFieldUseRestore, 50, 50, 9, 9, 0, 0, 0, 50, 9, "HP・PPかいふく!", true},
      {"full down", kFieldUseFullHeal, 0, 50, 0, 9, 1, 0, 0, 0, 0, "かいふくできないぜ", false},
      {"hp and pp down", kFieldUseRestore, 0, 50, 0, 9, 1, 0, 0, 0, 0, "かいふくできないぜ", false},
      {"attack on the down", kFieldUseRaiseAttack, 0, 50, 0, 0, 1, 0, 0, 0, 0, "しんでるぜ", false},
      {"esp right member", kFieldUseJumpLevel, 5, 50, 0, 0, 0, 0, 1, 5, 0, "ESPレベルが＿あがった!", true},
      {"esp other member", kFieldUseJumpLevel, 5, 50, 0, 0, 0, 0, 2, 5, 0, "そのひとには＿こうかがない", false},
      {"jump other member", kFieldUseJumpPoints, 5, 50, 0, 0, 0, 0, 0, 5, 0, "そのひとには＿こうかがない", false},
      {"unknown type", 30, 5, 50, 0, 0, 0, 0, 0, 5, 0, "", false},
  };
  for (const EffectCase& c : cases) {
    SCOPED_TRACE(c.name);
    StartCase();
    AddMember(0, c.id, c.hp, c.max_hp, c.pp, c.max_pp);
    Data().Status[0][kStatusDown] = c.down;
    Data().Status[0][kStatusParalysed] = c.ailment;
    GiveItem(c.type, 25);
    menu().SetMenuLine(1, "");
    datatest::Sounds.clear();
    menu().BeginUseItem(-1, 0, 5);
    ASSERT_EQ(menu().state, kMenuStateItemTarget);
    menu().UseItemEffect(0);
    // RecalcPartyStats rebuilds the maxima from the base words, so only the current values are checked.
    EXPECT_EQ(Data().Members[0][kMemberHp], c.want_hp);
    EXPECT_EQ(Data().Members[0][kMemberPp], c.want_pp);
    EXPECT_EQ(menu().help_line, HelpCodes(c.message));
    EXPECT_EQ(menu().state, kMenuStateItemResult);
    EXPECT_EQ(menu().result_timer, kItemResultFrames);
    EXPECT_EQ(Data().ItemBag[0].count, c.used ? 2 : 3);
    ASSERT_FALSE(datatest::Sounds.empty());
    EXPECT_EQ(datatest::Sounds.front(), c.used ? 40 : kMenuSoundRefused);
    if (c.ailment && c.used) {
      EXPECT_EQ(Data().Status[0][kStatusParalysed], 0);
    }
    if (c.type == kFieldUseJumpLevel && c.used) {
      EXPECT_EQ(Data().Members[0][kMemberEspLevel], 1);
    }
  }
}

// A save refuses levels above 99, so the ESP item stops there rather than make a game that
// cannot be loaded again.
TEST_F(MenuRules, TheEspItemStopsAtTheHighestLevelASaveKeeps) {
  const struct {
    int level, want_level;
    bool used;
  } cases[] = {{98, 99, true}, {99, 99, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    StartCase();
    AddMember(0, 1, 5, 50);
    Data().Members[0][kMemberEspLevel] = c.level;
    GiveItem(kFieldUseJumpLevel, 25);
    menu().BeginUseItem(-1, 0, 5);
    menu().UseItemEffect(0);
    EXPECT_EQ(Data().Members[0][kMemberEspLevel], c.want_level);
    EXPECT_EQ(Data().ItemBag[0].count, c.used ? 2 : 3);
    EXPECT_EQ(menu().help_line, HelpCodes(c.used ? "ESPレベルが＿あがった!" : "そのひとには＿こうかがない"));
  }
}

TEST_F(MenuRules, StatItemsRaiseTheirWordsAndMaxHpStays) {
  AddMember(0, 0, 10, 50);
  GiveItem(kFieldUseRaiseAttack, 3);
  menu().BeginUseItem(-1, 0, 5);
  menu().UseItemEffect(0);
  EXPECT_EQ(Data().Members[0][kMemberBaseAttack], 3);
  EXPECT_EQ(menu().help_line, HelpCodes("こうげきが＿あがった!"));

  GiveItem(kFieldUseRaiseMaxHp, 7);
  menu().BeginUseItem(-1, 0, 5);
  menu().UseItemEffect(0);
  EXPECT_EQ(Data().Members[0][kMemberBaseMaxHp], 57);
  EXPECT_EQ(menu().help_line, HelpCodes("さいだいHPが＿あがった!"));

  // A huge raise stays within the word.
  Data().Members[0][kMemberBaseAttack] = 2147483000;
  GiveItem(kFieldUseRaiseAttack, 999999);
  menu().BeginUseItem(-1, 0, 5);
  menu().UseItemEffect(0);
  EXPECT_EQ(Data().Members[0][kMemberBaseAttack], 2147483647);
}

// A stat item used until the base word is full, on a member wearing a weapon that adds to
// every derived word: the derived words stay at the top too.
TEST_F(MenuRules, RaisingAStatToTheTopOfItsWordUnderWornBonuses) {
  AddMember(0, 1, 10, 50, 5, 9);
  auto& knife = Data().Items[30].values;
  knife[kItemKind] = 101;
  for (int t = 0; t < 4; ++t) knife[kItemAttackBonus + t] = 3;
  knife[kItemMaxHpBonus] = knife[kItemMaxPpBonus] = 3;
  Data().Equipment[0][0] = {30, 1};
  for (int type = kFieldUseRaiseAttack; type <= kFieldUseRaiseMaxPp; ++type) {
    SCOPED_TRACE(type);
    GiveItem(type, 999999);  // 99999999 a use
    Data().ItemBag[0].count = 30;
    for (int use = 0; use < 22; ++use) {
      menu().BeginUseItem(-1, 0, 5);
      menu().UseItemEffect(0);
    }
  }
  const PartyMember& p = Data().Members[0];
  for (int t = 0; t < 4; ++t) {
    EXPECT_EQ(p[kMemberBaseAttack + t], INT32_MAX) << t;
    EXPECT_EQ(p[kMemberAttack + t], INT32_MAX) << t;
  }
  EXPECT_EQ(p[kMemberBaseMaxHp], INT32_MAX);
  EXPECT_EQ(p[kMemberMaxHp], INT32_MAX);
  EXPECT_EQ(p[kMemberMaxPp], INT32_MAX);
  EXPECT_EQ(p[kMemberHp], 10);
}

// Heals add the amount to the current value and saturate like every other sum: an amount
// far below the word leaves the value at the bottom, not wrapped round to the top; the PP
// cost is taken off the same way.
TEST_F(MenuRules, HealsAndThePpCostSaturate) {
  const struct {
    const char* name;
    int type;
    int32_t mult, base, cost;
    int32_t user_pp, want_hp, want_pp, want_user_pp;
  } cases[] = {
      // Target spirit 3 x INT32_MIN = -6442450944, far below the word.
      {"hp by a huge negative amount", kFieldUseHealHp, INT32_MIN, 10, 0, 9, INT32_MIN, 40, 9},
      {"pp by a huge negative amount", kFieldUseHealPp, INT32_MIN, 10, 0, 9, 40, INT32_MIN, 9},
      {"a negative cost at the top of pp", kFieldUseHealHp, 0, 10, INT32_MIN, 9, 50, 40, INT32_MAX},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StartCase();
    AddMember(0, 0, 50, 50, c.user_pp, INT32_MAX);
    AddMember(1, 1, 40, 50, 40, 50);
    Data().Members[1][kMemberAttack + 3] = Data().Members[1][kMemberBaseAttack + 3] = 3;
    GiveItem(c.type, c.base);
    auto& v = Data().Items[5].values;
    v[kItemKind] = 301, v[kItemMultiplier] = c.mult, v[kItemPpCost] = c.cost;
    Data().Equipment[0][4] = {5, 2};
    menu().BeginUseItem(0, 4, 5);
    ASSERT_EQ(menu().state, kMenuStateItemTarget);
    menu().UseItemEffect(1);
    EXPECT_EQ(Data().Members[1][kMemberHp], c.want_hp);
    EXPECT_EQ(Data().Members[1][kMemberPp], c.want_pp);
    EXPECT_EQ(Data().Members[0][kMemberPp], c.want_user_pp);
  }
}

TEST_F(MenuRules, WholePartyItemShowsTheLastPresentMembersMessage) {
  AddMember(0, 0, 10, 50);
  AddMember(2, 2, 50, 50);                        // full: the last present member, nothing to heal
  GiveItem(kFieldUseHealHp, 25, kTargetAllFoes);  // any whole-side range: the party
  menu().BeginUseItem(-1, 0, 5);
  EXPECT_EQ(menu().target, -1);
  menu().UseItemEffect(-1);
  EXPECT_EQ(Data().Members[0][kMemberHp], 35);
  EXPECT_EQ(menu().help_line, HelpCodes("かいふくできないぜ"));
  EXPECT_EQ(Data().ItemBag[0].count, 2);  // member 0 was healed, so one is used
}

TEST_F(MenuRules, MemberSlotItemCostsPpAndRefusesWithoutIt) {
  AddMember(0, 0, 10, 50, 4, 9);
  GiveItem(kFieldUseHealHp, 25);
  Data().Items[5].values[kItemPpCost] = 5;
  Data().Equipment[0][2] = {5, 2};
  menu().BeginUseItem(0, 2, 5);
  EXPECT_EQ(menu().shake, kShakeFrames);
  EXPECT_EQ(menu().state, kMenuStateMain);

  Data().Members[0][kMemberPp] = 6;
  menu().BeginUseItem(0, 2, 5);
  menu().UseItemEffect(0);
  EXPECT_EQ(Data().Members[0][kMemberPp], 1);
  EXPECT_EQ(Data().Equipment[0][2].count, 1);
}

// Counts are signed 16-bit: 0xFFC0 (worn ability) and 0xFFE0 (unlimited) are below 0
// and stay as they are; only a positive count loses one.
TEST_F(MenuRules, UsingAnItemLeavesMarkerCountsAlone) {
  struct Case {
    bool from_slot;
    uint16_t count, want;
  };
  const Case cases[] = {
      {true, 0xFFC0, 0xFFC0}, {true, 0xFFE0, 0xFFE0},  {true, 0x8000, 0x8000},  {true, 3, 2},
      {true, 0x7FFF, 0x7FFE}, {false, 0xFFE0, 0xFFE0}, {false, 0xFFC0, 0xFFC0}, {false, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.from_slot ? "slot " : "bag ") << c.count);
    StartCase();
    AddMember(0, 0, 10, 50, 9, 9);
    AddMember(1, 1, 10, 50);
    GiveItem(kFieldUseHealHp, 25);
    Data().Items[5].values[kItemPpCost] = 2;
    if (c.from_slot) {
      Data().Equipment[0][4] = {5, c.count};
      menu().BeginUseItem(0, 4, 5);
    } else {
      Data().ItemBag[0] = {5, c.count};
      menu().BeginUseItem(-1, 0, 5);
    }
    menu().UseItemEffect(1);
    EXPECT_EQ(Data().Members[1][kMemberHp], 35);
    const ItemStack& used = c.from_slot ? Data().Equipment[0][4] : Data().ItemBag[0];
    EXPECT_EQ(used.count, c.want);
    EXPECT_EQ(used.id, c.want == 0 ? 0 : 5) << "a used-up bag item is removed";
    if (c.from_slot) {
      EXPECT_EQ(Data().Members[0][kMemberPp], 7);
    }
  }
}

// The amount: trunc(user stat x F + base), F = r / 32768 + multiplier, 0 when that is
// 1.0 or less; kinds above 300 use the spirit and add the target's spirit x multiplier.
TEST_F(MenuRules, UseItemAmountFollowsTheRandomFactorAndTheEspTerm) {
  struct Case {
    const char* name;
    int kind, stat, mult, base, user;  // user -1: from the bag
    int32_t random;
    int want_hp;
  };
  // User (member 0): attack 7, defence 11, spirit 20. Target (member 1): spirit 6, HP 1 of 999.
  const Case cases[] = {
      {"bag ignores the user", 1, 0, 2, 10, -1, 16384, 11},
      {"factor 2.5 on attack", 1, 0, 2, 10, 0, 16384, 1 + 17 + 10},  // 7 x 2.5 = 17.5
      {"factor 1.0 is 0", 1, 0, 0, 10, 0, 32768, 11},                // 1 + 10
      {"factor 0.99 is 0", 1, 1, 0, 10, 0, 32767, 11},
      {"factor 1.25 on defence", 1, 1, 1, 3, 0, 8192, 1 + 13 + 3},  // 11 x 1.25 = 13.75
      {"esp uses spirit and the target's", 301, 0, 2, 4, 0, 0, 1 + 40 + 4 + 12},
      {"kind 300 is no esp", 300, 0, 2, 4, 0, 0, 1 + 14 + 4},
      {"big base", 1, 0, 0, 999999, -1, 0, 999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartCase();
    AddMember(0, 0, 50, 50, 9, 9);
    AddMember(1, 1, 1, 999);
    Data().Members[0][kMemberAttack] = 7, Data().Members[0][kMemberAttack + 1] = 11;
    Data().Members[0][kMemberAttack + 3] = 20;
    Data().Members[1][kMemberAttack + 3] = 6;
    GiveItem(kFieldUseHealHp, c.base);
    auto& v = Data().Items[5].values;
    v[kItemKind] = c.kind, v[kItemDependsOn] = c.stat, v[kItemMultiplier] = c.mult;
    datatest::ScriptedRandom = {c.random};
    datatest::UseScriptedRandom = true;
    if (c.user >= 0) {
      Data().Equipment[0][0] = {5, 1};
      menu().BeginUseItem(0, 0, 5);
    } else {
      menu().BeginUseItem(-1, 0, 5);
    }
    menu().UseItemEffect(1);
    // RecalcPartyStats rebuilds word 3 from the base word: only the current HP is read.
    EXPECT_EQ(Data().Members[1][kMemberHp], c.want_hp);
  }
}

TEST_F(MenuRules, JumpPointMaximumStopsAt32) {
  AddMember(0, 1, 10, 50);
  GiveItem(kFieldUseJumpPoints, 0);
  Data().ItemBag[0].count = 50;
  Data().Scalars[kScalarMenuValue] = 31;
  for (int i = 0; i < 2; ++i) {
    menu().BeginUseItem(-1, 0, 5);
    menu().UseItemEffect(0);
  }
  EXPECT_EQ(Data().Scalars[kScalarMenuValue], 32u);
  EXPECT_EQ(Data().ItemBag[0].count, 49);  // the second use changed nothing
}

struct StepCase {
  int state, page, key;
  int16_t main_cursor;
  bool member_present;
  int want_state, want_page, want_sound;
  bool want_shake;
};

TEST_F(MenuRules, StateKeyTable) {
  const StepCase cases[] = {
      {0, 0, kMenuDecide, 0, true, 1, 0, kMenuSoundDecide, false},
      {0, 0, kMenuDecide, 1, true, 3, 2, kMenuSoundDecide, false},
      {0, 0, kMenuDecide, 2, true, 4, 0, kMenuSoundDecide, false},
      {0, 0, kMenuDecide, 3, true, 7, 0, kMenuSoundDecide, false},
      {0, 0, kMenuDecide, 4, true, 10, 4, kMenuSoundDecide, false},
      {0, 0, kMenuDecide, 5, true, 11, 0, kMenuSoundDecide, false},
      {0, 0, kMenuDecide, 6, true, 17, 5, kMenuSoundDecide, false},
      {0, 0, kMenuDecide, 7, true, 18, 6, kMenuSoundDecide, false},
      {1, 0, kMenuDecide, 0, true, 2, 1, kMenuSoundDecide, false},
      {4, 0, kMenuDecide, 0, true, 5, 1, kMenuSoundDecide, false},
      {7, 0, kMenuDecide, 0, true, 8, 1, kMenuSoundDecide, false},
      {1, 0, kMenuDecide, 0, false, 1, 0, -1, true},
      {1, 0, kMenuCancel, 0, true, 0, 0, kMenuSoundCancel, false},
      {2, 1, kMenuCancel, 0, true, 1, 0, kMenuSoundCancel, false},
      {5, 1, kMenuCancel, 0, true, 4, 0, kMenuSoundCancel, false},
      {8, 1, kMenuCancel, 0, true, 7, 0, kMenuSoundCancel, false},
      {5, 1, kMenuDecide, 0, true, 6, 2, kMenuSoundDecide, false},
      {8, 1, kMenuDecide, 0, true, 9, 3, kMenuSoundDecide, false},
      {5, 1, kMenuSwitch, 0, true, 8, 1, kMenuSoundDecide, false},
      {8, 1, kMenuSwitch, 0, true, 5, 1, kMenuSoundDecide, false},
      {3, 2, kMenuCancel, 0, true, 15, 2, kMenuSoundCancel, false},
      {6, 2, kMenuCancel, 0, true, 5, 1, kMenuSoundCancel, false},
      {9, 3, kMenuCancel, 0, true, 8, 1, kMenuSoundCancel, false},
      {10, 4, kMenuSwitch, 0, true, 16, 4, kMenuSoundCancel, false},
      {16, 4, kMenuCancel, 0, true, 0, 0, kMenuSoundCancel, false},
      {11, 0, kMenuCancel, 0, true, 0, 0, kMenuSoundCancel, false},
      {15, 2, kMenuCancel, 0, true, 0, 0, kMenuSoundCancel, false},
      {15, 2, kMenuDecide, 0, true, 3, 2, kMenuSoundDecide, false},
      {17, 5, kMenuCancel, 0, true, 0, 0, kMenuSoundCancel, false},
      {12, 5, kMenuCancel, 0, true, 17, 5, kMenuSoundCancel, false},
      {18, 6, kMenuDecide, 0, true, 19, 6, kMenuSoundDecide, false},
      {18, 6, kMenuCancel, 0, true, 0, 0, kMenuSoundCancel, false},
      {19, 6, kMenuCancel, 0, true, 18, 6, kMenuSoundCancel, false},
      {31, 7, kMenuDecide, 0, true, 32, 7, kMenuSoundDecide, false},
      {32, 7, kMenuCancel, 0, true, 31, 7, kMenuSoundCancel, false},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE("state " + std::to_string(c.state) + " key " + std::to_string(c.key));
    StartCase();
    if (c.member_present) AddMember(0, 0, 10, 50);
    menu().state = c.state, menu().page = c.page, menu().main_cursor = c.main_cursor;
    datatest::Sounds.clear();
    Step(Press(c.key));
    EXPECT_EQ(menu().state, c.state == 0 && c.key == kMenuCancel ? 0 : c.want_state);
    EXPECT_EQ(menu().page, c.want_page);
    if (c.want_sound >= 0) {
      ASSERT_FALSE(datatest::Sounds.empty());
      EXPECT_EQ(datatest::Sounds.back(), c.want_sound);
    }
    EXPECT_EQ(menu().shake, c.want_shake ? kShakeFrames : 0);
  }
}

TEST_F(MenuRules, LastEntryWithPageDownHeldOpensTheLoadList) {
  menu().main_cursor = 7;
  MenuKeys k = Press(kMenuDecide);
  k.down |= 1u << kMenuPageDown;
  Step(k);
  EXPECT_EQ(menu().state, kMenuStateLoadList);
  EXPECT_EQ(menu().page, kMenuPageSaveLoad);
}

TEST_F(MenuRules, MainCancelClosesTheMenu) {
  GameMode = MODE_MENU;
  Step(Press(kMenuCancel));
  EXPECT_EQ(GameMode, MODE_FIELD);
}

// Closing the menu refreshes the event pages and rebuilds the pass grid: an event whose
// second page needs ownership flag 10 (item 32 held) stops being a wall once the item is
// in the bag.
TEST_F(MenuRules, CloseMenuRebuildsThePassGridAfterAnOwnershipFlagTurnsAPage) {
  WireField();  // the menu hands the party back to the real field
  Field& f = TheField;
  f.EventCount = 2;
  MapEvent& e = f.Map.events[1];
  e = {};
  e[0][kPageX] = 5, e[0][kPageY] = 6, e[0][kPageFixed] = 1, e[0][kPageGraphic] = 1;
  e[1][kPageFirstTest] = 10, e[1][kPageGraphic] = 1, e[1][kPageFixed] = 0;
  f.UpdateEventPages(1);
  f.BuildPassGrid();
  const int cell = 6 * kMapSize + 5;
  ASSERT_EQ(f.PassGrid[cell], 1) << "page 0 stands in the way";
  Data().ItemBag[3] = {32, 1};
  menu().CloseMenu();
  EXPECT_EQ(TheGameFlags.TestGameFlag(10), 1);
  EXPECT_EQ(f.States[1].Fixed, 0);
  EXPECT_EQ(f.PassGrid[cell], 0) << "page 1 is no wall";
  EXPECT_EQ(GameMode, MODE_FIELD);
}

TEST_F(MenuRules, BagCursorBounds) {
  struct Move {
    int from, key, want;
  };
  const Move moves[] = {
      {0, kMenuUp, 0},         {1, kMenuUp, 0},         {5, kMenuUp, 3},      {5, kMenuDown, 7},
      {62, kMenuDown, 63},     {63, kMenuRight, 63},    {0, kMenuLeft, 0},    {10, kMenuPageDown, 32},
      {41, kMenuPageDown, 63}, {42, kMenuPageDown, 63}, {21, kMenuPageUp, 0}, {30, kMenuPageUp, 8},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(std::to_string(m.from) + " key " + std::to_string(m.key));
    menu().state = kMenuStateBag, menu().page = kMenuPageBag, menu().first_pick = -1;
    menu().bag_cursor = static_cast<int16_t>(m.from);
    Step(Press(m.key));
    EXPECT_EQ(menu().bag_cursor, m.want);
    EXPECT_LE(menu().bag_scroll, menu().bag_cursor);
    EXPECT_GT(menu().bag_scroll + kBagPageEntries, menu().bag_cursor);
  }
}

TEST_F(MenuRules, BagUseOnEmptyEntryDoesNothingAndDiscardEmpties) {
  GiveItem(kFieldUseHealHp, 25);
  Data().ItemBag[0] = {5, 0};
  menu().state = kMenuStateBag, menu().page = kMenuPageBag;
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().first_pick, 0);
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().state, kMenuStateBag);
  EXPECT_EQ(menu().first_pick, -1);
  EXPECT_EQ(Data().ItemBag[0], (ItemStack{5, 0}));

  Data().ItemBag[0] = {5, 2};
  menu().sub_command = 1;
  Step(Press(kMenuDecide));
  Step(Press(kMenuDecide));
  EXPECT_EQ(Data().ItemBag[0], (ItemStack{0, 0}));
  EXPECT_EQ(datatest::Sounds.back(), kMenuSoundChanged);
}

TEST_F(MenuRules, JumpPointCursorStopsAtTheMaximum) {
  menu().state = kMenuStateJumpPoints, menu().page = kMenuPageJump;
  Data().Scalars[kScalarMenuValue] = 2;
  for (int i = 0; i < 5; ++i) Step(Press(kMenuDown));
  EXPECT_EQ(menu().jump_cursor, 2);
  Data().Scalars[kScalarMenuValue] = 1000;  // from a save: entry 32 is never reached
  for (int i = 0; i < 40; ++i) Step(Press(kMenuDown));
  EXPECT_EQ(menu().jump_cursor, 31);
}

TEST_F(MenuRules, JumpGatingByFlagBits) {
  struct Gate {
    uint32_t flags;
    int mode;
    bool allowed;
  };
  const Gate gates[] = {{0, 0, true}, {2, 0, false}, {0, 1, false}, {1, 1, true}, {3, 1, true}, {3, 0, false}};
  for (const Gate& g : gates) {
    SCOPED_TRACE(std::to_string(g.flags) + " mode " + std::to_string(g.mode));
    menu().state = kMenuStateJumpMode, menu().page = kMenuPageJump, menu().shake = 0;
    menu().jump_mode = static_cast<int16_t>(g.mode);
    Data().Scalars[kScalarFlagWord] = g.flags;
    Step(Press(kMenuDecide));
    EXPECT_EQ(menu().state, g.allowed ? 12 : 17);
    EXPECT_EQ(menu().shake, g.allowed ? 0 : kShakeFrames);
  }
}

TEST_F(MenuRules, TeleportToAFreePointIsRefusedAndRegisteringRecords) {
  Data().LongJumpPoints[0].area = 0xFFFFFFFFu;
  menu().state = kMenuStateJumpPoints, menu().page = kMenuPageJump, menu().jump_mode = 0;
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().shake, kShakeFrames);
  EXPECT_EQ(menu().state, kMenuStateJumpPoints);

  Data().Scalars[kScalarCurrentMap] = 7;
  menu().jump_mode = 1;
  Step(Press(kMenuDecide));
  EXPECT_EQ(Data().LongJumpPoints[0].area, 7u);
  EXPECT_EQ(menu().state, kMenuStateJumpMode);
  EXPECT_EQ(menu().jump_mode, 0);
  ASSERT_FALSE(datatest::Popups.empty());
  EXPECT_EQ(datatest::Popups.back(), "1ばんに＿とうろくしました。");
}

// A point read from a save may name a map with no file, or a tile off the map: the jump
// is refused as for a free point, and the party stays where it is.
TEST_F(MenuRules, TeleportToAPointTheFieldCannotEnterIsRefused) {
  std::filesystem::create_directories("map");
  MapFileImage town;
  const std::vector<uint8_t> bytes = SerializeMapFile(town);
  ASSERT_TRUE(
      nltest::WriteFileBytes("plain.bin", std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
  ASSERT_EQ(PackFile("plain.bin", "map\\town.map", kPackFileModePack), kPackFileOk);
  const auto name_map = [&](int n, std::string_view name) {
    Data().MapList[n].fill(0);
    std::copy(name.begin(), name.end(), Data().MapList[n].begin());
  };
  name_map(34, "town.map");
  name_map(40, "gone.map");
  ASSERT_TRUE(TheField.CanEnterMap(34));
  const struct {
    const char* what;
    LongJumpPoint point;
  } cases[] = {
      {"a map with no file", {40, 3, 3, {}}},     {"a map with no name", {41, 3, 3, {}}},
      {"an area past the list", {512, 3, 3, {}}}, {"a tile off the map", {34, 0xFFFF, 0xFFFF, {}}},
      {"a column off the map", {34, 256, 3, {}}}, {"a row off the map", {34, 3, 256, {}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Data().Scalars[kScalarCurrentMap] = 33;
    GameMode = MODE_MENU;
    Data().LongJumpPoints[0] = c.point;
    menu().state = kMenuStateJumpPoints, menu().page = kMenuPageJump, menu().jump_mode = 0, menu().shake = 0;
    datatest::Sounds.clear();
    Step(Press(kMenuDecide));
    EXPECT_EQ(menu().shake, kShakeFrames);
    EXPECT_EQ(menu().state, kMenuStateJumpPoints);
    EXPECT_EQ(GameMode, MODE_MENU);
    EXPECT_EQ(Data().Scalars[kScalarCurrentMap], 33u);
    menu().DrawMenuShake();
    EXPECT_EQ(datatest::Sounds, std::vector<int>{kMenuSoundRefused});
  }
}

TEST_F(MenuRules, LoadListRefusesAnEmptySlotAndCancelGoesToTheTitle) {
  OpenLoadList();
  EXPECT_EQ(GameMode, MODE_MENU);
  Data().SlotSummaries[0].leader_id = kEmptySlotLeader;
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().shake, kShakeFrames);
  EXPECT_EQ(menu().state, kMenuStateLoadList);
  menu().DrawMenuShake();
  EXPECT_EQ(datatest::Sounds.back(), kMenuSoundRefused);
  EXPECT_EQ(menu().shake, kShakeFrames - 1);

  Step(Press(kMenuCancel));
  EXPECT_EQ(GameMode, MODE_TITLE);
}

// A slot listed as used whose file is gone: the load fails with its pop-up. From the
// menu of a running game the player is back in the field; from the title's CONTINUE,
// back at the title.
TEST_F(MenuRules, FailedLoadKeepsARunningGameAndSendsTheTitlesListBack) {
  for (bool from_title : {false, true}) {
    SCOPED_TRACE(from_title ? "from the title" : "from the menu");
    StartCase();
    Data().SlotSummaries[2].leader_id = 1;
    Data().Scalars[kScalarMoney] = 1234;
    if (from_title) {
      OpenLoadList();
    } else {
      OpenFieldMenu();
      menu().main_cursor = 7;
      Step(MenuKeys{static_cast<uint16_t>(1u << kMenuPageDown | 1u << kMenuDecide),
                    static_cast<uint16_t>(1u << kMenuDecide), 0});
      ASSERT_EQ(menu().state, kMenuStateLoadList);
    }
    menu().save_cursor = 2;
    datatest::Popups.clear();
    Step(Press(kMenuDecide));
    EXPECT_EQ(datatest::Popups.size(), 1u) << "the failure pop-up";
    EXPECT_EQ(GameMode, from_title ? MODE_TITLE : MODE_FIELD);
    EXPECT_EQ(Data().Scalars[kScalarMoney], 1234u) << "the game is as it was";
  }
}

TEST_F(MenuRules, SaveListCursorBounds) {
  menu().state = kMenuStateSaveList, menu().page = kMenuPageSaveLoad;
  for (int i = 0; i < 7; ++i) Step(Press(kMenuPageDown));
  EXPECT_EQ(menu().save_cursor, 15);
  Step(Press(kMenuPageUp));
  EXPECT_EQ(menu().save_cursor, 12);
  EXPECT_GE(menu().save_scroll, 10);
}

TEST_F(MenuRules, ConcoctionRefusesADuplicateAndCancelKeepsTwo) {
  Data().Materials = {};
  for (int m : {0, 1, 2}) Data().Materials[m].count = 2;
  Data().RecipeMaterials[0] = {0, 1, 2};
  Data().RecipeResults[0] = 5;
  GiveItem(kFieldUseHealHp, 25);
  Data().ItemBag = {};
  OpenConcoctionScreen();
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().chosen_count, 1);
  Step(Press(kMenuDecide));  // the same material again
  EXPECT_EQ(menu().chosen_count, 1);
  EXPECT_EQ(menu().shake, kShakeFrames);
  menu().material_cursor = 3;  // none held
  menu().shake = 0;
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().shake, kShakeFrames);
  for (int m : {1, 2}) {
    menu().material_cursor = static_cast<int16_t>(m);
    Step(Press(kMenuDecide));
  }
  EXPECT_EQ(menu().state, kMenuStateConcoctionResult);
  EXPECT_EQ(menu().concoction_result, 5);
  Step(Press(kMenuCancel));
  EXPECT_EQ(menu().state, kMenuStateConcoction);
  EXPECT_EQ(menu().chosen_count, 2);
  Step(Press(kMenuDecide));  // cursor still on material 2
  EXPECT_EQ(menu().state, kMenuStateConcoctionResult);
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().state, kMenuStateConcoctionConfirm);
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().state, kMenuStateConcoction);
  EXPECT_EQ(datatest::Sounds.back(), kMenuSoundConcocted);
  EXPECT_EQ(Data().ItemBag[0].id, 5);
}

TEST_F(MenuRules, BuyAndSellTakeTwoSteps) {
  GiveItem(kFieldUseHealHp, 25);
  Data().Items[5].values[kItemPrice] = 100;
  Data().ItemBag = {};
  Data().Scalars[kScalarMoney] = 250;
  OpenShopScreen({0, 5, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(menu().state, kMenuStateShop);
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().state, kMenuStateBuy);
  Step(Press(kMenuDecide));  // goods 0 is empty
  EXPECT_EQ(menu().first_pick, -1);
  Step(Press(kMenuDown));
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().first_pick, 1);
  EXPECT_EQ(Data().Scalars[kScalarMoney], 250u);  // only asked
  Step(Press(kMenuDown));                         // the cursor holds while asking
  EXPECT_EQ(menu().goods_cursor, 1);
  Step(Press(kMenuDecide));
  EXPECT_EQ(Data().Scalars[kScalarMoney], 150u);
  EXPECT_EQ(Data().ItemBag[0].id, 5);
  EXPECT_EQ(menu().first_pick, -1);

  Step(Press(kMenuCancel));
  Step(Press(kMenuRight));
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().state, kMenuStateSell);
  EXPECT_EQ(menu().page, kMenuPageBag);
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().first_pick, 0);
  EXPECT_EQ(Data().ItemBag[0].id, 5);
  Step(Press(kMenuDecide));
  EXPECT_EQ(Data().ItemBag[0].id, 0);
  EXPECT_GT(Data().Scalars[kScalarMoney], 150u);

  // An item with no uses on file is not offered.
  Data().ItemBag[1] = {6, 1};
  Data().Items[6].values[kItemUses] = 0;
  menu().sell_cursor = 1;
  Step(Press(kMenuDecide));
  EXPECT_EQ(menu().first_pick, -1);
  EXPECT_EQ(menu().shake, kShakeFrames);
}

}  // namespace
