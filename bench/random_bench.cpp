// Draws from the game's generator, one batch refill every 624 draws.
#include <benchmark/benchmark.h>

#include "vexal/app/system/random.h"

static void BM_RandomUpTo(benchmark::State& state) {
  vexal::SeedRandom(4357);
  for (auto _ : state) benchmark::DoNotOptimize(vexal::RandomUpTo(99));
}
BENCHMARK(BM_RandomUpTo);

static void BM_BatchOneByOne(benchmark::State& state) {
  vexal::SeedRandom(4357);
  for (auto _ : state) vexal::MtGenerateBatchOneByOne();
}
BENCHMARK(BM_BatchOneByOne);

static void BM_BatchInPairs(benchmark::State& state) {
  vexal::SeedRandom(4357);
  vexal::MtState.MtUseMmx = 1;
  for (auto _ : state) vexal::MtGenerateBatch();
}
BENCHMARK(BM_BatchInPairs);
