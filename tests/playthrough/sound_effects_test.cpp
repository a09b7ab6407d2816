// The demo world's sound effects as a player hears them: the first start of the
// play-through (new_game.input: the title, the town with its chest, brambles and shop, the
// fights in the field, the menu's herb and a save) is played twice by the real program,
// once with wav/sound.csv and once without. On the virtual clock the songs come out the
// same sample for sample, so the difference of the two captures is the effects alone:
// each expected effect must start there within its frames, and be the row's own sound
// (its file's samples, decoded here without the game's decoders and played at the mixer's
// rate, line up with the difference). The story's play-through (story.input: the spring,
// the jumps and breaks, the fights and the shadow's) is heard too, for clipping; and the
// table's levels are held against the songs they are heard over.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/game_log.h"
#include "tests/support/game_run.h"
#include "tests/support/ima_adpcm_reference.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"

namespace {

// A capture: 16-bit stereo PCM.
struct Capture {
  uint32_t rate = 0;
  std::vector<int16_t> left, right;
};

std::optional<Capture> ReadCapture(const std::string& path) {
  const auto wav = nltest::ReadPcm16Wav(nltest::ReadFileBytes(path));
  if (!wav || wav->channels != 2) return std::nullopt;
  Capture out;
  out.rate = wav->rate;
  for (size_t i = 0; i + 1 < wav->samples.size(); i += 2) {
    out.left.push_back(wav->samples[i]);
    out.right.push_back(wav->samples[i + 1]);
  }
  return out;
}

constexpr int kFrameMs = 35;
constexpr int kQuiet = 64;          // below this the difference counts as silence
constexpr double kSameSound = 0.9;  // correlation of the difference with the row's sound
// How far before and after its first loud sample in the difference a sound may start.
constexpr size_t kSearchBack = 1200, kSearchOn = 120;

// A row's sound as its file holds it, decoded without the game's decoders: PCM as the
// effect tool wrote its samples, IMA ADPCM by the format's own decoding, MP3 by LAME's
// decoder. Mono, at the file's rate; empty when it cannot be had.
nltest::MonoWav FileSound(const std::string& file, const std::string& scratch) {
  std::string bytes = nltest::ReadFileBytes(file);
  if (file.size() > 4 && file.compare(file.size() - 4, 4, ".mp3") == 0) {
    const std::string decoded = scratch + "/decoded.wav";
    const std::string command = "lame --quiet --decode '" + file + "' '" + decoded + "'";
    if (std::system(command.c_str()) != 0) return {};
    bytes = nltest::ReadFileBytes(decoded);
    std::remove(decoded.c_str());
  }
  if (const auto adpcm = nltest::DecodeImaAdpcmWav(bytes)) {
    return {adpcm->rate, std::vector<double>(adpcm->samples.begin(), adpcm->samples.end())};
  }
  if (const auto pcm = nltest::ReadMonoWav(bytes)) return *pcm;
  return {};
}

// A row's sound played at the capture's rate as a sound buffer is: each output sample a
// straight line between the two source samples around it.
std::vector<double> EffectAtRate(const std::string& file, uint32_t rate, const std::string& scratch) {
  const nltest::MonoWav sound = FileSound(file, scratch);
  if (sound.samples.empty()) return {};
  const uint32_t source_rate = sound.rate;
  std::vector<double> source = sound.samples;
  // From where it is heard: past the rise of the attack and an encoder's quiet start
  // (the MP3's), at a hundredth of the peak.
  double peak = 0;
  for (double v : source) peak = std::max(peak, std::abs(v));
  size_t first = 0;
  while (first < source.size() && std::abs(source[first]) < peak / 100) ++first;
  source.erase(source.begin(), source.begin() + long(first));
  std::vector<double> out;
  for (double at = 0; at + 1 < double(source.size()); at += double(source_rate) / rate) {
    const size_t i = size_t(at);
    out.push_back(source[i] + (source[i + 1] - source[i]) * (at - double(i)));
  }
  return out;
}

// The rows of wav/sound.csv by number: the file of each row that names one.
std::map<int, std::string> SoundRows(const std::string& data) {
  std::map<int, std::string> rows;
  const std::string csv = nltest::ReadFileBytes(data + "/wav/sound.csv");
  size_t start = 0;
  for (int row = 0; start < csv.size(); ++row) {
    const size_t end = csv.find('\n', start);
    const std::string line = csv.substr(start, end - start);
    start = end == std::string::npos ? csv.size() : end + 1;
    const size_t a = line.find(','), b = line.find(',', a + 1);
    std::string name = line.substr(a + 1, b - a - 1);
    if (name.empty() || name == "-") continue;  // "-" names no file
    std::replace(name.begin(), name.end(), '\\', '/');
    rows[row] = data + "/" + name;
  }
  return rows;
}

// Where something starts in the difference: the first loud sample of a 2.5 ms block
// that is above the quiet level and three times as loud as any of the 10 ms before it
// (an effect may start while another one fades).
std::vector<size_t> Onsets(const std::vector<int32_t>& d, uint32_t rate) {
  const size_t block = rate / 400;
  std::vector<int32_t> peaks;
  for (size_t at = 0; at + block <= d.size(); at += block) {
    int32_t p = 0;
    for (size_t i = at; i < at + block; ++i) p = std::max(p, std::abs(d[i]));
    peaks.push_back(p);
  }
  std::vector<size_t> out;
  for (size_t b = 0; b < peaks.size(); ++b) {
    int32_t before = 0;
    for (size_t k = b >= 4 ? b - 4 : 0; k < b; ++k) before = std::max(before, peaks[k]);
    if (peaks[b] <= kQuiet || peaks[b] <= 3 * before) continue;
    size_t i = b * block;
    while (std::abs(d[i]) <= kQuiet) ++i;
    out.push_back(i);
  }
  return out;
}

// The correlation of `effect` with the difference from sample k on, over every `stride`-th
// sample.
double CorrelationAt(const std::vector<int32_t>& d, size_t k, const std::vector<double>& effect, size_t stride) {
  double de = 0, dd = 0, ee = 0;
  for (size_t n = 0; n < effect.size(); n += stride) {
    de += d[k + n] * effect[n];
    dd += double(d[k + n]) * d[k + n];
    ee += effect[n] * effect[n];
  }
  return dd > 0 && ee > 0 ? de / std::sqrt(dd * ee) : 0;
}

// The best correlation of `effect` with the difference starting near `onset` (the first
// loud sample may come well after the sound's start: an encoder's quiet start, or a rise
// under a fading sound), and where that start is. A coarse pass over every fourth sample
// finds the place, every sample around it gives the figure.
std::pair<double, size_t> Match(const std::vector<int32_t>& d, size_t onset, const std::vector<double>& effect) {
  double coarse = -2;
  size_t where = onset;
  const size_t first = onset > kSearchBack ? onset - kSearchBack : 0;
  for (size_t k = first; k <= onset + kSearchOn && k + effect.size() <= d.size(); ++k) {
    const double c = CorrelationAt(d, k, effect, 4);
    if (c > coarse) coarse = c, where = k;
  }
  double best = -1;
  size_t at = where;
  for (size_t k = where > 4 ? where - 4 : 0; k <= where + 4 && k + effect.size() <= d.size(); ++k) {
    const double c = CorrelationAt(d, k, effect, 1);
    if (c > best) best = c, at = k;
  }
  return {best, at};
}

template <typename T>
double Rms(const std::vector<T>& v, size_t from, size_t count) {
  double sum = 0;
  for (size_t i = from; i < from + count && i < v.size(); ++i) sum += double(v[i]) * v[i];
  return std::sqrt(sum / double(count));
}

// ---- Levels ----

// The highest sample, in either channel, of each song of Org/music.csv as the game's
// synthesiser plays it (two passes and more: 45 s), by music-list entry.
std::map<int, int> SongPeaks(const std::string& data, const nltest::TempDir& dir) {
  std::map<int, int> peaks;
  const std::string csv = nltest::ReadFileBytes(data + "/Org/music.csv");
  size_t start = 0;
  while (start < csv.size()) {
    const size_t end = std::min(csv.find('\n', start), csv.size());
    const std::string line = csv.substr(start, end - start);
    start = end + 1;
    const size_t a = line.find(','), b = line.find(',', a + 1);
    if (a == std::string::npos || b == std::string::npos) continue;
    std::string song = line.substr(a + 1, b - a - 1);
    std::replace(song.begin(), song.end(), '\\', '/');
    const int entry = std::atoi(line.c_str());
    const std::string out = dir.File("song" + std::to_string(entry) + ".wav");
    const std::string command =
        "cd '" + data + "' && '" + NL_ORG_RENDER_PATH + "' --ms 45000 '" + song + "' '" + out + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    const auto wav = nltest::ReadPcm16Wav(nltest::ReadFileBytes(out));
    EXPECT_TRUE(wav) << song;
    int peak = 0;
    if (wav) {
      for (int16_t v : wav->samples) peak = std::max(peak, std::abs(int(v)));
    }
    peaks[entry] = peak;
  }
  return peaks;
}

// The music-list entries the demo's maps play (their scripts' code 61), and the standard
// battle song (entry 0), under which every effect but the title's may sound.
std::vector<int> SongsInPlay() {
  std::vector<int> entries = {0};
  for (const char* name : {"town", "field"}) {
    const std::string script = nltest::ReadFileBytes(std::string(NL_DEMO_SOURCE_DIR) + "/map/" + name + "_script.txt");
    for (size_t at = script.find("@61,"); at != std::string::npos; at = script.find("@61,", at + 1))
      entries.push_back(std::atoi(script.c_str() + at + 4));
  }
  return entries;
}

// The mixer adds the effects to the song and saturates: an effect, or two started in one
// frame, must stay below full scale on top of the loudest song it can be heard with,
// however their peaks fall together. The title's decide and cancel sound over the title's
// song and every song of the juke box; the victory's fanfare comes as the fight's song
// stops; every other effect sounds under the songs of the town, the field and fights. Two
// rows start in one frame: the bubbling spot's (6) with the spring's heal (33, the spring
// is one) and with a fight's start (25, a step onto the field's bubbling spot that meets a
// fight). Decide, cancel and the refusal may be pressed again two frames later.
TEST(SoundEffects, NoEffectAloneOrWithOneOfItsFrameClipsOverItsSongs) {
  nltest::TempDir dir;
  const std::string data = NL_DEMO_DATA_DIR;
  const std::map<int, int> songs = SongPeaks(data, dir);
  ASSERT_EQ(songs.size(), 15u);
  int loudest_in_play = 0, loudest = 0;
  for (int entry : SongsInPlay()) {
    ASSERT_TRUE(songs.count(entry)) << entry;
    loudest_in_play = std::max(loudest_in_play, songs.at(entry));
  }
  for (const auto& [entry, peak] : songs) loudest = std::max(loudest, peak);
  // Each row's samples at the file's rate (all PCM and ADPCM rows share one), as magnitudes.
  std::map<int, std::vector<double>> sounds;
  for (const auto& [row, file] : SoundRows(data)) {
    const nltest::MonoWav sound = FileSound(file, dir.path());
    ASSERT_FALSE(sound.samples.empty()) << file;
    for (double v : sound.samples) sounds[row].push_back(std::abs(v));
  }
  constexpr int kFull = 32767;
  const std::vector<int> title_rows = {1, 3}, silent_rows = {24};
  for (const auto& [row, sound] : sounds) {
    const double peak = *std::max_element(sound.begin(), sound.end());
    const bool title = std::find(title_rows.begin(), title_rows.end(), row) != title_rows.end();
    const bool silent = std::find(silent_rows.begin(), silent_rows.end(), row) != silent_rows.end();
    const int under = silent ? 0 : title ? loudest : loudest_in_play;
    EXPECT_LT(peak + under, kFull) << "row " << row << ": peak " << peak << " over a song of " << under;
  }
  // The pairs, the second row started `frames` after the first: the two of one frame, and
  // decide, cancel and the refusal pressed again at once (two frames later: a menu or a
  // fight takes a press in every frame, and a refused command leaves the choice open).
  struct Pair {
    int a, b, frames;
  };
  std::vector<Pair> pairs = {{6, 33, 0}, {6, 25, 0}};
  for (int a : {1, 3, 4})
    for (int b : {1, 3, 4}) pairs.push_back({a, b, 2});
  const uint32_t file_rate = FileSound(SoundRows(data).at(3), dir.path()).rate;
  for (const Pair& p : pairs) {
    ASSERT_TRUE(sounds.count(p.a) && sounds.count(p.b));
    const std::vector<double>&x = sounds[p.a], &y = sounds[p.b];
    const size_t late = size_t(p.frames) * file_rate * 35 / 1000;
    double together = 0;
    for (size_t i = 0; i < std::max(x.size(), y.size() + late); ++i)
      together = std::max(together, (i < x.size() ? x[i] : 0) + (i >= late && i - late < y.size() ? y[i - late] : 0));
    EXPECT_LT(together + loudest_in_play, kFull)
        << "rows " << p.a << " and " << p.b << " " << p.frames << " frames later: " << together << " together";
  }
}

TEST(SoundEffects, ThePlayThroughHearsEachEffectWhereItHappens) {
  const std::string program = nltest::GameProgram();
  ASSERT_EQ(access(program.c_str(), X_OK), 0) << program << " is not built";
  nltest::TempDir dir;
  for (const char* name : {"with", "without"}) {
    const std::string data = dir.File(std::string(name) + "/data");
    std::filesystem::create_directories(data);
    nltest::GameRun run(data, dir.File(name));
    ASSERT_TRUE(run.CopyDemoWorld());
    if (std::string(name) == "without") {
      ASSERT_TRUE(std::filesystem::remove(run.DataFile("wav/sound.csv")));
    }
    run.Input(NL_PLAYTHROUGH_DIR "/new_game.input");
    run.AudioOut("capture.wav");
    // The run's last frames, the last one presented anchoring the log's times.
    run.Capture("4300-4500");
    run.ExitAfter(4500);  // Escape ends the run at frame 4340
    run.Output("/dev/null", run.File("stderr.txt"));
    ASSERT_EQ(run.Run(), 0) << name;
  }
  const auto with = ReadCapture(dir.File("with/capture.wav")), without = ReadCapture(dir.File("without/capture.wav"));
  ASSERT_TRUE(with && without);
  ASSERT_EQ(with->left.size(), without->left.size());
  const uint32_t rate = with->rate;
  // The first fight, from the log: where it begins, is won and ends.
  const std::string log = nltest::ReadFileBytes(dir.File("with/data/AppLog.txt"));
  const std::vector<nltest::LoggedFight> fights = nltest::Fights(log);
  ASSERT_FALSE(fights.empty()) << "no fight";
  const int last_frame = int(nltest::LastCapturedFrame(dir.File("with/frames")));
  ASSERT_GT(last_frame, 0);
  auto frame_at = [&](long ms) { return nltest::FrameAt(log, ms, last_frame); };
  const int fight_begins = frame_at(fights[0].begins_ms),
            fight_won = frame_at(nltest::LogTime(log, "battle: won").first), fight_ends = frame_at(fights[0].ends_ms);

  // Every named file decodes.
  const auto rows = SoundRows(dir.File("with/data"));
  ASSERT_FALSE(rows.empty());
  std::map<int, std::vector<double>> effects;
  for (const auto& [row, file] : rows) {
    effects[row] = EffectAtRate(file, rate, dir.path());
    EXPECT_FALSE(effects[row].empty()) << "row " << row << " " << file;
  }

  // The effects add to the songs and are the same on both sides: the mixer never clips.
  std::vector<int32_t> difference(with->left.size());
  for (size_t i = 0; i < difference.size(); ++i) {
    difference[i] = with->left[i] - without->left[i];
    ASSERT_EQ(difference[i], with->right[i] - without->right[i]) << "the effects sound in the middle";
    ASSERT_TRUE(with->left[i] > -32768 && with->left[i] < 32767) << "clipped at " << double(i) / rate << " s";
  }

  // Start-up runs the mixer for a while before frame 1; the title's first decide (frame
  // 60) tells how long, and every other effect must keep to it.
  const std::vector<size_t> onsets = Onsets(difference, rate);
  ASSERT_FALSE(onsets.empty()) << "no effect heard at all";
  const auto title_decide = Match(difference, onsets.front(), effects[3]);
  ASSERT_GE(title_decide.first, kSameSound) << "the first effect is the title's decide (row 3)";
  const double lead = 60 * kFrameMs / 1000.0 - double(title_decide.second) / rate;
  ASSERT_GE(lead, 0);
  ASSERT_LT(lead, 1.0);
  const size_t quiet_until = onsets.front() > rate / 100 ? onsets.front() - rate / 100 : 0;
  EXPECT_EQ(std::count_if(difference.begin(), difference.begin() + long(quiet_until), [](int32_t v) { return v != 0; }),
            0)
      << "before the first effect both runs are the same, sample for sample";

  struct Heard {
    const char* what;
    int row;
    int from, to;  // frames within which it starts
  };
  const Heard heard[] = {{"title: NEW_GAME chosen", 3, 80, 80},
                         {"town: the chest opened", 30, 234, 236},
                         {"town: a step into the brambles", 10, 330, 334},
                         {"shop: the shopkeeper's gift", 30, 504, 506},
                         {"shop: the herb paid for", 17, 564, 566},
                         {"shop: out of the goods (cancel)", 1, 584, 584},
                         {"field: the fight begins", 25, fight_begins - 3, fight_begins + 3},
                         {"battle: a blow lands", 5, fight_begins, fight_ends},
                         {"battle: an enemy falls (IMA ADPCM)", 23, fight_begins, fight_ends},
                         {"battle: the fight is won (MP3)", 24, fight_won - 2, fight_won + 2},
                         {"menu: decide on the items", 3, 4050, 4050},
                         {"menu: the herb heals", 33, 4078, 4082},
                         {"menu: saved", 7, 4290, 4290}};
  for (const Heard& h : heard) {
    ASSERT_FALSE(effects[h.row].empty()) << h.what;
    // The sound is told by its first 150 ms: the next sound of a fight (a blow, the
    // fanfare) may start over the tail of one that falls away.
    const std::vector<double> head(
        effects[h.row].begin(), effects[h.row].begin() + long(std::min<size_t>(effects[h.row].size(), rate * 3 / 20)));
    const double from_s = (h.from * kFrameMs - kFrameMs) / 1000.0 - lead,
                 to_s = (h.to * kFrameMs + kFrameMs) / 1000.0 - lead;
    double best = -1;
    size_t where = 0;
    for (size_t onset : onsets) {
      if (onset < from_s * rate || onset > to_s * rate + kSearchBack) continue;
      const auto [c, start] = Match(difference, onset, head);
      if (c > best && start >= from_s * rate && start <= to_s * rate) best = c, where = start;
    }
    EXPECT_GE(best, kSameSound) << h.what << " (row " << h.row << ")";
    if (best < kSameSound) continue;
    // Heard over the song: at its loudest (50 ms) the effect is at least half as loud as
    // the song then.
    const size_t window = rate / 20;
    size_t loudest = where;
    double effect_rms = 0;
    for (size_t at = where; at + window <= where + effects[h.row].size(); at += window / 4) {
      const double r = Rms(difference, at, window);
      if (r > effect_rms) effect_rms = r, loudest = at;
    }
    const double song_rms = Rms(without->left, loudest, window);
    EXPECT_GT(effect_rms, 0.5 * song_rms) << h.what << ": effect " << effect_rms << ", song " << song_rms;
    std::printf("%-40s row %2d at %7.3f s (frame %4.0f), match %.3f, effect rms %5.0f, song rms %5.0f\n", h.what, h.row,
                double(where) / rate, (double(where) / rate + lead) * 1000 / kFrameMs, best, effect_rms, song_rms);
  }
}

// The story as story.input plays it (the real program, the real songs): the spring's two
// sounds of one frame over the town's song, the garden's jump, the boulder, the fights and
// the shadow's, and never a sample held at full scale.
TEST(SoundEffects, TheStoryIsHeardWithoutClipping) {
  const std::string program = nltest::GameProgram();
  ASSERT_EQ(access(program.c_str(), X_OK), 0) << program << " is not built";
  nltest::GameRun run;
  ASSERT_TRUE(run.CopyDemoWorld());
  run.Input(NL_PLAYTHROUGH_DIR "/story.input");
  run.AudioOut("story.wav");
  run.ExitAfter(15000);
  run.Output("/dev/null", run.File("stderr.txt"));
  ASSERT_EQ(run.Run(), 0);
  const std::string log = run.Log();
  EXPECT_GE(nltest::CountLogged(log, "heal: member 3 HP"), 1) << "the spring";
  EXPECT_TRUE(nltest::Logged(log, "jump: landed")) << "the garden's wall";
  EXPECT_TRUE(nltest::Logged(log, "battle: begins, enemies 4 0 0 0 0 0 0 0")) << "the shadow's fight";
  const auto story = ReadCapture(run.File("story.wav"));
  ASSERT_TRUE(story);
  ASSERT_GT(story->left.size(), size_t(story->rate) * 60) << "a story's length of sound";
  size_t held = 0;
  for (size_t i = 0; i < story->left.size(); ++i) {
    for (int16_t v : {story->left[i], story->right[i]}) {
      if (v == -32768 || v == 32767) {
        if (held++ == 0) ADD_FAILURE() << "clipped at " << double(i) / story->rate << " s";
      }
    }
  }
  EXPECT_EQ(held, 0u) << "samples held at full scale";
}

}  // namespace
