// The one copy of Form1's control table.
#include "config_tool/form_controls.h"

namespace nlconfig {

const std::array<FormControl, kFormControlCount> kFormControls = {{
    {"Check1(0)", ControlKind::kCheckBox, "Windowで起動", {240, 240, 2295, 255}, 0},
    {"Check1(1)", ControlKind::kCheckBox, "32bitカラーデプス", {240, 600, 2295, 255}, 1},
    {"Check1(2)", ControlKind::kCheckBox, "ハードウェア3D機能使用", {240, 960, 2295, 255}, 2},
    {"Check1(3)", ControlKind::kCheckBox, "画像データをVRAMに置かない", {240, 1320, 2655, 255}, 4},
    {"Check1(4)", ControlKind::kCheckBox, "画面サイズは倍の640*480", {240, 1680, 2655, 255}, 5},
    {"Check1(5)", ControlKind::kCheckBox, "スクリーンセーバー制御しない", {240, 2040, 2655, 255}, 7},
    {"Check1(6)", ControlKind::kCheckBox, "LED制御しない", {240, 2400, 2655, 255}, 8},
    {"Check1(7)", ControlKind::kCheckBox, "AppLog.txtを出力しない", {240, 2760, 2655, 255}, 9},
    {"Label1", ControlKind::kLabel, "フォント", {240, 3420, 615, 255}, 11},
    {"Combo1", ControlKind::kComboBox, "", {960, 3360, 2055, 300}, 10},
    {"Text1", ControlKind::kTextBox, "", {240, 3840, 2655, 1935}, 6},
    {"Command1", ControlKind::kButton, "OK", {600, 5880, 1815, 375}, 3},
}};

const std::array<std::string_view, kFontItemCount> kFontItems = {
    "0 - Default",      "1 - SQUARE",       "2 - Nintendo",     "3 - ENIX",         "4 - ユーザー定義",
    "5 - ユーザー定義", "6 - ユーザー定義", "7 - ユーザー定義", "8 - ユーザー定義", "9 - ユーザー定義",
};

}  // namespace nlconfig
