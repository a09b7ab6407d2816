// Every warp across each edge of the draw area, in each blend mode, against the slow
// references of where the texels go (warp_geometry_reference.h) and what each pixel becomes
// (ReferencePixel): the quadrilateral and its mirror images, the turned draw and its mirrored
// form, the stretch, the one-colour triangle and a primitive triangle list. The old pixels
// are read back (a video-memory target, or a graph with an alpha plane), the graph is copied
// out of video memory, and both work surfaces are full of noise before every draw: a pixel
// that a copy leaves out reads noise, not the picture an earlier copy left there.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "vexal/ddraw/primitive.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "warp_fixture.h"
#include "warp_geometry_reference.h"

namespace warptest {
namespace {

using warpref::Texel;

enum class Warp { kQuad, kQuadMirrored, kQuadFlipped, kTurn, kTurnMirrored, kStretch, kStretchMirrored, kFill, kList };

const char* Name(Warp w) {
  const char* names[] = {"quad",    "quad mirrored",    "quad flipped", "turn",          "turn mirrored",
                         "stretch", "stretch mirrored", "triangle",     "primitive list"};
  return names[static_cast<int>(w)];
}

constexpr int kOx = 6, kOy = 4;                                        // the target origin
constexpr vexal::Rect kArea{12, 9, 300, 228};                          // draw coordinates
constexpr int kReach = 8;                                              // each warp lies within this of its centre
constexpr double kRate = 1.25, kAngle = 0.4;                           // the turn's
constexpr uint32_t kDim = 0xFF | 200u << 8 | 120u << 16 | 255u << 24;  // a brightness

class WarpEdges : public WarpTest, public ::testing::WithParamInterface<const Screen*> {
 protected:
  // The one colour after the frame's brightness: each level times its byte / 255.
  uint32_t FrameColor(uint32_t color, uint32_t bright) const {
    const rastertest::Levels l = rastertest::LevelsOf(color).value_or(rastertest::Levels{});
    auto scale = [](uint32_t level, uint32_t byte) { return level * (byte & 0xFF) / 255; };
    return rastertest::ValueOf({scale(l.red, bright >> 8), scale(l.green, bright >> 16), scale(l.blue, bright >> 24)});
  }

