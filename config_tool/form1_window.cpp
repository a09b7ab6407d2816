// Form1 built with GTK 3 on a fixed layout, so that every control sits at its twips place.
#include "config_tool/form1_window.h"

#include <gtk/gtk.h>

#include <array>
#include <cstdint>
#include <string>

#include "config_tool/form_controls.h"

namespace nlconfig {

namespace {

// The tools draw the window icon: kConfigIconPalette (16 colours, 0xRRGGBB) and
// kConfigIconRows (32 rows of 32 palette digits, '.' transparent).
#include "config_icon.inc"

// Widgets are held to their twips sizes: the theme's minimum sizes would otherwise push
// them past their places, and its button shadows would spill out of them. The hint box
// takes the button-face colour of the dialog.
constexpr char kFormCss[] = R"css(
#Form1 checkbutton { padding: 0; margin: 0; min-height: 0; }
#Form1 checkbutton check { margin: 0 4px 0 0; min-width: 13px; min-height: 13px; }
#Form1 button { min-height: 0; min-width: 0; padding: 0 6px; box-shadow: none; }
#Form1 combobox button { min-height: 0; min-width: 0; padding: 0 2px 0 4px; }
#Form1 combobox arrow { min-height: 0; min-width: 12px; }
#Text1 text { background-color: @theme_bg_color; }
#Text1 { background-color: @theme_bg_color; }
)css";

struct Form1 {
  SettingsForm* form = nullptr;
  GtkWidget* window = nullptr;
  std::array<GtkWidget*, kCheckBoxEntries> check{};
  std::array<gulong, kCheckBoxEntries> toggled_handler{};
  GtkTextBuffer* hint = nullptr;
  int exit_status = 0;
};

int CheckIndex(GtkWidget* widget) { return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), "nl-check-index")); }

// The check box shows the form's value: 2 as GTK's inconsistent (grey) state.
void ShowCheckValue(Form1& f, int index) {
  GtkToggleButton* box = GTK_TOGGLE_BUTTON(f.check[index]);
  g_signal_handler_block(box, f.toggled_handler[index]);
  const int value = f.form->CheckValue(index);
  gtk_toggle_button_set_active(box, value == 1);
  gtk_toggle_button_set_inconsistent(box, value == kCheckGrey);
  g_signal_handler_unblock(box, f.toggled_handler[index]);
}

void OnCheckToggled(GtkWidget* widget, gpointer data) {
  Form1& f = *static_cast<Form1*>(data);
  const int index = CheckIndex(widget);
  f.form->ClickCheck(index);
  ShowCheckValue(f, index);
}

gboolean OnCheckPointer(GtkWidget* widget, GdkEvent*, gpointer data) {
  Form1& f = *static_cast<Form1*>(data);
  const std::string before = f.form->Text1();
  f.form->Check1_MouseMove(CheckIndex(widget));
  if (f.form->Text1() != before) gtk_text_buffer_set_text(f.hint, f.form->Text1().c_str(), -1);
  return FALSE;
}

void OnFontChanged(GtkComboBox* combo, gpointer data) {
  static_cast<Form1*>(data)->form->SelectFont(gtk_combo_box_get_active(combo));
}

// A modal message box with its icon beside the text; returns the button's response.
int RunMessageBox(GtkWindow* parent, std::string_view title, std::string_view text, GtkMessageType type,
                  GtkButtonsType buttons, const char* icon_name) {
  const std::string message(text);
  GtkWidget* box = gtk_message_dialog_new(parent, parent ? GTK_DIALOG_MODAL : static_cast<GtkDialogFlags>(0), type,
                                          buttons, "%s", message.c_str());
  gtk_window_set_title(GTK_WINDOW(box), std::string(title).c_str());
  // The theme draws no icon in a message box of its own accord.
  GtkWidget* icon = gtk_image_new_from_icon_name(icon_name, GTK_ICON_SIZE_DIALOG);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(box), icon);
  G_GNUC_END_IGNORE_DEPRECATIONS
  gtk_widget_show(icon);
  gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  const int answer = gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  return answer;
}

bool AskDoubleSize(GtkWindow* parent) {
  return RunMessageBox(parent, kDoubleSizeWarningTitle, kDoubleSizeWarningText, GTK_MESSAGE_WARNING,
                       GTK_BUTTONS_OK_CANCEL, "dialog-warning") == GTK_RESPONSE_OK;
}

