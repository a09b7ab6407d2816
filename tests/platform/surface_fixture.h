// Helpers for the surface, display and presentation tests: a device on a known fake
// display, and pixel access through Lock.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>

#include "platform/surface/display.h"
#include "platform/surface/presentation.h"
#include "platform/surface/surface.h"

namespace plat::surface {
// Results print as numbers in test failures.
inline void PrintTo(Result r, std::ostream* os) { *os << static_cast<int32_t>(r); }
}  // namespace plat::surface

namespace nltest {

namespace ps = plat::surface;

// A fresh 640 x 480 32-bit desktop and an initialised device at the normal level.
class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::display::ResetDisplay();
    plat::display::SetDesktop(640, 480, 32);
    plat::presentation::ResetPresentation();
    plat::presentation::SetHarnessSettings({});
    ASSERT_EQ(ps::CreateDevice(&device_), ps::Result::kOk);
    ASSERT_EQ(ps::InitializeDevice(device_), ps::Result::kOk);
    ASSERT_EQ(ps::SetCooperativeLevel(device_, 0, ps::kCooperativeNormal), ps::Result::kOk);
  }
  void TearDown() override {
    ps::ResetSurfaces();
    plat::presentation::ResetPresentation();
    plat::display::ResetDisplay();
  }

  void GoFullScreen(int w, int h, int bits) {
    ASSERT_EQ(ps::SetCooperativeLevel(device_, 0, ps::kCooperativeFullScreen | ps::kCooperativeExclusive),
              ps::Result::kOk);
    ASSERT_EQ(ps::SetDisplayMode(device_, w, h, bits, 0), ps::Result::kOk);
  }

  ps::Surface* Offscreen(int w, int h, plat::PixelFormat format = {},
                         uint32_t caps = ps::kCapsOffscreenPlain | ps::kCapsSystemMemory) {
    ps::SurfaceDesc d;
    d.caps = caps;
    d.width = w;
    d.height = h;
    d.format = format;
    ps::Surface* s = nullptr;
    EXPECT_EQ(ps::CreateSurface(device_, d, &s), ps::Result::kOk);
    return s;
  }

  ps::Surface* Primary(uint32_t extra_caps = 0, int back_buffers = 0) {
    ps::SurfaceDesc d;
    d.caps = ps::kCapsPrimary | extra_caps;
    d.back_buffer_count = back_buffers;
    ps::Surface* s = nullptr;
    EXPECT_EQ(ps::CreateSurface(device_, d, &s), ps::Result::kOk);
    return s;
  }

  ps::Device* device_ = nullptr;
};

inline uint32_t GetPixel(ps::Surface* s, int x, int y) {
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  const int b = plat::BytesPerPixel(l.format);
  uint32_t v = 0;
  std::memcpy(&v, l.bits + y * l.pitch + x * b, b);
  ps::Unlock(s);
  return v;
}

// Sets every pixel to f(x, y).
inline void Paint(ps::Surface* s, const std::function<uint32_t(int, int)>& f) {
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  const int b = plat::BytesPerPixel(l.format);
  for (int y = 0; y < l.height; ++y) {
    for (int x = 0; x < l.width; ++x) {
      uint32_t v = f(x, y);
      std::memcpy(l.bits + y * l.pitch + x * b, &v, b);
    }
  }
  ps::Unlock(s);
}

// Every pixel, row by row.
inline std::vector<uint32_t> Pixels(ps::Surface* s) {
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  const int b = plat::BytesPerPixel(l.format);
  std::vector<uint32_t> out;
  for (int y = 0; y < l.height; ++y) {
    for (int x = 0; x < l.width; ++x) {
      uint32_t v = 0;
      std::memcpy(&v, l.bits + y * l.pitch + x * b, b);
      out.push_back(v);
    }
  }
  ps::Unlock(s);
  return out;
}

}  // namespace nltest
