// nl_config: the settings dialog, started from the game's data folder.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

#include "config_tool/form1_window.h"
#include "config_tool/settings_form.h"

int main(int argc, char** argv) {
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "nl_config: no display to show the dialog on\n");
    return 1;
  }
  nlconfig::SettingsForm form;
  const std::string error = form.Form_Load(nlconfig::kSettingsPath);
  if (!error.empty()) {
    // The file is left as it was and the dialog is not shown.
    std::fprintf(stderr, "nl_config: %s: %s\n", nlconfig::kSettingsPath, error.c_str());
    nlconfig::ShowErrorBox("設定ファイル " + std::string(nlconfig::kSettingsPath) + " を読み込めませんでした。\n\n" +
                           error);
    return 1;
  }
  return nlconfig::RunForm1(form);
}
