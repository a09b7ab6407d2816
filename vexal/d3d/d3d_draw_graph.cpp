// Slots 13 to 17 of row 1: a graph stored in textures drawn plainly, stretched, rotated
// and onto a free quadrilateral, one triangle strip per texture piece.
#include "vexal/d3d/d3d_draw_graph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

#include "platform/numeric/saturate.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/render_state_cache.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

namespace pd = plat::d3d;

namespace {

constexpr uint32_t kFvfTexVertex = pd::kFvfXyzRhw | pd::kFvfDiffuse | pd::kFvfTex1;
using Quad = std::array<TexVertex, 4>;

D3DDeviceRecord* Current() { return UsableD3DDevice(D3DCurrentDevice); }

// Truncated toward zero, held inside the int range (NaN: 0), as row 0 converts.
using plat::numeric::TruncSaturated32;

const TextureRecord* PieceOf(const GraphRecord* graph, int i) {
  return GetTexData(static_cast<int>(graph->Pieces[static_cast<size_t>(i)]));
}

void FrontShift(Quad& q) {
  if (IsDrawingToFront() != 1 || D3DDrawState == nullptr) return;
  for (TexVertex& v : q) {
    v.x += static_cast<float>(D3DDrawState->TargetRect.left);
    v.y += static_cast<float>(D3DDrawState->TargetRect.top);
  }
}

void Strip(D3DDeviceRecord* rec, const TexVertex* v, uint32_t count) {
  pd::DrawPrimitive(rec->Device, pd::PrimitiveType::kTriangleStrip, kFvfTexVertex, v, count, 0);
}

// The piece's vertices with the draw's colour.
Quad Copy(const TextureRecord& t, uint32_t diffuse) {
  Quad q = t.vertices;
  for (TexVertex& v : q) v.diffuse = diffuse;
  return q;
}

// Some vertex on each side of every target edge: the piece may show.
bool MayShow(const Quad& q) {
  const float w = D3DDrawState != nullptr ? static_cast<float>(D3DDrawState->TargetWidth) : 0.0f;
  const float h = D3DDrawState != nullptr ? static_cast<float>(D3DDrawState->TargetHeight) : 0.0f;
  auto any = [&](auto pred) { return std::any_of(q.begin(), q.end(), pred); };
  return any([](const TexVertex& v) { return v.x >= 0.0f; }) && any([&](const TexVertex& v) { return v.x <= w; }) &&
         any([](const TexVertex& v) { return v.y >= 0.0f; }) && any([&](const TexVertex& v) { return v.y <= h; });
}

// Steps 1 and 2 and the state of the common frame; null when the draw returns at once
// (result in *early).
D3DDeviceRecord* Begin(const GraphRecord* graph, int trans, int* early) {
  if (D3DObject == nullptr) {
    *early = -1;
    return nullptr;
  }
  if (D3DTargetUnusable != 0 || graph == nullptr || graph->PieceCount == 0 || PieceOf(graph, 0) == nullptr) {
    *early = 0;
    return nullptr;
  }
  if (BeginPending3DScene() != 0) {
    *early = 0;
    return nullptr;
  }
  ApplyGraphTextureState(graph, trans);
  return Current();
}

}  // namespace

void ApplyGraphTextureState(const GraphRecord* graph, int trans) {
  D3DDeviceRecord* rec = Current();
  if (rec == nullptr || graph == nullptr || graph->PieceCount == 0) return;
  if (static_cast<uint32_t>(trans) != D3DColorKeySwitch) {
    pd::SetRenderState(rec->Device, pd::RenderState::kColorKeyEnable, static_cast<uint32_t>(trans));
    D3DColorKeySwitch = static_cast<uint32_t>(trans);
  }
  if (D3DDrawState != nullptr && D3DDrawState->BlendMode != 0) {
    D3DSetBlendState(D3DDrawState->BlendMode, D3DDrawState->BlendParam, D3DCurrentDevice);
  }
  const TextureRecord* first = PieceOf(graph, 0);
  if (first == nullptr) return;
  const uint32_t wants = (first->AlphaValid != 0 || first->AlphaTestValid != 0) ? 1u : 0u;
  if (wants != rec->TextureAlpha) {
    const int on = first->AlphaTestValid != 0 ? (trans != 0 ? 1 : 0) : first->AlphaValid;
    D3DSetBlendState(kBlendTextureAlpha, on, D3DCurrentDevice);
  }
}

uint32_t BrightColor() {
  const uint32_t bright = D3DDrawState != nullptr ? D3DDrawState->Bright : kBrightNone;
  const uint32_t r = (bright >> 8) & 0xFF, g = (bright >> 16) & 0xFF, b = (bright >> 24) & 0xFF;
  return r << 16 | g << 8 | b;
}

uint32_t GraphDiffuse() {
  const DrawStateBlock* s = D3DDrawState;
  uint32_t alpha = 255;
  // A parameter of 256 (left by the texture-alpha switch) would spill into no byte.
  if (s != nullptr && s->BlendMode != 0) alpha = static_cast<uint32_t>(std::clamp(s->BlendParam, 0, 255));
  return alpha << 24 | BrightColor();
}

