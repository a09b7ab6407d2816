// The thread's message queue: posting, sending, taking, translating and dispatching.
#include <deque>

#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace plat::window {
namespace {

std::deque<Message> g_queue;  // posted messages, oldest first

bool Matches(const Message& m, WindowHandle filter) {
  if (filter == 0) return true;
  if (filter == kThreadMessages) return m.window == 0;
  return m.window == filter;
}

}  // namespace

namespace internal {

void DropMessagesOf(WindowHandle window) {
  std::erase_if(g_queue, [window](const Message& m) { return m.window == window; });
}

void ResetQueue() { g_queue.clear(); }

}  // namespace internal

bool PostMessage(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam) {
  if (window != 0 && !internal::IsLive(window)) return false;
  g_queue.push_back(Message{window, id, wparam, lparam});
  return true;
}

void PostQuitMessage(int exit_code) { g_queue.push_back(Message{0, kWmQuit, static_cast<uintptr_t>(exit_code), 0}); }

intptr_t SendMessage(WindowHandle window, uint32_t id, uintptr_t wparam, intptr_t lparam) {
  WindowProc proc = internal::ProcOf(window);
  return proc != nullptr ? proc(window, id, wparam, lparam) : 0;
}

bool PeekMessage(Message* out, WindowHandle filter, uint32_t flags) {
  if ((flags & kPeekQueueOnly) == 0) internal::PollEvents();
  for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
    if (Matches(*it, filter)) {
      *out = *it;
      g_queue.erase(it);
      return true;
    }
  }
  return false;
}

bool TranslateMessage(const Message& message) {
  if (message.id != kWmKeyDown) return false;
  uintptr_t character = 0;
  switch (message.wparam) {
    case kVkReturn: character = 0x0D; break;
    case kVkEscape: character = 0x1B; break;
    case kVkBack: character = 0x08; break;
    case kVkTab: character = 0x09; break;
    default: return false;
  }
  return PostMessage(message.window, kWmChar, character, message.lparam);
}

intptr_t DispatchMessage(const Message& message) {
  if (message.window == 0) return 0;
  return SendMessage(message.window, message.id, message.wparam, message.lparam);
}

intptr_t DefWindowProc(WindowHandle window, uint32_t id, uintptr_t, intptr_t lparam) {
  switch (id) {
    case kWmClose: DestroyWindow(window); return 0;
    case kWmSetCursor:
      // The class cursor over the client area, the arrow anywhere else.
      SetCursor((lparam & 0xFFFF) == kHitClient ? internal::ClassCursorOf(window) : Cursor::Arrow);
      return 1;
    default: return 0;
  }
}

}  // namespace plat::window
