#include <gtest/gtest.h>

#include "surface_fixture.h"

namespace {

using nltest::GetPixel;
using nltest::Paint;
using nltest::SurfaceTest;
namespace ps = plat::surface;
using ps::Result;

TEST_F(SurfaceTest, ALostSurfaceFailsUntilRestoredAndComesBackCleared) {
  ps::Surface* lost = Offscreen(4, 4, plat::kFormatRgb565);
  ps::Surface* other = Offscreen(4, 4, plat::kFormatRgb565);
  Paint(lost, [](int, int) { return 0x1234u; });
  const ps::ColorKey key{0, 0};
  ASSERT_EQ(ps::SetColorKey(lost, &key), Result::kOk);
  ps::MarkSurfaceLost(lost);
  EXPECT_EQ(ps::IsLost(lost), Result::kSurfaceLost);
  EXPECT_EQ(ps::IsLost(other), Result::kOk);

  ps::LockedRect l;
  ps::SurfaceDc dc;
  struct Row {
    const char* what;
    std::function<Result()> call;
  };
  const Row rows[] = {
      {"lock", [&] { return ps::Lock(lost, nullptr, ps::kLockWait, &l); }},
      {"device context", [&] { return ps::GetDC(lost, &dc); }},
      {"fill", [&] { return ps::Blt(lost, nullptr, nullptr, nullptr, ps::kBltColorFill, 1); }},
      {"blit from", [&] { return ps::BltFast(other, 0, 0, lost, nullptr, 0); }},
      {"blit onto", [&] { return ps::BltFast(lost, 0, 0, other, nullptr, 0); }},
      {"Blt from", [&] { return ps::Blt(other, nullptr, lost, nullptr, 0, 0); }},
  };
  for (const Row& r : rows) EXPECT_EQ(r.call(), Result::kSurfaceLost) << r.what;

  ASSERT_EQ(ps::Restore(lost), Result::kOk);
  EXPECT_EQ(ps::IsLost(lost), Result::kOk);
  EXPECT_EQ(GetPixel(lost, 3, 3), 0u);
  ps::ColorKey still;
  ASSERT_EQ(ps::GetColorKey(lost, &still), Result::kOk);
  for (const Row& r : rows) {
    EXPECT_EQ(r.call(), Result::kOk) << r.what;
    ps::Unlock(lost);
    ps::ReleaseDC(lost);
  }
}

TEST_F(SurfaceTest, RestoringASurfaceThatWasNotLostKeepsItsPixels) {
  ps::Surface* s = Offscreen(2, 2, plat::kFormatPalette8);
  Paint(s, [](int, int) { return 7u; });
  ASSERT_EQ(ps::Restore(s), Result::kOk);
  EXPECT_EQ(GetPixel(s, 1, 1), 7u);
}

TEST_F(SurfaceTest, AFlipChainIsLostAndRestoredWhole) {
  GoFullScreen(320, 240, 32);
  ps::Surface* p = Primary(ps::kCapsFlip | ps::kCapsComplex, 2);
  ps::Surface* back = nullptr;
  ASSERT_EQ(ps::GetAttachedSurface(p, ps::kCapsBackBuffer, &back), Result::kOk);
  ps::MarkSurfaceLost(back);
  EXPECT_EQ(ps::IsLost(p), Result::kSurfaceLost);
  EXPECT_EQ(ps::Flip(p, 0), Result::kSurfaceLost);
  ASSERT_EQ(ps::Restore(p), Result::kOk);
  EXPECT_EQ(ps::IsLost(back), Result::kOk);
  EXPECT_EQ(ps::Flip(p, 0), Result::kOk);
}

TEST_F(SurfaceTest, EverySurfaceCanBeLostAtOnceAndRestoreCanBeMadeToFail) {
  ps::Surface* a = Offscreen(2, 2);
  ps::Surface* b = Primary();
  ps::MarkAllSurfacesLost();
  EXPECT_EQ(ps::IsLost(a), Result::kSurfaceLost);
  EXPECT_EQ(ps::IsLost(b), Result::kSurfaceLost);
  ps::InjectFailure(ps::Operation::kRestore, Result::kOutOfMemory);
  EXPECT_EQ(ps::Restore(a), Result::kOutOfMemory);
  EXPECT_EQ(ps::IsLost(a), Result::kSurfaceLost);
  EXPECT_EQ(ps::Restore(a), Result::kOk);
}

TEST_F(SurfaceTest, ASurfaceLostWhileLockedCanStillBeUnlocked) {
  ps::Surface* s = Offscreen(2, 2);
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(s, nullptr, 0, &l), Result::kOk);
  ps::MarkSurfaceLost(s);
  EXPECT_EQ(ps::Restore(s), Result::kSurfaceBusy);
  EXPECT_EQ(ps::Unlock(s), Result::kOk);
  EXPECT_EQ(ps::Restore(s), Result::kOk);
}

}  // namespace