void BindStageTexture(D3DDeviceRecord* rec, plat::surface::Surface* texture) {
  if (rec == nullptr) return;
  if (rec->Texture == texture && rec->Force == 0) return;
  pd::SetTexture(rec->Device, 0, texture);
  rec->Texture = texture;
}

int D3DDrawGraph(int x, int y, GraphRecord* graph, int trans) {
  int early = 0;
  D3DDeviceRecord* rec = Begin(graph, trans, &early);
  if (rec == nullptr) return early;
  const uint32_t diffuse = GraphDiffuse();
  const float fx = static_cast<float>(x) - 0.5f, fy = static_cast<float>(y) - 0.5f;
  const Rect a = D3DDrawState != nullptr ? D3DDrawState->DrawArea : Rect{};
  const float L = static_cast<float>(a.left), T = static_cast<float>(a.top);
  const float R = static_cast<float>(a.right), B = static_cast<float>(a.bottom);
  for (int i = 0; i < graph->PieceCount; ++i) {
    const TextureRecord* t = PieceOf(graph, i);
    if (t == nullptr) continue;
    const float tw = t->texWidth, th = t->texHeight;
    Quad q = Copy(*t, diffuse);
    for (TexVertex& v : q) {
      v.x += fx;
      v.y += fy;
      if (v.x < L) {
        v.u += (L - v.x) / tw;
        v.x = L;
      } else if (v.x > R) {
        v.u -= (v.x - R) / tw;
        v.x = R;
      }
      if (v.y < T) {
        v.v += (T - v.y) / th;
        v.y = T;
      } else if (v.y > B) {
        v.v -= (v.y - B) / th;
        v.y = B;
      }
    }
    FrontShift(q);
    BindStageTexture(rec, t->surface);
    Strip(rec, q.data(), 4);
  }
  EndSceneAfterDraw();
  return 0;
}

int G_D3D_DrawExtendGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int trans) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  if (x1 == x2 || y1 == y2) return -1;
  if (graph == nullptr || graph->Width == 0 || graph->Height == 0) return -1;
  int early = 0;
  D3DDeviceRecord* rec = Begin(graph, trans, &early);
  if (rec == nullptr) return early;
  const uint32_t diffuse = GraphDiffuse();
  const float sx = static_cast<float>(int64_t{x2} - x1) / static_cast<float>(graph->Width);
  const float sy = static_cast<float>(int64_t{y2} - y1) / static_cast<float>(graph->Height);
  const Rect a = D3DDrawState != nullptr ? D3DDrawState->DrawArea : Rect{};
  const float L = static_cast<float>(a.left) - 0.5f, T = static_cast<float>(a.top) - 0.5f;
  const float R = static_cast<float>(a.right) - 0.5f, B = static_cast<float>(a.bottom) - 0.5f;
  for (int i = 0; i < graph->PieceCount; ++i) {
    const TextureRecord* t = PieceOf(graph, i);
    if (t == nullptr) continue;
    const float tw = t->texWidth, th = t->texHeight;
    Quad q = Copy(*t, diffuse);
    const float du = q[1].u - q[0].u, dv = q[2].v - q[0].v;
    const float hu = 0.5f * du / std::fabs((q[1].x - q[0].x) * sx);
    const float hv = 0.5f * dv / std::fabs((q[2].y - q[0].y) * sy);
    for (int k = 0; k < 4; ++k) {
      TexVertex& v = q[static_cast<size_t>(k)];
      v.x = sx * v.x + static_cast<float>(x1) - 0.5f;
      v.y = sy * v.y + static_cast<float>(y1) - 0.5f;
      if (k == 0 || k == 2) {
        v.u += 0.5f / tw - hu;
      } else {
        v.u += (static_cast<float>(t->usedWidth) - 0.5f) / tw - du + hu;
      }
      if (k < 2) {
        v.v += 0.5f / th - hv;
      } else {
        v.v += (static_cast<float>(t->usedHeight) - 0.5f) / th - dv + hv;
      }
      if (v.x < L) {
        v.u += (L - v.x) / (tw * sx);
        v.x = L;
      } else if (v.x > R) {
        v.u -= (v.x - R) / (tw * sx);
        v.x = R;
      }
      if (v.y < T) {
        v.v += (T - v.y) / (th * sy);
        v.y = T;
      } else if (v.y > B) {
        v.v -= (v.y - B) / (th * sy);
        v.y = B;
      }
    }
    if ((sx < 0.0f) != (sy < 0.0f)) std::swap(q[1], q[2]);
    FrontShift(q);
    BindStageTexture(rec, t->surface);
    Strip(rec, q.data(), 4);
  }
  EndSceneAfterDraw();
  return 0;
}

