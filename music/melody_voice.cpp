// Owner of the melody voices' buffers, sounding keys and toggles.
#include "music/melody_voice.h"

#include <cstring>
#include <vector>

#include "music/music_device.h"

namespace music {

namespace ps = plat::sound;

std::array<std::array<std::array<ps::Buffer*, kBuffersPerOctave>, kOctaves>, kMelodyTracks>
    MelodyBuffers{};  // null when absent
std::array<std::atomic<uint8_t>, kMelodyTracks> SoundingKey{
    // kNoKey at start
    kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey, kNoKey};
std::array<std::atomic<uint8_t>, kMelodyTracks> BufferToggle{};  // 0 at start

namespace {

bool ValidTrack(int track) { return track >= 0 && track < kMelodyTracks; }

ps::Buffer*& Slot(int track, int key, int toggle) { return MelodyBuffers[track][key / kKeysPerOctave][toggle]; }

void Play(ps::Buffer* buffer, uint32_t flags) {
  if (buffer != nullptr) ps::PlayBuffer(buffer, flags);
}

uint8_t Flip(int track) {
  const uint8_t toggle = BufferToggle[track] ^ 1;
  BufferToggle[track] = toggle;
  return toggle;
}

// The buffer of the key now sounding, or null.
ps::Buffer* CurrentBuffer(int track) {
  const uint8_t key = SoundingKey[track];
  if (key == kNoKey) return nullptr;
  return Slot(track, key, BufferToggle[track]);
}

}  // namespace

int32_t MelodyRate(int octave, int note, uint16_t freq) {
  const OctaveRow& row = OctaveTable[octave];
  return row.samples_per_cycle * row.pitch_multiplier * NoteFrequencyTable[note] / 8 + freq - kNoFrequencyShift;
}

int MakeMelodyVoice(int track, uint8_t wave, uint8_t oneShot) {
  if (MusicDirectSound == nullptr || !ValidTrack(track)) return 0;
  if (wave >= kWaveCount) return 0;
  // A key left from the last song would take the same-key path and play unpitched.
  SoundingKey[track] = kNoKey;
  ReleaseMelodyBuffers(track);
  CreateMelodyBuffers(WaveTable[wave], track, oneShot);
  return 1;
}

int CreateMelodyBuffers(const Waveform& waveform, int track, uint8_t oneShot) {
  if (MusicDirectSound == nullptr || !ValidTrack(track)) return 0;
  int progress = 0;
  OrgProgressHook(progress++);
  for (int o = 0; o < kOctaves; ++o) {
    const OctaveRow& row = OctaveTable[o];
    const uint32_t size = static_cast<uint32_t>(row.samples_per_cycle) * (oneShot != 0 ? row.one_shot_cycles : 1);
    for (int b = 0; b < kBuffersPerOctave; ++b) {
      OrgProgressHook(progress++);
      ps::BufferDesc desc{kVoiceBufferFlags, size, ps::PcmFormat(kMelodyRate, 1, 8)};
      ps::Buffer*& slot = MelodyBuffers[track][o][b];
      if (!ps::Succeeded(ps::CreateBuffer(MusicDirectSound, desc, &slot))) {
        slot = nullptr;
        return 0;
      }
      OrgProgressHook(progress++);
      std::vector<uint8_t> block(size);
      const int step = kWaveSamples / row.samples_per_cycle;
      int i = 0;
      for (uint8_t& byte : block) {
        byte = static_cast<uint8_t>(waveform[i] + 128);
        i += step;
        if (i > kWaveSamples - 1) i -= kWaveSamples;
      }
      OrgProgressHook(progress++);
      ps::LockedRegions regions;
      if (!ps::Succeeded(ps::LockBuffer(slot, 0, size, &regions, 0))) return 0;
      std::memcpy(regions.first.data(), block.data(), regions.first.size());
      if (!regions.second.empty()) {
        std::memcpy(regions.second.data(), block.data() + regions.first.size(), regions.second.size());
      }
      ps::UnlockBuffer(slot, regions);
      ps::SetBufferPosition(slot, 0);
      OrgProgressHook(progress++);
    }
  }
  OrgProgressHook(progress);
  return 1;
}

void ReleaseMelodyBuffers(int track) {
  if (MusicDirectSound == nullptr || !ValidTrack(track)) return;
  for (auto& octave : MelodyBuffers[track]) {
    for (ps::Buffer*& buffer : octave) {
      if (buffer != nullptr) ps::ReleaseBuffer(buffer);
      buffer = nullptr;
    }
  }
}

void SetMelodyFrequency(int note, int track, uint16_t freq) {
  if (MusicDirectSound == nullptr || !ValidTrack(track)) return;
  if (note < 0 || note >= kKeysPerOctave) return;
  for (int o = 0; o < kOctaves; ++o) {
    // A rate the device refuses keeps the buffer's old one, as the device does.
    const int32_t rate = MelodyRate(o, note, freq);
    for (ps::Buffer* buffer : MelodyBuffers[track][o]) {
      if (buffer != nullptr && rate > 0) ps::SetBufferFrequency(buffer, static_cast<uint32_t>(rate));
    }
  }
}

void PlayMelodyNote(uint8_t key, int mode, int track, uint16_t freq) {
  if (MusicDirectSound == nullptr || !ValidTrack(track)) return;
  if (key > kMaxMelodyKey) return;  // no buffers above octave 7
  if (Slot(track, key, BufferToggle[track]) == nullptr) return;
  const uint8_t sounding = SoundingKey[track];
  if (mode == kNoteOn) {
    if (sounding == kNoKey) {
      SetMelodyFrequency(key % kKeysPerOctave, track, freq);
      Play(Slot(track, key, BufferToggle[track]), ps::kPlayLooping);
      SoundingKey[track] = key;
    } else if (sounding == key) {
      Play(Slot(track, key, BufferToggle[track]), 0);  // runs out its cycle
      const uint8_t toggle = Flip(track);
      Play(Slot(track, key, toggle), ps::kPlayLooping);
    } else {
      Play(Slot(track, sounding, BufferToggle[track]), 0);
      const uint8_t toggle = Flip(track);
      SetMelodyFrequency(key % kKeysPerOctave, track, freq);
      Play(Slot(track, key, toggle), ps::kPlayLooping);
      SoundingKey[track] = key;
    }
  } else if (mode == kNoteOff && sounding != kNoKey) {
    Play(CurrentBuffer(track), 0);
    SoundingKey[track] = kNoKey;
  }
}

void PlayMelodyOneShot(uint8_t key, int mode, int track, uint16_t freq) {
  if (MusicDirectSound == nullptr || !ValidTrack(track)) return;
  if (key > kMaxMelodyKey) return;
  if (Slot(track, key, BufferToggle[track]) == nullptr) return;
  const uint8_t sounding = SoundingKey[track];
  if (mode == kNoteOn) {
    if (sounding == kNoKey) {
      SetMelodyFrequency(key % kKeysPerOctave, track, freq);
      Play(Slot(track, key, BufferToggle[track]), 0);
      SoundingKey[track] = key;
    } else if (sounding == key) {
      Play(Slot(track, key, Flip(track)), 0);
    } else {
      const uint8_t toggle = Flip(track);
      SetMelodyFrequency(key % kKeysPerOctave, track, freq);
      Play(Slot(track, key, toggle), 0);
      SoundingKey[track] = key;
    }
  } else if (mode == kNoteOff) {
    SoundingKey[track] = kNoKey;  // the buffer plays out its cycles
  }
}

void SetMelodyPan(int pan, int track) {
  if (MusicDirectSound == nullptr || !ValidTrack(track)) return;
  if (pan < 0 || pan >= kPanCount) return;
  if (ps::Buffer* buffer = CurrentBuffer(track)) ps::SetBufferPan(buffer, PanToBuffer(pan));
}

void SetMelodyVolume(int volume, int track) {
  if (MusicDirectSound == nullptr || !ValidTrack(track)) return;
  if (ps::Buffer* buffer = CurrentBuffer(track)) ps::SetBufferVolume(buffer, VolumeToBuffer(volume));
}

void OrgProgressHook(int) {}

void ResetMelodyVoicesForTests() {
  for (auto& track : MelodyBuffers) {
    for (auto& octave : track) octave.fill(nullptr);
  }
  for (auto& k : SoundingKey) k = kNoKey;
  for (auto& t : BufferToggle) t = 0;
}

}  // namespace music