  // Draws w centred on (cx, cy) and the texels the references give it.
  int Draw(Warp w, int cx, int cy, TestGraph& g, uint32_t color, std::vector<Texel>* texels) {
    const int gw = g.pixels.w, gh = g.pixels.h;
    const vexal::Rect a = kArea;
    switch (w) {
      case Warp::kQuad:
      case Warp::kQuadMirrored:
      case Warp::kQuadFlipped: {
        // A skewed quadrilateral given top-left, top-right, bottom-left, bottom-right, drawn
        // out to its leftmost, rightmost and top corners; its mirror images with the corners
        // exchanged left for right, or top for bottom.
        const int tl[2] = {cx - 8, cy - 6}, tr[2] = {cx + 6, cy - 8};
        const int bl[2] = {cx - 7, cy + 7}, br[2] = {cx + 8, cy + 5};
        const int(*order[4])[2] = {&tl, &tr, &bl, &br};
        if (w == Warp::kQuadMirrored) order[0] = &tr, order[1] = &tl, order[2] = &br, order[3] = &bl;
        if (w == Warp::kQuadFlipped) order[0] = &bl, order[1] = &br, order[2] = &tl, order[3] = &tr;
        int c[8];
        for (int i = 0; i < 4; ++i) c[2 * i] = (*order[i])[0], c[2 * i + 1] = (*order[i])[1];
        *texels = warpref::QuadTexels(c, gw, gh, a);
        return vexal::G_DDraw_DrawModiGraph(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], &g.record, 1);
      }
      case Warp::kTurn:
        *texels = warpref::TurnTexels(cx, cy, kRate, kAngle, gw, gh, a);
        return vexal::G_DDraw_DrawRotaGraph(cx, cy, kRate, kAngle, &g.record, 1, 0);
      case Warp::kTurnMirrored:
        *texels = warpref::MirroredTurnTexels(cx, cy, kRate, kAngle, gw, gh, a);
        return vexal::G_DDraw_DrawRotaGraph(cx, cy, kRate, kAngle, &g.record, 1, 1);
      case Warp::kStretch:
        *texels = warpref::StretchTexels(cx - 8, cy - 7, cx + 9, cy + 8, gw, gh, a);
        return vexal::G_DDraw_DrawExtendGraph(cx - 8, cy - 7, cx + 9, cy + 8, &g.record, 1);
      case Warp::kStretchMirrored:
        *texels = warpref::StretchTexels(cx + 8, cy + 6, cx - 8, cy - 5, gw, gh, a);
        return vexal::G_DDraw_DrawExtendGraph(cx + 8, cy + 6, cx - 8, cy - 5, &g.record, 1);
      case Warp::kFill: {
        const vexal::RasterVertex v[3] = {{cx + 8, cy + 2, 0, 0}, {cx - 8, cy - 8, 0, 0}, {cx - 3, cy + 8, 0, 0}};
        warpref::TriangleTexels(v, a, 1, 1, texels);
        return vexal::G_DDraw_DrawTriangle(v[0].x, v[0].y, v[1].x, v[1].y, v[2].x, v[2].y, color, 1);
      }
      case Warp::kList: {
        // Two triangles of one list, the texels given as fractions of the graph.
        const int xy[6][2] = {{cx - 8, cy - 8}, {cx + 8, cy - 6}, {cx - 6, cy + 8},
                              {cx + 8, cy - 6}, {cx - 6, cy + 8}, {cx + 7, cy + 7}};
        const float uv[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {0, 1}, {1, 1}};
        vexal::PrimitiveVertex pv[6];
        for (int i = 0; i < 6; ++i)
          pv[i] = {static_cast<float>(xy[i][0]), static_cast<float>(xy[i][1]), 0, 1, 0, uv[i][0], uv[i][1]};
        for (int t = 0; t < 2; ++t) {
          vexal::RasterVertex v[3];
          for (int k = 0; k < 3; ++k) {
            const int i = 3 * t + k;
            v[k] = {xy[i][0], xy[i][1], static_cast<int>(uv[i][0]) * gw, static_cast<int>(uv[i][1]) * gh};
          }
          warpref::TriangleTexels(v, a, gw, gh, texels);
        }
        return vexal::G_DDraw_DrawPrimitive(pv, 6, vexal::kPrimitiveTriangleList, &g.record, 1);
      }
    }
    return -2;
  }