int G_D3D_DrawRotaGraph(int x, int y, double scale, double angle, GraphRecord* graph, int trans, int turn) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  if (scale == 0.0) return -1;
  if (graph == nullptr) return -1;
  const int w = graph->Width, h = graph->Height;
  if (angle == 0.0) {
    if (scale == 1.0 && turn == 0) return D3DDrawGraph(x - (w >> 1), y - (h >> 1), graph, trans);
    int ex1 = TruncSaturated32(x - w * 0.5 * scale);
    const int ey1 = TruncSaturated32(y - h * 0.5 * scale);
    int ex2 = TruncSaturated32(ex1 + w * scale);
    const int ey2 = TruncSaturated32(ey1 + h * scale);
    if (turn != 0) std::swap(ex1, ex2);
    return G_D3D_DrawExtendGraph(ex1, ey1, ex2, ey2, graph, trans);
  }
  int early = 0;
  D3DDeviceRecord* rec = Begin(graph, trans, &early);
  if (rec == nullptr) return early;
  const uint32_t diffuse = GraphDiffuse();
  const float m = turn == 1 ? -1.0f : 1.0f;
  const float s = std::sin(static_cast<float>(angle)), c = std::cos(static_cast<float>(angle));
  const float e = static_cast<float>(scale);
  const float cx = static_cast<float>(w >> 1), cy = static_cast<float>(h >> 1);
  for (int i = 0; i < graph->PieceCount; ++i) {
    const TextureRecord* t = PieceOf(graph, i);
    if (t == nullptr) continue;
    Quad q = Copy(*t, diffuse);
    for (TexVertex& v : q) {
      const float px = (v.x - cx) * m * e, py = (v.y - cy) * e;
      v.x = px * c - py * s + static_cast<float>(x) - 0.5f;
      v.y = px * s + py * c + static_cast<float>(y) - 0.5f;
    }
    if (turn != 0) std::swap(q[1], q[2]);
    if (!MayShow(q)) continue;
    FrontShift(q);
    BindStageTexture(rec, t->surface);
    Strip(rec, q.data(), 4);
  }
  EndSceneAfterDraw();
  return 0;
}

int G_D3D_DrawModiGraph(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, GraphRecord* graph, int trans) {
  if (x1 == x3 && x2 == x4 && y1 == y2 && y3 == y4) return G_D3D_DrawExtendGraph(x1, y1, x4, y4, graph, trans);
  auto f = [](int v) { return static_cast<float>(v); };
  return G_D3D_DrawModiGraphFloat(f(x1), f(y1), f(x2), f(y2), f(x3), f(y3), f(x4), f(y4), graph, trans);
}

int G_D3D_DrawModiGraphFloat(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                             GraphRecord* graph, int trans) {
  if (D3DObject == nullptr) return -1;
  if (graph == nullptr || graph->Width == 0 || graph->Height == 0) return D3DTargetUnusable != 0 ? 0 : -1;
  int early = 0;
  D3DDeviceRecord* rec = Begin(graph, trans, &early);
  if (rec == nullptr) return early;
  const uint32_t diffuse = GraphDiffuse();
  const float W = graph->Width, H = graph->Height;
  const float a = (x2 - x1) / W, b = (x3 - x1) / H, c = (y2 - y1) / W, d = (y3 - y1) / H;
  const float a2 = (x4 - x3) / W, b2 = (x4 - x2) / H, c2 = (y4 - y3) / W, d2 = (y4 - y2) / H;
  for (int i = 0; i < graph->PieceCount; ++i) {
    const TextureRecord* t = PieceOf(graph, i);
    if (t == nullptr) continue;
    Quad q = Copy(*t, diffuse);
    for (size_t k = 0; k < 4; ++k) {
      TexVertex& v = q[k];
      const float px = v.x, py = v.y;
      if (t->upperLeftFlags[k] == 1) {
        v.x = px * a + py * b + x1 - 0.5f;
        v.y = px * c + py * d + y1 - 0.5f;
      } else {
        v.x = (px - W) * a2 + (py - H) * b2 + x4 - 0.5f;
        v.y = (px - W) * c2 + (py - H) * d2 + y4 - 0.5f;
      }
    }
    if (!MayShow(q)) continue;
    auto cross = [](const TexVertex& o, const TexVertex& p, const TexVertex& r) {
      return (p.x - o.x) * (r.y - o.y) - (p.y - o.y) * (r.x - o.x);
    };
    const float k1 = cross(q[0], q[1], q[2]);
    const float k2 = cross(q[3], q[2], q[1]);
    if (k1 <= 0.0f && k2 <= 0.0f) std::swap(q[1], q[2]);
    BindStageTexture(rec, t->surface);
    FrontShift(q);
    if (k1 * k2 >= 0.0f) {
      Strip(rec, q.data(), 4);
    } else {
      // Folded: the two halves as triangles of their own.
      if (k1 < 0.0f) std::swap(q[1], q[2]);
      Strip(rec, q.data(), 3);
      Strip(rec, q.data() + 1, 3);
    }
  }
  EndSceneAfterDraw();
  return 0;
}

}  // namespace vexal
