// nl_sound_effects TABLE FOLDER [LAME]: synthesises the demo world's sound effects from
// the readable table (demo/wav/effects.txt, its header tells the columns) into FOLDER,
// the data tree's wav/, and writes the game's list of them, FOLDER/sound.csv: one line
// "number,wav\name.ext,name" per row from 0 to the last one listed, a row the table
// leaves out being "number,-,-": "-" names no file, so the game plays nothing for it. No
// name is empty: a reader taking the name as "%[^,]" would stop at an empty one.
//
// Three codings, so that each of the game's decoders is heard in play: 16-bit PCM WAV,
// IMA ADPCM WAV (4 bits, whole 512-byte blocks, the last one padded with silence), and
// MP3, rendered to a 16-bit WAV beside the output and encoded by the LAME program.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codec/ima_adpcm_steps.h"
#include "platform/sound/sound.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kWaveRate = 22050;  // PCM and ADPCM
constexpr uint32_t kMp3Rate = 44100;   // an MPEG-1 rate
constexpr int kRows = 64;              // rows the game's list holds
constexpr char kNoFile[] = "-";        // the name of a row without a sound
constexpr size_t kNameBytes = 31;      // a row's file name, as the game reads it
constexpr double kAttackSeconds = 0.002, kReleaseSeconds = 0.008;
constexpr uint16_t kAdpcmBlockAlign = 512;
constexpr uint16_t kAdpcmSamplesPerBlock = (kAdpcmBlockAlign - 4) * 2 + 1;  // mono
constexpr uint16_t kFormatImaAdpcm = 0x11;

enum class Coding { kPcm, kAdpcm, kMp3 };
enum class Wave { kSquare, kTriangle, kSine, kSaw, kNoise };
enum class Envelope { kDecay, kFlat, kNotes, kSwell };

struct Step {
  double from_hz, to_hz;
};

struct Effect {
  int number = 0;
  std::string name;
  Coding coding = Coding::kPcm;
  Wave wave = Wave::kSquare;
  std::vector<Step> steps;
  Envelope envelope = Envelope::kDecay;
  double seconds = 0;
  double level = 0;
};

std::string FileName(const Effect& e) { return e.name + (e.coding == Coding::kMp3 ? ".mp3" : ".wav"); }

// ---- The table ----

template <typename T, size_t N>
std::optional<T> Lookup(const std::string& word, const std::array<std::pair<std::string_view, T>, N>& names) {
  for (const auto& [name, value] : names) {
    if (word == name) return value;
  }
  return std::nullopt;
}

constexpr std::array<std::pair<std::string_view, Coding>, 3> kCodings{
    {{"pcm", Coding::kPcm}, {"adpcm", Coding::kAdpcm}, {"mp3", Coding::kMp3}}};
constexpr std::array<std::pair<std::string_view, Wave>, 5> kWaves{{{"square", Wave::kSquare},
                                                                   {"triangle", Wave::kTriangle},
                                                                   {"sine", Wave::kSine},
                                                                   {"saw", Wave::kSaw},
                                                                   {"noise", Wave::kNoise}}};
constexpr std::array<std::pair<std::string_view, Envelope>, 4> kEnvelopes{
    {{"decay", Envelope::kDecay}, {"flat", Envelope::kFlat}, {"notes", Envelope::kNotes}, {"swell", Envelope::kSwell}}};

// "a-b/c" into steps {a, b}, {c, c}; false on anything else or a pitch out of 20..20,000 Hz.
bool ParsePitch(const std::string& text, std::vector<Step>* steps) {
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, '/')) {
    const size_t dash = part.find('-');
    char* end = nullptr;
    const double from = std::strtod(part.c_str(), &end);
    if (end == part.c_str() || (dash == std::string::npos ? *end != '\0' : end != part.c_str() + dash)) return false;
    double to = from;
    if (dash != std::string::npos) {
      const char* rest = part.c_str() + dash + 1;
      to = std::strtod(rest, &end);
      if (end == rest || *end != '\0') return false;
    }
    if (std::min(from, to) < 20 || std::max(from, to) > 20000) return false;
    steps->push_back({from, to});
  }
  return !steps->empty();
}

