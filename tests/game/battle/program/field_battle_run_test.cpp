// A fight as the player meets it: the real program on a copy of the demo world, under the
// virtual clock and scripted input, from the title's new game through the town onto the
// field, walking the grass until enemies appear, fighting them with the fixed command to
// the win, and walking on in the field afterwards. The fight's frames are found from the
// first run's log, and the second run, the same game, captures them.
//
// The copy's songs are replaced by ones of known notes: the field's song climbs one
// semitone a beat (48 beats of 200 ms, keys 48-95), the battle song repeats key 45
// every 100 ms, and the title's and the town's are silent. So the captured sound says
// which song played and, for the field's, where in it.
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "tests/music/song_builder.h"
#include "tests/support/game_log.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"

namespace {

using nltest::CountNear;
using nltest::Rgb;

constexpr int kTickMs = 50;
constexpr int kRampFirstKey = 48, kRampBeats = 48, kRampBeatTicks = 4;
constexpr int kBattleKey = 45, kBattleBeatTicks = 2;
constexpr int kFrames = 2000;        // presented frames of a run
constexpr int kFieldWalkFrom = 430;  // the field is entered shortly before
// Frames captured on either side of the fight the log tells of: the field before and after.
constexpr int kAroundFight = 20;

std::string Song(int beats, int beat_ticks, int first_key, int key_step) {
  musictest::SongSpec spec;
  spec.tick_period = kTickMs;
  spec.repeat_start = 0;
  spec.repeat_end = beats * beat_ticks;
  for (int b = 0; b < beats; ++b) {
    spec.tracks[0].notes.push_back(
        {b * beat_ticks, uint8_t(first_key + key_step * b), uint8_t(beat_ticks / 2 + beat_ticks / 4), 200, 6});
  }
  return musictest::SongBytes(spec);
}

std::string SilentSong() {
  musictest::SongSpec spec;
  spec.tick_period = kTickMs;
  return musictest::SongBytes(spec);
}

// The title's new game, the prologue skipped, then the town walked to its gate (the NPC
// and the chest on the way are talked to and opened, which costs nothing here).
constexpr char kTitleToField[] =
    "60 down pad:1\n61 up pad:1\n70 down Up\n71 up Up\n80 down pad:1\n81 up pad:1\n"
    "90 down pad:1 W\n92 up pad:1 W\n104 down Up\n126 up Up\n134 down pad:1\n135 up pad:1\n"
    "154 down pad:1\n155 up pad:1\n174 down pad:1\n175 up pad:1\n184 down Down\n185 up Down\n"
    "194 down Right\n195 up Right\n204 down Right\n205 up Right\n214 down pad:1\n215 up pad:1\n"
    "234 down pad:1\n235 up pad:1\n244 down Left\n245 up Left\n254 down Up\n334 up Up\n"
    "344 down Left\n345 up Left\n354 down Up\n355 up Up\n";

// On the field: five steps north of the gate, then back and forth along the row in the
// grass. Decide and page-down (W) are tapped every 8 frames throughout: on the field they
// do nothing there, in the fight they page down to the fixed command (slot 11), choose it,
// confirm its target and read each message on.
std::string FieldInput() {
  std::map<int, std::string> lines;  // frame -> its lines, in order
  auto add = [&](int frame, const std::string& what) { lines[frame] += std::to_string(frame) + " " + what + "\n"; };
  add(kFieldWalkFrom, "down Up");
  add(kFieldWalkFrom + 40, "up Up");
  bool left = true;
  for (int f = kFieldWalkFrom + 42, hold = 32; f < kFrames; f += hold, hold = 64, left = !left) {
    add(f, std::string("down ") + (left ? "Left" : "Right"));
    add(f + hold, std::string("up ") + (left ? "Left" : "Right"));
  }
  for (int f = kFieldWalkFrom + 50; f < kFrames; f += 8) {
    add(f, "down pad:1 W");
    add(f + 1, "up pad:1 W");
  }
  std::string out = kTitleToField;
  for (const auto& [frame, text] : lines) out += text;
  return out;
}

// ---- Frames ----

// ---- Sound ----

using Mono = nltest::MonoWav;

double KeyHz(int key) { return 440.0 * std::pow(2.0, (key - 45) / 12.0); }

constexpr int kWindowMs = 25;
constexpr int kNoKey = -1;

// The key whose tone carries most of a window's energy (more than 60 %), or kNoKey.
// The share is the Goertzel power at the key's frequency over the window's energy: 1 for
// a pure tone at that frequency.
int WindowKey(const double* x, size_t n, double rate, double* energy) {
  double total = 0;
  for (size_t i = 0; i < n; ++i) total += x[i] * x[i];
  *energy = total / double(n);
  if (*energy < 100.0 * 100.0) return kNoKey;
  int best = kNoKey;
  double best_share = 0.6;
  auto consider = [&](int key) {
    const double w = 2 * std::numbers::pi * KeyHz(key) / rate, c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (size_t i = 0; i < n; ++i) {
      const double s0 = x[i] + c * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    const double share = 2 * power / double(n) / total;
    if (share > best_share) best_share = share, best = key;
  };
  consider(kBattleKey);
  for (int k = 0; k < kRampBeats; ++k) consider(kRampFirstKey + k);
  return best;
}

// A run of windows holding one key: where it starts (ms) and how long it lasts.
struct Note {
  int key, start_ms, windows;
  double rms;
};

std::vector<Note> Notes(const Mono& wav) {
  const size_t n = wav.rate * kWindowMs / 1000;
  std::vector<Note> notes;
  int last = kNoKey;
  for (size_t at = 0, w = 0; at + n <= wav.samples.size(); at += n, ++w) {
    double energy = 0;
    const int key = WindowKey(wav.samples.data() + at, n, wav.rate, &energy);
    if (key != kNoKey && key == last) {
      ++notes.back().windows;
    } else if (key != kNoKey) {
      notes.push_back({key, int(w) * kWindowMs, 1, std::sqrt(energy)});
    }
    last = key;
  }
  return notes;
}

// ---- The fade-in ----

// A ramp note's level in 1/100 dB for the master volume m: its track volume 200 scaled by
// m / 127 (integers), then volume x 8 - 2040.
double RampLevelDb(int m) { return ((200 * m / 127) * 8 - 2040) / 100.0; }

constexpr int kFadeNotes = 10;  // notes after the resume looked at: 2 s, past the fade's 1.5 s

// The first sample of a note: the song is silent between a note's end and the next.
size_t Onset(const Mono& wav, int near_ms) {
  size_t at = size_t(std::max(0, near_ms - kWindowMs)) * wav.rate / 1000;
  while (at < wav.samples.size() && std::fabs(wav.samples[at]) < 1) ++at;
  return at;
}

// Decibels of the samples [from, to).
double LevelDb(const Mono& wav, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += wav.samples[i] * wav.samples[i];
  return 10 * std::log10(sum / double(to - from));
}

// The levels the ticks of the field's song set on the way back from the fight.
//
// The title's and the town's songs are silent, so the first sample heard starts the
// field's song: its ticks follow every 50 ms from there, a note every four, keys 48 up.
// Until the fight they play at master volume 127: the level of each octave's wave at full
// volume (the voices' buffers are per octave; within one the level does not move).
//
// After the fight the song was silent, so the resumed note's first sample is exact too.
// Each tick sets the level of a note that sounds from the master volume of that moment,
// as long as a note lies ahead. The fade's volume starts at 40 and gains 2 a 35 ms frame
// up to 126 (the step to 128 is refused); where the frames fall between the ticks is not
// known from outside, so each tick's volume is read from its level and the steps between
// ticks are checked against the frames that fit between them.
void CheckFadeIn(const Mono& wav, std::vector<Note>::const_iterator battle_from,
                 std::vector<Note>::const_iterator resumed, std::vector<Note>::const_iterator end) {
  const size_t tick = wav.rate * kTickMs / 1000, edge = wav.rate / 200;  // 5 ms off each end
  // A tick's level, over whole periods of its tone (a low one has few in a tick).
  const auto level = [&](size_t tick_start, int key) {
    const double period = wav.rate / KeyHz(key);
    const size_t span = size_t(std::lround(std::floor(double(tick - 2 * edge) / period) * period));
    return LevelDb(wav, tick_start + edge, tick_start + edge + span);
  };
  size_t song_start = 0;
  while (song_start < wav.samples.size() && std::fabs(wav.samples[song_start]) < 1) ++song_start;
  std::map<int, std::vector<double>> full;  // octave -> levels of its notes' middle ticks
  const size_t fight = size_t(battle_from->start_ms) * wav.rate / 1000;
  for (int i = 0; song_start + size_t(4 * i + 2) * tick + kWindowMs * wav.rate / 1000 < fight; ++i) {
    const int key = kRampFirstKey + i % kRampBeats;
    full[key / 12].push_back(level(song_start + size_t(4 * i + 1) * tick, key));
  }
  ASSERT_EQ(full.size(), 4u) << "the field's song played all its octaves before the fight";
  std::map<int, double> reference;
  for (const auto& [octave, levels] : full) {
    const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
    EXPECT_LT(*high - *low, 0.05) << "the levels at full volume in octave " << octave;
    reference[octave] = *low + (*high - *low) / 2;
  }

  ASSERT_GE(end - resumed, kFadeNotes) << "the field's song after the fight";
  const size_t onset = Onset(wav, resumed->start_ms);
  std::vector<double> heard;  // tick 4 n + t: tick t of note n after the resume, over full
  std::vector<bool> last_note;
  for (int n = 0; n < kFadeNotes; ++n) {
    const int key = (resumed + n)->key;
    for (int t = 0; t < 4; ++t) {
      const size_t from = onset + size_t(4 * n + t) * tick;
      ASSERT_LE(from + tick, wav.samples.size());
      heard.push_back(t == 3 ? std::nan("") : level(from, key) - reference[key / 12]);
      last_note.push_back(key == kRampFirstKey + kRampBeats - 1);
    }
  }
  // Each tick's level names the master volume it was set from: the even one of the fade
  // (40 to 126) whose level it is, to 0.03 dB (neighbours lie 0.2 dB or more apart).
  std::vector<int> volume(heard.size(), -1);
  for (size_t k = 0; k < heard.size(); ++k) {
    if (std::isnan(heard[k])) continue;
    double best = 1e9;
    for (int m = 40; m <= 126; m += 2) {
      const double off = std::fabs(heard[k] - (RampLevelDb(m) - RampLevelDb(127)));
      if (off < best) best = off, volume[k] = m;
    }
    EXPECT_LT(best, 0.03) << "tick " << k << " after the resumed note's start: " << heard[k]
                          << " dB is no level of the fade";
  }
  // A tick sets the level only while its note sounds and another lies ahead: the song's
  // last note (key 95) keeps the level its previous note's last sounding tick set. Between
  // two ticks that set it, the 35 ms frames passed step the volume by 2 each: as many as
  // fit in the time between, rounded down or up. The first note comes 1 to 4 ticks after
  // the resume.
  EXPECT_LE(volume[0], 40 + 2 * (4 * kTickMs / 35 + 1)) << "the first note's volume";
  const auto set_at = [&](int k) { return last_note[k] ? k - k % 4 - 2 : k; };
  int previous = volume[0], previous_set = set_at(0), reached_top = volume[0] == 126 ? 0 : -1;
  for (int k = 1; k < int(heard.size()); ++k) {
    if (volume[k] < 0) continue;
    const int ms = (set_at(k) - previous_set) * kTickMs;
    const int step = volume[k] - previous;
    EXPECT_GE(step, std::min(2 * (ms / 35), 126 - previous)) << "tick " << k;
    EXPECT_LE(step, 2 * ((ms + 34) / 35)) << "tick " << k;
    if (volume[k] == 126 && reached_top < 0) reached_top = k;
    previous = volume[k], previous_set = set_at(k);
  }
  // From 40 to 126: 43 frames, about 1.5 s, counted from the resume (1 to 4 ticks before).
  ASSERT_GE(reached_top, 0) << "the fade never ended";
  EXPECT_NEAR((reached_top + 2.5) * kTickMs, 43 * 35, 3 * kTickMs) << "the fade's length";
  std::printf("fade-in: volumes %d at the resumed note, 126 on its tick %d\n", volume[0], reached_top);
}

// ---- The runs ----

// The demo's field enemies and the money each leaves (value 24 of its record).
const std::map<int, int> kEnemyMoney = {{1, 12}, {2, 18}, {3, 25}};

constexpr Rgb kFieldGround{36, 72, 48};
constexpr Rgb kDimmedGround{27, 54, 36};  // the ground behind the fight, under black at 64
constexpr int kBorderWidth = 40;          // the field view's side borders

bool IsField(const nltest::Png& png) { return CountNear(png, kFieldGround) > 240 * 100; }
bool IsBattle(const nltest::Png& png) {
  return CountNear(png, kFieldGround) < 240 * 10 && CountNear(png, kDimmedGround) > 240 * 20;
}

// The side borders of a frame: columns 0-39 and 280-319 of every row.
std::vector<uint8_t> Borders(const nltest::Png& png) {
  std::vector<uint8_t> out;
  const size_t row = size_t(png.width) * 3, border = kBorderWidth * 3;
  for (int y = 0; y < png.height; ++y) {
    const auto line = png.rgb.begin() + ptrdiff_t(row * size_t(y));
    out.insert(out.end(), line, line + ptrdiff_t(border));
    out.insert(out.end(), line + ptrdiff_t(row - border), line + ptrdiff_t(row));
  }
  return out;
}

// A log line from `at` begins with its time stamp: digits, then a colon.
bool Stamped(const std::string& log, size_t at) {
  size_t i = at;
  while (i < log.size() && log[i] >= '0' && log[i] <= '9') ++i;
  return i > at && i < log.size() && log[i] == ':';
}

class FieldBattleRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
    ASSERT_TRUE(
        nltest::WriteFileBytes(run_.DataFile("Org/field.org"), Song(kRampBeats, kRampBeatTicks, kRampFirstKey, 1)));
    ASSERT_TRUE(nltest::WriteFileBytes(run_.DataFile("Org/battle.org"), Song(8, kBattleBeatTicks, kBattleKey, 0)));
    ASSERT_TRUE(nltest::WriteFileBytes(run_.DataFile("Org/title.org"), SilentSong()));
    ASSERT_TRUE(nltest::WriteFileBytes(run_.DataFile("Org/town.org"), SilentSong()));
    ASSERT_TRUE(run_.InputText(FieldInput()));
    // No sound effects: the captured sound is the music's alone.
    std::filesystem::remove(run_.DataFile("wav/sound.csv"));
    run_.ExitAfter(kFrames);
  }
  // One run in the data copy: the sound goes to `name`.wav, the log is kept as `name`.log
  // and the frames listed are captured into the folder `name`.
  int Run(const std::string& name, const std::string& frames) {
    run_.RemoveLog();
    run_.AudioOut(name + ".wav");
    run_.Capture(frames, name);
    const int status = run_.Run();
    std::filesystem::copy_file(run_.DataFile("AppLog.txt"), run_.File(name + ".log"),
                               std::filesystem::copy_options::overwrite_existing);
    if (const char* keep = std::getenv("NL_BATTLE_RUN_KEEP"); keep != nullptr) {
      std::filesystem::copy(
          run_.File(""), keep,
          std::filesystem::copy_options::overwrite_existing | std::filesystem::copy_options::recursive);
    }
    return status;
  }

