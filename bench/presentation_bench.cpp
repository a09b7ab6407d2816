// Presenting a 320 x 240 screen to a window (SDL's dummy driver unless SDL_VIDEODRIVER says
// otherwise) in 16-bit 5:6:5, 32-bit XRGB and 8-bit palette formats, side by side with a
// plain memcpy of the same rows and with the conversion to RGB that a captured frame takes.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/surface/presentation.h"

namespace {

namespace pp = plat::presentation;

constexpr int kW = 320, kH = 240;

const plat::PixelFormat& FormatOf(int bits) {
  return bits == 8 ? plat::kFormatPalette8 : bits == 16 ? plat::kFormatRgb565 : plat::kFormatXrgb8888;
}

struct Screen {
  explicit Screen(int bits) : pitch(kW * bits / 8), pixels(static_cast<size_t>(pitch) * kH) {
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 + i / 640);
    for (int i = 0; i < plat::kPaletteSize; ++i) {
      palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3), 0};
    }
    picture.pixels = pixels.data();
    picture.pitch = pitch;
    picture.width = picture.view_width = kW;
    picture.height = picture.view_height = kH;
    picture.format = FormatOf(bits);
    picture.palette = bits == 8 ? palette.data() : nullptr;
  }
  int32_t pitch;
  std::vector<uint8_t> pixels;
  std::array<plat::PaletteEntry, plat::kPaletteSize> palette{};
  pp::Picture picture;
};

// A window of the screen's size for the presentation, for the whole run.
struct Window {
  Window() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) window = SDL_CreateWindow("bench", 0, 0, kW, kH, 0);
    pp::SetPresentationWindow(window);
  }
  SDL_Window* window = nullptr;
};

void BM_Present(benchmark::State& state) {
  static Window window;
  if (window.window == nullptr) {
    state.SkipWithError("no window");
    return;
  }
  Screen s(static_cast<int>(state.range(0)));
  for (auto _ : state) pp::PresentPicture(s.picture);
  state.SetBytesProcessed(state.iterations() * s.pitch * kH);
}

void BM_Memcpy(benchmark::State& state) {
  Screen s(static_cast<int>(state.range(0)));
  std::vector<uint8_t> out(s.pixels.size());
  for (auto _ : state) {
    for (int y = 0; y < kH; ++y) std::memcpy(out.data() + y * s.pitch, s.pixels.data() + y * s.pitch, s.pitch);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * s.pitch * kH);
}

void BM_ConvertForCapture(benchmark::State& state) {
  Screen s(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(pp::PictureToRgb(s.picture));
  state.SetBytesProcessed(state.iterations() * s.pitch * kH);
}

}  // namespace

BENCHMARK(BM_Present)->Arg(16)->Arg(32)->Arg(8);
BENCHMARK(BM_Memcpy)->Arg(16)->Arg(32)->Arg(8);
BENCHMARK(BM_ConvertForCapture)->Arg(16)->Arg(32)->Arg(8);
