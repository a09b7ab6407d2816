// The library's DirectDraw device: its object, the clipper bound to the main window, the
// cooperative level and the display mode. InitDirectDraw starts it (the library start-up
// does, once) and EndDirectDraw ends it; the window procedure gives it up and takes it
// back (ReleaseDirectDraw, RecreateDirectDraw) when the screen was lost. The state lives
// in DDrawState (ddraw_state.h); the main surfaces are main_surfaces.h's.
#pragma once

#include <cstdint>

#include "platform/surface/surface.h"
#include "platform/window/window.h"

namespace vexal {

// Memory kinds of CreateOffscreenSurface.
inline constexpr int kOffscreenSystemMemory = 1;  // any other value: video memory

// Minimum and maximum overlay stretch factors (in thousandths) below which the start-up
// probe tries the overlay formats.
inline constexpr uint32_t kOverlayMinStretchLimit = 1000;
inline constexpr uint32_t kOverlayMaxStretchLimit = 2000;

// Starts the device and applies the first screen mode (640 x 480 x 16 for whatever was not
// chosen); the screen starts black. 0, or -1 when the device exists already. A device,
// clipper or screen mode that cannot be made is fatal.
int InitDirectDraw();
// Ends the device: graphs, BMP data, Direct3D, main surfaces, clipper, the display mode
// and the object. 0 (also without a device, logging nothing).
int EndDirectDraw();
// Creates and initialises a device object and logs the video card. 0, or -1 (logged).
int CreateDirectDrawObject(plat::surface::Device** out);
// One off-screen surface of the screen's format; video memory falls back to system memory
// once. in_video_memory (may be null) receives 1 when it lies in video memory. 0; a
// surface that cannot be made at all is fatal.
int CreateOffscreenSurface(plat::surface::Device* device, plat::surface::Surface** out, uint8_t* in_video_memory,
                           int memory_kind, int width, int height);
// Sets the cooperative level and, in full screen, the display mode (at the stored refresh
// rate, else at the default rate, which is then stored). bits_out and
// cooperative_level_out may be null. 0, or -1 for a 24-bit desktop (window) or request
// (full screen) or a mode the display refuses. A window-mode screen larger than the
// desktop, or a refused cooperative level, is fatal.
int ChangeScreenModeDD(plat::surface::Device* device, int desktop_width, int desktop_height, int width, int height,
                       int bits, int* bits_out, uint32_t* cooperative_level_out, int window_mode,
                       int* display_mode_changed, plat::window::WindowHandle window);
// Gives the device up while the application is in the background: BMP data surfaces,
// display mode, palette, clipper and object (the main surfaces go by
// ReleaseMainSurfaces first). 0.
int ReleaseDirectDraw();
// Takes it back: object, cooperative level and mode, the screen's description (a window
// follows the desktop's depth), BMP data surfaces, and the clipper in window mode. Does
// nothing while the object exists. 0; failures are fatal.
int RecreateDirectDraw();
// Reads the display mode into the screen's description: its pixel format, colour format
// and colour bits. 0, or -1 without the device.
int ReadScreenFormat();

}  // namespace vexal
