// Form1's state and event procedures.
#include "config_tool/settings_form.h"

#include <string_view>

namespace nlconfig {

namespace {

constexpr int kDoubleSizeBox = 4;

// The hints of check boxes 0 to 7, lines separated by CR LF.
constexpr std::array<std::string_view, kCheckBoxEntries> kHintTexts = {
    "Windowモードで起動することは想定していません。\r\n"
    "そのため、うまく起動しないこともございます。ご了承ください。",
    "画像が鮮明になります。マシンパワーとメモリに余裕があるとき、使用してください。",
    "ビデオボードの3Dアクセラレータを使用して描画します。\r\n"
    "描画速度の向上が望めますが、これを使用することで、描画結果がずれたり色合いが変わったりすることがあります。",
    "アプリケーション起動時に、【画面の】画像メモリをビデオメモリに割り当てません。\r\n"
    "3D機能を使用するとき併用するとパフォーマンスが低下します。",
    "画面サイズが倍になります。\r\n"
    "一度スクリーン領域に書き込んだものを読み込んで倍に引き伸ばすため、相当のマシンパワーを必要とします。\r\n"
    "全画面表示する場合はまったく意味がございません。\r\n"
    "尚、会話後や画面切り替え時に画面が確実に乱れます。",
    "アプリケーション実行中にスクリーンセーバーと画面の省電力モードが起動しないようにしません。\r\n"
    "ゲーム中にスクリーンセーバーが立ち上がってもいい場合は使用してください。",
    "この機能は都合により廃止しました。",
    "アプリケーションログ(AppLog.txt)を出力しないようにします。",
};

}  // namespace

std::string SettingsForm::Form_Load(const std::string& path) {
  path_ = path;
  list_index_ = 0;
  LoadResult loaded = LoadSettings(path);
  if (!loaded.ok) return loaded.error;
  settings_ = std::move(loaded.settings);
  for (int i = 0; i < kCheckBoxEntries; ++i) check_[i] = settings_.GameConfig[i];
  list_index_ = settings_.GameConfig[kFontEntry];
  for (int i = 0; i < kCheckBoxEntries; ++i) HintText_[i] = kHintTexts[i];
  text1_.clear();
  return {};
}

void SettingsForm::ClickCheck(int index) {
  if (index < 0 || index >= kCheckBoxEntries) return;
  check_[index] = check_[index] == 1 ? 0 : 1;
}

void SettingsForm::SelectFont(int index) {
  if (index >= kNoFontSelected && index <= kLastFontItem) list_index_ = index;
}

void SettingsForm::Check1_MouseMove(int index) {
  if (index >= 0 && index < kGameConfigEntries) text1_ = HintText_[index];
}

SettingsForm::ClickResult SettingsForm::Command1_Click(const std::function<bool()>& confirm_double_size,
                                                       std::string& error) {
  if (check_[kDoubleSizeBox] == 1 && !confirm_double_size()) return ClickResult::kStayed;
  error = SaveSettings(path_, CurrentSettings());
  return error.empty() ? ClickResult::kWritten : ClickResult::kWriteFailed;
}

Settings SettingsForm::CurrentSettings() const {
  Settings out = settings_;
  for (int i = 0; i < kCheckBoxEntries; ++i) out.GameConfig[i] = check_[i];
  out.GameConfig[kFontEntry] = list_index_;
  return out;
}

}  // namespace nlconfig
