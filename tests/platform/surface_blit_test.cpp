#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <vector>

#include "surface_fixture.h"

namespace {

using nltest::GetPixel;
using nltest::Paint;
using nltest::Pixels;
using nltest::SurfaceTest;
namespace ps = plat::surface;
using ps::Result;

constexpr uint32_t kChain = ps::kCapsFlip | ps::kCapsComplex;

TEST_F(SurfaceTest, ColourFillStoresTheValueCutToThePixelSize) {
  struct Row {
    plat::PixelFormat format;
    uint32_t fill;
    uint32_t stored;
  };
  const Row rows[] = {
      {plat::kFormatPalette8, 0x12345678, 0x78},
      {plat::kFormatRgb565, 0x12345678, 0x5678},
      {plat::kFormatXrgb8888, 0x12345678, 0x12345678},
  };
  for (const Row& r : rows) {
    ps::Surface* s = Offscreen(3, 3, r.format);
    Paint(s, [](int, int) { return 0x11u; });
    const ps::Rect middle{1, 1, 2, 3};
    ASSERT_EQ(ps::Blt(s, &middle, nullptr, nullptr, ps::kBltColorFill | ps::kBltWait, r.fill), Result::kOk);
    const uint32_t o = 0x11, f = r.stored;
    EXPECT_EQ(Pixels(s), (std::vector<uint32_t>{o, o, o, o, f, o, o, f, o}));
    ASSERT_EQ(ps::Blt(s, nullptr, nullptr, nullptr, ps::kBltDepthFill, 0), Result::kOk);
    EXPECT_EQ(Pixels(s), std::vector<uint32_t>(9, 0));
  }
}

TEST_F(SurfaceTest, FillsOutsideTheSurfaceAreRefusedUnlessAClipperCutsThem) {
  ps::Surface* s = Offscreen(4, 2, plat::kFormatPalette8);
  const ps::Rect over{2, -1, 6, 1};
  EXPECT_EQ(ps::Blt(s, &over, nullptr, nullptr, ps::kBltColorFill, 9), Result::kInvalidRect);
  EXPECT_EQ(Pixels(s), std::vector<uint32_t>(8, 0));
  EXPECT_EQ(ps::Blt(s, nullptr, s, nullptr, ps::kBltColorFill, 9), Result::kInvalidParams);

  ps::Clipper* c = nullptr;
  ASSERT_EQ(ps::CreateClipper(device_, &c), Result::kOk);
  ASSERT_EQ(ps::SetClipper(s, c), Result::kOk);
  ASSERT_EQ(ps::Blt(s, &over, nullptr, nullptr, ps::kBltColorFill, 9), Result::kOk);
  EXPECT_EQ(Pixels(s), (std::vector<uint32_t>{0, 0, 9, 9, 0, 0, 0, 0}));
  const ps::Rect away{10, 10, 12, 12};
  EXPECT_EQ(ps::Blt(s, &away, nullptr, nullptr, ps::kBltColorFill, 7), Result::kOk);
  EXPECT_EQ(GetPixel(s, 2, 0), 9u);
}

TEST_F(SurfaceTest, FastBlitCopiesTheRectangleToThePoint) {
  ps::Surface* src = Offscreen(4, 3, plat::kFormatRgb565);
  ps::Surface* dst = Offscreen(4, 3, plat::kFormatRgb565);
  Paint(src, [](int x, int y) { return static_cast<uint32_t>(0xA000 + y * 0x10 + x); });
  Paint(dst, [](int, int) { return 0x5555u; });
  const ps::Rect r{1, 0, 3, 2};  // 2 x 2 from (1, 0)
  ASSERT_EQ(ps::BltFast(dst, 2, 1, src, &r, ps::kFastNoColorKey | ps::kFastWait), Result::kOk);
  const uint32_t k = 0x5555;
  EXPECT_EQ(Pixels(dst), (std::vector<uint32_t>{k, k, k, k,            //
                                                k, k, 0xA001, 0xA002,  //
                                                k, k, 0xA011, 0xA012}));
  EXPECT_EQ(ps::GetCounters().fast_blits, 1u);
}

TEST_F(SurfaceTest, KeyedBlitsLeaveOutSourcePixelsEqualToTheRawKey) {
  struct Row {
    plat::PixelFormat format;
    uint32_t key;
    uint32_t src[4];
    uint32_t want[4];
  };
  const uint32_t d = 0x77;  // what the destination held
  const Row rows[] = {
      {plat::kFormatPalette8, 5, {5, 6, 5, 0}, {d, 6, d, 0}},
      {plat::kFormatRgb565, 0xF81F, {0xF81F, 0xF81E, 0x001F, 0xF81F}, {d, 0xF81E, 0x001F, d}},
      // Every byte counts: the top byte of a 32-bit pixel too.
      {plat::kFormatXrgb8888, 0x00FF00FF, {0x00FF00FF, 0xFFFF00FF, 0x00FF00FE, 0}, {d, 0xFFFF00FF, 0x00FF00FE, 0}},
  };
  for (const Row& r : rows) {
    ps::Surface* src = Offscreen(4, 1, r.format);
    Paint(src, [&](int x, int) { return r.src[x]; });
    const ps::ColorKey key{r.key, r.key};
    ASSERT_EQ(ps::SetColorKey(src, &key), Result::kOk);
    ps::Surface* by_fast = Offscreen(4, 1, r.format);
    ps::Surface* by_blt = Offscreen(4, 1, r.format);
    Paint(by_fast, [&](int, int) { return d; });
    Paint(by_blt, [&](int, int) { return d; });
    ASSERT_EQ(ps::BltFast(by_fast, 0, 0, src, nullptr, ps::kFastSourceColorKey), Result::kOk);
    ASSERT_EQ(ps::Blt(by_blt, nullptr, src, nullptr, ps::kBltSourceKey, 0), Result::kOk);
    const std::vector<uint32_t> want(std::begin(r.want), std::end(r.want));
    EXPECT_EQ(Pixels(by_fast), want) << int{r.format.bit_count};
    EXPECT_EQ(Pixels(by_blt), want) << int{r.format.bit_count};
    // Without the key flag everything is copied.
    ASSERT_EQ(ps::BltFast(by_fast, 0, 0, src, nullptr, ps::kFastNoColorKey), Result::kOk);
    EXPECT_EQ(Pixels(by_fast), std::vector<uint32_t>(std::begin(r.src), std::end(r.src)));
  }
}

TEST_F(SurfaceTest, ColourKeysAreSingleValues) {
  ps::Surface* s = Offscreen(2, 2, plat::kFormatRgb565);
  ps::ColorKey got;
  EXPECT_EQ(ps::GetColorKey(s, &got), Result::kNoColorKey);
  const ps::ColorKey range{1, 3};
  EXPECT_EQ(ps::SetColorKey(s, &range), Result::kUnsupported);
  const ps::ColorKey key{0, 0};
  ASSERT_EQ(ps::SetColorKey(s, &key), Result::kOk);
  ASSERT_EQ(ps::GetColorKey(s, &got), Result::kOk);
  EXPECT_EQ(got.low, 0u);
  ASSERT_EQ(ps::SetColorKey(s, nullptr), Result::kOk);
  ps::Surface* d = Offscreen(2, 2, plat::kFormatRgb565);
  EXPECT_EQ(ps::BltFast(d, 0, 0, s, nullptr, ps::kFastSourceColorKey), Result::kNoColorKey);
}

// One surface of 6 x 4 with pixel (x, y) = 10 * y + x + 1; rectangles of it are copied
// onto others of it. The expected picture is the original with each destination pixel
// replaced by the original value at its source position (unless that value is the key).
TEST_F(SurfaceTest, OverlappingCopiesWithinOneSurfaceWorkInEveryDirection) {
  struct Row {
    const char* what;
    int x, y;
    ps::Rect from;
    bool keyed;
  };
  const Row rows[] = {
      {"down right", 1, 1, {0, 0, 4, 3}, false},
      {"up left", 0, 0, {2, 1, 6, 4}, false},
      {"right in a row", 2, 0, {0, 0, 4, 2}, false},
      {"left in a row", 0, 2, {2, 2, 6, 4}, false},
      {"down", 1, 1, {1, 0, 5, 3}, false},
      {"up right", 2, 0, {0, 1, 4, 4}, false},
      {"down right keyed", 1, 1, {0, 0, 4, 3}, true},
      {"up left keyed", 0, 0, {2, 1, 6, 4}, true},
      {"right in a row keyed", 1, 1, {0, 1, 5, 2}, true},
      {"left in a row keyed", 0, 1, {1, 1, 6, 2}, true},
  };
  const uint32_t kKey = 13;  // pixel (2, 1)
  for (const Row& r : rows) {
    for (int bpp_format = 0; bpp_format < 3; ++bpp_format) {
      const plat::PixelFormat formats[] = {plat::kFormatPalette8, plat::kFormatRgb565, plat::kFormatXrgb8888};
      ps::Surface* s = Offscreen(6, 4, formats[bpp_format]);
      auto original = [](int x, int y) { return static_cast<uint32_t>(10 * y + x + 1); };
      Paint(s, original);
      if (r.keyed) {
        const ps::ColorKey key{kKey, kKey};
        ASSERT_EQ(ps::SetColorKey(s, &key), Result::kOk);
      }
      std::vector<uint32_t> want = Pixels(s);
      for (int y = r.from.top; y < r.from.bottom; ++y) {
        for (int x = r.from.left; x < r.from.right; ++x) {
          const uint32_t v = original(x, y);
          if (r.keyed && v == kKey) continue;
          want[(r.y + y - r.from.top) * 6 + (r.x + x - r.from.left)] = v;
        }
      }
      ASSERT_EQ(ps::BltFast(s, r.x, r.y, s, &r.from, r.keyed ? ps::kFastSourceColorKey : ps::kFastNoColorKey),
                Result::kOk);
      EXPECT_EQ(Pixels(s), want) << r.what << " " << int{formats[bpp_format].bit_count};
      ps::ReleaseSurface(s);
    }
  }
}

TEST_F(SurfaceTest, BadRectanglesAreRefusedAndNothingIsCopied) {
  ps::Surface* src = Offscreen(4, 4, plat::kFormatRgb565);
  ps::Surface* dst = Offscreen(4, 4, plat::kFormatRgb565);
  Paint(src, [](int, int) { return 0x1234u; });
  struct Row {
    const char* what;
    int x, y;
    ps::Rect from;
  };
  const Row rows[] = {
      {"source past the right", 0, 0, {2, 0, 5, 2}},  {"source above", 0, 0, {0, -1, 2, 2}},
      {"source empty", 0, 0, {1, 1, 1, 3}},           {"source reversed", 0, 0, {3, 0, 1, 2}},
      {"target past the bottom", 0, 3, {0, 0, 2, 2}}, {"target left of 0", -1, 0, {0, 0, 2, 2}},
      {"target past the right", 3, 0, {0, 0, 2, 1}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ps::BltFast(dst, r.x, r.y, src, &r.from, 0), Result::kInvalidRect) << r.what;
    const ps::Rect to{r.x, r.y, r.x + (r.from.right - r.from.left), r.y + (r.from.bottom - r.from.top)};
    EXPECT_NE(ps::Blt(dst, &to, src, &r.from, 0, 0), Result::kOk) << r.what;
  }
  EXPECT_EQ(Pixels(dst), std::vector<uint32_t>(16, 0));

  const ps::Rect small{0, 0, 2, 2}, large{0, 0, 3, 3};
  EXPECT_EQ(ps::Blt(dst, &large, src, &small, 0, 0), Result::kUnsupported);  // no stretching
  ps::Surface* other = Offscreen(4, 4, plat::kFormatRgb555);
  EXPECT_EQ(ps::BltFast(other, 0, 0, src, nullptr, 0), Result::kUnsupportedFormat);
  EXPECT_EQ(ps::Blt(other, nullptr, src, nullptr, 0, 0), Result::kUnsupportedFormat);
}

// The entry for callers that have put both rectangles inside themselves answers every
// other case as BltFast does: the same result, in the same order of precedence, the same
// pixels and the same count.
TEST_F(SurfaceTest, TheFastBlitForRectanglesKeptInsideAnswersAsTheFastBlit) {
  const uint32_t d = 0x7777, k = 0xF81F;
  struct Row {
    const char* what;
    bool keyed;
    plat::PixelFormat dst_format;
    std::function<void(ps::Surface* dst, ps::Surface* src)> setup;
    Result want;
    std::vector<uint32_t> pixels;  // of the destination afterwards, when it can be read
  };
  const plat::PixelFormat f = plat::kFormatRgb565, other = plat::kFormatRgb555;
  const std::vector<uint32_t> untouched(8, d);
  ps::LockedRect l;
  ps::SurfaceDc dc;
  ps::Clipper* clipper = nullptr;
  ASSERT_EQ(ps::CreateClipper(device_, &clipper), Result::kOk);
  auto none = [](ps::Surface*, ps::Surface*) {};
  auto drop_key = [](ps::Surface*, ps::Surface* src) { ps::SetColorKey(src, nullptr); };
  const Row rows[] = {
      {"plain", false, f, none, Result::kOk, {d, d, 0xA001, 0xA002, d, d, k, 0xA012}},
      {"keyed", true, f, none, Result::kOk, {d, d, 0xA001, 0xA002, d, d, d, 0xA012}},
      {"no key", true, f, drop_key, Result::kNoColorKey, untouched},
      {"another format and no key", true, other, drop_key, Result::kUnsupportedFormat, untouched},
      {"destination lost",
       false,
       f,
       [](ps::Surface* dst, ps::Surface*) { ps::MarkSurfaceLost(dst); },
       Result::kSurfaceLost,
       {}},
      {"source lost, another format", false, other, [](ps::Surface*, ps::Surface* src) { ps::MarkSurfaceLost(src); },
       Result::kSurfaceLost, untouched},
      {"destination locked, source lost", false, f,
       [&](ps::Surface* dst, ps::Surface* src) {
         ps::Lock(dst, nullptr, ps::kLockWait, &l);
         ps::MarkSurfaceLost(src);
       },
       Result::kSurfaceBusy, untouched},
      {"source's device context out", false, f, [&](ps::Surface*, ps::Surface* src) { ps::GetDC(src, &dc); },
       Result::kSurfaceBusy, untouched},
      {"clipper on a lost destination",
       false,
       f,
       [&](ps::Surface* dst, ps::Surface*) {
         ps::SetClipper(dst, clipper);
         ps::MarkSurfaceLost(dst);
       },
       Result::kCantClipFastBlit,
       {}},
      {"failure injected before a clipper", false, f,
       [&](ps::Surface* dst, ps::Surface*) {
         ps::SetClipper(dst, clipper);
         ps::InjectFailure(ps::Operation::kBltFast, Result::kOutOfMemory);
       },
       Result::kOutOfMemory, untouched},
  };
  for (const Row& r : rows) {
    for (int inside = 0; inside < 2; ++inside) {
      ps::Surface* src = Offscreen(4, 2, plat::kFormatRgb565);
      ps::Surface* dst = Offscreen(4, 2, r.dst_format);
      Paint(src, [&](int x, int y) { return x == 1 && y == 1 ? k : static_cast<uint32_t>(0xA000 + y * 0x10 + x); });
      Paint(dst, [&](int, int) { return d; });
      const ps::ColorKey key{k, k};
      ASSERT_EQ(ps::SetColorKey(src, &key), Result::kOk);
      r.setup(dst, src);
      const uint64_t before = ps::GetCounters().fast_blits;
      const ps::Rect from{1, 0, 3, 2};
      const uint32_t flags = r.keyed ? ps::kFastSourceColorKey : ps::kFastNoColorKey;
      const Result got =
          inside ? ps::BltFastInside(dst, 2, 0, src, from, flags) : ps::BltFast(dst, 2, 0, src, &from, flags);
      EXPECT_EQ(got, r.want) << r.what << (inside ? " (inside)" : "");
      EXPECT_EQ(ps::GetCounters().fast_blits - before, r.want == Result::kOk ? 1u : 0u) << r.what;
      ps::Unlock(dst);
      ps::ReleaseDC(src);
      ps::SetClipper(dst, nullptr);
      if (!r.pixels.empty()) {
        EXPECT_EQ(Pixels(dst), r.pixels) << r.what << (inside ? " (inside)" : "");
      }
      ps::ReleaseSurface(src);
      ps::ReleaseSurface(dst);
    }
  }
}

// Surfaces whose formats differ in any one field are refused by both fast blits, either
// way round.
TEST_F(SurfaceTest, FastBlitsRefuseFormatsThatDifferInAnyField) {
  const plat::PixelFormat rgb565{16, false, 0xF800, 0x07E0, 0x001F, 0, 0};
  const plat::PixelFormat wide565{32, false, 0xF800, 0x07E0, 0x001F, 0, 0};
  const plat::PixelFormat pairs[][2] = {
      {rgb565, {16, false, 0xF000, 0x07E0, 0x001F, 0, 0}},            // red
      {rgb565, {16, false, 0xF800, 0x03E0, 0x001F, 0, 0}},            // green
      {rgb565, {16, false, 0xF800, 0x07E0, 0x000F, 0, 0}},            // blue
      {wide565, {32, false, 0xF800, 0x07E0, 0x001F, 0xFF000000, 0}},  // alpha
      {rgb565, wide565},                                              // bit count
      {rgb565, plat::kFormatPalette8},                                // bit count and palette
  };
  const ps::Rect all{0, 0, 2, 1};
  for (size_t i = 0; i < std::size(pairs); ++i) {
    ps::Surface* a = Offscreen(2, 1, pairs[i][0]);
    ps::Surface* b = Offscreen(2, 1, pairs[i][1]);
    ps::Surface* like_a = Offscreen(2, 1, pairs[i][0]);
    ASSERT_TRUE(a != nullptr && b != nullptr && like_a != nullptr) << i;
    EXPECT_EQ(ps::BltFast(like_a, 0, 0, a, &all, 0), Result::kOk) << i;
    EXPECT_EQ(ps::BltFastInside(like_a, 0, 0, a, all, 0), Result::kOk) << i;
    EXPECT_EQ(ps::BltFast(b, 0, 0, a, &all, 0), Result::kUnsupportedFormat) << i;
    EXPECT_EQ(ps::BltFastInside(b, 0, 0, a, all, 0), Result::kUnsupportedFormat) << i;
    EXPECT_EQ(ps::BltFastInside(a, 0, 0, b, all, 0), Result::kUnsupportedFormat) << i;
  }
}

TEST_F(SurfaceTest, BlitOntoASurfaceWithAClipperIsCutToIt) {
  ps::Surface* src = Offscreen(3, 2, plat::kFormatPalette8);
  ps::Surface* dst = Offscreen(4, 3, plat::kFormatPalette8);
  Paint(src, [](int x, int y) { return static_cast<uint32_t>(10 * y + x + 1); });
  ps::Clipper* c = nullptr;
  ASSERT_EQ(ps::CreateClipper(device_, &c), Result::kOk);
  const ps::Rect to{-1, 2, 2, 4};  // only row 0 of the source lands, at y 2, columns 1-2
  EXPECT_EQ(ps::Blt(dst, &to, src, nullptr, ps::kBltWait, 0), Result::kInvalidRect);
  ASSERT_EQ(ps::SetClipper(dst, c), Result::kOk);
  ASSERT_EQ(ps::Blt(dst, &to, src, nullptr, ps::kBltWait, 0), Result::kOk);
  EXPECT_EQ(Pixels(dst), (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 0, 0}));
  EXPECT_EQ(ps::BltFast(dst, 0, 0, src, nullptr, 0), Result::kCantClipFastBlit);
  ASSERT_EQ(ps::SetClipper(dst, nullptr), Result::kOk);
  EXPECT_EQ(ps::BltFast(dst, 0, 0, src, nullptr, 0), Result::kOk);
  EXPECT_EQ(ps::GetClipper(dst), nullptr);
}

