// The music on a sound device of the manual mixer (nothing plays), made once, in the
// scratch directory; message boxes are dropped.
#pragma once
#include "music/music_device.h"
#include "platform/sound/sound.h"
#include "platform/sys/message_box.h"
#include "scratch_files.h"

namespace nlfuzz {

inline void EnterMusicDevice() {
  static plat::sound::Device* device = nullptr;
  EnterScratchDir();
  if (device != nullptr) return;
  plat::SetMessageBoxHook([](std::string_view, std::string_view) {});
  plat::sound::SetBackendForTests(plat::sound::Backend::kManual);
  if (plat::sound::CreateDevice(&device) != plat::sound::Result::kOk) __builtin_trap();
  music::MusicDirectSound = device;
}

}  // namespace nlfuzz
