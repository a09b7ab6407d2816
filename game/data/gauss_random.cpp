// Normally distributed numbers for the steps between random encounters.
//
// The polar method draws from a 15-bit generator of its own (0..32767): the method's
// scaling assumes that range, and the runtime's rand may have a far larger one.
#include <algorithm>
#include <climits>
#include <cmath>

#include "game/data/game_data.h"
#include "platform/timer/timer.h"

namespace game {
namespace {

constexpr int kRand15Max = 32767;
constexpr double kMinEncounterSteps = 4.0;

}  // namespace

GaussRandomStateRecord GaussRandomState;

void SeedGaussRand(uint32_t seed) {
  GaussRandomState.Next = seed;
  GaussRandomState.Seeded = 1;
}

// The classic linear congruential step, its bits 16-30 handed out.
int GaussRand15() {
  // Under the virtual clock "now" is that clock's, so that two headless runs meet their
  // encounters on the same steps.
  if (GaussRandomState.Seeded == 0) {
    SeedGaussRand(plat::timer::IsVirtualClock() ? plat::timer::TimeMs()
                                                : static_cast<uint32_t>(plat::timer::WallClockSeconds()));
  }
  GaussRandomState.Next = GaussRandomState.Next * 1103515245u + 12345u;
  return static_cast<int>((GaussRandomState.Next / 65536u) % 32768u);
}

void ResetGaussRandomState() { GaussRandomState = {}; }

float GameData::GaussRandom() {
  if (GaussRandomState.HasSpare != 0) {
    GaussRandomState.HasSpare = 0;
    return GaussRandomState.Spare;
  }
  float u1, u2, s;
  do {
    u1 = static_cast<float>(GaussRand15()) * (2.0f / kRand15Max) - 1.0f;
    u2 = static_cast<float>(GaussRand15()) * (2.0f / kRand15Max) - 1.0f;
    s = u1 * u1 + u2 * u2;
  } while (!(s > 0.0f && s < 1.0f));
  const float f = std::sqrt(-2.0f * std::log(s) / s);
  GaussRandomState.Spare = f * u1;
  GaussRandomState.HasSpare = 1;
  return f * u2;
}

// Mean and spread are set by scripts: read as signed and the result kept within what
// the step counter holds.
uint32_t GameData::RollGaussValue() {
  const double spread = static_cast<int32_t>(Scalars[kScalarEncounterSpread]);
  const double mean = static_cast<int32_t>(Scalars[kScalarEncounterMean]);
  const double v = std::clamp(GaussRandom() * spread + mean, kMinEncounterSteps, static_cast<double>(INT32_MAX));
  Scalars[kScalarEncounterSteps] = static_cast<uint32_t>(v);
  return Scalars[kScalarEncounterSteps];
}

}  // namespace game
