// The headless fights: the battle's own frame loop, fed a key that always decides and a
// command chosen for the member whose turn it is.
#include "tools/balance/fight_simulator.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "game/battle/battle.h"
#include "game/battle/battle_draw_calls.h"
#include "game/codec/lz_codec.h"
#include "game/codec/scrambled_copy.h"
#include "game/data/game_data.h"
#include "game/field/map_file.h"
#include "platform/fs/fs.h"

namespace balance {
namespace {

using game::TheBattle;
using game::TheGameData;

constexpr int kFrameLimit = 200000;  // a fight that runs longer is taken as lost
constexpr int kFieldMode = 0, kBattleMode = 2;
constexpr int kShadowStartSound = 27;  // the field script's sixth value of its battle code
constexpr int kWarpCode = 20, kTreasureCode = 82, kMoneyTreasure = 1, kEncounterCode = 122, kBattleCode = 124;

WorldNumbers world;  // what LoadWorld read

// splitmix64: small, fast, and the same on every standard library.
uint64_t rng_state = 0;
uint64_t NextRandom() {
  uint64_t z = (rng_state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
int32_t RandomUpTo(int32_t max) {
  if (max <= 0) return 0;
  return static_cast<int32_t>(NextRandom() % (static_cast<uint64_t>(max) + 1));
}

int game_mode = kBattleMode;
void SetMode(int mode) { game_mode = mode; }
void NoSound(int) {}
void NoPopup(std::string_view) {}
int NoLoad(std::string_view, int all, int, int, int, int, int* handles) {
  for (int i = 0; i < all; ++i) handles[i] = 1 + i;
  return 0;
}
bool Decide(int button) { return button == game::kButtonDecide; }
bool Never(int) { return false; }
void NoClear() {}

void InstallHooks() {
  game::SetGameDataHooks({NoSound, NoPopup, RandomUpTo, NoLoad});
  game::BattleDrawCalls draw;
  draw.graph = [](int, int, int, int) {};
  draw.blend = [](int, int) {};
  draw.bright = [](int, int, int) {};
  draw.frame_box = [](int, int, int, int, int) {};
  draw.glyphs = [](int, int, int, int, std::span<const uint8_t>) {};
  draw.text = [](int, int, std::string_view) {};
  draw.number = [](int, int, int, int, int) {};
  draw.circle = [](int, int, int, uint32_t, int) {};
  draw.fill_box = [](int, int, int, int, uint32_t) {};
  draw.copy_screen = [](int) {};
  draw.hand = [](int, int, int, int) {};
  draw.item_info = [](int) {};
  draw.message_window = [](std::span<const uint8_t>) {};
  draw.load_div_graph = NoLoad;
  draw.delete_graph = [](int) {};
  game::SetBattleDrawCalls(draw);
  game::SetBattleKeys({Never, Decide, Never, NoClear});
  game::BattleHooks hooks;
  hooks.set_game_mode = SetMode;
  game::SetBattleHooks(hooks);
}

int CountHerbs() {
  int n = 0;
  for (const auto& worn : TheGameData().Equipment) {
    for (int s = 0; s < game::kUsedEquipSlots; ++s) {
      if (IsHerb(worn[s].id)) n += static_cast<int16_t>(worn[s].count) > 0 ? 1 : 0;
    }
  }
  return n;
}

// ---- The walk's and the purse's numbers from the data tree ----

// A file of the data tree turned back from its stored form (scrambled or packed) through a
// scratch file outside the tree; empty when that fails.
std::string Unstored(const std::string& game_path, bool packed) {
  const std::string scratch =
      (std::filesystem::temp_directory_path() / ("nl_balance_" + std::to_string(getpid()) + ".plain")).string();
  const bool ok = packed ? game::PackFile(game_path, scratch, game::kPackFileModeUnpack) == game::kPackFileOk
                         : game::XorCopyFile(game_path, scratch) == 0;
  std::string text;
  if (ok) {
    std::ifstream in(scratch, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::remove(scratch.c_str());
  return text;
}

// The script's command lines, each as its code and parameters, with the block they stand in.
struct Command {
  int block = -1;
  std::vector<int> values;  // code, then p1...
};
std::vector<Command> Commands(const std::string& script) {
  std::vector<Command> out;
  std::istringstream lines(script);
  int block = -1;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] == '*') block = std::atoi(line.c_str() + 1);
    if (line.empty() || line[0] != '@') continue;
    Command c{block, {}};
    std::istringstream values(line.substr(1));
    for (std::string v; std::getline(values, v, ',');) c.values.push_back(std::atoi(v.c_str()));
    out.push_back(c);
  }
  return out;
}

bool ReadWorldNumbers() {
  world = {};
  const game::GameData& d = TheGameData();
  world.herb_price = d.Items[kHerbItem].values[game::kItemPrice];
  int entry_x = -1, entry_y = -1;
  for (const Command& c : Commands(Unstored("map\\town.scr", false))) {
    const auto& v = c.values;
    if (v[0] == kTreasureCode && v.size() > 3 && v[3] == kMoneyTreasure && world.gift == 0) world.gift = v[2];
    if (v[0] == kWarpCode && v.size() > 3 && v[1] == kFieldMap) entry_x = v[2], entry_y = v[3];
  }
  int shadow_block = -1;
  for (const Command& c : Commands(Unstored("map\\field.scr", false))) {
    const auto& v = c.values;
    if (v[0] == kEncounterCode && v.size() > 2 && c.block == 0)
      world.encounter_mean = v[1], world.encounter_spread = v[2];
    if (v[0] == kBattleCode) shadow_block = c.block;
  }
  const std::string map = Unstored("map\\" + std::string(d.MapList[kFieldMap].data()), true);
  game::MapFileImage image;
  if (map.empty() ||
      !game::ParseMapFile(std::span(reinterpret_cast<const uint8_t*>(map.data()), map.size()), image).empty())
    return false;
  for (int e = 1; e < game::kMapEventCount; ++e) {
    const game::MapEventPage& page = image.events[e][0];
    if (page[game::kPageX] == game::kEmptyEventX || page[game::kPageBlock] != shadow_block) continue;
    world.path_steps = std::abs(entry_x - page[game::kPageX]) + std::abs(entry_y - (page[game::kPageY] + 1));
    break;
  }
  return world.gift > 0 && world.herb_price > 0 && entry_x >= 0 && world.path_steps > 0;
}

// The able member below a third of its maximum HP with the least HP left, or -1.
int MemberInNeed() {
  int best = -1;
  for (int k = 0; k < kMembers; ++k) {
    const game::Combatant& c = TheBattle.fighters[k];
    if (c.Kind() != game::kKindMember || !c.Able()) continue;
    if (int64_t{c.Word(game::kMemberHp)} * 3 >= c.Word(game::kMemberMaxHp)) continue;
    if (best < 0 || c.Word(game::kMemberHp) < TheBattle.fighters[best].Word(game::kMemberHp)) best = k;
  }
  return best;
}

int HerbSlot(const game::Combatant& c) {
  for (int s = 0; s < game::kLastCommandSlot; ++s) {
    if (IsHerb(c.commands[s].id) && c.commands[s].count > 0) return s;
  }
  return -1;
}

}  // namespace

const WorldNumbers& World() { return world; }

bool IsHerb(int id) {
  const game::GameData& d = TheGameData();
  return id > 0 && id < game::kItemCount && d.Items[id].name == d.Items[kHerbItem].name &&
         d.Items[id].values == d.Items[kHerbItem].values;
}

bool LoadWorld(const std::string& data_dir) {
  if (!plat::fs::SetCurrentDirectory(data_dir)) return false;
  game::ResetGameData();
  InstallHooks();
  game::CreateGameData();
  TheGameData().LoadGameDatabase();
  game::ResetEnemyGraphCache();
  game::ResetBattle();
  return TheGameData().Enemies[kShadowEnemy].values[game::kEnemyHpValue] > 0 && ReadWorldNumbers();
}

void NewParty(const PartyPlan& plan) {
  game::GameData& d = TheGameData();
  InstallHooks();
  d.NewGame();
  for (auto& s : d.Status) s.fill(0);
  for (int m : plan.members) {
    if (m >= 0 && m < kMembers) d.Members[m][game::kMemberPresent] = 1;
  }
  d.RecalcPartyStats();
  d.Scalars[game::kScalarCurrentMap] = kFieldMap;
  // Herbs go round the members into their free command slots, as a player would put them.
  const auto uses = static_cast<uint16_t>(d.Items[kHerbItem].values[game::kItemUses]);
  int left = plan.herbs;
  for (bool placed = true; left > 0 && placed;) {
    placed = false;
    for (int m : plan.members) {
      if (left == 0 || m < 0 || m >= kMembers) continue;
      auto& worn = d.Equipment[m];
      auto free = std::find_if(worn.begin(), worn.begin() + game::kUsedEquipSlots,
                               [](const game::ItemStack& s) { return s.id == 0; });
      if (free == worn.begin() + game::kUsedEquipSlots) continue;
      *free = {static_cast<uint16_t>(kHerbItem), uses};
      --left;
      placed = true;
    }
  }
}

Group DrawFieldGroup(uint64_t seed) {
  InstallHooks();
  rng_state = seed;
  game::GameData& d = TheGameData();
  d.Scalars[game::kScalarCurrentMap] = kFieldMap;
  d.BuildEncounter();
  Group g{};
  for (int i = 0; i < 8; ++i) g[i] = static_cast<int32_t>(d.EncounterList[i]);
  return g;
}

FightResult Fight(const Group& group, Policy policy, uint64_t seed) {
  InstallHooks();
  rng_state = seed;
  game::GameData& d = TheGameData();
  d.Scalars[game::kScalarCurrentMap] = kFieldMap;
  const bool wandering = std::all_of(group.begin(), group.end(), [](int32_t e) { return e == 0; });
  std::array<int32_t, game::kBattleSetupWords> setup{};
  if (!wandering) setup[game::kSetupStartSound] = kShadowStartSound;
  const int herbs_before = CountHerbs();
  game_mode = kBattleMode;
  TheBattle.StartBattle(group, wandering ? 0 : 1, setup);

  FightResult r;
  int last_index = -1, herb_target = -1;
  for (int frame = 0; frame < kFrameLimit; ++frame) {
    if (TheBattle.phase == game::kPhaseDefeat) break;
    if (game_mode == kFieldMode) {
      r.won = true;
      break;
    }
    if (TheBattle.order_index < last_index || r.rounds == 0) ++r.rounds;
    last_index = TheBattle.order_index;
    const int a = TheBattle.actor;
    if (TheBattle.phase == game::kPhaseCommand && a >= 0 && a < kMembers) {
      game::Combatant& c = TheBattle.fighters[a];
      int slot = game::kLastCommandSlot;
      herb_target = -1;
      if (policy == Policy::kAttackHerb) {
        const int need = MemberInNeed(), herb = HerbSlot(c);
        if (need >= 0 && herb >= 0) slot = herb, herb_target = need;
      }
      c.status[game::kStatusSelected] = static_cast<uint8_t>(slot);
    } else if (TheBattle.phase == game::kPhaseTarget && herb_target >= 0) {
      TheBattle.target = herb_target;
      TheBattle.side = 1;
    }
    TheBattle.BattleFrame();
  }
  for (int k = 0; k < kMembers; ++k) {
    const game::PartyMember& m = r.won ? d.Members[k] : TheBattle.fighters[k].block;
    if (m[game::kMemberPresent] == 0) continue;
    r.hp[k] = r.won ? m[game::kMemberHp] : std::max(m[game::kMemberHp], 0);
    r.max_hp[k] = m[game::kMemberMaxHp];
  }
  r.herbs_used = r.won ? herbs_before - CountHerbs() : 0;
  return r;
}

int RollEncounterSteps(uint64_t seed) {
  game::GameData& d = TheGameData();
  game::SeedGaussRand(static_cast<uint32_t>(seed * 2654435761u + 1));
  d.Scalars[game::kScalarEncounterMean] = static_cast<uint32_t>(world.encounter_mean);
  d.Scalars[game::kScalarEncounterSpread] = static_cast<uint32_t>(world.encounter_spread);
  return static_cast<int>(d.RollGaussValue());
}

WalkResult Walk(const PartyPlan& plan, Policy policy, uint64_t seed) {
  NewParty(plan);
  game::GameData& d = TheGameData();
  RollEncounterSteps(seed);
  WalkResult w;
  for (int step = 0; step < world.path_steps; ++step) {
    d.Scalars[game::kScalarEncounterSteps] -= 1;
    if (static_cast<int32_t>(d.Scalars[game::kScalarEncounterSteps]) > 0) continue;
    ++w.fights;
    // The fight's end rolls the next countdown, as on the field.
    if (!Fight(Group{}, policy, seed * 1000003u + static_cast<uint64_t>(w.fights)).won) return w;
  }
  w.reached = true;
  w.shadow = Fight(Group{kShadowEnemy}, policy, seed * 7919u + 17u);
  return w;
}

std::string GroupText(const Group& group) {
  std::string s;
  for (int32_t e : group) {
    if (e == 0) break;
    if (!s.empty()) s += ' ';
    s += std::to_string(e);
  }
  return s.empty() ? "-" : s;
}

}  // namespace balance