// A name that is a file name in the game's list as it stands: no comma, no path.
bool PlainName(const std::string& name) {
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
  });
}

// The rows after the "---" line; a '#' starts a comment. Prints the fault and returns
// nothing on a bad row.
std::optional<std::vector<Effect>> ReadTable(const char* path) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "nl_sound_effects: cannot read %s\n", path);
    return std::nullopt;
  }
  std::vector<Effect> effects;
  std::string line;
  bool started = false;
  int line_number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    if (!started) {
      started = line.rfind("---", 0) == 0;
      continue;
    }
    line = line.substr(0, line.find('#'));
    std::stringstream words(line);
    Effect e;
    std::string coding, wave, pitch, envelope;
    if (!(words >> e.number)) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      std::fprintf(stderr, "nl_sound_effects: %s:%d: no row number\n", path, line_number);
      return std::nullopt;
    }
    std::string extra;
    const bool read = static_cast<bool>(words >> e.name >> coding >> wave >> pitch >> envelope >> e.seconds >> e.level);
    const auto c = Lookup(coding, kCodings);
    const auto w = Lookup(wave, kWaves);
    const auto v = Lookup(envelope, kEnvelopes);
    const char* fault = nullptr;
    if (!read || (words >> extra))
      fault = "want: number name coding wave pitch envelope seconds level";
    else if (!c || !w || !v)
      fault = "unknown coding, wave or envelope";
    else if (!PlainName(e.name))
      fault = "a name is letters, digits, '_' and '-'";
    else if (!ParsePitch(pitch, &e.steps))
      fault = "bad pitch";
    else if (e.number < 0 || e.number >= kRows)
      fault = "row number outside 0-63";
    else if (!effects.empty() && e.number <= effects.back().number)
      fault = "row numbers must ascend";
    else if (e.seconds <= 0.02 || e.seconds > 2)
      fault = "length outside 0.02-2 s";
    else if (e.level <= 0 || e.level > 1)
      fault = "level outside 0-1";
    if (fault == nullptr) {
      e.coding = *c;
      e.wave = *w;
      e.envelope = *v;
      if (std::string("wav\\").size() + FileName(e).size() > kNameBytes) fault = "name too long for the game";
    }
    if (fault != nullptr) {
      std::fprintf(stderr, "nl_sound_effects: %s:%d: %s\n", path, line_number, fault);
      return std::nullopt;
    }
    effects.push_back(std::move(e));
  }
  if (effects.empty()) {
    std::fprintf(stderr, "nl_sound_effects: %s has no rows after the --- line\n", path);
    return std::nullopt;
  }
  return effects;
}

// ---- Synthesis ----

// Noise from a fixed linear congruential sequence, so every build writes the same bytes.
struct Noise {
  uint32_t state = 0x2545F491;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / (1u << 23) - 1.0;  // -1..1
  }
};

double Oscillator(Wave wave, double phase, double held) {
  switch (wave) {
    case Wave::kSquare: return phase < 0.5 ? 1 : -1;
    case Wave::kTriangle: return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
    case Wave::kSine: return std::sin(2 * kPi * phase);
    case Wave::kSaw: return 2 * phase - 1;
    case Wave::kNoise: return held;
  }
  return 0;
}

// Loudness at time t of a sound `length` long whose current step began at `step_start`
// and lasts `step_length`.
double Loudness(Envelope envelope, double t, double length, double step_start, double step_length) {
  switch (envelope) {
    case Envelope::kDecay: return std::exp(-4.6 * t / length);  // to 1% at the end
    case Envelope::kFlat: return 1;
    case Envelope::kNotes: return std::exp(-2.3 * (t - step_start) / step_length);  // to 10% a step
    case Envelope::kSwell: return std::sin(kPi * t / length);
  }
  return 1;
}