  // The screen as the draw should leave it: each texel through the rule, over the old pixel
  // as the call began (a read-back copy) or as it stands (the destination read in place).
  Picture Expected(Warp w, const Picture& before, const std::vector<Texel>& texels, const TestGraph& g, uint32_t color,
                   const Look& look, bool copy) const {
    Picture out = before;
    const bool flat = w == Warp::kFill;
    const bool alpha = !flat && !g.alpha.empty();
    for (const Texel& t : texels) {
      const int sx = t.x + kOx, sy = t.y + kOy;
      uint32_t s = flat ? color : g.pixels.at(t.u, t.v);
      if (screen_->bits == 8) {
        if (flat || s != 0) out.at(sx, sy) = s & 0xFF;
        continue;
      }
      if (!flat && s == KeyPixel(g.piece->ColorKey)) continue;
      const int a = alpha ? g.alpha[static_cast<size_t>(t.v) * g.pixels.w + t.u] : 255;
      const uint32_t d = copy ? before.at(sx, sy) : out.at(sx, sy);
      if (auto r = ReferencePixel(screen_->layout, look, alpha, a, s, d, flat))
        out.at(sx, sy) = screen_->bits == 16 ? *r & 0xFFFF : *r;
    }
    return out;
  }
};

TEST_P(WarpEdges, EveryWarpAcrossEachEdgeMatchesTheReference) {
  Start(*GetParam());
  vexal::DrawState.TargetRect = {kOx, kOy, kOx + 300, kOy + 230};
  vexal::DrawState.DrawArea = kArea;
  // A graph copied out of video memory (its key on a sixth of its texels) drawn onto a
  // video-memory target, and one with an alpha plane drawn onto system memory: both read
  // the old pixels back. The one-colour triangle reads them back only on the first.
  auto in_video = Graph(11, 9, 0xFF00FF);
  in_video->piece->InVideoMemory = 1;
  auto planed = Graph(10, 13, 0x00FF00, {0, 1, 90, 200, 255});
  std::vector<Look> looks = {{0, 255}, {0, 255, kDim}};
  for (int mode = 1; mode <= 3; ++mode) {
    looks.push_back({mode, 128});
    looks.push_back({mode, 100, vexal::kBrightNone, true});
  }
  looks.push_back({1, 160, kDim});
  const vexal::Rect a = kArea;
  // Centres on each edge, and just inside it (the far side of the warp on the area's last
  // pixel).
  struct Place {
    const char* name;
    int x, y;
  };
  const int mx = (a.left + a.right) / 2, my = (a.top + a.bottom) / 2;
  const Place places[] = {
      {"on the left edge", a.left, my},
      {"inside the left edge", a.left + kReach, my + 20},
      {"on the right edge", a.right - 1, my},
      {"inside the right edge", a.right - 1 - kReach, my + 20},
      {"on the top edge", mx, a.top},
      {"inside the top edge", mx + 30, a.top + kReach},
      {"on the bottom edge", mx, a.bottom - 1},
      {"inside the bottom edge", mx + 30, a.bottom - 1 - kReach},
      {"at the top-left corner", a.left, a.top},
      {"at the bottom-right corner", a.right - 1, a.bottom - 1},
  };
  uint32_t noise = 0x51ED;
  FillBack();
  Picture before = Read(vexal::DDrawState.Back);
  for (const Place& place : places)
    for (int wi = 0; wi <= static_cast<int>(Warp::kList); ++wi)
      for (const Look& look : looks)
        for (const bool with_plane : {false, true}) {
          const Warp w = static_cast<Warp>(wi);
          TestGraph& g = with_plane ? *planed : *in_video;
          Apply(look);
          vexal::DrawState.TargetInVideoMemory = with_plane ? 0 : 1;
          noise = nltest::FillWithNoise(vexal::DDrawState.Work1, noise);
          noise = nltest::FillWithNoise(vexal::DDrawState.Work2, noise);
          const uint32_t color = RandomPixel();
          std::vector<Texel> texels;
          const int result = Draw(w, place.x, place.y, g, color, &texels);
          const bool plane = w != Warp::kFill && with_plane;
          const bool copy = look.mode != 0 && screen_->bits != 8 && (!with_plane || plane);
          const uint32_t drawn = w == Warp::kFill ? FrameColor(color, look.bright) : 0;
          const Picture expected = Expected(w, before, texels, g, drawn, look, copy);
          const std::string what =
              std::string(Name(w)) + " " + place.name + " " + Describe(look) + (with_plane ? " alpha plane" : " video");
          EXPECT_EQ(result, 0) << what;
          Picture after = Read(vexal::DDrawState.Back);
          if (!(after == expected)) {
            for (int y = 0; y < after.h; ++y)
              for (int x = 0; x < after.w; ++x)
                ASSERT_EQ(after.at(x, y), expected.at(x, y))
                    << what << " at draw " << x - kOx << "," << y - kOy << std::hex << " was " << before.at(x, y);
          }
          // Each draw lands on what the ones before it left.
          before = std::move(after);
        }
}

INSTANTIATE_TEST_SUITE_P(Formats, WarpEdges, ::testing::Values(&kXrgb32, &k565, &k555, &k655, &kPalette8),
                         [](const auto& info) { return std::string("Rgb") + info.param->name; });

}  // namespace
}  // namespace warptest
