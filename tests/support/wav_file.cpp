#include "tests/support/wav_file.h"

namespace nltest {
namespace {

uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(uint8_t(s[at + i])) << (8 * i);
  return v;
}

}  // namespace

std::optional<Pcm16Wav> ReadPcm16Wav(const std::string& s) {
  if (s.size() < 12 || s.compare(0, 4, "RIFF") != 0 || s.compare(8, 4, "WAVE") != 0) return std::nullopt;
  Pcm16Wav out;
  for (size_t at = 12; at + 8 <= s.size();) {
    const size_t size = Le(s, at + 4, 4), body = at + 8;
    if (body + size > s.size()) return std::nullopt;
    if (s.compare(at, 4, "fmt ") == 0) {
      if (size < 16 || Le(s, body, 2) != 1 || Le(s, body + 14, 2) != 16) return std::nullopt;
      out.channels = int(Le(s, body + 2, 2));
      out.rate = Le(s, body + 4, 4);
    } else if (s.compare(at, 4, "data") == 0 && out.channels > 0) {
      const size_t frame_bytes = 2 * size_t(out.channels);
      const size_t whole = size - size % frame_bytes;  // a cut last frame is dropped
      for (size_t i = 0; i < whole; i += 2) out.samples.push_back(int16_t(Le(s, body + i, 2)));
      return out;
    }
    at = body + size + (size & 1);
  }
  return std::nullopt;
}

std::optional<MonoWav> ReadMonoWav(const std::string& bytes) {
  const auto wav = ReadPcm16Wav(bytes);
  if (!wav) return std::nullopt;
  MonoWav out;
  out.rate = wav->rate;
  const size_t n = size_t(wav->channels);
  for (size_t i = 0; i + n <= wav->samples.size(); i += n) {
    double sum = 0;
    for (size_t c = 0; c < n; ++c) sum += wav->samples[i + c];
    out.samples.push_back(sum / double(n));
  }
  return out;
}

}  // namespace nltest
