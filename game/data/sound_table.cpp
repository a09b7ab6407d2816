// The sound-effect table: wav\sound.csv read line by line, fixed and shared voices.
//
// A line is "number,file name,rest": the number is ignored (a row is its line's place
// among the non-blank lines, from 0), the name runs to the next comma or the line's end,
// the rest is ignored. A line without a number and a comma, or with a name longer than 31
// bytes, is a row without a sound.
#include "game/data/sound_table.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/fs/fs.h"
#include "vexal/app/sound/sound_handle.h"

namespace game {
namespace {

constexpr int kLineBytes = 512;  // longer lines are read on, their name is too long anyway

// Reads one line into `line` (without its end); false at the end of the file.
bool ReadLine(std::FILE* file, std::string_view* line, char (&buffer)[kLineBytes]) {
  if (std::fgets(buffer, kLineBytes, file) == nullptr) return false;
  size_t n = std::strlen(buffer);
  if (n > 0 && buffer[n - 1] != '\n' && !std::feof(file)) {
    // Too long: drop the rest of the line; a name was never that long.
    int c;
    while ((c = std::fgetc(file)) != EOF && c != '\n') {
    }
    buffer[0] = '\0';
    n = 0;
  }
  while (n > 0 && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r')) --n;
  *line = std::string_view(buffer, n);
  return true;
}

bool IsBlank(std::string_view line) {
  for (char c : line) {
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// The name field of a line, or empty when the line has none that fits.
std::string_view NameOf(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
  if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
  const size_t digits = i;
  while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) ++i;
  if (i == digits || i >= line.size() || line[i] != ',') return {};
  std::string_view rest = line.substr(i + 1);
  std::string_view name = rest.substr(0, rest.find(','));
  if (name.size() >= static_cast<size_t>(kSoundNameBytes)) return {};
  return name;
}

}  // namespace

SoundTable TheSoundTable;

SoundTable::SoundTable() {
  voice_handles_.fill(-1);
  voice_rows_.fill(-1);
}

void SoundTable::ReadRowNames() {
  for (auto& name : row_names_) name.fill('\0');
  std::FILE* file = plat::fs::OpenFile(kSoundListFile, "rt");
  if (file == nullptr) return;
  char buffer[kLineBytes];
  std::string_view line;
  int row = 0;
  while (row < kSoundRows && ReadLine(file, &line, buffer)) {
    if (IsBlank(line)) continue;
    std::string_view name = NameOf(line);
    if (!name.empty()) std::memcpy(row_names_[row].data(), name.data(), name.size());
    ++row;
  }
  std::fclose(file);
}

void SoundTable::LoadSoundTable() {
  ReadRowNames();
  for (int v = 0; v < kFixedSoundVoices; ++v) LoadVoice(v, v);
}

void SoundTable::LoadVoice(int voice, int row) {
  if (voice_rows_[voice] != -1) return;
  // A row that does not load keeps its voice with a bad handle: playing it does nothing.
  voice_handles_[voice] = vexal::LoadSound(row_names_[row].data());
  voice_rows_[voice] = row;
}

void SoundTable::FreeVoice(int voice) {
  if (voice_rows_[voice] == -1) return;
  vexal::DeleteSound(voice_handles_[voice], 0);
  voice_handles_[voice] = -1;
  voice_rows_[voice] = -1;
}

void SoundTable::Restart(int voice) {
  const int handle = voice_handles_[voice];
  if (vexal::IsSoundPlaying(handle) == 1) vexal::StopSoundPlay(handle);
  vexal::StartSoundPlay(handle, vexal::kSoundPlayBack);
}

void SoundTable::PlaySoundEffect(int row) {
  if (row < 0 || row >= kSoundRows) return;
  for (int v = 0; v < voice_count_; ++v) {
    if (voice_rows_[v] == row) {
      Restart(v);
      return;
    }
  }
  const int v = next_shared_voice_;
  FreeVoice(v);
  LoadVoice(v, row);
  next_shared_voice_ = next_shared_voice_ + 1 == kSoundVoices ? kFixedSoundVoices : next_shared_voice_ + 1;
  Restart(v);
}

int SoundTable::FreeSoundTable() {
  vexal::DeleteAllSounds(0);
  voice_handles_.fill(-1);
  voice_rows_.fill(-1);
  next_shared_voice_ = kFixedSoundVoices;
  return -1;
}

}  // namespace game
