// The sound device: start-up with its report, and shut-down.
#include "vexal/app/sound/sound_device.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "vexal/app/log/log_file.h"
#include "vexal/app/sound/sound_handle.h"

namespace vexal {

SoundDeviceStateRecord SoundDeviceState;  // the one sound device

namespace {

namespace ps = plat::sound;

// A formatted log text that closes its line once, also when the text ends in "\n".
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogLine(const char* format, ...) {
  char buffer[kLogFormatBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  std::string text(buffer);
  if (text.empty() || text.back() != '\n') text += '\n';
  LogWrite(text);
}

const char* OkNo(uint32_t flags, uint32_t bit) { return (flags & bit) != 0 ? "OK" : "NO"; }

void FailDevice() {
  ps::ReleaseDevice(SoundDeviceState.SoundObject);
  SoundDeviceState.SoundObject = nullptr;
}

void SetPrimaryFormat() {
  ps::DeviceCaps caps{};
  ps::GetDeviceCaps(SoundDeviceState.SoundObject, &caps);
  const uint16_t channels = (caps.flags & ps::kCapPrimaryStereo) != 0 ? 2 : 1;
  const uint16_t bits = (caps.flags & ps::kCapPrimary16Bit) != 0 ? 16 : 8;
  const uint32_t rate = caps.max_secondary_rate < kPrimaryMaxRate ? caps.max_secondary_rate : kPrimaryMaxRate;
  if (!ps::Succeeded(ps::SetBufferFormat(SoundDeviceState.PrimaryBuffer, ps::PcmFormat(rate, channels, bits)))) {
    LogWrite("DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\n");
  }
}

void StartSilentBuffer() {
  ps::BufferDesc desc;
  desc.flags = kSilentBufferFlags;
  desc.bytes = kSilentBufferBytes;
  desc.format = ps::PcmFormat(kSilentBufferRate, 2, 16);
  ps::Buffer* buffer = nullptr;
  if (!ps::Succeeded(ps::CreateBuffer(SoundDeviceState.SoundObject, desc, &buffer))) {
    LogWrite("無音バッファの作成に失敗しました");
    return;
  }
  ps::LockedRegions regions;
  if (!ps::Succeeded(ps::LockBuffer(buffer, 0, kSilentBufferBytes, &regions))) {
    LogWrite("無音バッファのロックに失敗しました");
    ps::ReleaseBuffer(buffer);
    return;
  }
  std::fill(regions.first.begin(), regions.first.end(), uint8_t{0});
  std::fill(regions.second.begin(), regions.second.end(), uint8_t{0});
  ps::UnlockBuffer(buffer, regions);
  ps::PlayBuffer(buffer, ps::kPlayLooping);
  SoundDeviceState.SilentBuffer = buffer;
}

void LogDeviceReport() {
  LogIndentIn();
  ps::DeviceCaps caps{};
  ps::GetDeviceCaps(SoundDeviceState.SoundObject, &caps);
  LogWrite("DirectSound デバイスを列挙します\n");
  LogIndentIn();
  ps::EnumerateDevices(EnumSoundDeviceCallback);
  LogIndentOut();
  LogLine("最大サンプリングレート:%.2fKHz 最小サンプリングレート:%.2fKHz ", caps.max_secondary_rate / 1000.0,
          caps.min_secondary_rate / 1000.0);
  LogLine("総サウンドメモリ領域:%.2fKB 空きサウンドメモリ領域:%.2fKB \n", caps.total_hw_mem_bytes / 1024.0,
          caps.free_hw_mem_bytes / 1024.0);
  LogWrite("利用可能サンプリング精度\n");
  LogLine(" プライマリ １６bit = %s  ８bit = %s ", OkNo(caps.flags, ps::kCapPrimary16Bit),
          OkNo(caps.flags, ps::kCapPrimary8Bit));
  LogLine(" セカンダリ １６bit = %s  ８bit = %s \n", OkNo(caps.flags, ps::kCapSecondary16Bit),
          OkNo(caps.flags, ps::kCapSecondary8Bit));
  LogWrite("利用可能チャンネル\n");
  LogLine(" プライマリ MONO = %s  STEREO = %s ", OkNo(caps.flags, ps::kCapPrimaryMono),
          OkNo(caps.flags, ps::kCapPrimaryStereo));
  LogLine(" セカンダリ MONO = %s  STEREO = %s \n", OkNo(caps.flags, ps::kCapSecondaryMono),
          OkNo(caps.flags, ps::kCapSecondaryStereo));
  LogIndentOut();
}

void StopAndRelease(ps::Buffer*& buffer) {
  if (buffer == nullptr) return;
  ps::StopBuffer(buffer);
  ps::ReleaseBuffer(buffer);
  buffer = nullptr;
}

}  // namespace

bool EnumSoundDeviceCallback(const ps::DeviceInfo& device) {
  LogLine("モジュール名:%15s  ドライバ記述:%s ", device.module.c_str(), device.description.c_str());
  return true;
}

int InitDirectSound() {
  if (SoundDeviceState.SoundObject != nullptr) return -1;
  LogWrite("DirectSound の初期化を行います\n");
  if (!ps::Succeeded(ps::CreateDevice(&SoundDeviceState.SoundObject))) {
    SoundDeviceState.SoundObject = nullptr;
    LogWrite("DirectSoundの初期化に失敗しました\n");
    return -1;
  }
  if (!ps::Succeeded(ps::SetCooperativeLevel(SoundDeviceState.SoundObject, ps::kLevelPriority))) {
    LogWrite("DirectSoundの協調レベルの設定に失敗しました\n");
    FailDevice();
    return -1;
  }
  ps::BufferDesc primary;
  primary.flags = ps::kBufferPrimary;
  if (!ps::Succeeded(ps::CreateBuffer(SoundDeviceState.SoundObject, primary, &SoundDeviceState.PrimaryBuffer))) {
    SoundDeviceState.PrimaryBuffer = nullptr;
    LogWrite("DirectSoundのプライマリサウンドバッファの作成に失敗しました\n");
    FailDevice();
    return -1;
  }
  SetPrimaryFormat();
  StartSilentBuffer();
  LogDeviceReport();
  LogWrite("DirectSound の初期化は正常に終了しました\n");
  DeleteAllSounds(0);
  return 0;
}

int EndDirectSound() {
  if (SoundDeviceState.SoundObject == nullptr) return -1;
  DeleteAllSounds(0);
  StopAndRelease(SoundDeviceState.PrimaryBuffer);
  StopAndRelease(SoundDeviceState.SilentBuffer);
  ps::ReleaseDevice(SoundDeviceState.SoundObject);
  SoundDeviceState.SoundObject = nullptr;
  LogWrite("DirectSound の終了処理は正常に終了しました\n");
  return 0;
}

ps::Device* GetDirectSoundObject() { return SoundDeviceState.SoundObject; }

void ResetSoundDeviceForTests() { SoundDeviceState = SoundDeviceStateRecord{}; }

}  // namespace vexal
