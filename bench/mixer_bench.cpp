// Mixer throughput: buffer frames resampled and summed per second, with a copy of the same
// output bytes for scale.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/sound/sound.h"

namespace {

using namespace plat::sound;

constexpr uint32_t kFrames = 4096;  // output frames per mixing call

// A device with `count` looping buffers of the given kind, at a rate that needs
// interpolation.
void StartBuffers(int count, uint16_t bits, uint16_t channels) {
  ResetSoundForTests();
  SetBackendForTests(Backend::kManual);
  Device* device = nullptr;
  CreateDevice(&device);
  Buffer* primary = nullptr;
  BufferDesc pd;
  pd.flags = kBufferPrimary;
  CreateBuffer(device, pd, &primary);
  SetBufferFormat(primary, PcmFormat(44100, 2, 16));
  for (int i = 0; i < count; ++i) {
    BufferDesc desc{kBufferCtrlFrequency | kBufferCtrlVolume | kBufferCtrlPan, 22050u * channels * (bits / 8),
                    PcmFormat(22050, channels, bits)};
    Buffer* b = nullptr;
    CreateBuffer(device, desc, &b);
    SetBufferFrequency(b, 30001 + i * 17);
    SetBufferVolume(b, -300);
    SetBufferPan(b, 200 * i - 1000);
    PlayBuffer(b, kPlayLooping);
  }
}

template <uint16_t kBits, uint16_t kChannels>
void BM_Mix(benchmark::State& state) {
  StartBuffers(static_cast<int>(state.range(0)), kBits, kChannels);
  std::vector<uint8_t> out(kFrames * 4);
  for (auto _ : state) {
    MixFrames(out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kFrames * state.range(0));
  ResetSoundForTests();
}

void BM_CopyOutput(benchmark::State& state) {
  std::vector<uint8_t> a(kFrames * 4, 1), b(kFrames * 4);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(a.size()));
}

}  // namespace

BENCHMARK(BM_Mix<8, 1>)->Arg(1)->Arg(16);
BENCHMARK(BM_Mix<16, 1>)->Arg(1)->Arg(16);
BENCHMARK(BM_Mix<16, 2>)->Arg(1)->Arg(16);
BENCHMARK(BM_Mix<8, 2>)->Arg(16);
BENCHMARK(BM_CopyOutput);
