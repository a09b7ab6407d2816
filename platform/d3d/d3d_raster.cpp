// The device's software rasteriser: points, lines and triangles into the render target
// with stage-0 texturing, colour key and blending (the rules are in d3d.h).
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/d3d/d3d_state.h"

namespace plat::d3d {
namespace {

struct Rgba {
  int r = 255, g = 255, b = 255, a = 255;  // 0..255 each
};

struct Vertex {
  float x = 0, y = 0;
  Rgba color;
  float u = 0, v = 0;
};

struct Field {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;
};

Field FieldOf(uint32_t mask) {
  if (mask == 0) return {};
  const int shift = std::countr_zero(mask);
  return {mask, shift, std::countr_one(mask >> shift)};
}

// Reads and writes pixels of one surface format as 8-bit channels.
struct Layout {
  explicit Layout(const PixelFormat& f)
      : bytes(f.bit_count / 8), red(FieldOf(f.red_mask)), green(FieldOf(f.green_mask)), blue(FieldOf(f.blue_mask)),
        alpha(FieldOf(f.alpha_mask)) {}
  static int Expand(uint32_t pixel, const Field& f, int missing) {
    if (f.width == 0) return missing;
    const uint32_t v = (pixel & f.mask) >> f.shift;
    return static_cast<int>(v * 255 / ((1u << f.width) - 1));
  }
  static uint32_t Narrow(int c, const Field& f) {
    if (f.width == 0) return 0;
    return (static_cast<uint32_t>(c) >> (8 - std::min(f.width, 8))) << f.shift & f.mask;
  }
  Rgba Read(uint32_t pixel) const {
    return {Expand(pixel, red, 0), Expand(pixel, green, 0), Expand(pixel, blue, 0), Expand(pixel, alpha, 255)};
  }
  uint32_t Write(const Rgba& c) const {
    return Narrow(c.r, red) | Narrow(c.g, green) | Narrow(c.b, blue) | Narrow(c.a, alpha);
  }
  int bytes;
  Field red, green, blue, alpha;
};

uint32_t Load(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, static_cast<size_t>(bytes));
  return v;
}

void Store(uint8_t* p, int bytes, uint32_t v) { std::memcpy(p, &v, static_cast<size_t>(bytes)); }

// The bound texture, locked for reading while a primitive is drawn.
class TextureView {
 public:
  explicit TextureView(surface::Surface* s) : surface_(s) {
    if (s == nullptr) return;
    if (surface::Lock(s, nullptr, surface::kLockWait | surface::kLockReadOnly, &locked_) != surface::Result::kOk) {
      surface_ = nullptr;
      return;
    }
    layout_ = Layout(locked_.format);
    keyed_ = surface::GetColorKey(s, &key_) == surface::Result::kOk;
  }
  ~TextureView() {
    if (surface_ != nullptr) surface::Unlock(surface_);
  }
  bool bound() const { return surface_ != nullptr; }
  uint32_t Raw(int x, int y) const {
    x = std::clamp(x, 0, locked_.width - 1);
    y = std::clamp(y, 0, locked_.height - 1);
    return Load(locked_.bits + static_cast<ptrdiff_t>(y) * locked_.pitch + x * layout_.bytes, layout_.bytes);
  }
  int width() const { return locked_.width; }
  int height() const { return locked_.height; }
  // The nearest texel matches the key in its colour bits.
  bool Keyed(float u, float v) const {
    if (!keyed_) return false;
    const uint32_t colour_bits = ~layout_.alpha.mask;
    const uint32_t t = Raw(static_cast<int>(std::floor(u * width())), static_cast<int>(std::floor(v * height())));
    return (t & colour_bits) == (key_.low & colour_bits);
  }
  Rgba Sample(float u, float v, bool linear) const {
    if (!linear) {
      return layout_.Read(Raw(static_cast<int>(std::floor(u * width())), static_cast<int>(std::floor(v * height()))));
    }
    const float fx = u * width() - 0.5f, fy = v * height() - 0.5f;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    const float ax = fx - x0, ay = fy - y0;
    const Rgba t00 = layout_.Read(Raw(x0, y0)), t10 = layout_.Read(Raw(x0 + 1, y0));
    const Rgba t01 = layout_.Read(Raw(x0, y0 + 1)), t11 = layout_.Read(Raw(x0 + 1, y0 + 1));
    auto mix = [&](int a, int b, int c, int d) {
      const float top = a + (b - a) * ax, bottom = c + (d - c) * ax;
      return static_cast<int>(top + (bottom - top) * ay + 0.5f);
    };
    return {mix(t00.r, t10.r, t01.r, t11.r), mix(t00.g, t10.g, t01.g, t11.g), mix(t00.b, t10.b, t01.b, t11.b),
            mix(t00.a, t10.a, t01.a, t11.a)};
  }

