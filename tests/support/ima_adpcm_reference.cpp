#include "tests/support/ima_adpcm_reference.h"

#include <algorithm>
#include <cstdint>

namespace nltest {
namespace {

// The format's 89 quantiser steps, and how each code moves the step index.
constexpr int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kIndexMoves[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(uint8_t(s[at + i])) << (8 * i);
  return v;
}

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

std::optional<Pcm16Wav> DecodeImaAdpcmWav(const std::string& s) {
  if (s.size() < 12 || s.compare(0, 4, "RIFF") != 0 || s.compare(8, 4, "WAVE") != 0) return std::nullopt;
  Pcm16Wav out;
  size_t block_bytes = 0;
  for (size_t at = 12; at + 8 <= s.size();) {
    const size_t size = Le(s, at + 4, 4), body = at + 8;
    if (body + size > s.size()) return std::nullopt;
    if (s.compare(at, 4, "fmt ") == 0) {
      if (size < 16 || Le(s, body, 2) != 0x11 || Le(s, body + 2, 2) != 1 || Le(s, body + 14, 2) != 4) {
        return std::nullopt;
      }
      out.channels = 1;
      out.rate = Le(s, body + 4, 4);
      block_bytes = Le(s, body + 12, 2);
      if (block_bytes <= 4) return std::nullopt;
    } else if (s.compare(at, 4, "data") == 0 && block_bytes > 0) {
      for (size_t block = body; block + 4 <= body + size; block += block_bytes) {
        int sample = int16_t(Le(s, block, 2));
        int index = int(uint8_t(s[block + 2]));
        if (index > 88) return std::nullopt;
        out.samples.push_back(int16_t(sample));
        const size_t end = std::min(block + block_bytes, body + size);
        for (size_t i = block + 4; i < end; ++i) {
          for (int code : {uint8_t(s[i]) & 0x0F, uint8_t(s[i]) >> 4}) {
            DecodeCode(code, &sample, &index);
            out.samples.push_back(int16_t(sample));
          }
        }
      }
      return out;
    }
    at = body + size + (size & 1);
  }
  return std::nullopt;
}

}  // namespace nltest
