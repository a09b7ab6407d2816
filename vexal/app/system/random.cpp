#include "vexal/app/system/random.h"

#include <cstring>

#include "platform/sys/sys.h"

namespace vexal {
namespace {

constexpr int kN = kMtWordCount;
constexpr int kM = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kMmxFeatureBit = 1u << 23;  // CPUID function 1, EDX

uint32_t Twist(uint32_t a, uint32_t b, uint32_t far) {
  uint32_t y = (a & kUpperMask) | (b & kLowerMask);
  return far ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
}

uint32_t Temper(uint32_t y) {
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

// Two words per step, as the MMX batch does; every pair reads only words that are
// final already (those below it) or not yet touched (those above it).
using Pair = uint32_t __attribute__((vector_size(8)));

Pair Load(const uint32_t* p) {
  Pair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void Store(uint32_t* p, Pair v) { std::memcpy(p, &v, sizeof v); }

Pair TwistPair(Pair a, Pair b, Pair far) {
  Pair y = (a & kUpperMask) | (b & kLowerMask);
  Pair odd = -(y & 1u);  // all ones where the low bit is set
  return far ^ (y >> 1) ^ (odd & kMatrixA);
}

void GenerateBatchInPairs(uint32_t* mt, uint32_t* out) {
  int kk = 0;
  for (; kk + 1 < kN - kM; kk += 2) Store(mt + kk, TwistPair(Load(mt + kk), Load(mt + kk + 1), Load(mt + kk + kM)));
  for (; kk < kN - kM; ++kk) mt[kk] = Twist(mt[kk], mt[kk + 1], mt[kk + kM]);
  for (; kk + 1 < kN - 1; kk += 2) {
    Store(mt + kk, TwistPair(Load(mt + kk), Load(mt + kk + 1), Load(mt + kk + kM - kN)));
  }
  for (; kk < kN - 1; ++kk) mt[kk] = Twist(mt[kk], mt[kk + 1], mt[kk + kM - kN]);
  mt[kN - 1] = Twist(mt[kN - 1], mt[0], mt[kM - 1]);
  for (int i = 0; i < kN; i += 2) {
    Pair y = Load(mt + i);
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    Store(out + i, y);
  }
}

}  // namespace

MtStateRecord MtState;  // the one generator of the program

void MtSeed(uint32_t s) {
  for (int i = 0; i < kN; ++i) {
    MtState.MtWords[i] = s & 0xFFFF0000u;
    s = 69069u * s + 1u;
    MtState.MtWords[i] |= s >> 16;
    s = 69069u * s + 1u;
  }
  MtState.MtSeeded = 1;
  plat::sys::CpuInfo cpu = plat::sys::GetCpuInfo();
  MtState.MtUseMmx = cpu.has_cpuid && (cpu.features_edx & kMmxFeatureBit) ? 1 : 0;
}

void MtGenerateBatchOneByOne() {
  uint32_t* mt = MtState.MtWords.data();
  int kk = 0;
  for (; kk < kN - kM; ++kk) mt[kk] = Twist(mt[kk], mt[kk + 1], mt[kk + kM]);
  for (; kk < kN - 1; ++kk) mt[kk] = Twist(mt[kk], mt[kk + 1], mt[kk + kM - kN]);
  mt[kN - 1] = Twist(mt[kN - 1], mt[0], mt[kM - 1]);
  for (int i = 0; i < kN; ++i) MtState.MtOutput[i] = Temper(mt[i]);
}

void MtGenerateBatch() {
  if (MtState.MtUseMmx) {
    GenerateBatchInPairs(MtState.MtWords.data(), MtState.MtOutput.data());
  } else {
    MtGenerateBatchOneByOne();
  }
}

void SeedRandom(uint32_t seed) {
  MtSeed(seed);
  MtGenerateBatch();
  MtState.MtIndex = 0;
}

int32_t RandomUpTo(int32_t max) {
  if (MtState.MtIndex >= kN) {
    if (!MtState.MtSeeded) {
      MtSeed(kMtDefaultSeed);
      MtGenerateBatch();
    }
    MtGenerateBatch();
    MtState.MtIndex = 0;
  }
  uint32_t r = MtState.MtOutput[MtState.MtIndex++];
  int64_t product = static_cast<int64_t>(r) * (static_cast<int64_t>(max) + 1);
  return static_cast<int32_t>(product >> 32);
}

void ResetRandomState() { MtState = MtStateRecord{}; }

}  // namespace vexal
