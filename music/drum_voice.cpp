// Owner of the drum buffers.
#include "music/drum_voice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "music/melody_voice.h"
#include "music/music_device.h"
#include "music/org_error_log.h"
#include "platform/fs/fs.h"
#include "platform/numeric/little_endian.h"
#include "platform/sys/message_box.h"

namespace music {

namespace ps = plat::sound;

std::array<ps::Buffer*, kDrumCount> DrumBuffers{};  // one per drum track, null when absent

namespace {

constexpr char kLoadErrorCaption[] = "Error (Load)";
constexpr char kNoFileHandle[] = "ファイルハンドル取得失敗";
constexpr char kCreateFailed[] = "CreateSoundBufferに失敗した。";
constexpr char kLockFailed[] = "SoundBufferのLockに失敗した。";

bool ValidDrum(int drum) { return drum >= 0 && drum < kDrumCount; }

using plat::numeric::LoadLe32;

}  // namespace

int LoadDrumSample(std::string_view path, int drum) {
  if (MusicDirectSound == nullptr || !ValidDrum(drum)) return 0;
  ReleaseDrumBuffer(drum);
  // The handle is what counts: a file that is there but cannot be read fails here too.
  std::FILE* file = plat::fs::OpenFile(path, "rb");
  if (file == nullptr) {
    plat::ShowMessageBox(kNoFileHandle, kLoadErrorCaption);
    return 0;
  }
  // The file is read whole; its size is what the read returns, not what was asked.
  std::vector<uint8_t> bytes;
  uint8_t chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  std::fclose(file);
  if (bytes.size() < kDrumHeaderBytes || std::memcmp(bytes.data(), "RIFF", 4) != 0) return 0;

  ps::WaveFormat format;
  ps::ReadWaveFormat(std::span<const uint8_t>(bytes).subspan(kDrumFormatOffset, ps::kWaveFormatBytes), &format);
  // A size field beyond the file is cut to the bytes that are there.
  const uint32_t size = static_cast<uint32_t>(
      std::min<size_t>(LoadLe32(bytes.data() + kDrumSizeOffset), bytes.size() - kDrumHeaderBytes));
  ps::Buffer*& slot = DrumBuffers[drum];
  ps::BufferDesc desc{kVoiceBufferFlags, size, format};
  // The device takes PCM of 8 or 16 bits, mono or stereo, and at least one frame.
  if (size == 0 || !ps::Succeeded(ps::CreateBuffer(MusicDirectSound, desc, &slot))) {
    slot = nullptr;
    LogOrgError(kCreateFailed);
    return 0;
  }
  ps::LockedRegions regions;
  if (!ps::Succeeded(ps::LockBuffer(slot, 0, size, &regions, 0))) {
    LogOrgError(kLockFailed);
    return 0;
  }
  const uint8_t* samples = bytes.data() + kDrumHeaderBytes;
  std::memcpy(regions.first.data(), samples, regions.first.size());
  if (!regions.second.empty()) {
    std::memcpy(regions.second.data(), samples + regions.first.size(), regions.second.size());
  }
  ps::UnlockBuffer(slot, regions);
  ps::SetBufferPosition(slot, 0);
  return 1;
}

void ReleaseDrumBuffer(int drum) {
  if (MusicDirectSound == nullptr || !ValidDrum(drum)) return;
  if (DrumBuffers[drum] != nullptr) ps::ReleaseBuffer(DrumBuffers[drum]);
  DrumBuffers[drum] = nullptr;
}

void PlayDrum(uint8_t key, int mode, int drum) {
  if (MusicDirectSound == nullptr || !ValidDrum(drum)) return;
  ps::Buffer* buffer = DrumBuffers[drum];
  if (buffer == nullptr || mode != kStrikeMode) return;
  ps::StopBuffer(buffer);
  ps::SetBufferPosition(buffer, 0);
  SetDrumFrequency(key, drum);
  ps::PlayBuffer(buffer, 0);
}

void SetDrumFrequency(uint8_t key, int drum) {
  if (MusicDirectSound == nullptr || !ValidDrum(drum)) return;
  // Keys from 125 up give rates the device refuses; it keeps the old rate.
  if (DrumBuffers[drum] != nullptr) ps::SetBufferFrequency(DrumBuffers[drum], DrumRate(key));
}

void SetDrumPan(int pan, int drum) {
  if (MusicDirectSound == nullptr || !ValidDrum(drum)) return;
  if (pan < 0 || pan >= kPanCount) return;
  if (DrumBuffers[drum] != nullptr) ps::SetBufferPan(DrumBuffers[drum], PanToBuffer(pan));
}

void SetDrumVolume(int volume, int drum) {
  if (MusicDirectSound == nullptr || !ValidDrum(drum)) return;
  if (DrumBuffers[drum] != nullptr) ps::SetBufferVolume(DrumBuffers[drum], VolumeToBuffer(volume));
}

void ResetDrumVoicesForTests() { DrumBuffers.fill(nullptr); }

}  // namespace music
