// nl_drum_samples FOLDER: writes the twelve drum samples the songs strike, as 16-bit mono
// 22,050 Hz WAV files in the one layout the synthesiser reads: "RIFF", "WAVE", a "fmt "
// chunk with an 18-byte body, a 12-byte "fact" chunk, then "data" with its size at byte 54
// and the samples from byte 58. A drum struck at key 27 plays near its own rate.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sound/sound.h"

namespace {

constexpr uint32_t kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// Noise from a fixed linear congruential sequence, so every build writes the same bytes.
struct Noise {
  uint32_t state = 0x1234567;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / (1u << 23) - 1.0;  // -1..1
  }
};

struct Drum {
  const char* name;
  double seconds;
  double start_hz, end_hz;  // a tone that glides, 0 for none
  double tone, noise;       // mix
  double decay;             // per second
  double bright;            // 0: low-passed noise, 1: high-passed
};

constexpr Drum kDrums[] = {
    {"Bass01.wav", 0.30, 110, 45, 1.0, 0.05, 14, 0},    {"Bass02.wav", 0.40, 90, 38, 1.0, 0.10, 10, 0},
    {"Snare01.wav", 0.25, 220, 180, 0.4, 0.8, 18, 0.6}, {"Snare02.wav", 0.30, 250, 200, 0.3, 0.9, 14, 0.8},
    {"Tom01.wav", 0.35, 180, 120, 1.0, 0.15, 11, 0},    {"HiClose.wav", 0.08, 0, 0, 0.0, 1.0, 60, 1},
    {"HiOpen.wav", 0.40, 0, 0, 0.0, 1.0, 9, 1},         {"Crash.wav", 0.90, 0, 0, 0.0, 1.0, 4, 0.9},
    {"Per01.wav", 0.12, 800, 780, 1.0, 0.05, 35, 0},    {"Per02.wav", 0.15, 1200, 900, 0.8, 0.3, 30, 0.5},
    {"Bass03.wav", 0.25, 140, 60, 1.0, 0.0, 16, 0},     {"Tom02.wav", 0.35, 130, 85, 1.0, 0.15, 10, 0},
};

std::vector<int16_t> Render(const Drum& d) {
  const size_t n = static_cast<size_t>(d.seconds * kRate);
  std::vector<int16_t> out(n);
  Noise noise;
  double phase = 0, low = 0, last = 0;
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double hz = d.start_hz + (d.end_hz - d.start_hz) * (t / d.seconds);
    phase += 2 * kPi * hz / kRate;
    const double raw = noise.Next();
    low += 0.2 * (raw - low);
    const double high = raw - last;
    last = raw;
    const double shaped = d.bright * high * 0.7 + (1 - d.bright) * low * 2;
    double v = d.tone * std::sin(phase) + d.noise * shaped;
    v *= std::exp(-d.decay * t);
    if (i < 32) v *= static_cast<double>(i) / 32;  // no click at the start
    out[i] = static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 24000));
  }
  return out;
}

void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string DrumFile(const std::vector<int16_t>& samples) {
  const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
  const auto format = plat::sound::WriteWaveFormat(plat::sound::PcmFormat(kRate, 1, 16));
  std::string f = "RIFF";
  Put32(f, 50 + data_bytes);
  f += "WAVE";
  f += "fmt ";
  Put32(f, static_cast<uint32_t>(format.size()));
  f.append(format.begin(), format.end());
  f += "fact";
  Put32(f, 4);
  Put32(f, static_cast<uint32_t>(samples.size()));
  f += "data";
  Put32(f, data_bytes);
  for (int16_t s : samples) {
    f += static_cast<char>(s & 0xFF);
    f += static_cast<char>((s >> 8) & 0xFF);
  }
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_drum_samples FOLDER\n");
    return 2;
  }
  for (const Drum& d : kDrums) {
    const std::string path = std::string(argv[1]) + "/" + d.name;
    const std::string bytes = DrumFile(Render(d));
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
      std::fprintf(stderr, "nl_drum_samples: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
