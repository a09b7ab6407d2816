// Drawing the field: the chip layer around the camera, the events row by row, the field
// effects and the side borders; the field's pictures are loaded once at start-up.
#include <algorithm>
#include <cmath>

#include "game/codec/lz_codec.h"
#include "game/field/field_graphics.h"
#include "game/field/field_map.h"
#include "platform/fs/fs.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/graphs/graph_restore.h"
#include "vexal/graphics/screen/color_value.h"

namespace game {
namespace {

constexpr double kJumpHeight = 12;  // pixels at the top of a jump's arc

}  // namespace

FieldGraphics TheFieldGraphics;

namespace {

// The character sheet is packed; it is loaded from its unpacked copy, a temporary file
// that is deleted again at once. true when the copy was made.
bool UnpackCharacterSheet() {
  return PackFile(kCharacterSheetFile, kCharacterTempFile, kPackFileModeUnpack) == kPackFileOk;
}

}  // namespace

int RestoreGraphsWithCharacterSheet() {
  const bool unpacked = UnpackCharacterSheet();
  vexal::RestoreGraphFromFiles();
  if (unpacked) plat::fs::DeleteFile(kCharacterTempFile);
  return 0;
}

void LoadFieldGraphics() {
  FieldGraphics& g = TheFieldGraphics;
  vexal::LoadDivGraph("img\\black.png", kChipCellCount, 32, 32, 16, 16, g.ChipCells.data());
  g.EdgeLeft = vexal::LoadGraph("img\\edge_l1.png");
  g.EdgeRight = vexal::LoadGraph("img\\edge_r1.png");
  vexal::LoadDivGraph("img\\wakka.bmp", 2, 2, 1, 48, 16, g.Bubble.data());
  vexal::LoadDivGraph("img\\fldbreak.png", 8, 8, 1, 96, 96, g.Break.data());
  vexal::LoadDivGraph("system\\telep.png", 4, 4, 1, 48, 16, g.Teleport.data());
  vexal::LoadDivGraph("img\\lader.png", 2, 2, 1, 80, 80, g.Radar.data());
  g.EmptyChip = vexal::LoadGraph("system\\system0.png");
  if (UnpackCharacterSheet()) {
    std::array<int, kCharacterSheetCells> cells{};
    cells.fill(-1);
    vexal::LoadDivGraph(kCharacterTempFile, kCharacterSheetCells, 48, 16, 16, 32, cells.data());
    // Three frames a group on the sheet; four a group in the walking cycle b, a, b, c.
    for (int group = 0; group < kCharacterGroups; ++group) {
      const int a = cells[group * 3], b = cells[group * 3 + 1], c = cells[group * 3 + 2];
      g.CharacterFrames[group * 4 + 0] = b;
      g.CharacterFrames[group * 4 + 1] = a;
      g.CharacterFrames[group * 4 + 2] = b;
      g.CharacterFrames[group * 4 + 3] = c;
    }
  }
  plat::fs::DeleteFile(kCharacterTempFile);
  static constexpr double kBubbleStart[5] = {32, 25, 18, 11, 4};
  static constexpr double kBubbleSpeed[5] = {-3.04, -4.16, -5.36, -6.64, 0};
  for (int i = 0; i < 5; ++i) g.BubbleY[i] = kBubbleStart[i], g.BubbleSpeed[i] = kBubbleSpeed[i];
}

void StepBubbles(FieldGraphics& g) {
  for (int i = 0; i < kBubbleParticles; ++i) {
    g.BubbleSpeed[i] -= kBubbleAcceleration;
    g.BubbleY[i] += g.BubbleSpeed[i] / kBubbleSpeedScale;
    if (g.BubbleY[i] < 0) {
      g.BubbleY[i] += kBubbleColumn;
      g.BubbleSpeed[i] = kBubbleRestartSpeed;
    }
  }
}

void ReloadChipCells(std::string_view image) {
  vexal::ReloadDivGraph(image, kChipCellCount, 32, 32, 16, 16, TheFieldGraphics.ChipCells.data(), 0);
}

void Field::DrawField() {
  const FieldGraphics& g = TheFieldGraphics;
  // The camera aims at a cell's centre; half a cell less puts that cell's centre at the
  // screen's (160, 120).
  const double left = CameraX - 0.5, top = CameraY - 0.5;
  const int cx = int(std::floor(left)), cy = int(std::floor(top));
  const int ox = int(std::floor((left - cx) * 16)), oy = int(std::floor((top - cy) * 16));
  for (int row = 0; row < 18; ++row)
    for (int col = 0; col < 17; ++col) {
      const int x = cx - 8 + col, y = cy - 8 + row;
      if (!OnMap(x, y)) continue;
      const int sx = 24 - ox + col * 16, sy = -16 - oy + row * 16;
      const uint16_t chip = Chip(x, y);
      if (chip == 0) {
        vexal::DrawGraph(sx, sy, g.EmptyChip, 1);
        continue;
      }
      const ChipRecord& r = Chips.Records[chip];
      vexal::DrawGraph(sx, sy, g.ChipCells[r.Frames[r.Frame % kChipFrameCount]], 1);
    }
  for (int e : DrawOrder(cx, cy)) {
    const EventState& s = States[e];
    const int sx = 24 - ox + (s.X - cx + 8) * 16 + s.SubX;
    const int sy = -16 - oy + (s.Y - cy + 8) * 16 + s.SubY;
    if (s.Fixed == 0) {
      if (s.Graphic <= 0 && e != 0) continue;
      const int frame = ((s.Graphic * 4 + (s.Direction & 3)) * 4 + s.AnimFrame) % (kCharacterGroups * 4);
      // A jumping player rises on an arc over the cells it passes.
      int lift = 0;
      if (e == 0 && TeleportState != 0 && JumpFrames > 0)
        lift = int(std::sin(M_PI * (TeleportState - 1) / JumpFrames) * kJumpHeight);
      vexal::DrawGraph(sx, sy - 16 - lift, g.CharacterFrames[frame], 1);
    } else if (s.Graphic < kChipRecordCount) {
      const ChipRecord& r = Chips.Records[s.Graphic];
      vexal::DrawGraph(sx, sy, g.ChipCells[r.Frames[r.Frame % kChipFrameCount]], 1);
    } else {
      // Each particle a little apart from the column's middle, the pieces alternating.
      static constexpr int kSway[kBubbleParticles] = {-4, 3, -1, 5, -3};
      const int lift = s.Graphic == kBubbleGraphicHigh ? 16 : 0;
      for (int i = 0; i < kBubbleParticles; ++i)
        vexal::DrawGraph(sx - 16 + kSway[i], sy - lift + int(std::floor(g.BubbleY[i])) - int(kBubbleColumn),
                         g.Bubble[i & 1], 1);
    }
  }
  const auto screen_of = [&](int x, int y, int& sx, int& sy) {
    sx = 24 - ox + (x - cx + 8) * 16;
    sy = -16 - oy + (y - cy + 8) * 16;
  };
  if (Effects[1].Timer > 0) {
    int sx, sy;
    screen_of(Effects[1].X, Effects[1].Y, sx, sy);
    vexal::SetBlendModeParam(2, 255);
    vexal::DrawGraph(sx - 40, sy - 40, g.Break[std::clamp((16 - Effects[1].Timer) / 2, 0, 7)], 1);
    vexal::SetBlendModeParam(0, 0);
  }
  if (Effects[3].Timer > 0 && Effects[3].Timer % 2 == 0)
    vexal::DrawBox(0, 0, 320, 240, vexal::MakeColorValue(128, 0, 0), 1);
  if (ScriptParams[3] > 0) {
    vexal::SetBlendModeParam(1, ScriptParams[3]);
    vexal::DrawBox(0, 0, 320, 240, vexal::MakeColorValue(ScriptParams[0], ScriptParams[1], ScriptParams[2]), 1);
    vexal::SetBlendModeParam(0, 0);
  }
  if (Effects[2].Timer > 0) {
    int sx, sy;
    screen_of(States[0].X, States[0].Y, sx, sy);
    vexal::DrawGraph(sx - 16, sy - 16, g.Teleport[((Effects[2].Timer - 1) / 2) & 3], 1);
  }
  vexal::DrawGraph(0, 0, g.EdgeLeft, 0);
  vexal::DrawGraph(280, 0, g.EdgeRight, 0);
}

// Events in two passes (those flagged for the second, chip events too, are drawn over
// the rest; the player keeps to the first, among its rows), each in layer order (chip
// events first), then row by row so lower rows overlap.
std::vector<int> Field::DrawOrder(int cx, int cy) const {
  std::vector<int> order;
  for (int e = 0; e < EventCount; ++e) {
    const EventState& s = States[e];
    if (s.Visible == 0 && e != 0) continue;
    if (std::abs(s.X - cx) > 10 || std::abs(s.Y - cy) > 10) continue;
    if (s.Blink != 0 && (FrameCount & 1) != 0) continue;
    order.push_back(e);
  }
  const auto second_pass = [&](int e) { return e != 0 && States[e].SecondPass != 0; };
  const auto layer = [&](const EventState& s) { return s.Fixed == 0 ? 1 : 0; };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const EventState &p = States[a], &q = States[b];
    if (second_pass(a) != second_pass(b)) return second_pass(b);
    if (layer(p) != layer(q)) return layer(p) < layer(q);
    if (p.Y != q.Y) return p.Y < q.Y;
    return p.X < q.X;
  });
  return order;
}

