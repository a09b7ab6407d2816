// The demo's story played to its end as a player plays it, headless: story.input walks the
// town (the townsman, the chest, the shop's gift, nine herbs bought, あいね's talk, her
// telepathy, the garden's jump and break ESPs, the spring), wears the herbs in command
// slots, walks the field's grass where the wandering fights come, goes back to the spring,
// walks the path to the shadow and talks to it, then looks at the ESP stock, saves in slot
// 1 and quits. The fights themselves are played here, as a player would: the game runs in
// this process (its own start and frame loop, as the program's), the script is held while
// a fight lasts, and the fight is fought from what the battle screen shows: the fixed
// attack on the first enemy, and a herb from the actor's slots on a member who is below
// half of its HP. So whatever the game draws, the fights are won by play, not by a lucky
// seed; the fights and what they pay are read from the log and the data tree's tables, and
// the growth points each member's action gives and what each victory grows (stats, max HP
// and PP) are held to the growth rules.
// story_continue.input then starts the real program again, continues from the load list,
// steps off the cell where the shadow stood and back onto it, and saves in slot 2.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/battle/battle.h"
#include "game/data/game_data.h"
#include "game/field/field_map.h"
#include "game/frame/frame_loop.h"
#include "platform/input/input.h"
#include "platform/surface/presentation.h"
#include "tests/playthrough/data_tables.h"
#include "tests/playthrough/game_in_process.h"
#include "tests/support/game_log.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tests/support/save_file.h"
#include "tests/support/temp_dir.h"

namespace {

using nltest::CountNear;
using nltest::Rgb;
using nltest::CountLogged;
using nltest::Logged;
using nltest::ReadSave;

constexpr int kMostFrames = 16000;  // the story ends with its Escape long before

// ---- The player ----

// story.input's events, held while a fight lasts, and the player's own taps in fights.
class StoryPlayer {
 public:
  explicit StoryPlayer(const std::string& input) {
    std::istringstream lines(input);
    for (std::string line; std::getline(lines, line);) {
      line = line.substr(0, line.find('#'));
      std::istringstream words(line);
      long frame = 0;
      std::string rest;
      if (!(words >> frame)) continue;
      std::getline(words, rest);
      events_.push_back({frame, rest});
      std::istringstream keys(rest);
      std::string action, key;
      keys >> action;
      while (keys >> key) keys_.insert(key);
    }
  }

  // The script as it stands: story.input's events where they now fall, and the player's taps.
  std::string Script() const {
    std::string out;
    for (const Event& e : events_) {
      const long at = RealFrame(e.frame);
      if (at > 0) out += std::to_string(at) + Spaced(e.rest) + "\n";
    }
    for (const Event& e : own_) out += std::to_string(e.frame) + Spaced(e.rest) + "\n";
    return out;
  }

  // After frame n is presented: hold the script when a fight has begun, let it go on when
  // it has ended, and in a fight make the next tap.
  void AfterFrame(long n) {
    const bool fighting = game::GameMode == game::MODE_BATTLE;
    bool changed = false;
    if (fighting && !paused_) {
      paused_ = true;
      pause_file_ = n + 1 - shift_;
      pause_real_ = n + 1;
      fights_.push_back({n + 1, -1});
      std::string all;
      for (const std::string& k : keys_) all += " " + k;
      own_.push_back({n + 1, " up" + all});  // nothing the walk held stays down in the fight
      changed = true;
    } else if (!fighting && paused_ && game::GameMode != game::MODE_TITLE) {
      paused_ = false;
      pauses_.push_back({pause_file_, n + 1 - pause_real_});
      shift_ += n + 1 - pause_real_;
      fights_.back().second = n + 1;
      changed = true;
    }
    if (paused_ && n >= tap_done_) changed |= Fight(n);
    if (changed) plat::input::SetInputScript(Script());
  }

  // A frame of the script, where it comes in this run: after the fights held before it
  // (-1 while a fight holds it).
  long RealFrame(long file_frame) const {
    long at = file_frame;
    for (const auto& [from, length] : pauses_)
      if (file_frame >= from) at += length;
    if (paused_ && file_frame >= pause_file_) return -1;
    return at;
  }
  // The fights: the frame each began and the one after it ended.
  const std::vector<std::pair<long, long>>& Fights() const { return fights_; }

