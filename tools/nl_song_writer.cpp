// nl_song_writer SCORE OUTPUT: turns a readable score into an "Org-02" song file.
//
// A score is lines of words; '#' starts a comment.
//   period MS                 milliseconds per tick (1..65535)
//   repeat START END          the ticks playing returns to and returns at
//   track T [wave W] [freq F] [oneshot 0|1] [volume V] [pan P] [key K]
//                             starts track T (0..7 melody, 8..15 drums); volume (0..254)
//                             and pan (0..12, 6 the centre) go on the track's first note;
//                             key is a drum track's default strike (rate K x 800 + 100 Hz;
//                             27 is about the samples' own rate)
//   at TICK [xN]: NOTES...    the notes one after another from TICK, N times over
// Notes:
//   C3/4  D#3/2/1  45/8       a melody key (C3 = key 36 = 262 Hz, A3 = key 45 = 440 Hz;
//                             sharps '#', flats 'b', or the key number), then the ticks to
//                             the next note and, optionally, the ticks it sounds when
//                             shorter than that
//   x/4  k30/4                a drum strike at the track's key, or at key 30
//   r/4                       a rest
//   v=V  p=P                  volume and pan of the next note
// Each track's notes must land on distinct ticks, at most 4096 a track (the marker below
// included). A track whose last note comes before the last tick of the repeat gets a
// marker note there (key, volume and pan 255): the tick applies a track's volume only
// while a note lies ahead, and a last note on a buffer that never had a volume would
// sound at full level.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kTracks = 16;
constexpr int kFirstDrumTrack = 8;
constexpr size_t kMaxNotes = 4096;
constexpr int kMaxMelodyKey = 95;
constexpr int kMaxDrumKey = 124;  // 124 x 800 + 100 = 99,300 Hz, the last rate a device takes
constexpr int kNone = 255;

struct Note {
  int32_t position;
  int key, length, volume, pan;
};

struct Track {
  int freq = 1000, wave = 0, one_shot = 0, volume = 200, pan = 6, key = 27;
  std::vector<Note> notes;
};

struct Score {
  int period = 128;
  int32_t repeat_start = 0, repeat_end = 4080;
  Track tracks[kTracks];
};

struct Failure {
  std::string message;
};

[[noreturn]] void Fail(int line, const std::string& what) {
  throw Failure{"line " + std::to_string(line) + ": " + what};
}

long Number(int line, const std::string& word, long lo, long hi) {
  size_t used = 0;
  long v = 0;
  try {
    v = std::stol(word, &used);
  } catch (...) {
    Fail(line, "not a number: " + word);
  }
  if (used != word.size()) Fail(line, "not a number: " + word);
  if (v < lo || v > hi) Fail(line, word + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
  return v;
}

// "C3", "D#4", "Bb2" or a key number.
int MelodyKey(int line, const std::string& name) {
  static const std::map<char, int> kNotes{{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5}, {'G', 7}, {'A', 9}, {'B', 11}};
  if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) {
    return static_cast<int>(Number(line, name, 0, kMaxMelodyKey));
  }
  auto it = name.empty() ? kNotes.end() : kNotes.find(name[0]);
  if (it == kNotes.end()) Fail(line, "not a note: " + name);
  int note = it->second;
  size_t i = 1;
  if (i < name.size() && name[i] == '#')
    ++note, ++i;
  else if (i < name.size() && name[i] == 'b')
    --note, ++i;
  const int key = static_cast<int>(Number(line, name.substr(i), 0, 7)) * 12 + note;
  if (key < 0 || key > kMaxMelodyKey) Fail(line, "no such key: " + name);
  return key;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(s);
  while (std::getline(in, part, sep)) parts.push_back(part);
  return parts;
}

void AddSequence(int line, Track& track, bool drum, int32_t start, int times, const std::vector<std::string>& words) {
  int32_t at = start;
  for (int n = 0; n < times; ++n) {
    int volume = kNone, pan = kNone;
    for (const std::string& word : words) {
      if (word.rfind("v=", 0) == 0) {
        volume = static_cast<int>(Number(line, word.substr(2), 0, 254));
        continue;
      }
      if (word.rfind("p=", 0) == 0) {
        pan = static_cast<int>(Number(line, word.substr(2), 0, 12));
        continue;
      }
      const std::vector<std::string> parts = Split(word, '/');
      if (parts.size() < 2 || parts.size() > 3) Fail(line, "a note is NAME/TICKS[/LENGTH]: " + word);
      const int step = static_cast<int>(Number(line, parts[1], 0, 100000));
      int length = parts.size() == 3 ? static_cast<int>(Number(line, parts[2], 0, 255)) : std::min(step, 255);
      const std::string& name = parts[0];
      if (name != "r") {
        int key;
        if (drum) {
          if (name == "x")
            key = track.key;
          else if (name[0] == 'k')
            key = static_cast<int>(Number(line, name.substr(1), 0, kMaxDrumKey));
          else
            Fail(line, "a drum note is x or kKEY: " + word);
          length = 0;
        } else {
          key = MelodyKey(line, name);
        }
        track.notes.push_back({at, key, length, volume, pan});
        volume = pan = kNone;
      }
      at += step;
    }
  }
}

