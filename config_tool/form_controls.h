// The settings dialog Form1 as a table: its controls with their captions, places (in
// twips, 15 to a pixel at 96 dots per inch) and tab order, the font list's items and the
// texts of the double-size warning. Toolkit-free: the GTK window is built from it and the
// tests check the window against it. Texts are UTF-8.
#pragma once

#include <array>
#include <string_view>

namespace nlconfig {

inline constexpr int kTwipsPerPixel = 15;

inline constexpr std::string_view kFormCaption = "NIGHTLOOM 設定";
inline constexpr int kFormClientWidthTwips = 3120;   // 208 pixels
inline constexpr int kFormClientHeightTwips = 7470;  // 498 pixels

enum class ControlKind { kCheckBox, kLabel, kComboBox, kTextBox, kButton };

struct ControlRect {
  int left, top, width, height;
  bool operator==(const ControlRect&) const = default;
};

struct FormControl {
  std::string_view name;  // "Check1(3)", "Label1", ...
  ControlKind kind;
  std::string_view caption;  // empty for the font list and the hint box
  ControlRect twips;
  int tab_index;
};

inline constexpr int kFormControlCount = 12;
// Check1(0) to Check1(7) come first, at their index.
inline constexpr int kLabel1 = 8, kCombo1 = 9, kText1 = 10, kCommand1 = 11;

extern const std::array<FormControl, kFormControlCount> kFormControls;

inline constexpr int kFontItemCount = 10;
// Combo1's items; an item's index is the value of entry 8.
extern const std::array<std::string_view, kFontItemCount> kFontItems;

inline constexpr std::string_view kDoubleSizeWarningText = "倍画面表示モードでは、画面が乱れることがあります。";
inline constexpr std::string_view kDoubleSizeWarningTitle = "ち・ゅ～い";

// A twips rectangle in pixels.
constexpr ControlRect TwipsToPixels(ControlRect twips) {
  return {twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel, twips.width / kTwipsPerPixel,
          twips.height / kTwipsPerPixel};
}

}  // namespace nlconfig
