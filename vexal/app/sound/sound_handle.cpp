// The sound table: loading sounds into buffers, deleting them, and playing them.
#include "vexal/app/sound/sound_handle.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/fs/fs.h"
#include "platform/timer/timer.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/sound/sound_decode.h"
#include "vexal/app/sound/sound_device.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/app/window/message_pump.h"

namespace vexal {

SoundHandleTableRecord SoundHandleTable;  // every sound, by slot

namespace {

namespace ps = plat::sound;

// The record of a valid handle while the device is started, else null.
SoundRecord* RecordOf(int handle) {
  if (SoundDeviceState.SoundObject == nullptr) return nullptr;
  if ((static_cast<uint32_t>(handle) & 0xFFFF0000u) != kSoundHandleTag) return nullptr;
  const int slot = handle & 0xFFFF;
  if (slot >= kSoundSlots || !SoundHandleTable.Records[slot].InUse) return nullptr;
  return &SoundHandleTable.Records[slot];
}

void ReleaseBuffers(SoundRecord& r) {
  for (ps::Buffer*& b : r.SoundBuffers) {
    if (b != nullptr) ps::ReleaseBuffer(b);
    b = nullptr;
  }
  r.SoundBufferCount = 0;
}

void FreeSlot(SoundRecord& r) {
  ReleaseBuffers(r);
  r = SoundRecord{};
}

// Reads and decodes the file. false when it cannot be opened or decoded.
bool ReadSoundFile(const char* file_name, std::vector<uint8_t>* pcm, ps::WaveFormat* format) {
  std::FILE* file = plat::fs::OpenFile(file_name, "rb");
  if (file == nullptr) return false;
  std::vector<uint8_t> record;
  const int32_t size = ConvertSoundToPcm(SoundSource{GetFileStreamFuncs(), file}, pcm, &record);
  std::fclose(file);
  return size >= 0 && ps::ReadWaveFormat(record, format);
}

void FillBuffer(ps::Buffer* buffer, const std::vector<uint8_t>& pcm) {
  ps::LockedRegions regions;
  if (!ps::Succeeded(ps::LockBuffer(buffer, 0, static_cast<uint32_t>(pcm.size()), &regions))) {
    FatalErrorExit("サウンドデータの転送に失敗しました");
  }
  const size_t first = std::min(regions.first.size(), pcm.size());
  std::memcpy(regions.first.data(), pcm.data(), first);
  const size_t second = std::min(regions.second.size(), pcm.size() - first);
  if (second > 0) std::memcpy(regions.second.data(), pcm.data() + first, second);
  if (!ps::Succeeded(ps::UnlockBuffer(buffer, regions))) FatalErrorExit("サウンドデータの転送に失敗しました");
}

bool AnyPlaying(const SoundRecord& r) {
  for (int i = 0; i < r.SoundBufferCount; ++i) {
    uint32_t status = 0;
    if (ps::Succeeded(ps::GetBufferStatus(r.SoundBuffers[i], &status)) && (status & ps::kStatusPlaying) != 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

int AddSoundData(const char* file_name, int count) {
  if (SoundDeviceState.SoundObject == nullptr || count > kMaxSoundBuffers || count < 1 || file_name == nullptr) {
    return -1;
  }
  int slot = 0;
  while (slot < kSoundSlots && SoundHandleTable.Records[slot].InUse) ++slot;
  if (slot == kSoundSlots) FatalErrorExit("サウンドの数が許容量を越えました終了します");
  SoundRecord& r = SoundHandleTable.Records[slot];
  r = SoundRecord{};
  r.InUse = 1;

  // A file that does not load gives its slot back: retrying it must not fill the table.
  std::vector<uint8_t> pcm;
  ps::WaveFormat format;
  if (!ReadSoundFile(file_name, &pcm, &format)) {
    FreeSlot(r);
    return -1;
  }

  ps::BufferDesc desc;
  desc.bytes = static_cast<uint32_t>(pcm.size());
  desc.format = format;
  for (int i = 0; i < count; ++i) {
    desc.flags = kSoundBufferFlags;
    if (!ps::Succeeded(ps::CreateBuffer(SoundDeviceState.SoundObject, desc, &r.SoundBuffers[i]))) {
      desc.flags = kSoundBufferFallbackFlags;
      if (!ps::Succeeded(ps::CreateBuffer(SoundDeviceState.SoundObject, desc, &r.SoundBuffers[i]))) {
        r.SoundBuffers[i] = nullptr;
        FreeSlot(r);
        FatalErrorExit("DirectSoundBuffer の作成に失敗しました");
      }
    }
  }
  r.SoundBufferCount = count;
  for (int i = 0; i < count; ++i) FillBuffer(r.SoundBuffers[i], pcm);
  std::snprintf(r.SoundFileName, sizeof r.SoundFileName, "%s", file_name);
  return kSoundHandleTag | slot;
}

int LoadSound(const char* file_name) { return AddSoundData(file_name, 1); }

int DeleteSound(int handle, int log) {
  SoundRecord* r = RecordOf(handle);
  if (r == nullptr) return -1;
  StopSoundPlay(handle);
  ReleaseBuffers(*r);
  if (log != 0) LogWriteFmt("サウンドデータ %s の削除", r->SoundFileName);
  *r = SoundRecord{};
  return 0;
}

int DeleteAllSounds(int log) {
  if (SoundDeviceState.SoundObject == nullptr) return -1;
  for (int i = 0; i < kSoundSlots; ++i) {
    if (SoundHandleTable.Records[i].InUse) DeleteSound(kSoundHandleTag | i, log);
  }
  return 0;
}

int StartSoundPlay(int handle, int type) {
  SoundRecord* r = RecordOf(handle);
  if (r == nullptr) return -1;
  int chosen = -1;
  for (int i = 0; i < r->SoundBufferCount && chosen < 0; ++i) {
    uint32_t status = 0;
    if (!ps::Succeeded(ps::GetBufferStatus(r->SoundBuffers[i], &status))) return -1;
    if ((status & ps::kStatusPlaying) == 0) chosen = i;
  }
  if (chosen < 0) {
    // Every buffer plays: the one that has played longest starts again.
    uint32_t longest = 0;
    for (int i = 0; i < r->SoundBufferCount; ++i) {
      uint32_t play = 0, write = 0;
      if (!ps::Succeeded(ps::GetBufferPosition(r->SoundBuffers[i], &play, &write))) return -1;
      if (chosen < 0 || play > longest) {
        chosen = i;
        longest = play;
      }
    }
  }
  ps::Buffer* buffer = r->SoundBuffers[chosen];
  uint32_t status = 0;
  if (!ps::Succeeded(ps::GetBufferStatus(buffer, &status))) return -1;
  if ((status & ps::kStatusPlaying) != 0) {
    ps::StopBuffer(buffer);
    ps::SetBufferPosition(buffer, 0);
  }
  if (!ps::Succeeded(ps::PlayBuffer(buffer, type == kSoundPlayLoop ? ps::kPlayLooping : 0))) return -1;
  if (type != kSoundPlayNormal) return 0;
  // Buffers move only as time passes, so every pass gives time up (under the virtual
  // clock that is what moves it).
  for (;;) {
    if (PumpMessages() == -1) return 0;
    SoundRecord* now = RecordOf(handle);
    if (now == nullptr || !AnyPlaying(*now)) return 0;
    plat::timer::Sleep(1);
  }
}

int StopSoundPlay(int handle) {
  SoundRecord* r = RecordOf(handle);
  if (r == nullptr) return -1;
  for (int i = 0; i < r->SoundBufferCount; ++i) {
    uint32_t status = 0;
    if (!ps::Succeeded(ps::GetBufferStatus(r->SoundBuffers[i], &status))) return -1;
    if ((status & ps::kStatusPlaying) != 0) {
      ps::StopBuffer(r->SoundBuffers[i]);
      ps::SetBufferPosition(r->SoundBuffers[i], 0);
    }
  }
  return 0;
}

int IsSoundPlaying(int handle) {
  SoundRecord* r = RecordOf(handle);
  if (r == nullptr) return -1;
  return AnyPlaying(*r) ? 1 : 0;
}

void ResetSoundTableForTests() { SoundHandleTable = SoundHandleTableRecord{}; }

}  // namespace vexal
