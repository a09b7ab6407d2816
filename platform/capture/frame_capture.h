// Presented frames as picture files, for the headless harness: which frames to keep
// (a list such as "1,50,100-120") and how a frame is written (an 8-bit RGB PNG through
// libpng, named DIR/frame-NNNNNN.png with the frame number in six digits or more).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plat::presentation {

// Frame numbers count from 1. Ranges are inclusive.
struct FrameList {
  std::vector<std::pair<uint64_t, uint64_t>> ranges;
  bool Contains(uint64_t frame) const;
};

// Comma-separated numbers and ranges "a-b" (1 <= a <= b), digits only; nullopt for
// anything else, an empty text included.
std::optional<FrameList> ParseFrameList(std::string_view text);

std::string FrameFileName(const std::string& dir, uint64_t frame);

// rgb holds width x height pixels of R, G, B bytes, top row first. False when the file
// cannot be written.
bool WriteRgbPng(const std::string& path, int width, int height, std::span<const uint8_t> rgb);

}  // namespace plat::presentation