// The effect at `rate`, peaking at its level of full scale.
std::vector<int16_t> Render(const Effect& e, uint32_t rate) {
  const size_t n = static_cast<size_t>(e.seconds * rate);
  const double step_length = e.seconds / static_cast<double>(e.steps.size());
  std::vector<double> v(n);
  Noise noise;
  double phase = 0, held = noise.Next();
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    const size_t s = std::min(e.steps.size() - 1, static_cast<size_t>(t / step_length));
    const double within = (t - s * step_length) / step_length;
    // Glides are even in pitch, not in Hz: a fall sounds as even as a rise.
    const double hz = e.steps[s].from_hz * std::pow(e.steps[s].to_hz / e.steps[s].from_hz, within);
    phase += hz / rate;
    if (phase >= 1) {
      phase -= std::floor(phase);
      held = noise.Next();
    }
    if (e.wave == Wave::kNoise && hz * 2 > rate) held = noise.Next();  // faster than the rate: plain hiss
    double a = Loudness(e.envelope, t, e.seconds, s * step_length, step_length);
    a *= std::min(1.0, t / kAttackSeconds) * std::min(1.0, (e.seconds - t) / kReleaseSeconds);
    v[i] = Oscillator(e.wave, phase, held) * a;
  }
  double peak = 0;
  for (double x : v) peak = std::max(peak, std::abs(x));
  std::vector<int16_t> out(n);
  const double scale = peak > 0 ? e.level * 32767 / peak : 0;
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<int16_t>(std::lround(v[i] * scale));
  return out;
}

// ---- Files ----

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

std::string RiffFile(const std::string& format, const std::string& fact, const std::string& data) {
  std::string chunks = "WAVE";
  chunks += "fmt ";
  Put32(chunks, static_cast<uint32_t>(format.size()));
  chunks += format;
  if (!fact.empty()) {
    chunks += "fact";
    Put32(chunks, static_cast<uint32_t>(fact.size()));
    chunks += fact;
  }
  chunks += "data";
  Put32(chunks, static_cast<uint32_t>(data.size()));
  chunks += data;
  if (data.size() % 2 != 0) chunks += '\0';
  std::string file = "RIFF";
  Put32(file, static_cast<uint32_t>(chunks.size()));
  return file + chunks;
}

std::string PcmWave(const std::vector<int16_t>& samples, uint32_t rate) {
  const auto record = plat::sound::WriteWaveFormat(plat::sound::PcmFormat(rate, 1, 16));
  std::string data;
  for (int16_t s : samples) Put16(data, static_cast<uint16_t>(s));
  return RiffFile(std::string(record.begin(), record.end()), "", data);
}

// IMA ADPCM, mono: each block is the first sample, the step index and a zero byte, then
// the other samples as nibbles, low nibble first.
using plat::codec::kImaIndexStep;
using plat::codec::kImaMaxStepIndex;
using plat::codec::kImaStepTable;

struct ImaState {
  int32_t predictor = 0;
  int index = 0;
};

// The nibble nearest to `sample` from the state, which it then advances as a decoder would.
uint8_t EncodeNibble(ImaState& c, int32_t sample) {
  const int32_t step = kImaStepTable[c.index];
  int32_t diff = sample - c.predictor;
  uint8_t nibble = 0;
  if (diff < 0) {
    nibble = 8;
    diff = -diff;
  }
  int32_t delta = step >> 3;
  if (diff >= step) nibble |= 4, diff -= step, delta += step;
  if (diff >= step >> 1) nibble |= 2, diff -= step >> 1, delta += step >> 1;
  if (diff >= step >> 2) nibble |= 1, delta += step >> 2;
  c.predictor = std::clamp(c.predictor + ((nibble & 8) != 0 ? -delta : delta), -32768, 32767);
  c.index = std::clamp(c.index + kImaIndexStep[nibble & 7], 0, kImaMaxStepIndex);
  return nibble;
}

