// What Form1 holds and does, apart from any toolkit: the settings read at load, the check
// boxes' values (0 clear, 1 ticked, 2 grey), the font list's selection, the hint box's text,
// and the OK button's flow with its double-size warning. The GTK window shows this state
// and forwards its events here.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "config_tool/settings_file.h"

namespace nlconfig {

class SettingsForm {
 public:
  // Reads the settings file at path into the controls and fills the hints. On an error the
  // dialog must not be shown; the text says why.
  std::string Form_Load(const std::string& path);

  int CheckValue(int index) const { return check_[index]; }
  // A click ticks a clear or grey box and clears a ticked one.
  void ClickCheck(int index);

  int ListIndex() const { return list_index_; }
  // -1 (nothing selected) to 9.
  void SelectFont(int index);

  // The hint box's text: the hint of the check box last under the pointer.
  const std::string& Text1() const { return text1_; }
  void Check1_MouseMove(int index);

  enum class ClickResult { kWritten, kStayed, kWriteFailed };
  // The OK button. confirm_double_size shows the warning and answers true for OK; it is
  // asked only when check box 4 is ticked. On kWriteFailed, error says why.
  ClickResult Command1_Click(const std::function<bool()>& confirm_double_size, std::string& error);

  // The settings as OK would write them.
  Settings CurrentSettings() const;

 private:
  std::string path_;
  Settings settings_;  // ConfigHeader and GameConfig as read
  std::array<std::string, kGameConfigEntries> HintText_;
  std::array<int, kCheckBoxEntries> check_{};
  int list_index_ = 0;
  std::string text1_;
};

}  // namespace nlconfig
