#include "platform/capture/frame_capture.h"

#include <png.h>

#include <cinttypes>
#include <csetjmp>
#include <cstdio>

namespace plat::presentation {
namespace {

// Reads digits at text[*pos]; nullopt without any or on overflow.
std::optional<uint64_t> ReadNumber(std::string_view text, size_t* pos) {
  uint64_t v = 0;
  size_t start = *pos;
  while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9') {
    uint64_t digit = static_cast<uint64_t>(text[*pos] - '0');
    if (v > (UINT64_MAX - digit) / 10) return std::nullopt;
    v = v * 10 + digit;
    ++*pos;
  }
  if (*pos == start) return std::nullopt;
  return v;
}

}  // namespace

bool FrameList::Contains(uint64_t frame) const {
  for (const auto& [first, last] : ranges) {
    if (frame >= first && frame <= last) return true;
  }
  return false;
}

std::optional<FrameList> ParseFrameList(std::string_view text) {
  FrameList list;
  size_t pos = 0;
  while (true) {
    std::optional<uint64_t> first = ReadNumber(text, &pos);
    if (!first || *first == 0) return std::nullopt;
    uint64_t last = *first;
    if (pos < text.size() && text[pos] == '-') {
      ++pos;
      std::optional<uint64_t> end = ReadNumber(text, &pos);
      if (!end || *end < *first) return std::nullopt;
      last = *end;
    }
    list.ranges.emplace_back(*first, last);
    if (pos == text.size()) return list;
    if (text[pos] != ',') return std::nullopt;
    ++pos;
  }
}

std::string FrameFileName(const std::string& dir, uint64_t frame) {
  char name[40];
  std::snprintf(name, sizeof name, "frame-%06" PRIu64 ".png", frame);
  return dir + "/" + name;
}

bool WriteRgbPng(const std::string& path, int width, int height, std::span<const uint8_t> rgb) {
  if (width <= 0 || height <= 0 || rgb.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 3) {
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  volatile bool ok = false;  // survives a longjmp out of libpng
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
      png_write_row(png, rgb.data() + static_cast<size_t>(y) * width * 3);
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  const bool written = (std::fclose(file) == 0) && ok;
  if (!written) std::remove(path.c_str());  // no half-written picture is left behind
  return written;
}

}  // namespace plat::presentation
