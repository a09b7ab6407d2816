// The game's sound effects, played by row of wav\sound.csv. Rows 0-15 stay loaded in
// voices 0-15 for the whole run; any other row is loaded when played, into one of the
// shared voices 16-31 taken in turn.
#pragma once

#include <array>

namespace game {

inline constexpr int kSoundRows = 64;       // rows the file can name
inline constexpr int kSoundNameBytes = 32;  // a row's file name, terminator included
inline constexpr int kSoundVoices = 32;
inline constexpr int kFixedSoundVoices = 16;  // voices 0-15 hold rows 0-15
inline constexpr char kSoundListFile[] = "wav\\sound.csv";

class SoundTable {
 public:
  SoundTable();
  // Reads the row names, then loads rows 0-15 into voices 0-15.
  void LoadSoundTable();
  // Plays a row from its start; a row outside the table does nothing.
  void PlaySoundEffect(int row);
  // Deletes every sound of the library and empties every voice. -1.
  int FreeSoundTable();

  // For tests: the row in a voice (-1 empty), its sound handle, and a row's name.
  int VoiceRow(int voice) const { return voice_rows_[voice]; }
  int VoiceHandle(int voice) const { return voice_handles_[voice]; }
  const char* RowName(int row) const { return row_names_[row].data(); }

 private:
  void ReadRowNames();
  void LoadVoice(int voice, int row);
  void FreeVoice(int voice);
  void Restart(int voice);

  std::array<int, kSoundVoices> voice_handles_;                            // loaded sound of each voice
  int voice_count_ = kSoundVoices;                                         // voices in use: all 32
  std::array<int, kSoundVoices> voice_rows_;                               // row in each voice, -1 empty
  int next_shared_voice_ = kFixedSoundVoices;                              // 16..31, the next to take
  std::array<std::array<char, kSoundNameBytes>, kSoundRows> row_names_{};  // file name of each row
};

// The game's one sound-effect table.
extern SoundTable TheSoundTable;

}  // namespace game
