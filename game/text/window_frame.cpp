// Drawing the framed boxes.
#include "game/text/window_frame.h"

#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_load.h"

namespace game {

WindowFrame TheWindowFrame;  // every screen's boxes

namespace {

constexpr int kCornerCells = 4;
constexpr int kCornerColumns = 2;
constexpr int kCornerRows = 2;
constexpr int kCornersNotUse3D = 1;
constexpr int kBackgroundInset = 4;  // the background starts this far inside
constexpr int kEdgeInset = 8;        // the edges start past the corners
constexpr int kFarCornerOffset = kFrameCornerSize - 1;
constexpr int kBlendOff = 0;
constexpr FrameColour kFrameColour0{32, 32, 156};
constexpr FrameColour kFrameColour1{47, 47, 172};

}  // namespace

WindowFrame::WindowFrame() {
  corners_.fill(-1);
  backgrounds_.fill(-1);
}

void WindowFrame::LoadWindowFrame() {
  if (vexal::LoadDivGraphFlag(kFrameCornerFile, kCornerCells, kCornerColumns, kCornerRows, kFrameCornerSize,
                              kFrameCornerSize, corners_.data(), kCornersNotUse3D) != 0) {
    corners_.fill(-1);
  }
  horizontal_ = vexal::LoadGraph(kFrameHorizontalFile);
  vertical_ = vexal::LoadGraph(kFrameVerticalFile);
  backgrounds_[0] = vexal::LoadGraph(kFrameBackground0File);
  backgrounds_[1] = vexal::LoadGraph(kFrameBackground1File);
  colours_ = {kFrameColour0, kFrameColour1};
}

void WindowFrame::DrawFrameBox(int x1, int y1, int x2, int y2, int style) const {
  vexal::DrawGraphPart(x1 + kBackgroundInset, y1 + kBackgroundInset, 0, 0, x2 - x1 - 2 * kBackgroundInset,
                       y2 - y1 - 2 * kBackgroundInset, BackgroundGraph(style), 0, 0);
  vexal::SetBlendModeParam(kBlendOff, 0);
  const int across = x2 - x1 - 2 * kEdgeInset + 1;
  const int down = y2 - y1 - 2 * kEdgeInset + 1;
  const int far_edge = kFrameEdgeWidth - 1;
  vexal::DrawGraphPart(x1 + kEdgeInset, y1, 0, 0, across, kFrameEdgeWidth, horizontal_, 1, 0);
  vexal::DrawGraphPart(x1 + kEdgeInset, y2 - far_edge, 0, 0, across, kFrameEdgeWidth, horizontal_, 1, 0);
  vexal::DrawGraphPart(x1, y1 + kEdgeInset, 0, 0, kFrameEdgeWidth, down, vertical_, 1, 0);
  vexal::DrawGraphPart(x2 - far_edge, y1 + kEdgeInset, 0, 0, kFrameEdgeWidth, down, vertical_, 1, 0);
  vexal::DrawGraph(x1, y1, corners_[0], 1);
  vexal::DrawGraph(x2 - kFarCornerOffset, y1, corners_[1], 1);
  vexal::DrawGraph(x1, y2 - kFarCornerOffset, corners_[2], 1);
  vexal::DrawGraph(x2 - kFarCornerOffset, y2 - kFarCornerOffset, corners_[3], 1);
}

void WindowFrame::DrawFrameBoxSize(int x, int y, int w, int h, int style) const {
  DrawFrameBox(x, y, x + w, y + h, style);
}

}  // namespace game
