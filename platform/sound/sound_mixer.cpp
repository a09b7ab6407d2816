// The software mixer: resamples every playing buffer with a 32.32 fixed-point phase
// accumulator and linear interpolation, applies its gains and sums into stereo. The
// arithmetic is the one documented in sound.h, in one loop per sample size and channel
// count.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/capture/audio_capture.h"
#include "platform/sound/sound_state.h"

namespace plat::sound {
namespace {

constexpr uint32_t kChunkFrames = 4096;  // frames rendered per pass over the buffers

int32_t Sample8(const uint8_t* frame) { return (static_cast<int32_t>(frame[0]) - 128) << 8; }
int32_t Sample16(const uint8_t* frame) {
  return static_cast<int16_t>(static_cast<uint16_t>(frame[0] | (frame[1] << 8)));
}

int32_t Lerp(int32_t a, int32_t b, int32_t f) {
  return a + static_cast<int32_t>((static_cast<int64_t>(b - a) * f) >> 16);
}

// Frame after `i`: the next one, or at the last frame the first (looping) or itself.
uint32_t NextFrame(uint32_t i, uint32_t frames, bool looping) {
  if (i + 1 < frames) return i + 1;
  return looping ? 0 : i;
}

// The position after one step; false when a one-shot buffer has reached its end.
bool Step(uint64_t* pos, uint64_t step, uint64_t length, bool looping) {
  *pos += step;
  if (*pos < length) return true;
  if (!looping) return false;
  *pos %= length;
  return true;
}

// The hot loop, specialised per sample size and channel count. Returns false when the
// buffer ended (its state then is stopped at 0).
template <bool k16Bit, int kChannels>
bool MixBuffer(Buffer& b, int32_t* sums, uint32_t frames, uint64_t step) {
  constexpr uint32_t kSampleBytes = k16Bit ? 2 : 1;
  constexpr uint32_t kFrameBytes = kSampleBytes * kChannels;
  const uint8_t* data = b.data.data();
  const uint32_t count = b.frames;
  const uint64_t length = static_cast<uint64_t>(count) << 32;
  const bool looping = b.looping;
  const int32_t gl = b.gain_left;
  const int32_t gr = b.gain_right;
  uint64_t pos = b.position;
  for (uint32_t n = 0; n < frames; ++n) {
    const uint32_t i = static_cast<uint32_t>(pos >> 32);
    const uint32_t j = NextFrame(i, count, looping);
    const int32_t f = static_cast<int32_t>((pos >> 16) & 0xFFFF);
    const uint8_t* fa = data + static_cast<size_t>(i) * kFrameBytes;
    const uint8_t* fb = data + static_cast<size_t>(j) * kFrameBytes;
    int32_t left;
    int32_t right;
    if constexpr (kChannels == 1) {
      const int32_t s = k16Bit ? Lerp(Sample16(fa), Sample16(fb), f) : Lerp(Sample8(fa), Sample8(fb), f);
      left = s;
      right = s;
    } else if constexpr (k16Bit) {
      left = Lerp(Sample16(fa), Sample16(fb), f);
      right = Lerp(Sample16(fa + 2), Sample16(fb + 2), f);
    } else {
      left = Lerp(Sample8(fa), Sample8(fb), f);
      right = Lerp(Sample8(fa + 1), Sample8(fb + 1), f);
    }
    // Rounded toward zero, so that full attenuation is silence on both half-waves.
    sums[2 * n] += (left * gl) / 65536;
    sums[2 * n + 1] += (right * gr) / 65536;
    if (!Step(&pos, step, length, looping)) {
      b.position = 0;
      b.playing = false;
      return false;
    }
  }
  b.position = pos;
  return true;
}

bool MixOne(Buffer& b, int32_t* sums, uint32_t frames, uint64_t step) {
  const bool wide = b.format.bits_per_sample == 16;
  if (b.format.channels == 1) {
    return wide ? MixBuffer<true, 1>(b, sums, frames, step) : MixBuffer<false, 1>(b, sums, frames, step);
  }
  return wide ? MixBuffer<true, 2>(b, sums, frames, step) : MixBuffer<false, 2>(b, sums, frames, step);
}

int32_t Clamp16(int32_t v) { return std::clamp(v, -32768, 32767); }

}  // namespace

void ComputeGains(int32_t volume, int32_t pan, int32_t* left, int32_t* right) {
  const double base = std::pow(10.0, volume / 2000.0);
  const double away = std::pow(10.0, -std::abs(pan) / 2000.0);
  const double l = pan > 0 ? base * away : base;
  const double r = pan < 0 ? base * away : base;
  *left = static_cast<int32_t>(std::lround(l * 65536.0));
  *right = static_cast<int32_t>(std::lround(r * 65536.0));
}

uint64_t StepFor(uint32_t frequency, uint32_t output_rate) {
  return (static_cast<uint64_t>(frequency) << 32) / output_rate;
}

void ForgetPlaying(Buffer* buffer) {
  auto& list = g_sound.playing;
  auto it = std::find(list.begin(), list.end(), buffer);
  if (it == list.end()) return;
  *it = list.back();
  list.pop_back();
}

void MixPlaying(std::span<int32_t> sums, uint32_t frames, uint32_t output_rate) {
  auto& list = g_sound.playing;
  for (size_t k = 0; k < list.size();) {
    Buffer& b = *list[k];
    if (MixOne(b, sums.data(), frames, StepFor(b.frequency, output_rate))) {
      ++k;
    } else {
      list[k] = list.back();
      list.pop_back();
    }
  }
}

void AdvancePlaying(uint64_t frames, uint32_t output_rate) {
  auto& list = g_sound.playing;
  for (size_t k = 0; k < list.size();) {
    Buffer& b = *list[k];
    const unsigned __int128 length = static_cast<unsigned __int128>(b.frames) << 32;
    const unsigned __int128 pos =
        b.position + static_cast<unsigned __int128>(StepFor(b.frequency, output_rate)) * frames;
    if (pos < length) {
      b.position = static_cast<uint64_t>(pos);
    } else if (b.looping) {
      b.position = static_cast<uint64_t>(pos % length);
    } else {
      b.position = 0;
      b.playing = false;
      list[k] = list.back();
      list.pop_back();
      continue;
    }
    ++k;
  }
}

void WriteOutputFrames(std::span<const int32_t> sums, uint32_t frames, const WaveFormat& output, uint8_t* out) {
  const bool wide = output.bits_per_sample == 16;
  const bool mono = output.channels == 1;
  for (uint32_t n = 0; n < frames; ++n) {
    int32_t v[2] = {sums[2 * n], sums[2 * n + 1]};
    int count = 2;
    if (mono) {
      v[0] = (v[0] + v[1]) >> 1;
      count = 1;
    }
    for (int c = 0; c < count; ++c) {
      const int32_t s = Clamp16(v[c]);
      if (wide) {
        *out++ = static_cast<uint8_t>(s & 0xFF);
        *out++ = static_cast<uint8_t>((s >> 8) & 0xFF);
      } else {
        *out++ = static_cast<uint8_t>((s >> 8) + 128);
      }
    }
  }
}

void RenderFrames(uint8_t* out, uint32_t frames) {
  const WaveFormat& output = g_sound.output;
  const uint32_t frame_bytes = output.block_align;
  auto& sums = g_sound.mix_scratch;
  while (frames > 0) {
    const uint32_t n = std::min(frames, kChunkFrames);
    sums.assign(static_cast<size_t>(n) * 2, 0);
    MixPlaying(sums, n, output.samples_per_sec);
    WriteOutputFrames(sums, n, output, out);
    audio_capture::Write(std::span<const uint8_t>(out, static_cast<size_t>(n) * frame_bytes));
    out += static_cast<size_t>(n) * frame_bytes;
    frames -= n;
  }
}

}  // namespace plat::sound