 private:
  surface::Surface* surface_ = nullptr;
  surface::LockedRect locked_{};
  Layout layout_{PixelFormat{}};
  bool keyed_ = false;
  surface::ColorKey key_{};
};

// Everything a pixel needs: the device's states, the texture, the locked target.
class PixelWriter {
 public:
  PixelWriter(const Device& d, const TextureView& tex, const surface::LockedRect& target)
      : d_(d), tex_(tex), target_(target), layout_(target.format) {
    const Viewport& v = d.viewport;
    clip_left_ = static_cast<int>(std::min<uint32_t>(v.x, static_cast<uint32_t>(target.width)));
    clip_top_ = static_cast<int>(std::min<uint32_t>(v.y, static_cast<uint32_t>(target.height)));
    clip_right_ = static_cast<int>(std::min<uint64_t>(uint64_t{v.x} + v.width, static_cast<uint64_t>(target.width)));
    clip_bottom_ = static_cast<int>(std::min<uint64_t>(uint64_t{v.y} + v.height, static_cast<uint64_t>(target.height)));
  }
  int left() const { return clip_left_; }
  int top() const { return clip_top_; }
  int right() const { return clip_right_; }
  int bottom() const { return clip_bottom_; }
  bool Inside(int x, int y) const { return x >= clip_left_ && x < clip_right_ && y >= clip_top_ && y < clip_bottom_; }

  void Plot(int x, int y, const Rgba& diffuse, float u, float v) const {
    if (!Inside(x, y)) return;
    const uint32_t key_on = RenderState(RenderState::kColorKeyEnable);
    Rgba texel;
    if (tex_.bound()) {
      if (key_on != 0 && tex_.Keyed(u, v)) return;
      texel = tex_.Sample(u, v, Stage(StageState::kMagFilter) == kFilterLinear);
    }
    Rgba src;
    Combine(texel, diffuse, &src);
    uint8_t* at = target_.bits + static_cast<ptrdiff_t>(y) * target_.pitch + x * layout_.bytes;
    if (RenderState(RenderState::kAlphaBlendEnable) != 0) {
      const Rgba dst = layout_.Read(Load(at, layout_.bytes));
      src = Blend(src, dst);
    }
    Store(at, layout_.bytes, layout_.Write(src));
  }

 private:
  uint32_t RenderState(d3d::RenderState s) const { return d_.render[static_cast<size_t>(s)]; }
  uint32_t Stage(StageState s) const { return d_.stage0[static_cast<size_t>(s)]; }

