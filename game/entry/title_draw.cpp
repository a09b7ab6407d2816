// The title's picture: the drifting background, the spark stream, the glowing title, the
// band that rises after a long wait, and each state's words.
#include <algorithm>

#include "game/entry/title_screen.h"
#include "game/frame/frame_loop.h"
#include "game/text/bitmap_font.h"
#include "vexal/app/system/random.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/screen/color_value.h"

namespace game {

namespace {

constexpr int kBlendOff = 0, kBlendAlpha = 1, kBlendAdd = 2;
constexpr int kPlain = 256;  // a blend parameter that reaches it means no blending

constexpr int kFillLevel = 8;  // the screen's grey under everything
// The background fades in from alpha 64 by a quarter a frame and drifts from (-32, -50)
// to (0, 0), one pixel every 16 frames across and every 24 down.
constexpr int kBackgroundAlphaStart = 64, kBackgroundAlphaFrames = 4;
constexpr int kBackgroundX0 = -32, kBackgroundXFrames = 16;
constexpr int kBackgroundY0 = -50, kBackgroundYFrames = 24;
// The band rises from y 100 after this frame, half a pixel a frame.
constexpr int kBandFrame = 2900, kBandY0 = 100, kBandFramesPerPixel = 2, kBandHalfAlpha = 128;
constexpr int kNoBand = kGameScreenHeight;
// The title's glow: a period of 480 frames, 120 frames in; 16 frames up, 112 down.
constexpr int kGlowPeriod = 480, kGlowPhase = 120, kGlowRise = 16, kGlowEnd = 128;
constexpr int kLogoX = 0, kLogoY = 50;
// A new spark stream when the emitter passes its limit.
constexpr int kStreamY = 73, kStreamYRange = 25, kStreamStep = 3, kStreamStepRange = 2;
constexpr int kStreamLimit = 400, kStreamLimitRange = 130;
// Sparks: a drift to the left that slows and turns, a life spent 4 a frame.
constexpr int kSparkYChance = 100, kSparkUp = 10, kSparkDown = 90;
constexpr int kSparkSpeedRange = 740;
constexpr float kSparkSpeedUnit = 0.003125f, kSparkSpeedBase = 0.4f, kSparkPull = 0.04f;
constexpr int kSparkLife = 128, kSparkLifeRange = 178, kSparkLifeStep = 4, kSparkLifeEnd = 16;
constexpr int kSparkGreenLess = 16, kSparkBlue = 190;
// Words.
constexpr int kMenuX = 128, kMenuY = 168, kMenuRowHeight = 16;
constexpr int kShadowLevel = 16, kFullLevel = 255;
constexpr const char* kMenuWords[kTitleMenuRows] = {"NEW_GAME", "CONTINUE", "KEY_CAST"};
constexpr int kVeilLevel = 16;  // the box over the picture
constexpr int kPrologueVeilMax = 192, kPrologueVeilPerPixel = 4;
constexpr int kJukeVeil = 128;
constexpr int kJukeX = 32, kJukeY = 100, kJukeNumberX = 144, kJukeNumberY = 116;

int GlowAt(int t) {
  const int p = (t + kGlowPhase) % kGlowPeriod;
  int g = 0;
  if (p < kGlowRise) {
    g = kGlowRise * p;
  } else if (p < kGlowEnd) {
    g = 3 * (kGlowEnd - p);
  }
  return std::min(g, kPlain);
}

void DrawVeil(int alpha) {
  vexal::SetBlendModeParam(kBlendAlpha, alpha);
  vexal::DrawBox(0, 0, kGameScreenWidth, kGameScreenHeight, vexal::MakeColorValue(kVeilLevel, kVeilLevel, kVeilLevel),
                 1);
  vexal::SetBlendModeParam(kBlendOff, 0);
}

}  // namespace

void TitleScreen::DrawTitle() {
  const int t = ++frame_;
  vexal::DrawBox(0, 0, kGameScreenWidth, kGameScreenHeight, vexal::MakeColorValue(kFillLevel, kFillLevel, kFillLevel),
                 1);
  if (state_ < kTitlePress || state_ > kTitleJukeBox) return;

  const int alpha = std::min(t / kBackgroundAlphaFrames + kBackgroundAlphaStart, kPlain);
  const int background_x = std::min(t / kBackgroundXFrames + kBackgroundX0, 0);
  const int background_y = std::min(t / kBackgroundYFrames + kBackgroundY0, 0);
  int band_y1 = kNoBand, band_y2 = kNoBand;
  if (t > kBandFrame) {
    band_y1 = std::max(kBandY0 - (t - kBandFrame) / kBandFramesPerPixel, 0);
    band_y2 = std::max(kBandY0 - (t - kBandFrame + 1) / kBandFramesPerPixel, 0);
  }

  emitter_.x += emitter_.step;
  if (emitter_.x > emitter_.limit) {
    emitter_.x = 0;
    emitter_.y = kStreamY + vexal::RandomUpTo(kStreamYRange);
    emitter_.step = kStreamStep + vexal::RandomUpTo(kStreamStepRange);
    emitter_.limit = kStreamLimit + vexal::RandomUpTo(kStreamLimitRange);
  }
  for (int i = 0; i < kSpawnsPerFrame; ++i) SpawnSparks(emitter_.x + i, emitter_.y + i % 2);
  const int glow = GlowAt(t);

  if (alpha >= kPlain) {
    vexal::SetBlendModeParam(kBlendOff, 0);
  } else {
    vexal::SetBlendModeParam(kBlendAlpha, alpha);
  }
  vexal::DrawGraph(background_x, background_y, background_graph_, 0);
  vexal::SetBlendModeParam(kBlendOff, 0);
  MoveAndDrawSparks();
  // Added at full strength, then once more by the glow.
  vexal::SetBlendModeParam(kBlendAdd, kPlain);
  vexal::DrawGraph(kLogoX, kLogoY, title_graph_, 1);
  if (glow > 0) {
    vexal::SetBlendModeParam(kBlendAdd, glow);
    vexal::DrawGraph(kLogoX, kLogoY, title_graph_, 1);
  }
  vexal::SetBlendModeParam(kBlendOff, 0);
  if (band_y1 < kNoBand) {
    vexal::DrawGraph(0, band_y1, band_graph_, 1);
    // Half a pixel further up, half seen: the band rises smoothly at half a pixel a frame.
    if (band_y2 != band_y1) {
      vexal::SetBlendModeParam(kBlendAlpha, kBandHalfAlpha);
      vexal::DrawGraph(0, band_y2, band_graph_, 1);
      vexal::SetBlendModeParam(kBlendOff, 0);
    }
  }

  switch (state_) {
    case kTitleMenu: DrawMenuWords(); break;
    case kTitlePrologue:
      DrawVeil(std::min(kPrologueVeilMax, kPrologueVeilPerPixel * (kPrologueStartY - scroll_y_)));
      TheBitmapFont.DrawGlyphCodes(kPrologueX, scroll_y_, kPrologueWidth, kPrologueLines, prologue_codes_);
      break;
    case kTitleJukeBox:
      DrawVeil(kJukeVeil);
      TheBitmapFont.DrawSjisText(kJukeX, kJukeY, "JUKE_BOX");
      TheBitmapFont.DrawSjisText(kJukeX, kJukeNumberY, "MUSIC_NUMBER:");
      TheBitmapFont.DrawNumber(kJukeNumberX, kJukeNumberY, music_number_, 0, 0, 0, 0);
      break;
    default: break;
  }
}

void TitleScreen::DrawMenuWords() const {
  vexal::SetDrawBrightness(kShadowLevel, kShadowLevel, kShadowLevel);
  for (int i = 0; i < kTitleMenuRows; ++i) {
    TheBitmapFont.DrawSjisText(kMenuX + 1, kMenuY + 1 + kMenuRowHeight * i, kMenuWords[i]);
  }
  vexal::SetDrawBrightness(kFullLevel, kFullLevel, kFullLevel);
  for (int i = 0; i < kTitleMenuRows; ++i) {
    TheBitmapFont.DrawSjisText(kMenuX, kMenuY + kMenuRowHeight * i, kMenuWords[i]);
  }
}

void TitleScreen::SpawnSparks(int x, int y) {
  for (int n = 0; n < kSparksPerSpawn; ++n) {
    auto free = std::find_if(sparks_.begin(), sparks_.end(), [](const TitleSpark& s) { return !s.used; });
    // Sixteen are born a frame and each lives about fifty: when all are alive, none is.
    if (free == sparks_.end()) return;
    TitleSpark& s = *free;
    s.used = true;
    s.x = static_cast<float>(x);
    const int r = vexal::RandomUpTo(kSparkYChance);
    s.y = static_cast<float>(r < kSparkUp ? y - 1 : r > kSparkDown ? y + 1 : y);
    s.speed = -(static_cast<float>(vexal::RandomUpTo(kSparkSpeedRange)) * kSparkSpeedUnit) - kSparkSpeedBase;
    s.life = static_cast<uint16_t>(kSparkLife + vexal::RandomUpTo(kSparkLifeRange));
  }
}

void TitleScreen::MoveAndDrawSparks() {
  for (TitleSpark& s : sparks_) {
    if (!s.used) continue;
    s.x += s.speed;
    s.speed += kSparkPull;
    const int life = s.life - kSparkLifeStep;
    if (life < kSparkLifeEnd) {
      s = TitleSpark{};
      s.life = kSparkLifeEnd;
      continue;
    }
    s.life = static_cast<uint16_t>(life);
    // A young spark's red and blue pass 255 and wrap, as the colour takes their low bytes.
    vexal::DrawPixel(static_cast<int>(s.x), static_cast<int>(s.y),
                     vexal::MakeColorValue(life, life - kSparkGreenLess, kSparkBlue + life / 2));
  }
}

}  // namespace game