 private:
  struct Event {
    long frame;
    std::string rest;  // " down X", " up Up"...
  };
  static std::string Spaced(const std::string& rest) { return rest.empty() || rest[0] == ' ' ? rest : " " + rest; }

  void Tap(long n, const char* key) {
    own_.push_back({n + 1, std::string(" down ") + key});
    own_.push_back({n + 2, std::string(" up ") + key});
    tap_done_ = n + 2;
  }
  static bool IsHerb(int id) {
    const game::GameData& d = game::TheGameData();
    return id > 0 && id < game::kItemCount && d.Items[id].values == d.Items[1].values;
  }
  // The able member most in need of a herb (below half of its HP), or -1.
  static int MemberInNeed() {
    int best = -1;
    for (int k = 0; k < 4; ++k) {
      const game::Combatant& c = game::TheBattle.fighters[k];
      if (c.Kind() == game::kKindGone || !c.Able()) continue;
      if (int64_t{c.Word(game::kMemberHp)} * 2 >= c.Word(game::kMemberMaxHp)) continue;
      if (best < 0 || int64_t{c.Word(game::kMemberHp)} * game::TheBattle.fighters[best].Word(game::kMemberMaxHp) <
                          int64_t{game::TheBattle.fighters[best].Word(game::kMemberHp)} * c.Word(game::kMemberMaxHp))
        best = k;
    }
    return best;
  }
  // One tap of the fight, as the screen asks for it; false when it asks for none.
  bool Fight(long n) {
    const game::Battle& b = game::TheBattle;
    switch (b.phase) {
      case game::kPhaseCommand: {
        if (b.actor < 0 || b.actor >= 4) return false;
        const game::Combatant& c = b.fighters[b.actor];
        int want = game::kLastCommandSlot;
        herb_for_ = -1;
        if (const int need = MemberInNeed(); need >= 0) {
          for (int s = 0; s < game::kLastCommandSlot; ++s) {
            if (IsHerb(c.commands[s].id) && c.commands[s].count > 0) {
              want = s, herb_for_ = need;
              break;
            }
          }
        }
        const int selected = c.status[game::kStatusSelected];
        Tap(n, selected < want ? "Down" : selected > want ? "Up" : "X");
        return true;
      }
      case game::kPhaseTarget: Tap(n, herb_for_ >= 0 && b.target != herb_for_ ? "Right" : "X"); return true;
      case game::kPhaseAppear:
      case game::kPhaseResult:
      case game::kPhaseVictory:
      case game::kPhaseGrowthMessage:
      case game::kPhaseDefeat:
      case game::kPhaseContinue: Tap(n, "X"); return true;
      default: return false;
    }
  }