void OnOkClicked(GtkButton*, gpointer data) {
  Form1& f = *static_cast<Form1*>(data);
  std::string error;
  switch (f.form->Command1_Click([&] { return AskDoubleSize(GTK_WINDOW(f.window)); }, error)) {
    case SettingsForm::ClickResult::kStayed: return;
    case SettingsForm::ClickResult::kWritten: break;
    case SettingsForm::ClickResult::kWriteFailed:
      ShowErrorBox("設定ファイル " + std::string(kSettingsPath) + " を書き込めませんでした。\n\n" + error);
      f.exit_status = 1;
      break;
  }
  gtk_widget_destroy(f.window);
}

// Keeps the window's own frame to a title and a close button.
void OnRealize(GtkWidget* window, gpointer) {
  GdkWindow* gdk = gtk_widget_get_window(window);
  gdk_window_set_functions(gdk, static_cast<GdkWMFunction>(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
  gdk_window_set_decorations(gdk, static_cast<GdkWMDecoration>(GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU));
}

GdkPixbuf* MakeIcon() {
  GdkPixbuf* icon = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 32, 32);
  const int stride = gdk_pixbuf_get_rowstride(icon);
  guchar* pixels = gdk_pixbuf_get_pixels(icon);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      guchar* p = pixels + y * stride + x * 4;
      const char digit = kConfigIconRows[y][x];
      if (digit == '.') {
        p[0] = p[1] = p[2] = p[3] = 0;
        continue;
      }
      const uint32_t rgb = kConfigIconPalette[digit <= '9' ? digit - '0' : digit - 'A' + 10];
      p[0] = rgb >> 16 & 0xFF, p[1] = rgb >> 8 & 0xFF, p[2] = rgb & 0xFF, p[3] = 0xFF;
    }
  }
  return icon;
}

// Room for a caption inside its control, in pixels: what the box leaves beside the check
// indicator (13 pixels and a 4-pixel gap), the font list's arrow and frame, the button's
// frame.
int CaptionRoom(const FormControl& control) {
  const int width = TwipsToPixels(control.twips).width;
  switch (control.kind) {
    case ControlKind::kCheckBox: return width - 13 - 4 - 1;
    case ControlKind::kComboBox: return width - 32;
    case ControlKind::kButton: return width - 14;
    default: return width;
  }
}

// The desktop's font, made smaller where needed (in half points, down to 6 points) so that
// every caption and font item fits its control: the places are fixed, the font is not.
std::string FittingFont(GtkWidget* window) {
  gchar* name = nullptr;
  g_object_get(gtk_settings_get_default(), "gtk-font-name", &name, nullptr);
  PangoFontDescription* font = pango_font_description_from_string(name ? name : "Sans 10");
  g_free(name);
  double points = pango_font_description_get_size(font) / static_cast<double>(PANGO_SCALE);
  if (points <= 0 || pango_font_description_get_size_is_absolute(font)) points = 10;
  PangoLayout* layout = gtk_widget_create_pango_layout(window, nullptr);
  auto fits = [&] {
    pango_font_description_set_size(font, static_cast<int>(points * PANGO_SCALE));
    pango_layout_set_font_description(layout, font);
    auto width_of = [&](std::string_view text) {
      pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
      int w = 0, h = 0;
      pango_layout_get_pixel_size(layout, &w, &h);
      return w;
    };
    for (const FormControl& control : kFormControls) {
      if (width_of(control.caption) > CaptionRoom(control)) return false;
    }
    for (std::string_view item : kFontItems) {
      if (width_of(item) > CaptionRoom(kFormControls[kCombo1])) return false;
    }
    return true;
  };
  while (points > 6 && !fits()) points -= 0.5;
  g_object_unref(layout);
  const char* family = pango_font_description_get_family(font);
  std::string css = "#Form1 { font-family: \"" + std::string(family ? family : "Sans") +
                    "\"; font-size: " + std::to_string(points) + "pt; }";
  pango_font_description_free(font);
  return css;
}