  static int Arg(uint32_t arg, int texture, int diffuse) { return arg == kArgTexture ? texture : diffuse; }
  static int Op(uint32_t op, int a1, int a2, int diffuse) {
    switch (op) {
      case kOpModulate: return a1 * a2 / 255;
      case kOpSelectArg1: return a1;
      case kOpSelectArg2: return a2;
      default: return diffuse;
    }
  }
  void Combine(const Rgba& t, const Rgba& d, Rgba* out) const {
    const uint32_t c1 = Stage(StageState::kColorArg1), c2 = Stage(StageState::kColorArg2);
    const uint32_t cop = Stage(StageState::kColorOp);
    out->r = Op(cop, Arg(c1, t.r, d.r), Arg(c2, t.r, d.r), d.r);
    out->g = Op(cop, Arg(c1, t.g, d.g), Arg(c2, t.g, d.g), d.g);
    out->b = Op(cop, Arg(c1, t.b, d.b), Arg(c2, t.b, d.b), d.b);
    const uint32_t a1 = Stage(StageState::kAlphaArg1), a2 = Stage(StageState::kAlphaArg2);
    out->a = Op(Stage(StageState::kAlphaOp), Arg(a1, t.a, d.a), Arg(a2, t.a, d.a), d.a);
  }
  static int Factor(uint32_t f, int src_alpha, int dst_channel) {
    switch (f) {
      case kBlendZero: return 0;
      case kBlendSrcAlpha: return src_alpha;
      case kBlendInvSrcAlpha: return 255 - src_alpha;
      case kBlendInvDestColor: return 255 - dst_channel;
      default: return 255;  // kBlendOne and anything not offered
    }
  }
  Rgba Blend(const Rgba& s, const Rgba& dst) const {
    const uint32_t fs = RenderState(RenderState::kSrcBlend), fd = RenderState(RenderState::kDestBlend);
    auto one = [&](int sc, int dc) {
      return std::min(255, (sc * Factor(fs, s.a, dc) + dc * Factor(fd, s.a, dc)) / 255);
    };
    return {one(s.r, dst.r), one(s.g, dst.g), one(s.b, dst.b), one(s.a, dst.a)};
  }

  const Device& d_;
  const TextureView& tex_;
  const surface::LockedRect& target_;
  Layout layout_;
  int clip_left_, clip_top_, clip_right_, clip_bottom_;
};

Rgba ColorOf(uint32_t argb) {
  return {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF),
          static_cast<int>(argb >> 24)};
}

// Row vector times matrix (m[row * 4 + column]).
std::array<float, 4> Transform(const std::array<float, 4>& v, const Matrix& m) {
  std::array<float, 4> out{};
  for (size_t c = 0; c < 4; ++c) {
    out[c] = v[0] * m.m[c] + v[1] * m.m[4 + c] + v[2] * m.m[8 + c] + v[3] * m.m[12 + c];
  }
  return out;
}

// The vertices as the rasteriser takes them; untransformed ones are taken to the screen,
// and those behind the eye are marked (w <= 0) through `behind`.
std::vector<Vertex> ReadVertices(const Device& d, uint32_t fvf, const void* data, uint32_t count,
                                 std::vector<bool>* behind) {
  const bool untransformed = (fvf & kFvfXyzRhw) == 0;
  const size_t position = untransformed ? 12 : 16;
  const size_t stride = position + (untransformed && (fvf & kFvfNormal) != 0 ? 12 : 0) +
                        ((fvf & kFvfDiffuse) != 0 ? 4 : 0) + ((fvf & kFvfTex1) != 0 ? 8 : 0);
  std::vector<Vertex> out(count);
  behind->assign(count, false);
  const auto* p = static_cast<const uint8_t*>(data);
  const Matrix& world = d.transforms[static_cast<size_t>(TransformState::kWorld)];
  const Matrix& view = d.transforms[static_cast<size_t>(TransformState::kView)];
  const Matrix& projection = d.transforms[static_cast<size_t>(TransformState::kProjection)];
  for (uint32_t i = 0; i < count; ++i, p += stride) {
    Vertex& v = out[i];
    std::memcpy(&v.x, p, 4);
    std::memcpy(&v.y, p + 4, 4);
    if (untransformed) {
      float z = 0;
      std::memcpy(&z, p + 8, 4);
      const std::array<float, 4> c = Transform(Transform(Transform({v.x, v.y, z, 1.0f}, world), view), projection);
      if (c[3] <= 0.0f) {
        (*behind)[i] = true;
      } else {
        const Viewport& vp = d.viewport;
        v.x = static_cast<float>(vp.x) + (c[0] / c[3] + 1.0f) * 0.5f * static_cast<float>(vp.width);
        v.y = static_cast<float>(vp.y) + (1.0f - c[1] / c[3]) * 0.5f * static_cast<float>(vp.height);
      }
    }
    size_t at = stride - ((fvf & kFvfDiffuse) != 0 ? 4 : 0) - ((fvf & kFvfTex1) != 0 ? 8 : 0);
    if ((fvf & kFvfDiffuse) != 0) {
      uint32_t c = 0;
      std::memcpy(&c, p + at, 4);
      v.color = ColorOf(c);
      at += 4;
    }
    if ((fvf & kFvfTex1) != 0) {
      std::memcpy(&v.u, p + at, 4);
      std::memcpy(&v.v, p + at + 4, 4);
    }
  }
  return out;
}

