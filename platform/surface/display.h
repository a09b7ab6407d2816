// The fake display behind the surface module: the desktop (size and colour depth), the
// display modes and refresh rates it accepts, its current mode, and its video memory.
// Everything is settable by tests, so that a program can be started on a 24-bit or a
// 16-bit desktop, with modes or refresh rates refused, or with little video memory.
//
// Defaults (also after ResetDisplay): the desktop has the real desktop's size (asked of
// SDL's video subsystem once; 1024 x 768 when there is none) and 32 bits; 16-bit pixels
// are 5:6:5; 64 MB of video memory; the accepted modes are 320 x 240, 640 x 480,
// 800 x 600, 1024 x 768 and the desktop size, each in 8, 16 and 32 bits, at refresh 60
// and 75. Refresh 0 (the default rate) is accepted for every accepted mode. A 24-bit
// mode is never accepted, whatever the list says.
//
// The surface module changes the mode (ApplyMode, RestoreDesktop) and takes video memory
// for its surfaces (ReserveVideoMemory, ReturnVideoMemory); nothing else should.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/surface/pixel_format.h"

namespace plat::display {

enum class Layout16 { k565, k555 };

// One accepted mode; refresh 0 need not be listed.
struct ModeSpec {
  int width = 0;
  int height = 0;
  int bits = 0;
  std::vector<int> refresh_rates;
};

// What the screen shows now: the desktop, or the mode a program set.
struct CurrentMode {
  int width = 0;
  int height = 0;
  int bits = 0;
  int refresh = 0;       // as set; 0 = the default rate (also for the desktop)
  bool changed = false;  // a mode is set in place of the desktop
};

// One call of ApplyMode, in order, for tests to read.
struct ModeAttempt {
  int width = 0;
  int height = 0;
  int bits = 0;
  int refresh = 0;
  bool accepted = false;
};

constexpr uint64_t kDefaultVideoMemory = 64ull << 20;

// Test settings. SetDesktop accepts 8, 16, 24 or 32 bits; it changes what the desktop is
// from now on and, while no mode is set, what the screen shows. It does not touch surfaces.
void SetDesktop(int width, int height, int bits);
void SetLayout16(Layout16 layout);
void SetAcceptedModes(std::vector<ModeSpec> modes);
void SetVideoMemory(uint64_t total_bytes);
void ResetDisplay();

int DesktopWidth();
int DesktopHeight();
int DesktopBits();

// The format of a colour depth on this display (16 bits by the layout); 24 gives the
// 24-bit format, which surfaces refuse. Other depths give a format with bit_count 0.
PixelFormat FormatForBits(int bits);

CurrentMode Current();
PixelFormat CurrentFormat();

// True when the mode would be accepted; records nothing.
bool AcceptsMode(int width, int height, int bits, int refresh);
// Sets the mode when accepted; every call is recorded.
bool ApplyMode(int width, int height, int bits, int refresh);
// Back to the desktop.
void RestoreDesktop();

const std::vector<ModeAttempt>& ModeAttempts();
void ClearModeAttempts();

uint64_t TotalVideoMemory();
uint64_t FreeVideoMemory();
// False (and nothing taken) when fewer bytes are free.
bool ReserveVideoMemory(uint64_t bytes);
void ReturnVideoMemory(uint64_t bytes);

}  // namespace plat::display
