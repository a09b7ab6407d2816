// Showing the primary surface, and the headless harness built on it.
//
// The surface module calls PresentPicture whenever the primary is presented (a Flip, or
// ShowPrimary: see surface.h). Each call is one presented frame; frames count from 1.
// For each frame, in this order:
// - with a window set (SetPresentationWindow), the picture is uploaded to an SDL texture
//   of its own pixel format (5:6:5, 5:5:5 or 32-bit XRGB as they are; 8-bit pixels through
//   one table made again when the palette changes; other formats converted) and drawn
//   scaled to the window, keeping its aspect (black bars).
//   When the primary belongs to a full-screen exclusive device the window is switched to
//   full-screen desktop, and back to a window when it no longer does. Without a window
//   (tests, SDL's dummy driver) nothing is shown;
// - NIGHTLOOM_CAPTURE=DIR: the frame is written as DIR/frame-NNNNNN.png (frame_capture.h),
//   the view's size, converted from the screen format to RGB (see RowToRgb); DIR is made
//   when missing. NIGHTLOOM_CAPTURE_FRAMES=1,50,100-120 limits which frames are written;
// - NIGHTLOOM_EXIT_AFTER=N: once N frames have been presented, the close-request callback
//   is called, once (at a later frame if it was registered late). Default: no callback.
// The variables are read at the first presentation (or by ReloadHarnessSettings); a value
// that cannot be used is reported on the debugger output: a bad frame list captures no
// frame, a bad count never asks to close.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/capture/frame_capture.h"
#include "platform/surface/pixel_format.h"

struct SDL_Window;

namespace plat::presentation {

// The primary's memory and the rectangle of it that is shown (it may reach outside the
// primary; that part is black).
struct Picture {
  const uint8_t* pixels = nullptr;
  int32_t pitch = 0;
  int width = 0;
  int height = 0;
  PixelFormat format{};
  const PaletteEntry* palette = nullptr;  // 8-bit primaries; null: grey ramp
  int view_x = 0;
  int view_y = 0;
  int view_width = 0;
  int view_height = 0;
  bool full_screen = false;
};

struct HarnessSettings {
  std::optional<std::string> capture_dir;   // NIGHTLOOM_CAPTURE
  std::optional<FrameList> capture_frames;  // NIGHTLOOM_CAPTURE_FRAMES; none: every frame
  std::optional<uint64_t> exit_after;       // NIGHTLOOM_EXIT_AFTER
};

struct ViewRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

void PresentPicture(const Picture& picture);
uint64_t PresentedFrames();

// The window the picture is shown in (owned by the window module); null for none.
void SetPresentationWindow(SDL_Window* window);
void SetCloseRequestCallback(std::function<void()> callback);

// Replaces what the environment said; ReloadHarnessSettings reads it again.
void SetHarnessSettings(HarnessSettings settings);
HarnessSettings GetHarnessSettings();
void ReloadHarnessSettings();

// Where a picture of pw x ph goes in an output of ow x oh: as large as fits with its
// aspect kept, centred.
ViewRect FitPicture(int pw, int ph, int ow, int oh);

// The picture's view as R, G, B bytes, top row first.
std::vector<uint8_t> PictureToRgb(const Picture& picture);

// Forgets the window (destroying what was made on it), the callback, the settings (to be
// read again) and the frame count.
void ResetPresentation();

}  // namespace plat::presentation
