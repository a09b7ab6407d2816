// A battle in a data folder of the test's own: recorded drawing and picture loads, a key
// feed, recorded music, and random numbers from a script (then a constant).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "game/battle/battle.h"
#include "game/battle/battle_draw_calls.h"
#include "game/text/bitmap_font.h"
#include "tests/game/data/data_fixture.h"

namespace battletest {

inline std::deque<int32_t> Script;      // handed out first, each cut to the draw's max
inline int32_t Fallback = 0;            // then this, cut to the max
inline std::vector<std::string> Calls;  // recorded drawing calls
inline std::vector<int> Music;
inline bool Decide = false, Cancel = false, Down = false, Up = false, Left = false, Right = false;
inline int NextHandle = 1000;

inline int32_t Random(int32_t max) {
  int32_t v = Fallback;
  if (!Script.empty()) v = Script.front(), Script.pop_front();
  return std::min(v, max);
}
inline bool Pressed(int b) {
  return (b == game::kButtonDecide && Decide) || (b == game::kButtonCancel && Cancel) ||
         (b == game::kButtonDown && Down) || (b == game::kButtonUp && Up) || (b == game::kButtonLeft && Left) ||
         (b == game::kButtonRight && Right);
}
inline bool Held(int) { return false; }
inline void NoClear() {}

inline void Rec(const std::string& s) { Calls.push_back(s); }
inline game::BattleDrawCalls RecordingCalls() {
  game::BattleDrawCalls c;
  c.graph = [](int x, int y, int g, int t) {
    Rec("graph " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(g) + " " + std::to_string(t));
  };
  c.blend = [](int m, int p) { Rec("blend " + std::to_string(m) + " " + std::to_string(p)); };
  c.bright = [](int r, int g, int b) {
    Rec("bright " + std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b));
  };
  c.frame_box = [](int x1, int y1, int x2, int y2, int s) {
    Rec("box " + std::to_string(x1) + " " + std::to_string(y1) + " " + std::to_string(x2) + " " + std::to_string(y2) +
        " " + std::to_string(s));
  };
  c.glyphs = [](int x, int y, int w, int l, std::span<const uint8_t>) {
    Rec("glyphs " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) + " " + std::to_string(l));
  };
  c.text = [](int x, int y, std::string_view) { Rec("text " + std::to_string(x) + " " + std::to_string(y)); };
  c.number = [](int x, int y, int v, int w, int m) {
    Rec("number " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(v) + " " + std::to_string(w) +
        " " + std::to_string(m));
  };
  c.circle = [](int x, int y, int r, uint32_t, int) {
    Rec("circle " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(r));
  };
  c.fill_box = [](int, int, int, int, uint32_t) { Rec("fill"); };
  c.copy_screen = [](int) { Rec("copy"); };
  c.hand = [](int x, int y, int a, int b) {
    Rec("hand " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(a) + " " + std::to_string(b));
  };
  c.item_info = [](int) {};
  c.message_window = [](std::span<const uint8_t>) { Rec("message window"); };
  c.load_div_graph = [](std::string_view file, int all, int, int, int, int, int* h) {
    Rec("load " + std::string(file) + " " + std::to_string(all));
    for (int i = 0; i < all; ++i) h[i] = NextHandle++;
    return 0;
  };
  c.delete_graph = [](int g) { Rec("delete " + std::to_string(g)); };
  return c;
}

inline std::vector<uint8_t> Codes(std::string_view sjis) {
  std::vector<uint8_t> out(512);
  out.resize(game::SjisToGlyphCodes(sjis, out));
  return out;
}
inline std::vector<uint8_t> Message(const game::Battle& b) {
  std::vector<uint8_t> out;
  for (uint8_t c : b.message) {
    if (c == 0) break;
    out.push_back(c);
  }
  return out;
}

class BattleTest : public datatest::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    Script.clear();
    Fallback = 0;
    Calls.clear();
    Music.clear();
    Decide = Cancel = Down = Up = Left = Right = false;
    game::GameDataHooks hooks = datatest::kRecordingHooks;
    hooks.random_up_to = Random;
    game::SetGameDataHooks(hooks);
    game::SetBattleDrawCalls(RecordingCalls());
    game::SetBattleKeys({Held, Pressed, Pressed, NoClear});
    game::BattleHooks bh;
    bh.play_music = [](int n) { Music.push_back(n); };
    bh.play_battle_music = [](int n) { Music.push_back(1000 + n); };
    bh.set_game_mode = [](int m) { Mode = m; };
    game::SetBattleHooks(bh);
    game::ResetEnemyGraphCache();
    game::ResetBattle();
    Mode = 2;
  }
  void TearDown() override {
    game::SetBattleDrawCalls({});
    game::SetBattleKeys({});
    game::SetBattleHooks({});
    game::ResetBattle();
    game::ResetEnemyGraphCache();
    DataTest::TearDown();
  }
  game::GameData& D() {
    game::GameData& d = Data();
    game::GameDataHooks hooks = datatest::kRecordingHooks;
    hooks.random_up_to = Random;
    game::SetGameDataHooks(hooks);
    return d;
  }
  // Member k present with id k, the given HP and the four stats (also as equipped).
  void SetMember(int k, int hp, std::array<int, 4> stats) {
    auto& m = D().Members[k];
    m.fill(0);
    m[game::kMemberPresent] = 1;
    m[game::kMemberId] = k;
    m[game::kMemberHp] = m[game::kMemberMaxHp] = hp;
    m[game::kMemberPp] = m[game::kMemberMaxPp] = 10;
    m[game::kMemberBaseMaxHp] = hp;
    m[game::kMemberBaseMaxPp] = 10;
    for (int s = 0; s < 4; ++s) m[6 + s] = m[10 + s] = stats[s];
  }
  // Item id: kind, target type, helpful, raise, multiplier, mode, stat, hits, effect kind.
  void SetAction(int id, int kind, int range, int helpful, int raise, int mult, int mode, int stat = 0, int hits = 1,
                 int effect = 2) {
    auto& v = D().Items[id].values;
    v[game::kItemKind] = kind;
    v[game::kItemRange] = range;
    v[game::kItemHelpful] = helpful;
    v[game::kItemRaise] = raise;
    v[game::kItemMultiplier] = mult;
    v[game::kItemMode] = mode;
    v[game::kItemDependsOn] = stat;
    v[game::kItemHits] = hits;
    v[game::kItemEffectKind] = effect;
  }
  void SetEnemy(int id, std::string_view name, int hp, std::array<int, 4> stats, int skill, int money = 0,
                int drop = 0) {
    auto& e = D().Enemies[id];
    auto codes = Codes(name);
    e.name.fill(0);
    std::copy_n(codes.begin(), std::min<size_t>(codes.size(), 16), e.name.begin());
    e.values[game::kEnemyHpValue] = hp;
    for (int s = 0; s < 4; ++s) e.values[game::kEnemyStatValue + s] = stats[s];
    e.values[game::kEnemyCommandValue] = skill;
    e.values[game::kEnemyDropValue] = drop;
    e.values[game::kEnemyMoneyValue] = money;
  }
  void Start(std::array<int32_t, 8> group) {
    std::array<int32_t, 16> setup{};
    game::TheBattle.StartBattle(group, 1, setup);
  }
  static inline int Mode = 2;
};

}  // namespace battletest
