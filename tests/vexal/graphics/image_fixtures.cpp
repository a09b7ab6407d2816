#include "tests/vexal/graphics/image_fixtures.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace nltest {
namespace {

void Append16(Bytes& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Append32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PngWriteToBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

}  // namespace

void PutLe16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes WriteBmp(const BmpSpec& s) {
  const bool fields = s.compression == 3;
  const uint32_t masksAfter = fields && s.headerSize == 40 ? 12 : 0;
  const uint32_t tableBytes = static_cast<uint32_t>(s.palette.size()) * 4;
  const uint32_t offBits = 14 + s.headerSize + masksAfter + tableBytes + s.gap;
  const int32_t rows = s.height < 0 ? -s.height : s.height;
  const size_t rowBytes = ((static_cast<size_t>(s.bits) * s.width + 31) / 32) * 4;

  Bytes b;
  b.push_back('B');
  b.push_back('M');
  Append32(b, offBits + static_cast<uint32_t>(rowBytes * rows));
  Append32(b, 0);
  Append32(b, offBits);
  Append32(b, s.headerSize);
  Append32(b, static_cast<uint32_t>(s.width));
  Append32(b, static_cast<uint32_t>(s.height));
  Append16(b, 1);
  Append16(b, static_cast<uint16_t>(s.bits));
  Append32(b, s.compression);
  Append32(b, static_cast<uint32_t>(rowBytes * rows));
  Append32(b, 2835);
  Append32(b, 2835);
  Append32(b, s.clrUsed);
  Append32(b, 0);
  if (s.headerSize > 40) {
    size_t start = b.size();
    b.resize(14 + s.headerSize, 0);
    if (fields)
      for (int c = 0; c < 3; ++c) PutLe32(b, start + 4 * c, s.masks[c]);
  }
  if (masksAfter != 0)
    for (uint32_t m : s.masks) Append32(b, m);
  for (uint32_t e : s.palette) Append32(b, e);
  b.insert(b.end(), s.gap, 0xEE);
  for (int32_t r = 0; r < rows; ++r) {
    const int y = s.height < 0 ? r : rows - 1 - r;
    Bytes row(rowBytes, 0);
    for (int x = 0; x < s.width; ++x) {
      const uint32_t v = s.pixel(x, y);
      switch (s.bits) {
        case 1:
        case 4:
        case 8: {
          const int perByte = 8 / s.bits;
          row[x / perByte] |= static_cast<uint8_t>(v << ((perByte - 1 - x % perByte) * s.bits));
          break;
        }
        default:
          for (int k = 0; k < s.bits / 8; ++k) row[x * (s.bits / 8) + k] = static_cast<uint8_t>(v >> (8 * k));
      }
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

Bytes WritePng(const PngSpec& s) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("png write failed");
  }
  png_set_write_fn(png, &out, PngWriteToBytes, PngFlush);
  png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
               s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (uint32_t e : s.palette)
    palette.push_back(
        png_color{static_cast<png_byte>(e >> 16), static_cast<png_byte>(e >> 8), static_cast<png_byte>(e)});
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  std::vector<png_byte> alpha(s.paletteAlpha.begin(), s.paletteAlpha.end());
  png_color_16 grey{};
  if (!alpha.empty()) png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
  if (s.trnsGrey >= 0) {
    grey.gray = static_cast<png_uint_16>(s.trnsGrey);
    png_set_tRNS(png, info, nullptr, 0, &grey);
  }
  png_write_info(png, info);

  const int channels = s.colorType == 0 || s.colorType == 3 ? 1 : s.colorType == 4 ? 2 : s.colorType == 2 ? 3 : 4;
  const size_t rowBytes = (static_cast<size_t>(s.width) * channels * s.bitDepth + 7) / 8;
  std::vector<Bytes> rows(s.height, Bytes(rowBytes, 0));
  for (uint32_t y = 0; y < s.height; ++y) {
    size_t bit = 0;
    for (uint32_t x = 0; x < s.width; ++x) {
      for (uint16_t v : s.samples(static_cast<int>(x), static_cast<int>(y))) {
        if (s.bitDepth == 16) {
          rows[y][bit / 8] = static_cast<uint8_t>(v >> 8);
          rows[y][bit / 8 + 1] = static_cast<uint8_t>(v);
        } else if (s.bitDepth == 8) {
          rows[y][bit / 8] = static_cast<uint8_t>(v);
        } else {  // packed, first sample in the highest bits
          rows[y][bit / 8] |= static_cast<uint8_t>(v << (8 - s.bitDepth - bit % 8));
        }
        bit += s.bitDepth;
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (auto& r : rows) pointers.push_back(r.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes WriteBgra(uint32_t depth, uint32_t width, uint32_t height, const Bytes& pixels) {
  Bytes b = {'B', 'G', 'R', 'A'};
  Append32(b, depth);
  Append32(b, width);
  Append32(b, height);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

uint32_t PixelAt(const vexal::GraphImage& image, int x, int y) {
  const int bytes = image.ColorFormat.ColorBits / 8;
  const uint8_t* p = image.Pixels + static_cast<ptrdiff_t>(y) * image.Pitch + x * bytes;
  uint32_t v = 0;
  for (int k = 0; k < bytes; ++k) v |= static_cast<uint32_t>(p[k]) << (8 * k);
  return v;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("cannot write " + path);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace nltest
