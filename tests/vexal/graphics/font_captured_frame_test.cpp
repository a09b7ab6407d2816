// A presented frame with system-font text and the on-screen log, written by the capture
// harness. NIGHTLOOM_FONT_FRAME_DIR keeps the picture in a folder of one's choice to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/capture/frame_capture.h"
#include "platform/surface/presentation.h"
#include "platform/text/text_encoding.h"
#include "tests/support/captured_frames.h"
#include "tests/support/png_file.h"
#include "tests/vexal/graphics/font_fixture.h"
#include "vexal/app/log/screen_log.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_mode.h"
#include "vexal/graphics/screen/screen_present.h"

namespace {

using fonttest::FontTest;

std::string Sjis(std::u8string_view utf8) {
  return plat::Utf8ToCp932(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

TEST_F(FontTest, ACapturedFrameShowsJapaneseTextAndTheOnScreenLog) {
  const char* keep = std::getenv("NIGHTLOOM_FONT_FRAME_DIR");
  const std::string dir = keep != nullptr && *keep != '\0' ? std::string(keep) : dir_.File("frames");
  plat::presentation::SetHarnessSettings({dir, std::nullopt, std::nullopt});
  vexal::RequestScreenMode(320, 240, -1, -1);
  Start(1);
  vexal::SetDrawTarget(vexal::kBackScreen);

  const std::string text = Sjis(u8"日本語の文字列");
  const int plain = vexal::CreateFontHandle(nullptr, 24, 6, 0, -1);
  const int edged_aa = vexal::CreateFontHandle(nullptr, 24, 8, 3, -1);
  vexal::DrawStringToHandle(16, 120, text.c_str(), vexal::MakeColorValue(255, 224, 96), plain, 0, 0);
  vexal::DrawStringToHandle(16, 160, text.c_str(), vexal::MakeColorValue(255, 255, 255), edged_aa,
                            vexal::MakeColorValue(200, 32, 32), 0);
  vexal::SetBlendModeParam(1, 128);
  vexal::DrawStringToHandle(16, 200, text.c_str(), vexal::MakeColorValue(255, 255, 255), edged_aa,
                            vexal::MakeColorValue(0, 0, 0), 0);
  vexal::SetBlendModeParam(0, 0);
  vexal::ScreenLogPrintf("%s\n", Sjis(u8"画面ログ: 一行目").c_str());
  vexal::ScreenLogPrintf("line 2\tafter a tab, 'no question?'");
  ASSERT_EQ(vexal::PresentScreen(), 0);
  const uint64_t frame = plat::presentation::PresentedFrames();  // start-up presents too
  plat::presentation::SetHarnessSettings({});

  const auto png = nltest::ReadFrame(dir, long(frame));
  ASSERT_TRUE(png.has_value());
  ASSERT_EQ(std::pair(png->width, png->height), std::pair(320, 240));
  auto count = [&](int y0, int y1, uint8_t r, uint8_t g, uint8_t b) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = 0; x < 320; ++x) {
        const uint8_t* p = &png->rgb[static_cast<size_t>((y * 320 + x) * 3)];
        n += p[0] == r && p[1] == g && p[2] == b;
      }
    }
    return n;
  };
  EXPECT_GT(count(0, 32, 255, 255, 255), 50);      // the log's two lines in white
  EXPECT_GT(count(120, 144, 255, 224, 96), 100);   // the plain string in its colour
  EXPECT_GT(count(160, 186, 255, 255, 255), 100);  // the edged string's full-coverage glyph pixels
  EXPECT_GT(count(160, 186, 200, 32, 32), 20);     // and its edge
}

}  // namespace
