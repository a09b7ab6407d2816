#include "tests/support/ima_adpcm_reference.h"

#include <algorithm>

#include "tests/support/temp_dir.h"

namespace nltest {
namespace {

// The format's 89 quantiser steps, and how each code moves the step index.
constexpr int kSteps[89] = {7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
                            25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
                            88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
                            307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
                            1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
                            3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
                            12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kIndexMoves[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// One 4-bit code: the step's eighth, plus a quarter, a half and the whole step for the
// magnitude bits; bit 3 the sign.
void DecodeCode(int code, int* sample, int* index) {
  const int step = kSteps[*index];
  int difference = step >> 3;
  if (code & 1) difference += step >> 2;
  if (code & 2) difference += step >> 1;
  if (code & 4) difference += step;
  *sample = std::clamp(code & 8 ? *sample - difference : *sample + difference, -32768, 32767);
  *index = std::clamp(*index + kIndexMoves[code & 7], 0, 88);
}

}  // namespace

std::vector<int16_t> DecodeImaAdpcmBlocks(std::string_view data, int channels, size_t block_bytes, int* past_table) {
  std::vector<int16_t> out;
  const size_t header = 4 * size_t(channels);
  if (channels < 1 || block_bytes <= header) return out;
  // Sample n > 0 of channel c is nibble (n - 1) % 8 of that channel's 4 bytes in group (n - 1) / 8.
  const auto byte_of = [&](size_t n, int c) {
    return header + ((n - 1) / 8 * size_t(channels) + size_t(c)) * 4 + (n - 1) % 8 / 2;
  };
  for (size_t at = 0; at + header <= data.size(); at += block_bytes) {
    const std::string_view block = data.substr(at, std::min(block_bytes, data.size() - at));
    std::vector<int> sample(static_cast<size_t>(channels)), index(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c) {
      sample[c] = int16_t(ReadLe(block, 4 * size_t(c), 2));
      index[c] = uint8_t(block[4 * size_t(c) + 2]);
      if (index[c] > 88) {
        index[c] = 88;
        if (past_table != nullptr) ++*past_table;
      }
      out.push_back(int16_t(sample[c]));
    }
    const size_t per_block = (block_bytes - header) * 2 / size_t(channels) + 1;
    for (size_t n = 1; n < per_block && byte_of(n, channels - 1) < block.size(); ++n) {
      for (int c = 0; c < channels; ++c) {
        const uint8_t byte = uint8_t(block[byte_of(n, c)]);
        DecodeCode((n - 1) % 2 ? byte >> 4 : byte & 0x0F, &sample[c], &index[c]);
        out.push_back(int16_t(sample[c]));
      }
    }
  }
  return out;
}

std::optional<Pcm16Wav> DecodeImaAdpcmWav(std::string_view bytes) {
  const auto wav = ReadWavChunks(bytes);
  if (!wav || wav->format_tag != 0x11 || wav->channels != 1 || wav->bits != 4 || wav->block_align <= 4) {
    return std::nullopt;
  }
  int past_table = 0;
  Pcm16Wav out;
  out.channels = 1;
  out.rate = wav->rate;
  out.samples = DecodeImaAdpcmBlocks(wav->data, 1, wav->block_align, &past_table);
  if (past_table > 0) return std::nullopt;
  return out;
}

}  // namespace nltest
