#include "platform/surface/presentation.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "platform/sys/debug_out.h"

namespace plat::presentation {
namespace {

struct ScreenState {
  SDL_Window* window = nullptr;      // where the picture is shown; not ours
  SDL_Renderer* renderer = nullptr;  // made on the window at the first frame
  SDL_Texture* texture = nullptr;    // the picture's size
  int texture_width = 0;
  int texture_height = 0;
  uint32_t texture_format = 0;    // an SDL pixel format
  bool renderer_failed = false;   // reported once; frames are then only counted
  bool made_full_screen = false;  // we switched the window to full-screen desktop
};

struct HarnessState {
  bool loaded = false;  // settings read (or set)
  HarnessSettings settings;
  std::function<void()> close_request;  // the window module's "close the window"
  bool close_requested = false;         // the callback has been called
  bool capture_failed = false;          // a write failure has been reported
};

ScreenState g_screen;            // the SDL side of presentation
HarnessState g_harness;          // capture and exit settings and their progress
uint64_t g_frames = 0;           // frames presented since start or reset
std::vector<uint8_t> g_rgb;      // the captured frame (or one converted row) as RGB
std::vector<uint8_t> g_staging;  // a view that cannot go to the texture straight

// The 8-bit palette as texture pixels, and the colours it was made from.
struct PaletteCache {
  bool valid = false;
  std::array<PaletteEntry, kPaletteSize> colours{};
  std::array<uint32_t, kPaletteSize> xrgb{};
};
PaletteCache g_palette;

void Report(const std::string& text) { DebugOutput(text + "\n"); }

// A decimal count of 1 or more, digits only.
std::optional<uint64_t> ParseCount(std::string_view text) {
  if (text.empty()) return std::nullopt;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (v > (UINT64_MAX - digit) / 10) return std::nullopt;
    v = v * 10 + digit;
  }
  if (v == 0) return std::nullopt;
  return v;
}

HarnessSettings ReadEnvironment() {
  HarnessSettings s;
  if (const char* dir = std::getenv("NIGHTLOOM_CAPTURE"); dir != nullptr && *dir != '\0') {
    s.capture_dir = dir;
  }
  if (const char* frames = std::getenv("NIGHTLOOM_CAPTURE_FRAMES"); frames != nullptr && *frames != '\0') {
    s.capture_frames = ParseFrameList(frames);
    if (!s.capture_frames) {
      Report(std::string("NIGHTLOOM_CAPTURE_FRAMES: not a frame list (like 1,50,100-120): ") + frames +
             "; no frame is captured");
      s.capture_frames = FrameList{};
    }
  }
  if (const char* n = std::getenv("NIGHTLOOM_EXIT_AFTER"); n != nullptr && *n != '\0') {
    s.exit_after = ParseCount(n);
    if (!s.exit_after) {
      Report(std::string("NIGHTLOOM_EXIT_AFTER: not a frame count of 1 or more: ") + n);
    }
  }
  return s;
}

HarnessState& Harness() {
  if (!g_harness.loaded) {
    g_harness.settings = ReadEnvironment();
    g_harness.loaded = true;
  }
  return g_harness;
}

void DestroyScreenObjects() {
  if (g_screen.texture != nullptr) SDL_DestroyTexture(g_screen.texture);
  if (g_screen.renderer != nullptr) SDL_DestroyRenderer(g_screen.renderer);
  g_screen.texture = nullptr;
  g_screen.renderer = nullptr;
  g_screen.texture_width = g_screen.texture_height = 0;
  g_screen.texture_format = 0;
}

void FollowFullScreen(bool full_screen) {
  const uint32_t flags = SDL_GetWindowFlags(g_screen.window);
  const bool is_desktop_full = (flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (full_screen && !is_desktop_full) {
    if (SDL_SetWindowFullscreen(g_screen.window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) {
      g_screen.made_full_screen = true;
    }
  } else if (!full_screen && g_screen.made_full_screen) {
    SDL_SetWindowFullscreen(g_screen.window, 0);
    g_screen.made_full_screen = false;
  }
}

// The texture format that holds a picture's pixels as they are; 0 when they must be
// converted (8-bit pictures go through the palette table, other masks through RowToRgb).
uint32_t NativeTextureFormat(const PixelFormat& f) {
  if (f == kFormatRgb565) return SDL_PIXELFORMAT_RGB565;
  if (f == kFormatRgb555) return SDL_PIXELFORMAT_RGB555;
  if (f.bit_count == 32 && f.red_mask == kFormatXrgb8888.red_mask && f.green_mask == kFormatXrgb8888.green_mask &&
      f.blue_mask == kFormatXrgb8888.blue_mask && f.fourcc == 0) {
    return SDL_PIXELFORMAT_RGB888;
  }
  return 0;
}

// The palette as XRGB pixels, made again only when the palette's colours change.
const uint32_t* PaletteTable(const PaletteEntry* palette) {
  std::array<PaletteEntry, kPaletteSize> now{};
  for (int i = 0; i < kPaletteSize; ++i) {
    now[i] = palette != nullptr
                 ? palette[i]
                 : PaletteEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
  }
  if (!g_palette.valid || now != g_palette.colours) {
    g_palette.colours = now;
    for (int i = 0; i < kPaletteSize; ++i) {
      g_palette.xrgb[i] = uint32_t{now[i].red} << 16 | uint32_t{now[i].green} << 8 | now[i].blue;
    }
    g_palette.valid = true;
  }
  return g_palette.xrgb.data();
}

// Puts the picture's view into the texture: straight from the primary's memory when the
// view lies inside it in a format the texture takes, else through g_staging (black
// outside the primary).
void Upload(const Picture& p, uint32_t native) {
  const int bpp = BytesPerPixel(p.format);
  const int w = p.view_width, h = p.view_height;
  const bool inside = p.view_x >= 0 && p.view_y >= 0 && p.view_x + w <= p.width && p.view_y + h <= p.height;
  if (native != 0 && inside) {
    const uint8_t* first =
        p.pixels + static_cast<ptrdiff_t>(p.view_y) * p.pitch + static_cast<ptrdiff_t>(p.view_x) * bpp;
    SDL_UpdateTexture(g_screen.texture, nullptr, first, p.pitch);
    return;
  }
  const int out_bpp = native != 0 ? bpp : 4;
  const size_t out_pitch = static_cast<size_t>(w) * out_bpp;
  g_staging.assign(out_pitch * static_cast<size_t>(h), 0);
  const int x0 = std::max(p.view_x, 0);
  const int x1 = std::min(p.view_x + w, p.width);
  const uint32_t* table = p.format.palettised ? PaletteTable(p.palette) : nullptr;
  for (int y = 0; y < h && x1 > x0; ++y) {
    const int sy = p.view_y + y;
    if (sy < 0 || sy >= p.height) continue;
    const uint8_t* row = p.pixels + static_cast<ptrdiff_t>(sy) * p.pitch + static_cast<ptrdiff_t>(x0) * bpp;
    uint8_t* out = g_staging.data() + y * out_pitch + static_cast<size_t>(x0 - p.view_x) * out_bpp;
    const int n = x1 - x0;
    if (native != 0) {
      std::memcpy(out, row, static_cast<size_t>(n) * bpp);
    } else if (table != nullptr) {
      auto* px = reinterpret_cast<uint32_t*>(out);
      for (int x = 0; x < n; ++x) px[x] = table[row[x]];
    } else {
      g_rgb.resize(static_cast<size_t>(n) * 3);
      RowToRgb(p.format, row, n, nullptr, g_rgb.data());
      auto* px = reinterpret_cast<uint32_t*>(out);
      for (int x = 0; x < n; ++x) {
        px[x] = uint32_t{g_rgb[3 * x]} << 16 | uint32_t{g_rgb[3 * x + 1]} << 8 | g_rgb[3 * x + 2];
      }
    }
  }
  SDL_UpdateTexture(g_screen.texture, nullptr, g_staging.data(), static_cast<int>(out_pitch));
}

void Show(const Picture& picture) {
  if (g_screen.window == nullptr || g_screen.renderer_failed) return;
  FollowFullScreen(picture.full_screen);
  if (g_screen.renderer == nullptr) {
    g_screen.renderer = SDL_CreateRenderer(g_screen.window, -1, 0);
    if (g_screen.renderer == nullptr) {
      g_screen.renderer = SDL_CreateRenderer(g_screen.window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (g_screen.renderer == nullptr) {
      Report(std::string("presentation: no renderer for the window: ") + SDL_GetError());
      g_screen.renderer_failed = true;
      return;
    }
  }
  const int w = picture.view_width;
  const int h = picture.view_height;
  const uint32_t native = NativeTextureFormat(picture.format);
  const uint32_t format = native != 0 ? native : static_cast<uint32_t>(SDL_PIXELFORMAT_RGB888);
  if (g_screen.texture == nullptr || g_screen.texture_width != w || g_screen.texture_height != h ||
      g_screen.texture_format != format) {
    if (g_screen.texture != nullptr) SDL_DestroyTexture(g_screen.texture);
    g_screen.texture = SDL_CreateTexture(g_screen.renderer, format, SDL_TEXTUREACCESS_STREAMING, w, h);
    g_screen.texture_width = w;
    g_screen.texture_height = h;
    g_screen.texture_format = format;
    if (g_screen.texture == nullptr) {
      Report(std::string("presentation: no texture: ") + SDL_GetError());
      return;
    }
  }
  Upload(picture, native);
  int ow = 0, oh = 0;
  SDL_GetRendererOutputSize(g_screen.renderer, &ow, &oh);
  const ViewRect fit = FitPicture(w, h, ow, oh);
  const SDL_Rect dst{fit.x, fit.y, fit.width, fit.height};
  if (fit.width != ow || fit.height != oh) {  // black bars
    SDL_SetRenderDrawColor(g_screen.renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_screen.renderer);
  }
  SDL_RenderCopy(g_screen.renderer, g_screen.texture, nullptr, &dst);
  SDL_RenderPresent(g_screen.renderer);
}

void Capture(const HarnessSettings& s, const Picture& picture) {
  std::error_code ec;
  std::filesystem::create_directories(*s.capture_dir, ec);
  const std::string path = FrameFileName(*s.capture_dir, g_frames);
  if (!WriteRgbPng(path, picture.view_width, picture.view_height, g_rgb) && !g_harness.capture_failed) {
    Report("NIGHTLOOM_CAPTURE: cannot write " + path);
    g_harness.capture_failed = true;
  }
}

// Fills g_rgb with the picture's view.
void ConvertInto(const Picture& p) {
  const size_t w = static_cast<size_t>(p.view_width);
  g_rgb.assign(w * static_cast<size_t>(p.view_height) * 3, 0);
  const int bpp = BytesPerPixel(p.format);
  const int x0 = std::max(p.view_x, 0);
  const int x1 = std::min(p.view_x + p.view_width, p.width);
  if (x1 <= x0 || bpp == 0) return;
  for (int y = 0; y < p.view_height; ++y) {
    const int sy = p.view_y + y;
    if (sy < 0 || sy >= p.height) continue;
    const uint8_t* row = p.pixels + static_cast<ptrdiff_t>(sy) * p.pitch + x0 * bpp;
    RowToRgb(p.format, row, x1 - x0, p.palette, g_rgb.data() + (y * w + (x0 - p.view_x)) * 3);
  }
}

}  // namespace

void PresentPicture(const Picture& picture) {
  ++g_frames;
  HarnessState& harness = Harness();
  const HarnessSettings& s = harness.settings;
  const bool has_view = picture.view_width > 0 && picture.view_height > 0;
  const bool capture = has_view && s.capture_dir && (!s.capture_frames || s.capture_frames->Contains(g_frames));
  const bool show = has_view && g_screen.window != nullptr && !g_screen.renderer_failed;
  if (show) Show(picture);
  if (capture) {
    ConvertInto(picture);
    Capture(s, picture);
  }
  if (s.exit_after && g_frames >= *s.exit_after && !harness.close_requested && harness.close_request) {
    harness.close_requested = true;
    harness.close_request();
  }
}

uint64_t PresentedFrames() { return g_frames; }

void SetPresentationWindow(SDL_Window* window) {
  if (window == g_screen.window) return;
  DestroyScreenObjects();
  g_screen = ScreenState{};
  g_screen.window = window;
}

void SetCloseRequestCallback(std::function<void()> callback) { g_harness.close_request = std::move(callback); }

void SetHarnessSettings(HarnessSettings settings) {
  g_harness.settings = std::move(settings);
  g_harness.loaded = true;
  g_harness.close_requested = false;
}

HarnessSettings GetHarnessSettings() { return Harness().settings; }

void ReloadHarnessSettings() {
  g_harness.loaded = false;
  g_harness.close_requested = false;
  Harness();
}

ViewRect FitPicture(int pw, int ph, int ow, int oh) {
  if (pw <= 0 || ph <= 0 || ow <= 0 || oh <= 0) return {};
  ViewRect r;
  // Compare the aspects without division: ow / oh against pw / ph.
  if (static_cast<int64_t>(ow) * ph <= static_cast<int64_t>(oh) * pw) {
    r.width = ow;
    r.height = static_cast<int>(static_cast<int64_t>(ph) * ow / pw);
  } else {
    r.height = oh;
    r.width = static_cast<int>(static_cast<int64_t>(pw) * oh / ph);
  }
  r.x = (ow - r.width) / 2;
  r.y = (oh - r.height) / 2;
  return r;
}

std::vector<uint8_t> PictureToRgb(const Picture& picture) {
  if (picture.view_width <= 0 || picture.view_height <= 0) return {};
  ConvertInto(picture);
  return g_rgb;
}

void ResetPresentation() {
  DestroyScreenObjects();
  g_screen = ScreenState{};
  g_harness = HarnessState{};
  g_palette = PaletteCache{};
  g_frames = 0;
}

}  // namespace plat::presentation
