// The four main surfaces of the device: the primary (the visible screen), the back
// surface that is drawn on and presented, and two screen-sized work surfaces of the
// software drawers. In full screen with 3-D surfaces the primary heads a flip chain whose
// first back buffer is the back surface.
#pragma once

#include <cstdint>

namespace vexal {

// The flip chain gets two back buffers when the total video memory is at least this and
// at least this many screens' worth (kFlipChainScreens x width x height x bytes).
inline constexpr uint64_t kTwoBackBuffersMinVideoMemory = 0x800000;
inline constexpr uint64_t kFlipChainScreens = 8;
// In full screen the new chain is cleared and flipped this many times.
inline constexpr int kFlipChainClearFlips = 3;

// Makes the main surfaces for the current mode, cleared to 0. 0, or -1 without the device
// or while a primary exists; a surface that cannot be made is fatal.
int CreateMainSurfaces();
// Releases them. 0, or -1 without the device.
int ReleaseMainSurfaces();
// Restores a lost primary, then a lost back surface, unless drawing is suspended. 0, or
// -1 without the device.
int RestoreMainSurfaces();

// Back buffers of the flip chain for a screen of width x height at bits, with
// total_video_memory bytes of video memory: 2 or 1.
int FlipChainBackBufferCount(uint64_t total_video_memory, int width, int height, int bits);

}  // namespace vexal
