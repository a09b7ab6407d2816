// Fights of the demo world run headless through the game's own battle rules: the real
// data tree, a seeded random source and a player who decides at once, by one of two
// plain policies. The balance program prints its figures; a test holds the goals.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace balance {

inline constexpr int kMembers = 4;
inline constexpr int kFieldMap = 34;
inline constexpr int kShadowEnemy = 4;
inline constexpr int kHerbItem = 1;  // the shop's herb

// The numbers of the walk and the purse, as the built data tree has them.
struct WorldNumbers {
  int gift = 0;        // R, the money the town's script gives (the shopkeeper's gift)
  int herb_price = 0;  // R, the shop's herb
  // Steps from where the town's gate lands the party in the field to the cell below the
  // shadow (the event whose script starts the field's fight), one each way.
  int path_steps = 0;
  int encounter_mean = 0, encounter_spread = 0;  // the field's start block (script code 122)
  // What the town gives a new player: the gift spent on herbs.
  int TownHerbs() const { return herb_price > 0 ? gift / herb_price : 0; }
};

enum class Policy {
  kAttack,      // every member takes the fixed attack on the first enemy
  kAttackHerb,  // the same, but a herb on an able member below a third of its HP first
};

using Group = std::array<int32_t, 8>;

struct FightResult {
  bool won = false;
  int rounds = 0;
  std::array<int32_t, kMembers> hp{}, max_hp{};
  int herbs_used = 0;
};

// The party as a new game has it after the town: member ids that join, herbs carried.
struct PartyPlan {
  std::vector<int> members;  // member slots present (0 is always there)
  int herbs = 0;             // spread over the members' free command slots
};

// Loads the demo world's tables from a built data folder (the working directory moves
// there), and reads the walk's and the purse's numbers from its maps and scripts. False
// when the folder does not hold them.
bool LoadWorld(const std::string& data_dir);
// The numbers LoadWorld read.
const WorldNumbers& World();
// Whether an item is the herb: the shop's, or a record that is the same herb.
bool IsHerb(int id);

// A new game's party (the town's start script done), with the plan's herbs carried.
void NewParty(const PartyPlan& plan);

// One fight with the current party; its HP, growth and used herbs stay with the game
// data. group empty (all 0): a wandering fight of the field drawn by the game's table.
FightResult Fight(const Group& group, Policy policy, uint64_t seed);

// The group a wandering fight of the field would make for the current party.
Group DrawFieldGroup(uint64_t seed);

// Steps on the path until the next encounter, rolled as the field rolls them.
int RollEncounterSteps(uint64_t seed);

// A walk from the gate: the path's wandering fights with HP carried over, then the
// shadow. fights counts the wandering fights met; reached is false when one was lost.
struct WalkResult {
  int fights = 0;
  bool reached = false;
  FightResult shadow;
};
WalkResult Walk(const PartyPlan& plan, Policy policy, uint64_t seed);

// Names for the report.
std::string GroupText(const Group& group);

}  // namespace balance