void LoadCss(GtkWidget* window) {
  GtkCssProvider* css = gtk_css_provider_new();
  const std::string text = kFormCss + FittingFont(window);
  gtk_css_provider_load_from_data(css, text.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
}

GtkWidget* MakeControl(Form1& f, int index, const FormControl& control) {
  const std::string caption(control.caption);
  switch (control.kind) {
    case ControlKind::kCheckBox: {
      GtkWidget* box = gtk_check_button_new_with_label(caption.c_str());
      // A caption wider than its box is cut short instead of moving the box.
      gtk_label_set_ellipsize(GTK_LABEL(gtk_bin_get_child(GTK_BIN(box))), PANGO_ELLIPSIZE_END);
      g_object_set_data(G_OBJECT(box), "nl-check-index", GINT_TO_POINTER(index));
      f.check[index] = box;
      f.toggled_handler[index] = g_signal_connect(box, "toggled", G_CALLBACK(OnCheckToggled), &f);
      gtk_widget_add_events(box, GDK_POINTER_MOTION_MASK | GDK_ENTER_NOTIFY_MASK);
      g_signal_connect(box, "enter-notify-event", G_CALLBACK(OnCheckPointer), &f);
      g_signal_connect(box, "motion-notify-event", G_CALLBACK(OnCheckPointer), &f);
      ShowCheckValue(f, index);
      return box;
    }
    case ControlKind::kLabel: {
      GtkWidget* label = gtk_label_new(caption.c_str());
      gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
      gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
      gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
      return label;
    }
    case ControlKind::kComboBox: {
      GtkWidget* combo = gtk_combo_box_text_new();
      for (std::string_view item : kFontItems)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), std::string(item).c_str());
      // An item wider than the list is cut short instead of widening it.
      GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
      for (GList* cell = cells; cell; cell = cell->next)
        g_object_set(cell->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
      g_list_free(cells);
      gtk_combo_box_set_active(GTK_COMBO_BOX(combo), f.form->ListIndex());
      g_signal_connect(combo, "changed", G_CALLBACK(OnFontChanged), &f);
      return combo;
    }
    case ControlKind::kTextBox: {
      // Read-only: it shows hints, the player has nothing to type there.
      GtkWidget* view = gtk_text_view_new();
      gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
      gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), FALSE);
      gtk_text_view_set_accepts_tab(GTK_TEXT_VIEW(view), FALSE);
      gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
      gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 2);
      gtk_text_view_set_right_margin(GTK_TEXT_VIEW(view), 2);
      gtk_widget_set_name(view, "Text1");
      f.hint = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
      // The frame clips a long hint instead of growing with it.
      GtkWidget* frame = gtk_scrolled_window_new(nullptr, nullptr);
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(frame), GTK_POLICY_EXTERNAL, GTK_POLICY_EXTERNAL);
      gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(frame), GTK_SHADOW_IN);
      gtk_container_add(GTK_CONTAINER(frame), view);
      return frame;
    }
    case ControlKind::kButton: {
      GtkWidget* button = gtk_button_new_with_label(caption.c_str());
      g_signal_connect(button, "clicked", G_CALLBACK(OnOkClicked), &f);
      return button;
    }
  }
  return nullptr;
}

}  // namespace

void ShowErrorBox(std::string_view text) {
  RunMessageBox(nullptr, kFormCaption, text, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "dialog-error");
}

int RunForm1(SettingsForm& form) {
  Form1 f;
  f.form = &form;
  f.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  LoadCss(f.window);
  GtkWindow* window = GTK_WINDOW(f.window);
  gtk_widget_set_name(f.window, "Form1");
  gtk_window_set_title(window, std::string(kFormCaption).c_str());
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_skip_taskbar_hint(window, TRUE);
  GdkPixbuf* icon = MakeIcon();
  gtk_window_set_icon(window, icon);
  g_object_unref(icon);
  g_signal_connect(f.window, "realize", G_CALLBACK(OnRealize), nullptr);
  // Closing the window ends the program without writing.
  g_signal_connect(f.window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);

  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, kFormClientWidthTwips / kTwipsPerPixel, kFormClientHeightTwips / kTwipsPerPixel);
  gtk_container_add(GTK_CONTAINER(f.window), fixed);

  std::array<GtkWidget*, kFormControlCount> widgets{};
  for (int i = 0; i < kFormControlCount; ++i) {
    const FormControl& control = kFormControls[i];
    const ControlRect px = TwipsToPixels(control.twips);
    widgets[i] = MakeControl(f, i, control);
    gtk_widget_set_name(widgets[i], std::string(control.name).c_str());
    if (control.kind == ControlKind::kTextBox) gtk_widget_set_name(gtk_bin_get_child(GTK_BIN(widgets[i])), "Text1");
    gtk_widget_set_size_request(widgets[i], px.width, px.height);
    gtk_fixed_put(GTK_FIXED(fixed), widgets[i], px.left, px.top);
  }

  // Tab moves through the controls in the form's tab order.
  GList* chain = nullptr;
  for (int tab = kFormControlCount - 1; tab >= 0; --tab) {
    for (int i = 0; i < kFormControlCount; ++i) {
      if (kFormControls[i].tab_index == tab) chain = g_list_prepend(chain, widgets[i]);
    }
  }
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_container_set_focus_chain(GTK_CONTAINER(fixed), chain);
  G_GNUC_END_IGNORE_DEPRECATIONS
  g_list_free(chain);

  gtk_widget_show_all(f.window);
  gtk_widget_grab_focus(f.check[0]);
  gtk_main();
  return f.exit_status;
}

}  // namespace nlconfig