void Field::DrawFieldOverlay() {
  if (OverlayMode == 0) return;
  const FieldGraphics& g = TheFieldGraphics;
  vexal::SetBlendModeParam(1, 128);
  vexal::DrawGraph(200, 160, g.Radar[0], 1);
  vexal::SetBlendModeParam(0, 0);
  if (OverlayMode == 1) vexal::DrawGraph(200, 160, g.Radar[1], 1);
  const int px = 208 + States[0].X / 4, py = 168 + States[0].Y / 4;
  const vexal::ColorValue red = vexal::MakeColorValue(196, 16, 16);
  const int r = 2 + int(FrameCount / 2 % 7);
  for (int d : {1, r}) {
    vexal::DrawPixel(px + d, py, red);
    vexal::DrawPixel(px - d, py, red);
    vexal::DrawPixel(px, py + d, red);
    vexal::DrawPixel(px, py - d, red);
  }
  const int grey = int(FrameCount % 16);
  for (const MapMarkView& m : MapMarks) {
    if (m.Kind < 0) break;
    const vexal::ColorValue c = m.Kind == 0 ? vexal::MakeColorValue(64 + 12 * grey, 64 + 12 * grey, 64 + 12 * grey)
                                            : vexal::MakeColorValue(64, 64 + 10 * grey, 64);
    vexal::DrawPixel(208 + m.X, 168 + m.Y, c);
  }
}

}  // namespace game
