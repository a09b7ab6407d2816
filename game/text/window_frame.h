// The framed boxes of every screen (messages, menus, battle): a background picture cut to
// the box, edges along its sides and four corners.
#pragma once

#include <array>
#include <cstdint>

namespace game {

inline constexpr int kFrameCornerSize = 8;  // pixels a side of a corner cell
inline constexpr int kFrameEdgeWidth = 5;   // thickness of the edge pictures
inline constexpr int kFrameStyles = 2;      // background 0 and 1

// The frame's pictures.
inline constexpr char kFrameCornerFile[] = "system\\wakuwaku7.bmp";  // 2 x 2 corners of 8 x 8
inline constexpr char kFrameHorizontalFile[] = "system\\wakuyoko.bmp";
inline constexpr char kFrameVerticalFile[] = "system\\wakutate.bmp";
inline constexpr char kFrameBackground0File[] = "system\\wna.bmp";
inline constexpr char kFrameBackground1File[] = "system\\wac.bmp";

struct FrameColour {
  int red, green, blue;
};

class WindowFrame {
 public:
  WindowFrame();
  virtual ~WindowFrame() = default;

  // Loads the frame's pictures; a picture that fails leaves its part undrawn.
  void LoadWindowFrame();
  // A box from (x1, y1) to (x2, y2) on background style 0 or 1 (any other style draws
  // style 0). The background follows the current blend mode; blending is off afterwards.
  void DrawFrameBox(int x1, int y1, int x2, int y2, int style) const;
  void DrawFrameBoxSize(int x, int y, int w, int h, int style) const;

  const std::array<int, 4>& CornerGraphs() const { return corners_; }
  int HorizontalGraph() const { return horizontal_; }
  int VerticalGraph() const { return vertical_; }
  int BackgroundGraph(int style) const { return backgrounds_[style == 1 ? 1 : 0]; }
  // Two colours kept for other screens' use.
  const std::array<FrameColour, 2>& Colours() const { return colours_; }

 private:
  std::array<int, 4> corners_;                 // top-left, top-right, bottom-left, bottom-right
  int horizontal_ = -1;                        // top and bottom edge
  int vertical_ = -1;                          // left and right edge
  std::array<int, kFrameStyles> backgrounds_;  // per style
  std::array<FrameColour, 2> colours_{};       // set by the loader
};

// The game's one window frame.
extern WindowFrame TheWindowFrame;

}  // namespace game
