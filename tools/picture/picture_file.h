// Pictures the demo-world tools write: 24-bit RGB pixels, top row first, saved as a PNG
// (through libpng) or as a 24-bit Windows bitmap (bottom row first, 40-byte info header).
// Pure black is the transparent colour of the game's pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nltools {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

struct Picture {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;  // width x height, top row first

  Picture() = default;
  Picture(int w, int h, Rgb fill = {}) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
  Rgb& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Rgb& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The bytes of a 24-bit bottom-up Windows bitmap of the picture.
std::vector<uint8_t> EncodeBmp(const Picture& picture);

// Write the picture to path; false when the file could not be written whole.
bool WriteBmp(const std::string& path, const Picture& picture);
bool WritePng(const std::string& path, const Picture& picture);

}  // namespace nltools
