// Picture files made in code for the reader tests: a small bitmap writer of our own,
// PNGs through libpng's writer, raw BGRA files, and helpers to read pixels back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vexal/graphics/pictures/graph_image.h"

namespace nltest {

using Bytes = std::vector<uint8_t>;

struct BmpSpec {
  int bits = 24;
  int32_t width = 1;
  int32_t height = 1;  // negative: rows stored top first
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  uint32_t clrUsed = 0;
  std::vector<uint32_t> palette;  // entries written (0x00RRGGBB)
  uint32_t masks[3] = {0, 0, 0};  // written for compression 3
  uint32_t gap = 0;               // bytes of 0xEE between the table and the pixels
  // The stored value of pixel (x, y), y counted from the top: an index or a packed pixel.
  std::function<uint32_t(int x, int y)> pixel;
};

// A complete file; bfOffBits points just past the gap.
Bytes WriteBmp(const BmpSpec& spec);

struct PngSpec {
  uint32_t width = 1;
  uint32_t height = 1;
  int colorType = 2;  // PNG_COLOR_TYPE_*
  int bitDepth = 8;
  bool interlace = false;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  std::vector<uint8_t> paletteAlpha;
  int trnsGrey = -1;  // grey tRNS value, or -1 for none
  // Samples of pixel (x, y) in PNG order (grey / grey-alpha / RGB / RGBA, or an index),
  // each of bitDepth bits.
  std::function<std::vector<uint16_t>(int x, int y)> samples;
};

Bytes WritePng(const PngSpec& spec);

// A "BGRA" file: header then the given pixel bytes as they are.
Bytes WriteBgra(uint32_t depth, uint32_t width, uint32_t height, const Bytes& pixels);

void PutLe16(Bytes& b, size_t at, uint16_t v);
void PutLe32(Bytes& b, size_t at, uint32_t v);

// 0x00RRGGBB of a 24-bit picture's pixel, 0xAARRGGBB of a 32-bit one, the byte of an
// 8-bit one.
uint32_t PixelAt(const vexal::GraphImage& image, int x, int y);

// Writes bytes to a file.
void WriteFile(const std::string& path, const Bytes& bytes);

}  // namespace nltest
