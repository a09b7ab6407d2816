// Writing pictures as BMP (our own encoder) and PNG (libpng).
#include "tools/picture/picture_file.h"

#include <png.h>

#include <cstdio>

namespace nltools {

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const Picture& picture) {
  const uint32_t row_bytes = (static_cast<uint32_t>(picture.width) * 3 + 3) / 4 * 4;  // rows pad to 4
  const uint32_t pixel_bytes = row_bytes * static_cast<uint32_t>(picture.height);
  const uint32_t header_bytes = kFileHeaderBytes + kInfoHeaderBytes;
  std::vector<uint8_t> out;
  out.reserve(header_bytes + pixel_bytes);
  out.push_back('B');
  out.push_back('M');
  PutLe(out, header_bytes + pixel_bytes, 4);
  PutLe(out, 0, 4);  // reserved
  PutLe(out, header_bytes, 4);
  PutLe(out, kInfoHeaderBytes, 4);
  PutLe(out, static_cast<uint32_t>(picture.width), 4);
  PutLe(out, static_cast<uint32_t>(picture.height), 4);  // positive: bottom row first
  PutLe(out, 1, 2);                                      // planes
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);  // no compression
  PutLe(out, pixel_bytes, 4);
  PutLe(out, kPixelsPerMetre, 4);
  PutLe(out, kPixelsPerMetre, 4);
  PutLe(out, 0, 4);  // colours used
  PutLe(out, 0, 4);  // important colours
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb& p = picture.At(x, y);
      out.insert(out.end(), {p.b, p.g, p.r});
    }
    out.resize(out.size() + (row_bytes - static_cast<uint32_t>(picture.width) * 3), 0);
  }
  return out;
}

bool WriteBmp(const std::string& path, const Picture& picture) { return WriteBytes(path, EncodeBmp(picture)); }

bool WritePng(const std::string& path, const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = info != nullptr;
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
      // Rgb is three bytes in order, so a row is libpng's RGB row as it stands.
      static_assert(sizeof(Rgb) == 3);
      png_write_row(png, reinterpret_cast<png_const_bytep>(&picture.pixels[static_cast<size_t>(y) * picture.width]));
    }
    png_write_end(png, info);
  } else {
    ok = false;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && ok;
}

}  // namespace nltools
