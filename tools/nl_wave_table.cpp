// nl_wave_table OUTPUT: writes the melody waveform table (100 single cycles of 256 signed
// 8-bit samples, 25,600 bytes). Row 0 is a sine, 1 a triangle, 2 a saw, 3 a square; the
// other rows mix harmonics 1..8 in weights that change from row to row.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 100;
constexpr int kSamples = 256;
constexpr double kPeak = 120.0;  // headroom under 127
constexpr double kPi = 3.14159265358979323846;

int8_t Sample(double v) { return static_cast<int8_t>(std::lround(std::clamp(v, -1.0, 1.0) * kPeak)); }

double Shape(int row, int i) {
  const double phase = static_cast<double>(i) / kSamples;  // 0..1
  switch (row) {
    case 0: return std::sin(2 * kPi * phase);
    case 1: return phase < 0.25 ? 4 * phase : phase < 0.75 ? 2 - 4 * phase : 4 * phase - 4;
    case 2: return phase < 0.5 ? 2 * phase : 2 * phase - 2;
    case 3: return phase < 0.5 ? 1.0 : -1.0;
    default: break;
  }
  // Harmonic h gets weight from the row's digits, so neighbouring rows sound related.
  double sum = 0;
  for (int h = 1; h <= 8; ++h) {
    const int w = (row * (h + 3) + h * h) % 7;
    sum += (h == 1 ? 4.0 : w) / h * std::sin(2 * kPi * h * phase + (row % 3) * h * 0.5);
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nl_wave_table OUTPUT\n");
    return 2;
  }
  std::vector<int8_t> table(kRows * kSamples);
  for (int row = 0; row < kRows; ++row) {
    double peak = 0;
    std::vector<double> v(kSamples);
    for (int i = 0; i < kSamples; ++i) {
      v[i] = Shape(row, i);
      peak = std::max(peak, std::fabs(v[i]));
    }
    // Mixed rows are brought to the same peak as the plain shapes.
    const double scale = row < 4 || peak == 0 ? 1.0 : 1.0 / peak;
    for (int i = 0; i < kSamples; ++i) table[row * kSamples + i] = Sample(v[i] * scale);
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(table.data(), 1, table.size(), out) != table.size()) {
    std::fprintf(stderr, "nl_wave_table: cannot write %s\n", argv[1]);
    if (out != nullptr) std::fclose(out);
    return 1;
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
