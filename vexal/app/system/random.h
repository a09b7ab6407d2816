// The game's random numbers: a Mersenne Twister handing out a pre-tempered batch of 624
// values, so a draw is a load and a multiply.
#pragma once

#include <array>
#include <cstdint>

namespace vexal {

inline constexpr int kMtWordCount = 624;          // N of the generator
inline constexpr uint32_t kMtDefaultSeed = 4357;  // seed used when nothing seeded it

// Integer in 0 .. max inclusive (max >= 0).
int32_t RandomUpTo(int32_t max);

// Seeds the state words (the 1998 initialisation) and notes whether MMX is usable.
void MtSeed(uint32_t seed);
// Advances the state by one batch and tempers it into the outputs.
void MtGenerateBatch();
// Seeds, generates one batch and starts handing out from its first value.
void SeedRandom(uint32_t seed);

struct MtStateRecord {
  std::array<uint32_t, kMtWordCount> MtWords{};   // generator state
  std::array<uint32_t, kMtWordCount> MtOutput{};  // tempered outputs of the last batch
  int32_t MtIndex = 0;                            // next output to hand out
  int32_t MtSeeded = 0;                           // MtSeed has run
  int32_t MtUseMmx = 0;                           // batches run two words at a time
};

extern MtStateRecord MtState;

void ResetRandomState();

// The batch one word at a time, whatever MtUseMmx says; kept to check the paired path.
void MtGenerateBatchOneByOne();

}  // namespace vexal
