#include "tests/support/captured_frames.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace nltest {

std::string FramePath(const std::string& dir, long n) {
  char name[40];
  std::snprintf(name, sizeof name, "/frame-%06ld.png", n);
  return dir + name;
}

std::optional<Png> ReadFrame(const std::string& dir, long n) { return ReadPng(FramePath(dir, n)); }

std::vector<long> CapturedFrames(const std::string& dir) {
  std::vector<long> frames;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("frame-", 0) == 0 && name.size() > 10 && name.compare(name.size() - 4, 4, ".png") == 0) {
      frames.push_back(std::atol(name.c_str() + 6));
    }
  }
  std::sort(frames.begin(), frames.end());
  return frames;
}

long LastCapturedFrame(const std::string& dir) {
  const std::vector<long> frames = CapturedFrames(dir);
  return frames.empty() ? 0 : frames.back();
}

std::string FrameRange(long from, long to) { return std::to_string(from) + "-" + std::to_string(to); }

}  // namespace nltest
