// Reads a PNG file back as 8-bit RGB rows, for tests that check written pictures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nltest {

struct Png {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width * 3 bytes a row, top row first
};

// nullopt when the file is missing or not a readable PNG.
std::optional<Png> ReadPng(const std::string& path);

struct Rgb {
  int r, g, b;
};

// Pixels within `tolerance` of a colour in every channel (8 suits a 16-bit screen).
int CountNear(const Png& png, Rgb c, int tolerance = 8);

}  // namespace nltest
