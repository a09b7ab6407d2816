// Where the windows' input comes from: SDL's event queue, or a test's scripted source,
// both delivering the user's actions through the same calls.
#include <SDL.h>

#include <functional>

#include "platform/text/text_encoding.h"
#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace plat::window {
namespace {

std::function<void()> g_source;  // test's scripted source; empty: SDL's events

uint32_t VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<uint32_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<uint32_t>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return kVkF1 + static_cast<uint32_t>(key - SDLK_F1);
  switch (key) {
    case SDLK_BACKSPACE: return kVkBack;
    case SDLK_TAB: return kVkTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return kVkReturn;
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_SPACE: return kVkSpace;
    case SDLK_PAGEUP: return kVkPrior;
    case SDLK_PAGEDOWN: return kVkNext;
    case SDLK_END: return kVkEnd;
    case SDLK_HOME: return kVkHome;
    case SDLK_LEFT: return kVkLeft;
    case SDLK_UP: return kVkUp;
    case SDLK_RIGHT: return kVkRight;
    case SDLK_DOWN: return kVkDown;
    case SDLK_INSERT: return kVkInsert;
    case SDLK_DELETE: return kVkDelete;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return kVkShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return kVkControl;
    case SDLK_LALT:
    case SDLK_RALT: return kVkMenu;
    default: return 0;
  }
}

uint32_t MouseButtonMessage(uint8_t button, bool down) {
  switch (button) {
    case SDL_BUTTON_LEFT: return down ? kWmLButtonDown : kWmLButtonUp;
    case SDL_BUTTON_RIGHT: return down ? kWmRButtonDown : kWmRButtonUp;
    case SDL_BUTTON_MIDDLE: return down ? kWmMButtonDown : kWmMButtonUp;
    default: return 0;
  }
}

bool CoversDisplay(WindowHandle w) {
  SDL_Window* sdl = GetSdlWindow(w);
  return sdl != nullptr && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN) != 0;
}

void TranslateWindowEvent(const SDL_WindowEvent& e) {
  WindowHandle w = internal::WindowOfSdlId(e.windowID);
  if (w == 0) return;
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE: UserClose(w); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: UserFocus(w, true); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: UserFocus(w, false); break;
    // A full-screen SDL window covers its display, whatever size the window has; it only
    // has to start at the display's corner.
    case SDL_WINDOWEVENT_MOVED:
      if (CoversDisplay(w)) {
        internal::FullScreenMoved(w, e.data1, e.data2);
      } else {
        UserMove(w, e.data1, e.data2);
      }
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (!CoversDisplay(w)) UserResize(w, e.data1, e.data2, false);
      break;
    case SDL_WINDOWEVENT_MAXIMIZED: {
      int cw = 0, ch = 0;
      SDL_GetWindowSize(GetSdlWindow(w), &cw, &ch);
      UserResize(w, cw, ch, true);
      break;
    }
    case SDL_WINDOWEVENT_EXPOSED: PostMessage(w, kWmPaint, 0, 0); break;
    default: break;
  }
}

void Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: UserCloseAll(); break;
    case SDL_WINDOWEVENT: TranslateWindowEvent(e.window); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      uint32_t vk = VirtualKeyOf(e.key.keysym.sym);
      if (vk != 0) UserKey(internal::WindowOfSdlId(e.key.windowID), vk, e.type == SDL_KEYDOWN);
      break;
    }
    case SDL_TEXTINPUT: UserText(internal::WindowOfSdlId(e.text.windowID), e.text.text); break;
    case SDL_MOUSEMOTION:
      UserMouse(internal::WindowOfSdlId(e.motion.windowID), kWmMouseMove, e.motion.x, e.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      uint32_t m = MouseButtonMessage(e.button.button, e.type == SDL_MOUSEBUTTONDOWN);
      if (m != 0) UserMouse(internal::WindowOfSdlId(e.button.windowID), m, e.button.x, e.button.y);
      break;
    }
    default: break;
  }
}

intptr_t PackWords(int32_t low, int32_t high) {
  return static_cast<intptr_t>((static_cast<uint32_t>(low) & 0xFFFFu) |
                               ((static_cast<uint32_t>(high) & 0xFFFFu) << 16));
}

}  // namespace

namespace internal {

// A poll may begin inside another: an event sent to a window procedure (a move) can reach
// a wait that pumps again. SDL hands out each event once, so the inner poll reads on
// from the next one and the outer finds only what came after.
void PollEvents() {
  if (g_source) {
    g_source();
  } else if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) Translate(e);
  }
}

void ResetEvents() { g_source = nullptr; }

}  // namespace internal

void SetEventSource(std::function<void()> source) { g_source = std::move(source); }

void UserClose(WindowHandle window) { PostMessage(window, kWmClose, 0, 0); }

void UserCloseAll() {
  for (WindowHandle w : internal::LiveWindows()) UserClose(w);
}

void UserFocus(WindowHandle window, bool active) {
  if (!IsWindow(window)) return;
  internal::NoteFocus(window, active);
  PostMessage(window, kWmActivateApp, active ? 1 : 0, 0);
  PostMessage(window, kWmActivate, active ? 1 : 0, 0);
}

void UserKey(WindowHandle window, uint32_t virtual_key, bool down) {
  PostMessage(window, down ? kWmKeyDown : kWmKeyUp, virtual_key, 1);
}

void UserText(WindowHandle window, std::string_view utf8) {
  for (char byte : Utf8ToCp932(utf8)) PostMessage(window, kWmChar, static_cast<uint8_t>(byte), 1);
}

void UserMouse(WindowHandle window, uint32_t mouse_message, int32_t x, int32_t y) {
  if (!IsWindow(window)) return;
  PostMessage(window, kWmSetCursor, window,
              PackWords(static_cast<int32_t>(kHitClient), static_cast<int32_t>(mouse_message)));
  PostMessage(window, mouse_message, 0, PackWords(x, y));
}

void DesktopChanged(int32_t bits, int32_t width, int32_t height) {
  for (WindowHandle w : internal::LiveWindows()) {
    PostMessage(w, kWmDisplayChange, static_cast<uintptr_t>(bits), PackWords(width, height));
  }
}

}  // namespace plat::window
