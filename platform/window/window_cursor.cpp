// The mouse cursor and the screen saver.
#include <SDL.h>

#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace plat::window {
namespace {

int g_display_count = 0;         // ShowCursor's count; the cursor shows at >= 0
Cursor g_shape = Cursor::Arrow;  // shape set last

void Apply() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_ShowCursor(IsCursorShown() ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

namespace internal {

void ResetCursor() {
  g_display_count = 0;
  g_shape = Cursor::Arrow;
}

}  // namespace internal

void SetCursor(Cursor cursor) {
  g_shape = cursor;
  Apply();
}

int ShowCursor(bool show) {
  g_display_count += show ? 1 : -1;
  Apply();
  return g_display_count;
}

bool IsCursorShown() { return g_display_count >= 0 && g_shape != Cursor::None; }

void SetScreenSaverEnabled(bool on) {
  if (!internal::EnsureVideo()) return;
  if (on) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
}

bool IsScreenSaverEnabled() { return internal::EnsureVideo() && SDL_IsScreenSaverEnabled() == SDL_TRUE; }

}  // namespace plat::window
