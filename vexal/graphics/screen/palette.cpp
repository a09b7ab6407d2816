#include "vexal/graphics/screen/palette.h"

#include <cstdint>
#include <iterator>

#include "vexal/app/startup/fatal_exit.h"
#include "vexal/app/window/window_access.h"
#include "vexal/graphics/screen/ddraw_state.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr int kCubeLevels = 6;
constexpr uint8_t kCubeLevel[kCubeLevels] = {0, 51, 102, 153, 204, 255};
constexpr int kGreys = 37;
constexpr int kGreySteps = kGreys + 1;  // the greys divide 0..255 into 38 steps

struct FixedEntry {
  int index;
  plat::PaletteEntry colour;
};
constexpr FixedEntry kFixedEntries[] = {
    {0, {0, 0, 0, 0}},         {16, {0, 0, 139, 0}},      {128, {125, 102, 79, 0}},
    {254, {253, 254, 239, 0}}, {255, {255, 255, 255, 0}},
};

constexpr int Brightness(const plat::PaletteEntry& e) { return 299 * e.red + 587 * e.green + 114 * e.blue; }

constexpr bool IsFixedIndex(int i) {
  for (const FixedEntry& f : kFixedEntries) {
    if (f.index == i) return true;
  }
  return false;
}

constexpr PaletteTable MakeBuiltInPalette() {
  constexpr int kOthers = plat::kPaletteSize - static_cast<int>(std::size(kFixedEntries));
  std::array<plat::PaletteEntry, kOthers> others{};
  int n = 0;
  for (uint8_t r : kCubeLevel) {
    for (uint8_t g : kCubeLevel) {
      for (uint8_t b : kCubeLevel) {
        const bool black = r == 0 && g == 0 && b == 0;
        const bool white = r == 255 && g == 255 && b == 255;
        if (!black && !white) others[n++] = {r, g, b, 0};
      }
    }
  }
  for (int k = 1; k <= kGreys; ++k) {
    const auto grey = static_cast<uint8_t>((k * 255 * 2 + kGreySteps) / (2 * kGreySteps));  // rounded
    others[n++] = {grey, grey, grey, 0};
  }
  // Insertion sort: stable, so equal brightness keeps the order of generation.
  for (int i = 1; i < kOthers; ++i) {
    const plat::PaletteEntry e = others[i];
    int j = i;
    while (j > 0 && Brightness(others[j - 1]) > Brightness(e)) {
      others[j] = others[j - 1];
      --j;
    }
    others[j] = e;
  }
  PaletteTable table{};
  for (const FixedEntry& f : kFixedEntries) table[f.index] = f.colour;
  int next = 0;
  for (int i = 0; i < plat::kPaletteSize; ++i) {
    if (!IsFixedIndex(i)) table[i] = others[next++];
  }
  return table;
}

}  // namespace

constinit const PaletteTable kBuiltInPalette = MakeBuiltInPalette();

int CreatePalette8() {
  if (DDrawState.Object == nullptr || DDrawState.PaletteObject != nullptr || DDrawState.ScreenColorBits != 8) {
    return 0;
  }
  PaletteTable& table = DDrawState.Screen.Palette;
  table = kBuiltInPalette;
  if (ps::CreatePalette(DDrawState.Object, table, &DDrawState.PaletteObject) != ps::Result::kOk) {
    DDrawState.PaletteObject = nullptr;
    FatalErrorExit("パレットの作成に失敗しました");
  }
  ps::SetPalette(DDrawState.Primary, DDrawState.PaletteObject);
  if (IsWindowMode()) {
    ps::SetPalette(DDrawState.Back, DDrawState.PaletteObject);
  } else if (DDrawState.Primary != nullptr) {
    ps::EnumAttachedSurfaces(DDrawState.Primary,
                             [](ps::Surface* s) { return SetPaletteToSurface(s, DDrawState.PaletteObject) != 0; });
  }
  return 0;
}

int SetPaletteToSurface(ps::Surface* surface, void* context) {
  ps::SetPalette(surface, static_cast<ps::Palette*>(context));
  return 1;
}

int RestorePalette() {
  if (DDrawState.ScreenColorBits != 8) return 0;
  const PaletteTable kept = DDrawState.Screen.Palette;
  CreatePalette8();
  DDrawState.Screen.Palette = kept;
  if (DDrawState.PaletteObject != nullptr) {
    ps::SetPaletteEntries(DDrawState.PaletteObject, 0, DDrawState.Screen.Palette);
    ps::GetPaletteEntries(DDrawState.PaletteObject, 0, DDrawState.Screen.Palette);
  }
  return 0;
}

}  // namespace vexal