Rgba Mix(const Rgba& a, const Rgba& b, const Rgba& c, float wa, float wb, float wc) {
  auto one = [&](int x, int y, int z) { return std::clamp(static_cast<int>(x * wa + y * wb + z * wc + 0.5f), 0, 255); };
  return {one(a.r, b.r, c.r), one(a.g, b.g, c.g), one(a.b, b.b, c.b), one(a.a, b.a, c.a)};
}

// Twice the signed area; positive for a triangle clockwise on the screen (y down).
double Area(const Vertex& a, const Vertex& b, const Vertex& c) {
  return (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
         (static_cast<double>(c.x) - a.x) * (static_cast<double>(b.y) - a.y);
}

class Rasteriser {
 public:
  Rasteriser(const Device& d, const PixelWriter& w) : d_(d), w_(w) {}

  void Triangle(Vertex a, Vertex b, Vertex c) const {
    double area = Area(a, b, c);
    if (area == 0 || !std::isfinite(area)) return;
    const uint32_t cull = d_.render[static_cast<size_t>(RenderState::kCullMode)];
    if ((cull == kCullCcw && area < 0) || (cull == kCullCw && area > 0)) return;
    const bool flat = d_.render[static_cast<size_t>(RenderState::kShadeMode)] == kShadeFlat;
    const Rgba first = a.color;
    if (area < 0) {
      std::swap(b, c);
      area = -area;
    }
    const int x0 = std::max(w_.left(), Saturated(std::ceil(std::min({a.x, b.x, c.x}))));
    const int x1 = std::min(w_.right() - 1, Saturated(std::floor(std::max({a.x, b.x, c.x}))));
    const int y0 = std::max(w_.top(), Saturated(std::ceil(std::min({a.y, b.y, c.y}))));
    const int y1 = std::min(w_.bottom() - 1, Saturated(std::floor(std::max({a.y, b.y, c.y}))));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const double e0 = Edge(b, c, x, y), e1 = Edge(c, a, x, y), e2 = Edge(a, b, x, y);
        if (!Covers(e0, b, c) || !Covers(e1, c, a) || !Covers(e2, a, b)) continue;
        const auto wa = static_cast<float>(e0 / area), wb = static_cast<float>(e1 / area);
        const auto wc = static_cast<float>(e2 / area);
        const Rgba color = flat ? first : Mix(a.color, b.color, c.color, wa, wb, wc);
        w_.Plot(x, y, color, a.u * wa + b.u * wb + c.u * wc, a.v * wa + b.v * wb + c.v * wc);
      }
    }
  }

  // Cut to the viewport (with a margin, so that rounding at the ends never decides a pixel
  // inside) before the walk: a line far beyond the target costs no more than one across it.
  void Line(const Vertex& from, const Vertex& to) const {
    Vertex a = from, b = to;
    if (!ClipLine(&a, &b)) return;
    int x = Saturated(std::floor(a.x + 0.5f)), y = Saturated(std::floor(a.y + 0.5f));
    const int xe = Saturated(std::floor(b.x + 0.5f)), ye = Saturated(std::floor(b.y + 0.5f));
    const int dx = std::abs(xe - x), dy = -std::abs(ye - y);
    const int sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
    const int steps = std::max(dx, -dy);
    const bool flat = d_.render[static_cast<size_t>(RenderState::kShadeMode)] == kShadeFlat;
    int err = dx + dy;
    for (int i = 0; i < steps; ++i) {  // the last pixel is left out
      const float t = static_cast<float>(i) / static_cast<float>(steps);
      const Rgba color = flat ? from.color : Mix(a.color, b.color, a.color, 1 - t, t, 0);
      w_.Plot(x, y, color, a.u + (b.u - a.u) * t, a.v + (b.v - a.v) * t);
      const int e2 = 2 * err;
      if (e2 >= dy) err += dy, x += sx;
      if (e2 <= dx) err += dx, y += sy;
    }
  }

  void Point(const Vertex& p) const {
    if (std::isnan(p.x) || std::isnan(p.y)) return;
    w_.Plot(Saturated(std::floor(p.x + 0.5f)), Saturated(std::floor(p.y + 0.5f)), p.color, p.u, p.v);
  }

 private:
  static constexpr double kFar = 1 << 30;  // beyond every target; a float far out stops here

  // A whole number of pixels as an int, held inside the int range (NaN: 0).
  static int Saturated(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -kFar, kFar));
  }

  // The part of a-b within the viewport grown by two pixels, its ends' colours and
  // texture coordinates taken along; false when none of it is (or an end is not a number).
  bool ClipLine(Vertex* a, Vertex* b) const {
    if (!std::isfinite(a->x) || !std::isfinite(a->y) || !std::isfinite(b->x) || !std::isfinite(b->y)) return false;
    const double x0 = a->x, y0 = a->y, dx = static_cast<double>(b->x) - x0, dy = static_cast<double>(b->y) - y0;
    double t0 = 0, t1 = 1;
    // Liang-Barsky: each side of the box bounds the parameter range.
    auto side = [&](double p, double q) {
      if (p == 0) return q >= 0;
      const double t = q / p;
      if (p < 0) {
        if (t > t1) return false;
        t0 = std::max(t0, t);
      } else {
        if (t < t0) return false;
        t1 = std::min(t1, t);
      }
      return true;
    };
    const double left = w_.left() - 2.0, right = w_.right() + 1.0, top = w_.top() - 2.0, bottom = w_.bottom() + 1.0;
    if (!side(-dx, x0 - left) || !side(dx, right - x0) || !side(-dy, y0 - top) || !side(dy, bottom - y0)) return false;
    const Vertex from = *a, to = *b;
    auto at = [&](double t) {
      if (t == 0) return from;
      if (t == 1) return to;
      Vertex v = from;
      v.x = static_cast<float>(x0 + dx * t);
      v.y = static_cast<float>(y0 + dy * t);
      const auto f = static_cast<float>(t);
      v.color = Mix(from.color, to.color, from.color, 1 - f, f, 0);
      v.u = from.u + (to.u - from.u) * f;
      v.v = from.v + (to.v - from.v) * f;
      return v;
    };
    *a = at(t0);
    *b = at(t1);
    return true;
  }

  // Positive inside, for a triangle in clockwise order.
  static double Edge(const Vertex& a, const Vertex& b, double x, double y) {
    return (static_cast<double>(b.x) - a.x) * (y - a.y) - (static_cast<double>(b.y) - a.y) * (x - a.x);
  }
  // A centre on the edge counts for a top edge (going right) or a left edge (going up).
  static bool Covers(double e, const Vertex& a, const Vertex& b) {
    if (e > 0) return true;
    if (e < 0) return false;
    return (a.y == b.y && b.x > a.x) || b.y < a.y;
  }

  const Device& d_;
  const PixelWriter& w_;
};

