#include "platform/sys/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text/text_encoding.h"

namespace plat {
namespace {

std::function<void(std::string_view, std::string_view)> g_hook;  // test observer, or empty

bool DisplayAvailable() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) {
    return false;
  }
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

}  // namespace

void ShowMessageBox(std::string_view text, std::string_view caption) {
  if (g_hook) {
    g_hook(text, caption);
    return;
  }
  std::string utf8_text = Cp932ToUtf8(text);
  std::string utf8_caption = Cp932ToUtf8(caption);
  if (DisplayAvailable() &&
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, utf8_caption.c_str(), utf8_text.c_str(), nullptr) == 0) {
    return;
  }
  std::fprintf(stderr, "[%s] %s\n", utf8_caption.c_str(), utf8_text.c_str());
}

void SetMessageBoxHook(std::function<void(std::string_view, std::string_view)> hook) { g_hook = std::move(hook); }

}  // namespace plat