TEST_F(SurfaceTest, FlipMovesEveryBufferOnePlaceTowardsTheFront) {
  GoFullScreen(320, 240, 16);
  for (int backs = 1; backs <= 2; ++backs) {
    ps::Surface* p = Primary(kChain, backs);
    std::vector<ps::Surface*> chain{p};
    ps::EnumAttachedSurfaces(p, [&](ps::Surface* s) {
      chain.push_back(s);
      return true;
    });
    ASSERT_EQ(chain.size(), static_cast<size_t>(backs + 1));
    for (size_t i = 0; i < chain.size(); ++i) {
      ASSERT_EQ(ps::Blt(chain[i], nullptr, nullptr, nullptr, ps::kBltColorFill, 0xA0 + i), Result::kOk);
    }
    ASSERT_EQ(ps::Flip(p, ps::kFlipWait | ps::kFlipNoVSync), Result::kOk);
    for (size_t i = 0; i < chain.size(); ++i) {
      const uint32_t from = 0xA0 + (i + 1) % chain.size();
      EXPECT_EQ(GetPixel(chain[i], 319, 239), from) << backs << " back buffers, member " << i;
    }
    EXPECT_EQ(ps::GetCounters().last_flip_flags, ps::kFlipWait | ps::kFlipNoVSync);
    ps::ReleaseSurface(p);
  }
  EXPECT_EQ(ps::GetCounters().flips, 2u);
}

TEST_F(SurfaceTest, FlipNeedsAnIdleChain) {
  ps::Surface* window_primary = Primary();
  EXPECT_EQ(ps::Flip(window_primary, 0), Result::kNotFlippable);
  ps::ReleaseSurface(window_primary);
  GoFullScreen(320, 240, 16);
  ps::Surface* p = Primary(kChain, 1);
  ps::Surface* back = nullptr;
  ASSERT_EQ(ps::GetAttachedSurface(p, ps::kCapsBackBuffer, &back), Result::kOk);
  EXPECT_EQ(ps::Flip(back, 0), Result::kNotFlippable);
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(back, nullptr, 0, &l), Result::kOk);
  EXPECT_EQ(ps::Flip(p, 0), Result::kSurfaceBusy);
  ps::Unlock(back);
  EXPECT_EQ(ps::Flip(p, 0), Result::kOk);
}

}  // namespace