  nltest::GameRun run_;
};

TEST_F(FieldBattleRunTest, AnEncounterIsWonAndTheFieldAndItsSongComeBack) {
  // The first run captures its last frames: the last one presented anchors the log's times.
  ASSERT_EQ(Run("a", nltest::FrameRange(kFrames - 5, kFrames + 5)), 0);
  const std::string sound = nltest::ReadFileBytes(run_.File("a.wav"));

  // The log: who was met, the win and its money, which the party keeps (a new game has none).
  const std::string log = nltest::ReadFileBytes(run_.File("a.log"));
  const size_t begins = log.find("battle: begins, enemies");
  ASSERT_NE(begins, std::string::npos) << "no fight began";
  int ids[8] = {};
  ASSERT_EQ(std::sscanf(log.c_str() + begins, "battle: begins, enemies %d %d %d %d %d %d %d %d", &ids[0], &ids[1],
                        &ids[2], &ids[3], &ids[4], &ids[5], &ids[6], &ids[7]),
            8);
  int money = 0;
  for (int id : ids) {
    if (id == 0) continue;
    ASSERT_TRUE(kEnemyMoney.count(id)) << "enemy " << id << " does not live on the field";
    money += kEnemyMoney.at(id);
  }
  ASSERT_GT(money, 0) << "a fight without enemies";
  const std::string won = "battle: won, " + std::to_string(money) + " R found";
  const std::string ends = "battle: ends, money " + std::to_string(money);
  EXPECT_GT(log.find(won, begins), begins) << won;
  EXPECT_GT(log.find(ends, begins), log.find(won, begins)) << ends;
  EXPECT_EQ(log.find("battle: the party fell"), std::string::npos);
  // Each is one line of its own: stamped, and the next line stamped too (no empty line).
  for (const std::string& line : {std::string("battle: begins, enemies"), won, ends}) {
    const size_t at = log.find(line, begins);
    ASSERT_NE(at, std::string::npos) << line;
    const size_t start = log.rfind('\n', at) + 1;  // npos + 1 is the log's start
    EXPECT_TRUE(Stamped(log, start)) << line;
    const size_t next = log.find('\n', at) + 1;
    ASSERT_NE(next, 0u) << line << ": the line is not closed";
    EXPECT_TRUE(next == log.size() || Stamped(log, next))
        << "after " << line << ": \"" << log.substr(next, log.find('\n', next) - next) << "\"";
  }

  // The fight's frames from the log, and the field's around them, captured by a second run
  // of the same game, which writes the same samples.
  const int last_frame = int(run_.LastFrame());
  ASSERT_GT(last_frame, 0) << "the first run's last frames";
  const std::vector<nltest::LoggedFight> fights = nltest::Fights(log);
  ASSERT_FALSE(fights.empty());
  const int from = nltest::FrameAt(log, fights[0].begins_ms, last_frame) - kAroundFight;
  const int to = std::min(kFrames, nltest::FrameAt(log, fights[0].ends_ms, last_frame) + kAroundFight);
  ASSERT_LT(from, to) << "the fight's frames";
  ASSERT_EQ(Run("b", nltest::FrameRange(from, to)), 0);
  EXPECT_TRUE(sound == nltest::ReadFileBytes(run_.File("b.wav"))) << "two runs, the same samples";

  // The frames: the field, then the fight behind the frozen, dimmed field, then the field.
  int first_battle = 0, field_again = 0;
  std::optional<nltest::Png> last_field;
  for (int n = from; n <= to && field_again == 0; ++n) {
    const auto png = run_.Frame(n);
    ASSERT_TRUE(png) << "frame " << n;
    if (first_battle == 0) {
      if (IsBattle(*png)) {
        ASSERT_TRUE(last_field) << "the fight came before the field";
        first_battle = n;
        EXPECT_TRUE(Borders(*png) == Borders(*last_field)) << "the field's side borders frame the fight";
      } else if (IsField(*png)) {
        last_field = png;
      }
    } else if (IsField(*png)) {
      field_again = n;
    } else {
      EXPECT_TRUE(IsBattle(*png)) << "frame " << n << " is neither the fight nor the field";
    }
  }
  ASSERT_NE(first_battle, 0) << "no fight on the screen";
  ASSERT_NE(field_again, 0) << "the field did not come back";
  EXPECT_GT(field_again - first_battle, 120) << "a fight of a few turns";
  std::printf("fight on frames %d-%d\n", first_battle, field_again - 1);

  // The sound: the field's song climbing a semitone a beat, the battle song's beat every
  // 100 ms, then the field's song again where it stopped, fading in.
  const auto wav = nltest::ReadMonoWav(sound);
  ASSERT_TRUE(wav);
  const std::vector<Note> notes = Notes(*wav);
  const auto is_ramp = [](const Note& n) { return n.key >= kRampFirstKey && n.key < kRampFirstKey + kRampBeats; };
  const auto battle_from = std::find_if(notes.begin(), notes.end(), [](const Note& n) { return n.key == kBattleKey; });
  ASSERT_NE(battle_from, notes.end()) << "no battle song";
  ASSERT_GE(battle_from - notes.begin(), 5) << "the field's song before the fight";
  for (auto n = battle_from - 4; n != battle_from; ++n) {
    ASSERT_TRUE(is_ramp(*n) && is_ramp(*(n - 1)));
    EXPECT_EQ(n->key, (n - 1)->key + 1) << "at " << n->start_ms << " ms";
    EXPECT_EQ(n->start_ms - (n - 1)->start_ms, kRampBeatTicks * kTickMs);
  }
  const int key_before = (battle_from - 1)->key;
  ASSERT_LT(key_before, kRampFirstKey + kRampBeats - 1) << "the fight came at the song's wrap: lengthen it";
  auto battle_to = battle_from;
  while (battle_to != notes.end() && battle_to->key == kBattleKey) ++battle_to;
  ASSERT_GE(battle_to - battle_from, 20) << "the battle song through the fight";
  for (auto n = battle_from + 1; n != battle_to; ++n) {
    EXPECT_EQ(n->start_ms - (n - 1)->start_ms, kBattleBeatTicks * kTickMs) << "at " << n->start_ms << " ms";
  }
  // After the fight (the victory silenced the music; its sound may sound), the first of
  // three rising field notes is where the song resumed.
  auto resumed = battle_to;
  while (resumed + 2 < notes.end() &&
         !(is_ramp(*resumed) && (resumed + 1)->key == resumed->key + 1 && (resumed + 2)->key == resumed->key + 2)) {
    ++resumed;
  }
  ASSERT_LT(resumed + 2, notes.end()) << "the field's song did not come back";
  // The saved position is the tick after the last one played: the interrupted note had
  // begun, so the first note sounded again is the next one.
  EXPECT_EQ(resumed->key, key_before + 1) << "resumed at key " << resumed->key << " after key " << key_before
                                          << " (its start is key " << kRampFirstKey << ")";
  for (auto n = resumed + 1; n != resumed + 3; ++n) {
    EXPECT_EQ(n->start_ms - (n - 1)->start_ms, kRampBeatTicks * kTickMs);
  }
  CheckFadeIn(*wav, battle_from, resumed, notes.end());
}

}  // namespace
