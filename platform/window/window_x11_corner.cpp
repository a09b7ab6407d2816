// A full-screen window under an X window manager that frames windows but knows nothing of
// full screen (twm): the frame goes where the window asked to be, so the picture starts
// inside the frame's border and its last columns and rows run off the display. Managers
// read a window's request for a place differently (the frame's corner, or the window's
// own), so each request is corrected by how far the last one missed the display's corner.
#include "platform/window/window_internal.h"
// After the project's headers: Xlib's macros (None, Bool) would break them.
#include <SDL.h>
#include <SDL_syswm.h>

namespace plat::window::internal {

bool PutFullScreenCorner(SDL_Window* sdl, int32_t x, int32_t y, Point* request) {
  SDL_Rect bounds;
  const int index = SDL_GetWindowDisplayIndex(sdl);
  if (SDL_GetDisplayBounds(index < 0 ? 0 : index, &bounds) != 0) return false;
  if (x == bounds.x && y == bounds.y) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  request->x -= x - bounds.x;
  request->y -= y - bounds.y;
  XMoveWindow(info.info.x11.display, info.info.x11.window, request->x, request->y);
  XFlush(info.info.x11.display);
  return true;
}

}  // namespace plat::window::internal
