// Melody voices: for each of the eight melody tracks, two small looping buffers per octave
// holding one waveform resampled to the octave's cycle length. A note sets the rate of the
// track's buffers to its pitch and plays one of the octave's pair; the other pair member
// lets the previous note run out its cycle, so note changes do not click.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "music/wave_table.h"
#include "platform/sound/sound.h"

namespace music {

inline constexpr int kMelodyTracks = 8;
inline constexpr int kOctaves = 8;
inline constexpr int kBuffersPerOctave = 2;
inline constexpr uint8_t kNoKey = 255;    // SoundingKey: nothing sounds
inline constexpr int kMaxMelodyKey = 95;  // octave 7, note 11
inline constexpr int kKeysPerOctave = 12;
inline constexpr int kNoteOn = -1;  // modes of the play operations
inline constexpr int kNoteOff = 2;
inline constexpr uint16_t kNoFrequencyShift = 1000;  // a track's freq that shifts nothing

struct OctaveRow {
  int16_t samples_per_cycle;
  int16_t pitch_multiplier;
  int16_t one_shot_cycles;
};
inline constexpr std::array<OctaveRow, kOctaves> OctaveTable{{
    {256, 1, 4},
    {256, 2, 8},
    {128, 4, 12},
    {128, 8, 16},
    {64, 16, 20},
    {32, 32, 24},
    {16, 64, 28},
    {8, 128, 32},
}};

// Hz of each note of octave 3 (key 36..47), indexed by key % 12.
inline constexpr std::array<int16_t, kKeysPerOctave> NoteFrequencyTable{262, 277, 294, 311, 330, 349,
                                                                        370, 392, 415, 440, 466, 494};

// A note's pan 0..12 (6 the centre) on a 0..512 scale; melody and drums share it.
inline constexpr int kPanCount = 13;
inline constexpr int kPanCentreValue = 256;
inline constexpr std::array<int16_t, kPanCount> PanTable{0, 43, 86, 129, 172, 215, 256, 297, 340, 383, 426, 469, 512};

// The format and flags of every melody and drum buffer.
inline constexpr uint32_t kMelodyRate = 22050;
inline constexpr uint32_t kVoiceBufferFlags = plat::sound::kBufferStatic | plat::sound::kBufferCtrlFrequency |
                                              plat::sound::kBufferCtrlPan | plat::sound::kBufferCtrlVolume |
                                              plat::sound::kBufferGlobalFocus;  // 0x80E2

// Buffer mapping of a note's pan (1/100 dB) and of a 0..254 volume (1/100 dB).
constexpr int32_t PanToBuffer(int pan) { return (PanTable[pan] - kPanCentreValue) * 10; }
constexpr int32_t VolumeToBuffer(int volume) { return volume * 8 - 2040; }

// [track][octave][pair member]; null when absent. Touched only while no tick runs.
extern std::array<std::array<std::array<plat::sound::Buffer*, kBuffersPerOctave>, kOctaves>, kMelodyTracks>
    MelodyBuffers;
extern std::array<std::atomic<uint8_t>, kMelodyTracks> SoundingKey;   // kNoKey = none
extern std::array<std::atomic<uint8_t>, kMelodyTracks> BufferToggle;  // 0 or 1

// Rebuilds a track's buffers from waveform `wave` (0..99); 0 refuses a larger wave and
// leaves the buffers as they were. Forgets the key the track was sounding.
int MakeMelodyVoice(int track, uint8_t wave, uint8_t oneShot);
// Makes and fills the 16 buffers; 0 at the first creation or lock that fails (the buffers
// made so far stay).
int CreateMelodyBuffers(const Waveform& waveform, int track, uint8_t oneShot);
void ReleaseMelodyBuffers(int track);
// Sets the rate of all 16 buffers of the track to note `note` (0..11) shifted by freq - 1000.
void SetMelodyFrequency(int note, int track, uint16_t freq);
// The looping voice and the one-shot voice; mode kNoteOn or kNoteOff.
void PlayMelodyNote(uint8_t key, int mode, int track, uint16_t freq);
void PlayMelodyOneShot(uint8_t key, int mode, int track, uint16_t freq);
// Pan 0..12 and volume 0..254 of the sounding note's buffer.
void SetMelodyPan(int pan, int track);
void SetMelodyVolume(int volume, int track);
// Progress of the buffer building; does nothing.
void OrgProgressHook(int count);

// The rate of a note in an octave: samples per cycle x pitch multiplier x Hz / 8 + shift.
int32_t MelodyRate(int octave, int note, uint16_t freq);

// Releases nothing; forgets every buffer and puts keys and toggles back to program start.
void ResetMelodyVoicesForTests();

}  // namespace music
