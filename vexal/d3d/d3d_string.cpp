// Slot 36 of row 1: a string drawn through the device. The glyphs are drawn by the font
// cache into a system-memory texture, the used part is loaded into a managed one, and the
// string is drawn as one textured quad per strip of that texture, so that the device
// blends it like a graph. Only strings drawn onto a Direct3D graph, or blended with a
// font that allows it, take this road; every other call goes to row 0 unchanged.
//
// The two text textures (D3DStringTextures, owned by the device module) live from call to
// call and are made again only when a call needs another size.
#include "vexal/d3d/d3d_string.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "platform/d3d/d3d.h"
#include "platform/surface/surface.h"
#include "platform/text/text_encoding.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_graph.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/render_state_cache.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_cache.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

namespace pd = plat::d3d;
namespace ps = plat::surface;

namespace {

constexpr uint32_t kFvfTexVertex = pd::kFvfXyzRhw | pd::kFvfDiffuse | pd::kFvfTex1;
constexpr int kWorkTexture = 0;  // index in D3DStringTextures: glyphs drawn here
constexpr int kDrawTexture = 1;  // and loaded here for drawing
constexpr int kTextBits = 16;
constexpr uint32_t kTextKey = 0;  // black: the background the font cache writes
using Quad = std::array<TexVertex, 4>;

const TextureFormat& TextFormat() { return TextureFormatTable[kTexKey16]; }

bool TargetIsD3DGraph() {
  const GraphRecord* g = D3DDrawState != nullptr ? GetGraphRecord(D3DDrawState->DrawScreen) : nullptr;
  return g != nullptr && g->Row == kD3DRow;
}

bool TakesD3DPath(const FontRecord* font, int vertical) {
  if (TargetIsD3DGraph()) return true;
  const DrawStateBlock* s = D3DDrawState;
  return !(D3DObject == nullptr || D3DTargetUnusable != 0 || vertical == 1 || TextFormat().Color.ColorBits == 0 ||
           s == nullptr || s->BlendMode == 0 || (font->Type & kFontTypeAntialias) != 0 ||
           (s->BlendMode == kBlendAlpha && s->BlendParam == 255));
}

// A text colour in the texture's format, always opaque; the background the font cache
// leaves is 0, transparent.
uint32_t Texel(uint32_t color) {
  const ColorFormatRecord& f = TextFormat().Color;
  return ConvertColorByFormat(&f, GetPixelFormatPtr(), color) | f.AlphaMask;
}

uint32_t StringDiffuse() {
  const DrawStateBlock* s = D3DDrawState;
  const uint32_t alpha =
      s == nullptr || s->BlendMode == 0 ? 255u : static_cast<uint32_t>(std::clamp(s->BlendParam, 0, 255));
  return alpha << 24 | BrightColor();
}

bool TextureIs(const ps::Surface* s, int w, int h) {
  if (s == nullptr) return false;
  const ps::SurfaceInfo info = ps::GetSurfaceInfo(s);
  return info.width == w && info.height == h;
}

void MakeTextTextures(int w, int h) {
  if (TextureIs(D3DStringTextures[kDrawTexture], w, h) && D3DStringTextures[kWorkTexture] != nullptr) return;
  ReleaseStringTextures();
  pd::TextureDesc desc;
  desc.width = w;
  desc.height = h;
  desc.format = TextFormat().Pixel;
  desc.system_memory = true;
  if (pd::CreateTexture(GetDirectDrawObject(), desc, &D3DStringTextures[kWorkTexture]) != pd::Result::kOk) {
    FatalErrorExit("テンポラリテクスチャサーフェスの作成に失敗しました");
  }
  desc.system_memory = false;
  if (pd::CreateTexture(GetDirectDrawObject(), desc, &D3DStringTextures[kDrawTexture]) != pd::Result::kOk) {
    FatalErrorExit("描画用テクスチャサーフェスの作成に失敗しました");
  }
}

// Glyph cells leave the rows under a short glyph as they were: clear the page's strips
// so no earlier string shows there.
void ClearRows(ps::Surface* work, int w, int rows) {
  const ps::Rect r{0, 0, w, rows};
  ps::LockedRect locked;
  if (ps::Lock(work, &r, ps::kLockWait | ps::kLockWriteOnly, &locked) != ps::Result::kOk) return;
  for (int y = 0; y < locked.height; ++y) {
    std::memset(locked.bits + static_cast<ptrdiff_t>(y) * locked.pitch, 0, static_cast<size_t>(w) * 2);
  }
  ps::Unlock(work);
}

}  // namespace

StringTextureGeometry ChooseStringTextureSize(int cell, int length, int target_width, int min_size, int max_size,
                                              bool square_only) {
  StringTextureGeometry g;
  if (cell <= 0 || min_size <= 0) return g;
  g.texW = min_size;
  while (g.texW < target_width && g.texW < max_size) g.texW *= 2;
  g.texH = min_size;
  while (g.texH < cell) g.texH *= 2;
  g.n = g.texW / cell;
  if (square_only || (2 * g.n < length && g.texW < target_width)) g.texH = g.texW;
  g.m = g.texH / cell;
  return g;
}

size_t StringStripBytes(std::string_view rest, size_t max_bytes) {
  size_t i = 0;
  while (i < rest.size() && i < max_bytes) {
    if (!plat::IsSjisLeadByte(static_cast<uint8_t>(rest[i]))) {
      ++i;
    } else if (i + 1 >= rest.size()) {
      ++i;  // a lead byte with nothing after it goes alone
    } else if (i + 2 > max_bytes) {
      break;  // its pair would not fit: it starts the next strip
    } else {
      i += 2;
    }
  }
  return i;
}

