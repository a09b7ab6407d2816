// Settling one warp call: the layout of the screen, the rule of the blend mode and the rows
// it reads.
#include "vexal/raster/warp_kernels.h"

#include "vexal/graphics/screen/blend_mul_table.h"

namespace vexal::warp {
namespace {

constexpr int kMaxBlendMode = 3;
constexpr int kFullParam = 255;
constexpr int kMaxFieldWidth = 8;  // the rows have 256 columns
constexpr uint32_t kNoBrightness = 0xFFFFFFFF;

// Sum over the bits of level (16, 8, 4, 2, 1) of v, v >> 1, v >> 2, v >> 3, v >> 4.
void FillSixteenths(int level, uint8_t* row) {
  for (int v = 0; v < kRowSize; ++v) {
    int sum = 0;
    for (int bit = 0; bit <= 4; ++bit)
      if ((level & (kCoarseSteps >> bit)) != 0) sum += v >> bit;
    row[v] = static_cast<uint8_t>(sum);
  }
}

void FillTable(int p, uint8_t* row) {
  for (int v = 0; v < kRowSize; ++v) row[v] = static_cast<uint8_t>(BlendMulTable[p][v]);
}

LayoutKind Classify(const ColorFormatRecord& f, GenericLayout* generic) {
  if (f.ColorBits == 32) return LayoutKind::k32;
  if (f.ColorBits != 16) return LayoutKind::kNone;
  if (f.RedMask == 0xF800 && f.GreenMask == 0x07E0 && f.BlueMask == 0x001F) return LayoutKind::k565;
  if (f.RedMask == 0x7C00 && f.GreenMask == 0x03E0 && f.BlueMask == 0x001F) return LayoutKind::k555;
  const int shifts[kChannels] = {f.RedShift, f.GreenShift, f.BlueShift};
  const int widths[kChannels] = {f.RedWidth, f.GreenWidth, f.BlueWidth};
  const uint32_t masks[kChannels] = {f.RedMask, f.GreenMask, f.BlueMask};
  uint32_t k = 0, b = 0, all = 0;
  for (int c = 0; c < kChannels; ++c) {
    // The mask must be the one run its shift and width describe: a split mask (0x8001)
    // would index past the rows with its upper bits.
    const bool one_run = widths[c] > 0 && widths[c] <= kMaxFieldWidth && shifts[c] + widths[c] <= 16 &&
                         masks[c] == ((1u << widths[c]) - 1) << shifts[c];
    if (!one_run) {
      // Copies read no channel.
      *generic = GenericLayout{};
      generic->Blends = false;
      return LayoutKind::kGeneric;
    }
    generic->Shift[c] = shifts[c];
    generic->Width[c] = widths[c];
    generic->Mask[c] = masks[c];
    generic->Carry[c] = 1u << (shifts[c] + widths[c]);
    k |= generic->Carry[c];
    b |= 1u << shifts[c];
    all |= masks[c];
  }
  generic->Packed = {all & ~k, k, b};
  return LayoutKind::kGeneric;
}

}  // namespace

bool PlanWarp(const WarpRequest& rq, WarpPlan* plan) {
  *plan = WarpPlan{};
  if (rq.Format == nullptr) return false;
  plan->Layout = Classify(*rq.Format, &plan->Generic);
  if (plan->Layout == LayoutKind::kNone) return false;
  const int mode = rq.BlendMode, p = rq.BlendParam;
  if (mode < 0 || mode > kMaxBlendMode || p < 0 || p > kFullParam) return false;
  const bool generic = plan->Layout == LayoutKind::kGeneric;
  bool bright = rq.Bright != kNoBrightness;
  // One colour on a generic layout leaves the brightness out; a graph there blends only
  // without it.
  if (generic && rq.Flat) bright = false;
  if (generic && bright && mode != 0) return false;
  // A layout without table-sized channels only copies whole pixels: no brightness, no
  // alpha plane, no blend.
  const bool copies_only = generic && !plan->Generic.Blends;
  if (copies_only && (bright || (rq.Alpha && !rq.Flat))) return false;
  plan->Alpha = rq.Alpha && !rq.Flat;
  plan->Bright = bright;
  const bool coarse = rq.Coarse && !plan->Alpha && !generic;
  WarpTables& t = plan->Tables;
  t.Param = p;
  t.Keyed = rq.Keyed && !rq.Flat;
  t.Key = plan->Layout == LayoutKind::k32 ? rq.Key : rq.Key & 0xFFFF;
  if (bright) {
    const int factors[kChannels] = {static_cast<int>(rq.Bright >> 8) & 0xFF, static_cast<int>(rq.Bright >> 16) & 0xFF,
                                    static_cast<int>(rq.Bright >> 24) & 0xFF};
    for (int c = 0; c < kChannels; ++c) {
      if (coarse)
        FillSixteenths((factors[c] + 1) >> 4, t.Bright[c]);
      else
        FillTable(factors[c], t.Bright[c]);
    }
  }
  if (mode == 0) {
    plan->Rule = Op::Copy;
    plan->Draws = true;
    return true;
  }
  const int level = (p + 1) >> 4;
  if (coarse ? level == 0 : p == 0) return false;
  if (mode == 1) {
    if (coarse ? level == kCoarseSteps : p == kFullParam) {
      plan->Rule = Op::Copy;
    } else if (copies_only) {
      return false;
    } else if (coarse && level == kCoarseSteps / 2 && !bright) {
      plan->Rule = Op::Average;
    } else {
      plan->Rule = Op::Mix;
      if (coarse) {
        FillSixteenths(level, t.Src);
        FillSixteenths(kCoarseSteps - level, t.Dst);
      } else {
        FillTable(p, t.Src);
        FillTable(kFullParam - p, t.Dst);
      }
    }
  } else {
    if (copies_only) return false;
    plan->Rule = mode == 2 ? Op::Add : Op::Subtract;
    if (coarse)
      FillSixteenths(level, t.Src);
    else
      FillTable(p, t.Src);
  }
  plan->Draws = true;
  return true;
}

}  // namespace vexal::warp