Score Read(std::istream& in) {
  Score score;
  Track* track = nullptr;
  bool drum = false;
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    if (size_t hash = text.find('#'); hash != std::string::npos) {
      // '#' after a note letter is a sharp, not a comment.
      size_t c = hash;
      while (c != std::string::npos && c > 0 && std::isalpha(static_cast<unsigned char>(text[c - 1]))) {
        c = text.find('#', c + 1);
      }
      if (c != std::string::npos) text.erase(c);
    }
    std::istringstream words(text);
    std::vector<std::string> w;
    for (std::string s; words >> s;) w.push_back(s);
    if (w.empty()) continue;
    if (w[0] == "period" && w.size() == 2) {
      score.period = static_cast<int>(Number(line, w[1], 1, 65535));
    } else if (w[0] == "repeat" && w.size() == 3) {
      score.repeat_start = static_cast<int32_t>(Number(line, w[1], 0, 0x7FFFFFFE));
      score.repeat_end = static_cast<int32_t>(Number(line, w[2], 1, 0x7FFFFFFF));
    } else if (w[0] == "track" && w.size() >= 2 && w.size() % 2 == 0) {
      const int t = static_cast<int>(Number(line, w[1], 0, kTracks - 1));
      track = &score.tracks[t];
      drum = t >= kFirstDrumTrack;
      for (size_t i = 2; i < w.size(); i += 2) {
        const std::string& k = w[i];
        if (k == "wave")
          track->wave = static_cast<int>(Number(line, w[i + 1], 0, drum ? 11 : 99));
        else if (k == "freq")
          track->freq = static_cast<int>(Number(line, w[i + 1], 0, 65535));
        else if (k == "oneshot")
          track->one_shot = static_cast<int>(Number(line, w[i + 1], 0, 1));
        else if (k == "volume")
          track->volume = static_cast<int>(Number(line, w[i + 1], 0, 254));
        else if (k == "pan")
          track->pan = static_cast<int>(Number(line, w[i + 1], 0, 12));
        else if (k == "key" && drum)
          track->key = static_cast<int>(Number(line, w[i + 1], 0, kMaxDrumKey));
        else
          Fail(line, "unknown track setting: " + k);
      }
    } else if (w[0] == "at" && w.size() >= 2) {
      if (track == nullptr) Fail(line, "notes before any track");
      size_t first = 2;
      std::string tick = w[1];
      int times = 1;
      bool colon = !tick.empty() && tick.back() == ':';
      if (colon) tick.pop_back();
      if (!colon && w.size() >= 3 && w[2].size() >= 2 && w[2][0] == 'x') {
        std::string n = w[2];
        colon = n.back() == ':';
        if (colon) n.pop_back();
        times = static_cast<int>(Number(line, n.substr(1), 1, 4096));
        first = 3;
      }
      if (!colon) Fail(line, "'at TICK [xN]:' ends with a colon");
      AddSequence(line, *track, drum, static_cast<int32_t>(Number(line, tick, -0x7FFFFFFF, 0x7FFFFFFE)), times,
                  std::vector<std::string>(w.begin() + first, w.end()));
    } else {
      Fail(line, "cannot read: " + text);
    }
  }
  for (int t = 0; t < kTracks; ++t) {
    Track& tr = score.tracks[t];
    std::stable_sort(tr.notes.begin(), tr.notes.end(),
                     [](const Note& a, const Note& b) { return a.position < b.position; });
    for (size_t i = 1; i < tr.notes.size(); ++i) {
      if (tr.notes[i].position == tr.notes[i - 1].position) {
        Fail(0, "track " + std::to_string(t) + " has two notes at tick " + std::to_string(tr.notes[i].position));
      }
    }
    if (!tr.notes.empty() && tr.notes.back().position < score.repeat_end - 1) {
      tr.notes.push_back({score.repeat_end - 1, kNone, 0, kNone, kNone});
    }
    if (tr.notes.size() > kMaxNotes) Fail(0, "track " + std::to_string(t) + " has more than 4096 notes");
    // The first note sets the track's volume and pan, so nothing of the last song stays.
    if (!tr.notes.empty()) {
      if (tr.notes[0].volume == kNone) tr.notes[0].volume = tr.volume;
      if (tr.notes[0].pan == kNone) tr.notes[0].pan = tr.pan;
    }
  }
  return score;
}

void Put16(std::string& s, int v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, int32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
}

std::string SongFile(const Score& score) {
  std::string s = "Org-02";
  Put16(s, score.period);
  s += static_cast<char>(4);  // two spare bytes, kept as the song defaults have them
  s += static_cast<char>(4);
  Put32(s, score.repeat_start);
  Put32(s, score.repeat_end);
  for (const Track& t : score.tracks) {
    Put16(s, t.freq);
    s += static_cast<char>(t.wave);
    s += static_cast<char>(t.one_shot);
    Put16(s, static_cast<int>(t.notes.size()));
  }
  for (const Track& t : score.tracks) {
    for (const Note& n : t.notes) Put32(s, n.position);
    for (const Note& n : t.notes) s += static_cast<char>(n.key);
    for (const Note& n : t.notes) s += static_cast<char>(n.length);
    for (const Note& n : t.notes) s += static_cast<char>(n.volume);
    for (const Note& n : t.notes) s += static_cast<char>(n.pan);
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nl_song_writer SCORE OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "nl_song_writer: cannot open %s\n", argv[1]);
    return 1;
  }
  std::string bytes;
  try {
    bytes = SongFile(Read(in));
  } catch (const Failure& f) {
    std::fprintf(stderr, "nl_song_writer: %s: %s\n", argv[1], f.message.c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "nl_song_writer: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
