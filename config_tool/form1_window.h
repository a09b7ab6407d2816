// Form1 in GTK 3: the controls of form_controls.h at their places, showing and driving a
// SettingsForm. Needs gtk_init first.
#pragma once

#include <string_view>

#include "config_tool/settings_form.h"

namespace nlconfig {

// Shows the dialog and runs until OK has written the file or the window was closed.
// Returns the program's exit status: 0, or 1 when the write failed.
int RunForm1(SettingsForm& form);

// The box that ends the program when the settings cannot be read or written.
void ShowErrorBox(std::string_view text);

}  // namespace nlconfig
