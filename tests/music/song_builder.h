// Song files written field by field from a plain description, for the tests.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace musictest {

struct Note {
  int32_t position;
  uint8_t key, length, volume, pan;
  bool operator==(const Note&) const = default;
};
struct Track {
  uint16_t freq = 1000;
  uint8_t wave = 0;
  uint8_t one_shot = 0;
  std::vector<Note> notes;
};
struct SongSpec {
  std::string magic = "Org-02";
  uint16_t tick_period = 100;
  uint8_t spare1 = 1, spare2 = 2;
  int32_t repeat_start = 0, repeat_end = 64;
  std::array<Track, 16> tracks;
};

inline void Put16(std::string& s, uint16_t v) {
  s += static_cast<char>(v);
  s += static_cast<char>(v >> 8);
}
inline void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

// The file layout written out field by field.
inline std::string SongBytes(const SongSpec& spec) {
  std::string s = spec.magic;
  Put16(s, spec.tick_period);
  s += static_cast<char>(spec.spare1);
  s += static_cast<char>(spec.spare2);
  Put32(s, static_cast<uint32_t>(spec.repeat_start));
  Put32(s, static_cast<uint32_t>(spec.repeat_end));
  for (const Track& t : spec.tracks) {
    Put16(s, t.freq);
    s += static_cast<char>(t.wave);
    s += static_cast<char>(t.one_shot);
    Put16(s, static_cast<uint16_t>(t.notes.size()));
  }
  for (const Track& t : spec.tracks) {
    for (const Note& n : t.notes) Put32(s, static_cast<uint32_t>(n.position));
    for (const Note& n : t.notes) s += static_cast<char>(n.key);
    for (const Note& n : t.notes) s += static_cast<char>(n.length);
    for (const Note& n : t.notes) s += static_cast<char>(n.volume);
    for (const Note& n : t.notes) s += static_cast<char>(n.pan);
  }
  return s;
}

}  // namespace musictest