bool Alive(const Device* device) {
  return device != nullptr &&
         std::any_of(g_devices.begin(), g_devices.end(), [&](const auto& d) { return d.get() == device; });
}

}  // namespace

namespace {

bool KnownFormat(uint32_t fvf) { return (fvf & (kFvfXyzRhw | kFvfXyz)) != 0; }

// Rasterises the primitives over the vertices `order` names; false for an unknown type.
bool Rasterise(const Device& device, PrimitiveType type, const std::vector<Vertex>& all,
               const std::vector<bool>& behind, const std::vector<uint32_t>& order, surface::LockedRect& target) {
  const TextureView texture(device.textures[0]);
  const PixelWriter writer(device, texture, target);
  const Rasteriser raster(device, writer);
  auto ok = [&](std::initializer_list<size_t> k) {
    for (size_t i : k) {
      if (behind[order[i]]) return false;
    }
    return true;
  };
  auto at = [&](size_t i) -> const Vertex& { return all[order[i]]; };
  const size_t n = order.size();
  switch (type) {
    case PrimitiveType::kPointList:
      for (size_t i = 0; i < n; ++i) {
        if (ok({i})) raster.Point(at(i));
      }
      return true;
    case PrimitiveType::kLineList:
      for (size_t i = 0; i + 1 < n; i += 2) {
        if (ok({i, i + 1})) raster.Line(at(i), at(i + 1));
      }
      return true;
    case PrimitiveType::kLineStrip:
      for (size_t i = 0; i + 1 < n; ++i) {
        if (ok({i, i + 1})) raster.Line(at(i), at(i + 1));
      }
      return true;
    case PrimitiveType::kTriangleList:
      for (size_t i = 0; i + 2 < n; i += 3) {
        if (ok({i, i + 1, i + 2})) raster.Triangle(at(i), at(i + 1), at(i + 2));
      }
      return true;
    case PrimitiveType::kTriangleStrip:
      // Every second triangle is turned round so the strip keeps one facing; its first
      // vertex stays first for flat shading.
      for (size_t i = 0; i + 2 < n; ++i) {
        if (!ok({i, i + 1, i + 2})) continue;
        if (i % 2 == 0) {
          raster.Triangle(at(i), at(i + 1), at(i + 2));
        } else {
          raster.Triangle(at(i), at(i + 2), at(i + 1));
        }
      }
      return true;
    case PrimitiveType::kTriangleFan:
      for (size_t i = 1; i + 1 < n; ++i) {
        if (ok({0, i, i + 1})) raster.Triangle(at(0), at(i), at(i + 1));
      }
      return true;
  }
  return false;
}

// What both draw calls share once their arguments are checked.
Result Draw(Device* device, Call call, PrimitiveType type, uint32_t fvf, const void* vertices, uint32_t vertex_count,
            const std::vector<uint32_t>& order, uint32_t count, uint32_t flags) {
  const auto t = static_cast<uint32_t>(type);
  Result r = Result::kOk;
  if (TakeInjectedFailure(call, t, &r)) return Note(call, r, device, t, fvf, count, flags);
  if (!device->in_scene) return Note(call, Result::kInvalidState, device, t, fvf, count, flags);
  surface::LockedRect target;
  const surface::Result lr = surface::Lock(device->target, nullptr, surface::kLockWait, &target);
  if (lr != surface::Result::kOk) {
    return Note(call, lr == surface::Result::kSurfaceLost ? Result::kSurfaceLost : Result::kInvalidParams, device, t,
                fvf, count, flags);
  }
  std::vector<bool> behind;
  const std::vector<Vertex> v = ReadVertices(*device, fvf, vertices, vertex_count, &behind);
  const bool known = Rasterise(*device, type, v, behind, order, target);
  surface::Unlock(device->target);
  return Note(call, known ? Result::kOk : Result::kInvalidParams, device, t, fvf, count, flags);
}

}  // namespace