int D3DDrawString(int x, int y, const char* text, uint32_t color, int font, uint32_t edge_color, int vertical) {
  auto software = [&] { return DDrawStringByWorkDC(x, y, text, color, font, edge_color, vertical); };
  FontRecord* f = GetFontManageDataToHandle(font);
  if (f == nullptr || text == nullptr || !TakesD3DPath(f, vertical)) return software();
  if (D3DObject == nullptr || TextFormat().Color.ColorBits == 0 || BeginPending3DScene() != 0) return software();
  D3DDeviceRecord* rec = UsableD3DDevice(D3DCurrentDevice);
  D3DSetBlendState(kBlendTextureAlpha, 1, D3DCurrentDevice);
  const uint32_t diffuse = StringDiffuse();
  if (f->Size > MaxTextureSize) return software();
  const uint32_t texel = Texel(color);
  const uint32_t edge_texel = Texel(edge_color);

  const int length = static_cast<int>(std::strlen(text));
  int target_width = 0;
  GetGraphDimensions(D3DDrawState->DrawScreen, &target_width, nullptr);
  const StringTextureGeometry g = ChooseStringTextureSize(f->Cell, length, target_width, MinTextureSize, MaxTextureSize,
                                                          (D3DDeviceCaps.texture_caps & pd::kTextureSquareOnly) != 0);
  // A cell wider or higher than the texture makes no strip: no progress would be made.
  if (g.n == 0 || g.m == 0 || g.texH > MaxTextureSize) return software();
  std::vector<Quad> quads;
  try {
    quads.resize(static_cast<size_t>(g.m));
  } catch (const std::bad_alloc&) {
    return software();
  }

  MakeTextTextures(g.texW, g.texH);
  ps::Surface* const work = D3DStringTextures[kWorkTexture];
  ps::Surface* const draw = D3DStringTextures[kDrawTexture];
  BindStageTexture(rec, draw);
  const ps::ColorKey key{kTextKey, kTextKey};
  ps::SetColorKey(draw, &key);
  // The background is transparent by its alpha under the blend set above. The device's
  // key compares colour bits alone, so a key left on by a keyed graph would take black
  // text with the background: the string draws with it off, as the first draw finds it.
  if (D3DColorKeySwitch != 0) {
    pd::SetRenderState(rec->Device, pd::RenderState::kColorKeyEnable, 0);
    D3DColorKeySwitch = 0;
  }

  const bool front = IsDrawingToFront() == 1;
  const float ox = front ? static_cast<float>(D3DDrawState->TargetRect.left) : 0.0f;
  const float oy = front ? static_cast<float>(D3DDrawState->TargetRect.top) : 0.0f;
  const float fw = static_cast<float>(g.texW), fh = static_cast<float>(g.texH);
  const Rect clip{0, 0, g.texW, g.texH};
  // The font cache looks at no more than its scan limit of one string.
  const size_t strip_max = std::min<size_t>(static_cast<size_t>(2 * g.n), kFontStringScanMax);
  const std::string_view all(text, static_cast<size_t>(length));
  std::array<char, kFontStringScanMax + 1> strip{};
  size_t pos = 0;
  // The pen walks in 64 bits: a string may run on past the end of the int range.
  int64_t x_run = x;
  while (pos < all.size()) {
    ClearRows(work, g.texW, g.m * f->Cell);
    int strips = 0, widest = 0;
    for (; pos < all.size() && strips < g.m; ++strips) {
      const size_t bytes = StringStripBytes(all.substr(pos), strip_max);
      std::memcpy(strip.data(), all.data() + pos, bytes);
      strip[bytes] = '\0';
      pos += bytes;
      const int top = strips * f->Cell;
      const int drawn = FontCacheStringDrawToHandle(1, 0, top, strip.data(), texel, work, nullptr, 0, &clip, kTextBits,
                                                    0, font, edge_texel, -1, 0, nullptr);
      // What lies beyond the texture was clipped away; the next strip still starts after it.
      const int w = std::clamp(drawn, 0, g.texW);
      widest = std::max(widest, w);
      const float x0 = static_cast<float>(x_run) - 0.5f + ox, x1 = x0 + static_cast<float>(w);
      const float y0 = static_cast<float>(y) - 0.5f + oy, y1 = y0 + static_cast<float>(f->Cell);
      const float v0 = static_cast<float>(top) / fh, v1 = static_cast<float>(top + f->Cell) / fh;
      const float u1 = static_cast<float>(w) / fw;
      quads[static_cast<size_t>(strips)] = {
          TexVertex{x0, y0, 0.0f, 1.0f, diffuse, 0.0f, v0}, TexVertex{x1, y0, 0.0f, 1.0f, diffuse, u1, v0},
          TexVertex{x0, y1, 0.0f, 1.0f, diffuse, 0.0f, v1}, TexVertex{x1, y1, 0.0f, 1.0f, diffuse, u1, v1}};
      x_run += std::max(drawn, 0);
    }
    if (widest > 0) {
      const ps::Rect loaded{0, 0, widest, std::min(strips * f->Cell, g.texH)};
      pd::Load(rec->Device, draw, 0, 0, work, &loaded, 0);
    }
    for (int i = 0; i < strips; ++i) {
      pd::DrawPrimitive(rec->Device, pd::PrimitiveType::kTriangleStrip, kFvfTexVertex,
                        quads[static_cast<size_t>(i)].data(), 4, 0);
    }
  }
  EndSceneAfterDraw();
  return 0;
}

}  // namespace vexal
