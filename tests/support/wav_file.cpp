#include "tests/support/wav_file.h"

#include "tests/support/temp_dir.h"

namespace nltest {

std::optional<WavChunks> ReadWavChunks(std::string_view s) {
  if (s.size() < 12 || s.substr(0, 4) != "RIFF" || s.substr(8, 4) != "WAVE") return std::nullopt;
  std::optional<WavChunks> out;
  for (size_t at = 12; at + 8 <= s.size();) {
    const size_t size = ReadLe(s, at + 4, 4), body = at + 8;
    if (body + size > s.size()) return std::nullopt;
    const std::string_view id = s.substr(at, 4), chunk = s.substr(body, size);
    if (id == "fmt ") {
      if (size < 16) return std::nullopt;
      out = WavChunks{uint16_t(ReadLe(chunk, 0, 2)),
                      uint16_t(ReadLe(chunk, 2, 2)),
                      uint16_t(ReadLe(chunk, 12, 2)),
                      uint16_t(ReadLe(chunk, 14, 2)),
                      ReadLe(chunk, 4, 4),
                      chunk,
                      {}};
    } else if (id == "data" && out) {
      out->data = chunk;
      return out;
    }
    at = body + size + (size & 1);
  }
  return std::nullopt;
}

std::optional<Pcm16Wav> ReadPcm16Wav(std::string_view bytes) {
  const auto wav = ReadWavChunks(bytes);
  if (!wav || wav->format_tag != 1 || wav->bits != 16 || wav->channels == 0) return std::nullopt;
  Pcm16Wav out;
  out.channels = wav->channels;
  out.rate = wav->rate;
  const size_t frame_bytes = 2 * size_t(out.channels);
  const size_t whole = wav->data.size() - wav->data.size() % frame_bytes;
  for (size_t i = 0; i < whole; i += 2) out.samples.push_back(int16_t(ReadLe(wav->data, i, 2)));
  return out;
}

std::optional<MonoWav> ReadMonoWav(std::string_view bytes) {
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