Result DrawPrimitive(Device* device, PrimitiveType type, uint32_t fvf, const void* vertices, uint32_t count,
                     uint32_t flags) {
  const auto t = static_cast<uint32_t>(type);
  if (!Alive(device) || vertices == nullptr || !KnownFormat(fvf)) {
    return Note(Call::kDrawPrimitive, Result::kInvalidParams, device, t, fvf, count, flags);
  }
  std::vector<uint32_t> order(count);
  for (uint32_t i = 0; i < count; ++i) order[i] = i;
  return Draw(device, Call::kDrawPrimitive, type, fvf, vertices, count, order, count, flags);
}

Result DrawIndexedPrimitive(Device* device, PrimitiveType type, uint32_t fvf, const void* vertices,
                            uint32_t vertex_count, const uint16_t* indices, uint32_t index_count, uint32_t flags) {
  const auto t = static_cast<uint32_t>(type);
  const bool bad = !Alive(device) || vertices == nullptr || (indices == nullptr && index_count > 0) ||
                   !KnownFormat(fvf) ||
                   std::any_of(indices, indices + index_count, [&](uint16_t i) { return i >= vertex_count; });
  if (bad) return Note(Call::kDrawIndexedPrimitive, Result::kInvalidParams, device, t, fvf, index_count, flags);
  const std::vector<uint32_t> order(indices, indices + index_count);
  return Draw(device, Call::kDrawIndexedPrimitive, type, fvf, vertices, vertex_count, order, index_count, flags);
}

}  // namespace plat::d3d