  std::vector<Event> events_, own_;
  std::set<std::string> keys_;
  std::vector<std::pair<long, long>> pauses_;  // file frame where each held script resumed, frames held
  std::vector<std::pair<long, long>> fights_;
  bool paused_ = false;
  long pause_file_ = 0, pause_real_ = 0, shift_ = 0, tap_done_ = 0;
  int herb_for_ = -1;
};

// ---- The checks ----

// The captured frames of the first start that are checked on their own (frames of
// story.input; the field's moved on by the fights held before them): the townsman's talk,
// the chest's message, the shop's goods, あいね's second line with her portrait and the
// card's message, the townsman's thoughts, the spring, the field, the stock page and the
// save list.
constexpr int kTalkFrame = 150, kChestFrame = 226, kShopFrame = 550, kAineFrame = 880, kCardFrame = 940,
              kThoughtsFrame = 1120, kSpringFrame = 1419, kFieldFrame = 2690, kStockFrame = 12169,
              kSaveListFrame = 12284;
// ... and of the second: the loaded field, and the player back on the shadow's cell.
constexpr int kLoadedFrame = 200, kSteppedFrame = 275;
constexpr char kSecondFrames[] = "200,275";

// Colours as the tools draw them: the town's and the field's ground, あいね's portrait
// (her clothes), the shadow's violet rim, its eyes, the telepathy mark beside the player.
constexpr Rgb kTownGround{40, 36, 72}, kFieldGround{36, 72, 48}, kPortraitClothes{40, 130, 140},
    kShadowRim{132, 72, 188}, kShadowEyes{255, 56, 48}, kTelepathyMark{120, 240, 255}, kChestOpenInside{40, 24, 16};
constexpr int kViewPixels = 320 * 240;

// The message window and the menu: a gradient of deep blues.
int CountWindowBlue(const nltest::Png& png) {
  int n = 0;
  for (size_t i = 0; i + 2 < png.rgb.size(); i += 3)
    if (png.rgb[i + 2] >= 100 && png.rgb[i + 2] >= png.rgb[i] + 60 && png.rgb[i + 2] >= png.rgb[i + 1] + 60) ++n;
  return n;
}

std::optional<nltest::Png> Frame(const std::string& dir, long n) { return nltest::ReadFrame(dir, n); }

// The first start, played in this process; the log it leaves, and the player's fights.
struct FirstStart {
  std::string log;
  std::vector<std::pair<long, long>> fights;
  std::map<std::string, long> frames;  // the frames checked, by name
  long below_shadow = -1;              // the frame after the party first stood below the shadow
  long last_frame = 0;
  std::vector<std::string> growth_faults;  // what broke the growth rules, a line each
  int stats_raised = 0;                    // stat points the fights' growth gave
  int hp_pp_gains = 0;                     // max HP and max PP the fights' growth bought
  int blows = 0, helps = 0;                // the members' actions whose growth points were held to the rule
};

// A member's action as the player decided it: the fight just before it was paid.
struct DecidedAction {
  int actor = -1, target = 0, side = 1, item = 0;
  std::array<game::Combatant, game::kCombatants> fighters;
};

// The growth points one member's action gives, held to the rule. A blow (harmful, not aimed
// at the party's side) on stat s, which is the item's stat (spirit for an ESP), adds
// trunc(sqrt(E)) + 2 + E - A, at least -5, then + 5, E being the target's stat s (with all
// enemies aimed at, the greatest of theirs) and A the actor's: on top of that a draw of 0-5,
// perhaps 10 and perhaps 100 more, and 0-8 more again for a member whose modifier (the
// speed points) is 1; a member whose modifier is -1 gets nothing. A blow that leaves s's
// points above 199 has exercised s. A helpful action adds 7 to spirit's points (nothing
// when aimed at the enemies' side). No other points change.
void CheckActionGrowth(const DecidedAction& d, const std::map<int, std::vector<int>>& items, size_t fight,
                       FirstStart* out) {
  const std::string where = "fight " + std::to_string(fight) + ", member " + std::to_string(d.actor) + ", item " +
                            std::to_string(d.item) + ": ";
  if (!items.count(d.item)) {
    out->growth_faults.push_back(where + "not in the item table");
    return;
  }
  const std::vector<int>& item = items.at(d.item);
  const game::Combatant &before = d.fighters[size_t(d.actor)], &after = game::TheBattle.fighters[size_t(d.actor)];
  const int s = item[game::kItemKind] > 300 ? 3 : std::clamp(item[game::kItemDependsOn], 0, 3);
  const int32_t modifier = before.Word(game::kMemberGrowthModifier);
  std::array<std::set<int64_t>, 4> gains{{{0}, {0}, {0}, {0}}};
  const bool blow = item[game::kItemHelpful] == 0 && d.side != 1;
  if (blow) {
    ++out->blows;
    int64_t e = 0;
    if (d.target == -1) {
      for (int i = 0; i < game::kBattleEnemies; ++i)
        e = std::max<int64_t>(e, d.fighters[size_t(game::kBattleMembers + i)].Word(game::kMemberAttack + s));
    } else {
      e = d.fighters[size_t(game::kBattleMembers + std::clamp(d.target, 0, game::kBattleEnemies - 1))].Word(
          game::kMemberAttack + s);
    }
    const int64_t root = e > 0 ? int64_t(std::sqrt(double(e))) : 0;
    const int64_t least = std::max<int64_t>(root + 2 + e - before.Word(game::kMemberAttack + s), -5) + 5;
    if (modifier != -1) {
      gains[size_t(s)].clear();
      for (int draw = 0; draw <= 5 + (modifier == 1 ? 8 : 0); ++draw)
        for (int ten : {0, 10})
          for (int hundred : {0, 100}) gains[size_t(s)].insert(least + draw + ten + hundred);
    }
  } else if (item[game::kItemHelpful] == 1) {
    ++out->helps;
    gains[3] = {modifier == -1 || d.side == -1 ? 0 : 7};
  }
  for (int t = 0; t < 4; ++t) {
    const int64_t got = int64_t{after.Word(game::kMemberGrowthPoints + t)} - before.Word(game::kMemberGrowthPoints + t);
    if (!gains[size_t(t)].count(got))
      out->growth_faults.push_back(where + "stat " + std::to_string(t) + "'s points grew by " + std::to_string(got) +
                                   ", from " + std::to_string(*gains[size_t(t)].begin()) + " to " +
                                   std::to_string(*gains[size_t(t)].rbegin()) + " by the rule");
  }
  if (blow && after.Word(game::kMemberGrowthPoints + s) > 199 && !after.exercised[size_t(s)])
    out->growth_faults.push_back(where + "stat " + std::to_string(s) + " above 199 points, not exercised");
}

// A won fight's growth, held against the party the victory left. A member present and
// neither down, ill nor paralysed gains a point of base stat s, for 100 of its growth
// points, when the fight exercised s and it holds 100 or more. Its HP points, at 1.3 times
// its max HP or more, may buy (a draw) trunc(sqrt(max HP x 7 / 8)) + 1 to 3 base max HP,
// and are then (points - 2 x max HP, at least 0) halved. Its PP points gain the least j
// from 1 with 1 + 2 + ... + j at least the fight's ESP uses (none above 4950 uses); at its
// max PP or more they buy 3 or 4 base max PP for a fifth of the max PP each. Nothing else
// of those moves. The party is the game's own after the fight.
void CheckVictoryGrowth(const std::array<game::Combatant, game::kBattleMembers>& victory, size_t fight,
                        FirstStart* out) {
  for (int k = 0; k < game::kBattleMembers; ++k) {
    const game::Combatant& c = victory[static_cast<size_t>(k)];
    if (c.Kind() == game::kKindGone) continue;
    const bool grows = !c.status[game::kStatusDown] && !c.status[game::kStatusIll] && !c.status[game::kStatusParalysed];
    const game::PartyMember& after = game::TheGameData().Members[static_cast<size_t>(k)];
    auto fault = [&](const std::string& what, int base_word, int points_word) {
      out->growth_faults.push_back("fight " + std::to_string(fight) + ", member " + std::to_string(k) + ", " + what +
                                   ": base " + std::to_string(c.Word(base_word)) + " -> " +
                                   std::to_string(after[base_word]) + ", points " +
                                   std::to_string(c.Word(points_word)) + " -> " + std::to_string(after[points_word]));
    };
    for (int s = 0; s < 4; ++s) {
      const int32_t points = c.Word(game::kMemberGrowthPoints + s), base = c.Word(game::kMemberBaseAttack + s);
      const int raised = grows && c.exercised[static_cast<size_t>(s)] && points >= 100 ? 1 : 0;
      out->stats_raised += raised;
      const int32_t got_base = after[game::kMemberBaseAttack + s], got_points = after[game::kMemberGrowthPoints + s];
      if (got_base != base + raised || got_points != points - 100 * raised)
        fault("stat " + std::to_string(s), game::kMemberBaseAttack + s, game::kMemberGrowthPoints + s);
    }
    const int64_t max_hp = c.Word(game::kMemberMaxHp), hp_points = c.Word(game::kMemberHpPoints);
    const int64_t hp_gain = int64_t{after[game::kMemberBaseMaxHp]} - c.Word(game::kMemberBaseMaxHp);
    const int64_t root = max_hp > 0 ? int64_t(std::sqrt(double(max_hp * 7 / 8))) : 0;
    const bool hp_kept = hp_gain == 0 && after[game::kMemberHpPoints] == hp_points;
    const bool hp_bought = grows && hp_points * 10 >= max_hp * 13 && hp_gain >= root + 1 && hp_gain <= root + 3 &&
                           after[game::kMemberHpPoints] == std::max<int64_t>(hp_points - 2 * max_hp, 0) / 2;
    if (!hp_kept && !hp_bought) fault("max HP", game::kMemberBaseMaxHp, game::kMemberHpPoints);
    out->hp_pp_gains += hp_bought ? 1 : 0;
    int64_t pp_points = c.Word(game::kMemberPpPoints);
    if (grows && c.esp_uses <= 4950) {
      int64_t j = 1;
      while (j * (j + 1) / 2 < c.esp_uses) ++j;
      pp_points += j;
    }
    const int64_t max_pp = c.Word(game::kMemberMaxPp);
    const int64_t pp_gain = int64_t{after[game::kMemberBaseMaxPp]} - c.Word(game::kMemberBaseMaxPp);
    const bool pp_bought = grows && pp_points >= max_pp;
    const bool pp_right =
        pp_bought ? (pp_gain == 3 || pp_gain == 4) && after[game::kMemberPpPoints] == pp_points - pp_gain * max_pp / 5
                  : pp_gain == 0 && after[game::kMemberPpPoints] == pp_points;
    if (!pp_right) fault("max PP", game::kMemberBaseMaxPp, game::kMemberPpPoints);
    out->hp_pp_gains += pp_bought ? 1 : 0;
  }
}

FirstStart PlayFirstStart(const std::string& data, const nltest::TempDir& dir) {
  FirstStart out;
  const std::string input = nltest::ReadFileBytes(NL_PLAYTHROUGH_DIR "/story.input");
  StoryPlayer player(input);
  EXPECT_TRUE(plat::input::SetInputScript(player.Script()));
  // Headless in this process, with no input script: the player presses the keys.
  nltest::GameRun(data, dir.path()).ApplyHere();
  EXPECT_EQ(chdir(data.c_str()), 0);
  // Which frames are written is settled as the story goes: the town's now, the rest as the
  // fights move them.
  plat::presentation::FrameList captured;
  auto capture = [&](long from, long to) {
    if (from > 0) captured.ranges.emplace_back(uint64_t(from), uint64_t(std::max(from, to)));
  };
  for (long f :
       {kTalkFrame, kChestFrame, kShopFrame, kAineFrame, kCardFrame, kThoughtsFrame, kSpringFrame, kFieldFrame})
    capture(f, f);
  auto settings = [&] {
    plat::presentation::HarnessSettings s;
    s.capture_dir = dir.File("first");
    s.capture_frames = captured;
    s.exit_after = kMostFrames;
    plat::presentation::SetHarnessSettings(s);
  };
  settings();

  EXPECT_TRUE(playtest::StartGameHere());

  size_t fights_seen = 0;
  bool at_shadow = false;
  std::optional<std::array<game::Combatant, game::kBattleMembers>> victory;  // the party before its growth
  std::optional<DecidedAction> decided;  // a member's action chosen, not yet paid when the frame ended
  const auto items = playtest::TableRows(nltest::ReadFileBytes(data + "/system/backup.txt"), 2, 64, true);
  while (playtest::RunGameFrame()) {
    const long n = long(plat::presentation::PresentedFrames());
    if (n >= kMostFrames) break;
    player.AfterFrame(n);
    if (game::GameMode == game::MODE_BATTLE) {
      // The points an action gives are added when it is paid, in the frame that decides
      // its target; the stats grow in the frame that closes the victory's message.
      const game::Battle& b = game::TheBattle;
      const bool choosing = (b.phase == game::kPhaseTarget || b.phase == game::kPhasePay) && b.actor >= 0 &&
                            b.actor < game::kBattleMembers;
      if (decided && !choosing && !(b.phase == game::kPhaseCommand && b.actor == decided->actor))
        CheckActionGrowth(*decided, items, player.Fights().size(), &out);
      decided.reset();
      if (choosing) decided = DecidedAction{b.actor, b.target, b.side, b.ActingItem(), b.fighters};
      if (b.phase == game::kPhaseVictory) {
        victory.emplace();
        std::copy_n(b.fighters.begin(), game::kBattleMembers, victory->begin());
      }
    }
    bool recapture = false;
    // Below the shadow, the next decide talks to it: its line comes within a few frames.
    const bool below = game::GameMode == game::MODE_FIELD &&
                       game::TheGameData().Scalars[game::kScalarCurrentMap] == 34 &&
                       game::TheField.PlayerTileX() == 130 && game::TheField.PlayerTileY() == 127;
    if (below && !at_shadow && out.below_shadow < 0) {
      out.below_shadow = n + 1;
      capture(n + 1, n + 24), recapture = true;
    }
    at_shadow = below;
    const auto& fights = player.Fights();
    if (fights.size() > fights_seen && fights.back().second < 0) {
      capture(fights.back().first + 30, fights.back().first + 60), recapture = true;
      fights_seen = fights.size();
    }
    if (!fights.empty() && fights.back().second == n + 1) {
      // A fight has ended: its growth, the field after it, the closing words after the
      // shadow's, and the frames of the script beyond it, where they now fall.
      if (victory) {
        CheckVictoryGrowth(*victory, fights.size(), &out);
      } else {
        out.growth_faults.push_back("fight " + std::to_string(fights.size()) + " ended without a victory");
      }
      victory.reset();
      capture(n + 1, n + 150);
      capture(player.RealFrame(kStockFrame), player.RealFrame(kStockFrame));
      capture(player.RealFrame(kSaveListFrame), player.RealFrame(kSaveListFrame));
      recapture = true;
    }
    if (recapture) settings();
    out.last_frame = n;
  }
  game::ShutdownGame();
  out.log = nltest::ReadFileBytes(data + "/AppLog.txt");
  std::filesystem::remove(data + "/AppLog.txt");
  out.fights = player.Fights();
  for (const auto& [name, f] : {std::pair{"stock", long(kStockFrame)}, {"save list", long(kSaveListFrame)}})
    out.frames[name] = player.RealFrame(f);
  return out;
}

TEST(StoryTest, FromANewGameTheShadowIsBeatenByPlayAndStaysGoneAfterTheLoad) {
  nltest::TempDir dir;
  const std::string data = dir.File("data");
  // The second start's run has a lock of its own: the first start's is this process's
  // until it ends.
  nltest::GameRun second(data, dir.File("second"));
  ASSERT_TRUE(second.CopyDemoWorld());
  const std::string first_dir = dir.File("first");
  const FirstStart first = PlayFirstStart(data, dir);
  ASSERT_TRUE(Logged(first.log, "ＣＯＭを終了... 完了")) << "the first start did not end with its Escape";
  std::error_code missing;
  std::filesystem::copy_file(data + "/save/data00.dat.ico", dir.File("slot1.ico"), missing);
  second.Input(NL_PLAYTHROUGH_DIR "/story_continue.input");
  second.Capture(kSecondFrames);
  second.ExitAfter(600);
  second.Output("/dev/null", second.File("stderr.txt"));
  ASSERT_EQ(second.Run(), 0);
  const std::string second_log = second.Log();

  // The log: the town's chest and gift, the spring's heal of the whole party (あいね in it)
  // on both visits; the fights: the field's wandering ones (at least one), then the shadow,
  // enemy 4, alone and last; every one won, none lost on the way; what each paid is its
  // enemies' money in the data tree's table, onto what the nine herbs left of the gift.
  EXPECT_TRUE(Logged(first.log, "treasure: flag 300 set, kind 2, 1"));
  EXPECT_TRUE(Logged(first.log, "treasure: flag 302 set, kind 1, 200"));
  EXPECT_EQ(CountLogged(first.log, "heal: member 3 HP"), 2) << "あいね, in the party, healed at the spring twice";
  const auto enemies = playtest::TableRows(nltest::ReadFileBytes(data + "/ene/enemy.txt"), 1, 64);
  const std::vector<nltest::LoggedFight> fights = nltest::Fights(first.log);
  ASSERT_GE(fights.size(), 2u) << "a wandering fight and the shadow";
  ASSERT_EQ(fights.size(), first.fights.size()) << "every fight the log tells was played";
  long purse = 200 - 9 * 20;
  for (size_t i = 0; i < fights.size(); ++i) {
    const nltest::LoggedFight& f = fights[i];
    const bool shadow = i + 1 == fights.size();
    SCOPED_TRACE(shadow ? std::string("the shadow's fight") : "wandering fight " + std::to_string(i + 1));
    EXPECT_EQ(f.met.has_value(), !shadow) << "wandering fights are met in the field, the shadow's is its script's";
    if (shadow) {
      EXPECT_EQ(f.group, (std::array<int, 8>{4, 0, 0, 0, 0, 0, 0, 0}));
    }
    EXPECT_TRUE(f.won);
    int money = 0;
    for (int e : f.group)
      if (e > 0) money += enemies.count(e) ? enemies.at(e)[24] : -1000000;
    EXPECT_EQ(f.found, money);
    purse += money;
    EXPECT_EQ(f.money_after, purse);
  }
  EXPECT_FALSE(Logged(first.log, "battle: the party fell"));
  for (const std::string& fault : first.growth_faults) ADD_FAILURE() << "growth: " << fault;
  EXPECT_GT(first.blows, 0) << "no member's blow had its growth points held to the rule";
  EXPECT_TRUE(Logged(first.log, "treasure: flag 305 set, kind 0, 321")) << "the shadow's light";
  for (const std::string* log : {&first.log, &second_log}) {
    EXPECT_TRUE(Logged(*log, "ＣＯＭを終了... 完了"));
    for (const char* fault : {"refused", "skipped", "UNDEFINED CODE"}) EXPECT_FALSE(Logged(*log, fault)) << fault;
  }

  // Slot 1, saved after the closing words: the shadow's flag, the garden's boulder,
  // あいね's join and her card, the light in the stock's first stack (a count of one), the
  // purse; the party stands on the cell where the shadow stood.
  const auto slot1 = ReadSave(dir.File("slot1.ico"));
  ASSERT_TRUE(slot1);
  EXPECT_TRUE(slot1->Flag(301)) << "the shadow beaten";
  EXPECT_TRUE(slot1->Flag(303)) << "the boulder broken";
  EXPECT_TRUE(slot1->Flag(304)) << "あいね joined";
  EXPECT_TRUE(slot1->Flag(305)) << "the shadow's light taken";
  EXPECT_NE(slot1->Member(3, 0), 0) << "あいね (member 3) in the party";
  EXPECT_EQ(slot1->Member(3, 1), 3);
  EXPECT_EQ(slot1->Scalar(1) & 1u, 1u) << "the town's ID card (card 0)";
  EXPECT_EQ(slot1->Stock(0), std::make_pair(321, 1)) << "the shadow's light in the stock";
  EXPECT_EQ(slot1->Scalar(0), uint32_t(purse));
  EXPECT_EQ(slot1->Position(), (std::array<uint32_t, 3>{34, 130, 126})) << "on the shadow's cell";
  // Slot 2, saved after the load: the flag came back, and the player stepped off the
  // shadow's cell and back onto it, which nothing blocks any more.
  const auto slot2 = second.Save(1);
  ASSERT_TRUE(slot2);
  EXPECT_TRUE(slot2->Flag(301));
  EXPECT_EQ(slot2->Position(), (std::array<uint32_t, 3>{34, 130, 126})) << "on the shadow's cell";
  EXPECT_EQ(slot2->Scalar(7), 2u) << "the second save";

  // The frames, where the player sees each step. The first wandering fight and the shadow's
  // are found from the fights played; the closing words in the frames after the shadow's.
  ASSERT_GE(first.fights.size(), 2u);
  const long first_fight = first.fights.front().first + 30, shadow_fight = first.fights.back().first + 30,
             after_shadow = first.fights.back().second;
  ASSERT_GT(first.below_shadow, 0) << "the party never stood below the shadow";
  // Its line: the frame with the most of a message window between the party's arrival
  // below it and its fight.
  long line_frame = -1;
  int line_window = 0;
  for (long f = first.below_shadow; f < first.fights.back().first; ++f) {
    const auto png = Frame(first_dir, f);
    if (png && CountWindowBlue(*png) > line_window) line_frame = f, line_window = CountWindowBlue(*png);
  }
  ASSERT_GT(line_frame, 0) << "no frame between the arrival below the shadow and its fight";
  const auto talk = Frame(first_dir, kTalkFrame), chest = Frame(first_dir, kChestFrame),
             shop = Frame(first_dir, kShopFrame), aine = Frame(first_dir, kAineFrame),
             card = Frame(first_dir, kCardFrame), thoughts = Frame(first_dir, kThoughtsFrame),
             spring = Frame(first_dir, kSpringFrame), field = Frame(first_dir, kFieldFrame),
             wandering = Frame(first_dir, first_fight), shadow_line = Frame(first_dir, line_frame),
             shadow = Frame(first_dir, shadow_fight), stock = Frame(first_dir, first.frames.at("stock")),
             save_list = Frame(first_dir, first.frames.at("save list")), loaded = second.Frame(kLoadedFrame),
             stepped = second.Frame(kSteppedFrame);
  ASSERT_TRUE(talk && chest && shop && aine && card && thoughts && spring && field && wandering && shadow_line &&
              shadow && stock && save_list && loaded && stepped);
  // A bust is 200 x 272 pixels, most of it below the window's top: well over 2000 of her
  // clothes' pixels while she talks, none in the townsman's talk.
  EXPECT_GT(CountNear(*aine, kPortraitClothes), 2000) << "あいね's portrait";
  EXPECT_GT(CountNear(*card, kPortraitClothes), 2000) << "her portrait stays for the card";
  EXPECT_EQ(CountNear(*talk, kPortraitClothes), 0) << "no portrait for the townsman";
  for (const auto* message : {&*talk, &*chest, &*aine, &*card, &*thoughts, &*spring, &*shadow_line})
    EXPECT_GT(CountWindowBlue(*message), 240 * 40) << "a message window";
  EXPECT_GT(CountNear(*thoughts, kTelepathyMark), 0) << "the thoughts come with telepathy on";
  EXPECT_EQ(CountNear(*talk, kTelepathyMark), 0);
  EXPECT_GT(CountNear(*talk, kTownGround), kViewPixels / 4);
  EXPECT_GT(CountNear(*field, kFieldGround), kViewPixels * 3 / 10) << "the field";
  for (const auto* fight : {&*wandering, &*shadow})
    EXPECT_LT(CountNear(*fight, kFieldGround), kViewPixels / 10) << "a fight hides the field";
  // The shadow's rim and eyes show where it stands, in its fight too (its hooded picture),
  // and nowhere once it is beaten: not behind the closing words, not after them, not after
  // the load.
  EXPECT_GT(CountNear(*shadow_line, kShadowRim), 20) << "the shadow before its fight";
  // In its fight, over half a second (it flashes white when it acts, a message may cover
  // its hood): its cloak's rim and its two eyes.
  int rim = 0, eyes = 0;
  for (long f = shadow_fight; f <= shadow_fight + 30; ++f) {
    if (const auto png = Frame(first_dir, f)) {
      rim = std::max(rim, CountNear(*png, kShadowRim));
      eyes = std::max(eyes, CountNear(*png, kShadowEyes));
    }
  }
  EXPECT_GT(rim, 200) << "the shadow in its fight, from frame " << shadow_fight;
  EXPECT_GT(eyes, 9) << "its eyes";
  EXPECT_EQ(CountNear(*wandering, kShadowRim), 0) << "not in a wandering fight";
  // The first field frame after the fight still draws it: its flag is set by the script's
  // next line, and a frame's wait lets the field be drawn without it before the words.
  int closing_windows = 0, open_field = 0;
  for (long f = after_shadow + 2; f < after_shadow + 150; ++f) {
    const auto png = Frame(first_dir, f);
    if (!png) continue;
    EXPECT_EQ(CountNear(*png, kShadowRim), 0) << "the shadow is gone, frame " << f;
    const int window = CountWindowBlue(*png);  // the pond is blue too, in smaller parts
    if (window > 240 * 40 && CountNear(*png, kFieldGround) > kViewPixels / 8) ++closing_windows;
    if (window < 240 * 40 && CountNear(*png, kFieldGround) > kViewPixels / 4) ++open_field;
  }
  EXPECT_GT(closing_windows, 0) << "the closing words over the field";
  EXPECT_GT(open_field, 0) << "the field goes on after them";
  for (const auto* after : {&*loaded, &*stepped}) {
    EXPECT_EQ(CountNear(*after, kShadowRim), 0) << "the shadow stays gone";
    EXPECT_GT(CountNear(*after, kFieldGround), kViewPixels / 4) << "the field goes on";
  }
  EXPECT_GT(CountNear(*chest, kChestOpenInside), 0) << "the chest stands open";
  for (const auto* page : {&*shop, &*stock, &*save_list}) EXPECT_GT(CountWindowBlue(*page), kViewPixels * 3 / 10);
  std::printf(
      "the first start: %ld frames, %zu fights (the first from frame %ld, the shadow's from %ld to %ld), %d blows "
      "and %d helpful actions paid growth points, %d stat points grown, %d max HP and PP gains\n",
      first.last_frame, first.fights.size(), first.fights.front().first, first.fights.back().first,
      first.fights.back().second, first.blows, first.helps, first.stats_raised, first.hp_pp_gains);
}

}  // namespace
