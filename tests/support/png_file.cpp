#include "tests/support/png_file.h"

#include <png.h>

#include <cstdlib>

namespace nltest {

std::optional<Png> ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  Png png;
  png.width = static_cast<int>(image.width);
  png.height = static_cast<int>(image.height);
  png.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr)) return std::nullopt;
  return png;
}

int CountNear(const Png& png, Rgb c, int tolerance) {
  int n = 0;
  for (size_t i = 0; i + 2 < png.rgb.size(); i += 3)
    n += std::abs(png.rgb[i] - c.r) <= tolerance && std::abs(png.rgb[i + 1] - c.g) <= tolerance &&
         std::abs(png.rgb[i + 2] - c.b) <= tolerance;
  return n;
}

}  // namespace nltest
