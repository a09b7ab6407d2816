// Prints how the demo world's fights go for a new party: every group the field's table can
// make and the shadow, attack alone and attack with the town's herbs, two and three
// members, then walks from the town gate to the shadow. Usage: nl_balance [seeds] [data].
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "tools/balance/fight_simulator.h"

namespace {

using balance::FightResult;
using balance::Group;
using balance::PartyPlan;
using balance::Policy;

constexpr int kGroupDraws = 100000;

struct Tally {
  int fights = 0, wins = 0;
  double rounds = 0, herbs = 0;
  std::array<double, balance::kMembers> hp{}, max_hp{};
  void Add(const FightResult& r) {
    ++fights;
    rounds += r.rounds;
    if (!r.won) return;
    ++wins;
    herbs += r.herbs_used;
    for (int k = 0; k < balance::kMembers; ++k) hp[k] += r.hp[k], max_hp[k] += r.max_hp[k];
  }
  void Print(const char* label, const std::vector<int>& members) const {
    std::printf("  %-22s win %5.1f%%  rounds %4.1f", label, 100.0 * wins / std::max(fights, 1),
                rounds / std::max(fights, 1));
    std::printf("  HP left");
    for (int k : members) {
      std::printf(" %5.1f/%-3.0f", hp[k] / std::max(wins, 1), max_hp[k] / std::max(wins, 1));
    }
    std::printf("  herbs %.2f\n", herbs / std::max(wins, 1));
  }
};

const char* PolicyName(Policy p) { return p == Policy::kAttack ? "attack" : "attack+herb"; }

// The enemies of a group in ascending order, the ending 0s kept behind them.
Group Sorted(Group g) {
  for (size_t i = 1; i < g.size() && g[i] != 0; ++i) {
    for (size_t j = i; j > 0 && g[j - 1] > g[j]; --j) std::swap(g[j - 1], g[j]);
  }
  return g;
}

}  // namespace

int main(int argc, char** argv) {
  const int seeds = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 1000;
  const std::string data = argc > 2 ? argv[2] : NL_DATA_DIR;
  if (!balance::LoadWorld(data)) {
    std::fprintf(stderr, "nl_balance: no demo tables in %s\n", data.c_str());
    return 1;
  }
  const balance::WorldNumbers& world = balance::World();
  std::printf("the data tree: gift %d R, herb %d R (%d herbs), path %d steps, encounters every %d +- %d steps\n",
              world.gift, world.herb_price, world.TownHerbs(), world.path_steps, world.encounter_mean,
              world.encounter_spread);
  const std::vector<PartyPlan> parties = {{{0, 1}, 0}, {{0, 1, 3}, 0}};
  for (const PartyPlan& base : parties) {
    std::printf("party of %zu (members", base.members.size());
    for (int m : base.members) std::printf(" %d", m);
    std::printf("), %d seeds a case, herbs %d\n", seeds, world.TownHerbs());
    // The field's table, drawn as the game draws it for this party: each group's odds.
    balance::NewParty(base);
    std::map<Group, int> odds;
    for (int i = 0; i < kGroupDraws; ++i) ++odds[Sorted(balance::DrawFieldGroup(1000000u + i))];
    for (Policy policy : {Policy::kAttack, Policy::kAttackHerb}) {
      PartyPlan plan = base;
      plan.herbs = policy == Policy::kAttack ? 0 : world.TownHerbs();
      std::printf(" policy %s\n", PolicyName(policy));
      for (const auto& [group, count] : odds) {
        Tally t;
        for (int s = 0; s < seeds; ++s) {
          balance::NewParty(plan);
          t.Add(balance::Fight(group, policy, 5000u + s));
        }
        char label[64];
        std::snprintf(label, sizeof label, "%-9s %5.1f%%", balance::GroupText(group).c_str(),
                      100.0 * count / kGroupDraws);
        t.Print(label, plan.members);
      }
      Tally wander, shadow;
      for (int s = 0; s < seeds; ++s) {
        balance::NewParty(plan);
        wander.Add(balance::Fight(Group{}, policy, 90000u + s));
        balance::NewParty(plan);
        shadow.Add(balance::Fight(Group{balance::kShadowEnemy}, policy, 70000u + s));
      }
      wander.Print("field, as drawn", plan.members);
      shadow.Print("shadow (enemy 4)", plan.members);
      // The walk: the path's fights in a row, HP carried over, then the shadow.
      int fights = 0, reached = 0, beaten = 0;
      Tally after;
      for (int s = 0; s < seeds; ++s) {
        const balance::WalkResult w = balance::Walk(plan, policy, 30000u + s);
        fights += w.fights;
        reached += w.reached ? 1 : 0;
        if (w.reached) {
          after.Add(w.shadow);
          beaten += w.shadow.won ? 1 : 0;
        }
      }
      std::printf("  walk of %d steps: fights %.2f, reached %.1f%%, shadow beaten %.1f%% of walks\n", world.path_steps,
                  1.0 * fights / seeds, 100.0 * reached / seeds, 100.0 * beaten / seeds);
      after.Print("shadow after the walk", plan.members);
      // Wandering fights in a row without going back to the spring, up to 20.
      double in_row = 0;
      for (int s = 0; s < seeds; ++s) {
        balance::NewParty(plan);
        int n = 0;
        while (n < 20 && balance::Fight(Group{}, policy, 400000u + 100u * s + n).won) ++n;
        in_row += n;
      }
      std::printf("  wandering fights won in a row (at most 20): %.1f\n", in_row / seeds);
    }
  }
  return 0;
}