std::string AdpcmWave(std::vector<int16_t> samples, uint32_t rate) {
  const size_t blocks = (samples.size() + kAdpcmSamplesPerBlock - 1) / kAdpcmSamplesPerBlock;
  const size_t sample_count = samples.size();
  samples.resize(blocks * kAdpcmSamplesPerBlock, 0);
  std::string data;
  ImaState c;
  for (size_t b = 0; b < blocks; ++b) {
    const int16_t* s = samples.data() + b * kAdpcmSamplesPerBlock;
    c.predictor = s[0];
    Put16(data, static_cast<uint16_t>(s[0]));
    data += static_cast<char>(c.index);
    data += '\0';
    for (int i = 1; i < kAdpcmSamplesPerBlock; i += 2) {
      const uint8_t low = EncodeNibble(c, s[i]);
      const uint8_t high = EncodeNibble(c, s[i + 1]);
      data += static_cast<char>(low | (high << 4));
    }
  }
  std::string format;
  Put16(format, kFormatImaAdpcm);
  Put16(format, 1);
  Put32(format, rate);
  Put32(format, rate * kAdpcmBlockAlign / kAdpcmSamplesPerBlock);
  Put16(format, kAdpcmBlockAlign);
  Put16(format, 4);
  Put16(format, 2);  // extra bytes: samples per block
  Put16(format, kAdpcmSamplesPerBlock);
  std::string fact;
  Put32(fact, static_cast<uint32_t>(sample_count));
  return RiffFile(format, fact, data);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// Arguments are our own paths; quoted for the shell all the same.
std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

bool WriteEffect(const Effect& e, const std::string& folder, const char* lame) {
  const std::string path = folder + "/" + FileName(e);
  switch (e.coding) {
    case Coding::kPcm: return WriteFile(path, PcmWave(Render(e, kWaveRate), kWaveRate));
    case Coding::kAdpcm: return WriteFile(path, AdpcmWave(Render(e, kWaveRate), kWaveRate));
    case Coding::kMp3: {
      if (lame == nullptr || *lame == '\0') {
        std::fprintf(stderr,
                     "nl_sound_effects: the LAME encoder (lame) is needed for %s and was not found; "
                     "scripts/setup installs it\n",
                     FileName(e).c_str());
        return false;
      }
      const std::string source = folder + "/" + e.name + ".mp3-source.wav";
      if (!WriteFile(source, PcmWave(Render(e, kMp3Rate), kMp3Rate))) return false;
      // Mono MPEG-1 Layer III at a constant rate, no tag frame and no ID3 tags.
      const std::string command = Quoted(lame) + " --quiet -t -m m -b 96 " + Quoted(source) + " " + Quoted(path);
      const int status = std::system(command.c_str());
      std::remove(source.c_str());
      if (status != 0) std::fprintf(stderr, "nl_sound_effects: %s failed for %s\n", lame, FileName(e).c_str());
      return status == 0;
    }
  }
  return false;
}

std::string SoundList(const std::vector<Effect>& effects) {
  std::string out;
  size_t next = 0;
  for (int row = 0; row <= effects.back().number; ++row) {
    if (next < effects.size() && effects[next].number == row) {
      out += std::to_string(row) + ",wav\\" + FileName(effects[next]) + "," + effects[next].name + "\n";
      ++next;
    } else {
      out += std::to_string(row) + "," + kNoFile + ",-\n";
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: nl_sound_effects TABLE FOLDER [LAME]\n");
    return 2;
  }
  const auto effects = ReadTable(argv[1]);
  if (!effects) return 1;
  const std::string folder = argv[2];
  for (const Effect& e : *effects) {
    if (!WriteEffect(e, folder, argc == 4 ? argv[3] : nullptr)) {
      std::fprintf(stderr, "nl_sound_effects: cannot write %s/%s\n", folder.c_str(), FileName(e).c_str());
      return 1;
    }
  }
  if (!WriteFile(folder + "/sound.csv", SoundList(*effects))) {
    std::fprintf(stderr, "nl_sound_effects: cannot write %s/sound.csv\n", folder.c_str());
    return 1;
  }
  return 0;
}
