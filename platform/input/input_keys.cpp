// The key table: the game's key codes (the PC keyboard's scan codes, extended keys at
// 0x80 | code), the SDL scancodes that give them, and the names scripts use.
#include <SDL_scancode.h>

#include <array>
#include <cctype>

#include "platform/input/input.h"
#include "platform/input/input_internal.h"

namespace plat::input {
namespace {

struct KeyEntry {
  uint8_t code;
  SDL_Scancode scancode;
  const char* name;  // null: the code's name is on an earlier entry
};

constexpr KeyEntry kKeyTable[] = {
    {0x01, SDL_SCANCODE_ESCAPE, "Esc"},
    {0x02, SDL_SCANCODE_1, "1"},
    {0x03, SDL_SCANCODE_2, "2"},
    {0x04, SDL_SCANCODE_3, "3"},
    {0x05, SDL_SCANCODE_4, "4"},
    {0x06, SDL_SCANCODE_5, "5"},
    {0x07, SDL_SCANCODE_6, "6"},
    {0x08, SDL_SCANCODE_7, "7"},
    {0x09, SDL_SCANCODE_8, "8"},
    {0x0A, SDL_SCANCODE_9, "9"},
    {0x0B, SDL_SCANCODE_0, "0"},
    {0x0C, SDL_SCANCODE_MINUS, "Minus"},
    {0x0D, SDL_SCANCODE_EQUALS, "Equals"},
    {0x0E, SDL_SCANCODE_BACKSPACE, "Backspace"},
    {0x0F, SDL_SCANCODE_TAB, "Tab"},
    {0x10, SDL_SCANCODE_Q, "Q"},
    {0x11, SDL_SCANCODE_W, "W"},
    {0x12, SDL_SCANCODE_E, "E"},
    {0x13, SDL_SCANCODE_R, "R"},
    {0x14, SDL_SCANCODE_T, "T"},
    {0x15, SDL_SCANCODE_Y, "Y"},
    {0x16, SDL_SCANCODE_U, "U"},
    {0x17, SDL_SCANCODE_I, "I"},
    {0x18, SDL_SCANCODE_O, "O"},
    {0x19, SDL_SCANCODE_P, "P"},
    {0x1A, SDL_SCANCODE_LEFTBRACKET, "LeftBracket"},
    {0x1B, SDL_SCANCODE_RIGHTBRACKET, "RightBracket"},
    {0x1C, SDL_SCANCODE_RETURN, "Enter"},
    {0x1D, SDL_SCANCODE_LCTRL, "LeftCtrl"},
    {0x1E, SDL_SCANCODE_A, "A"},
    {0x1F, SDL_SCANCODE_S, "S"},
    {0x20, SDL_SCANCODE_D, "D"},
    {0x21, SDL_SCANCODE_F, "F"},
    {0x22, SDL_SCANCODE_G, "G"},
    {0x23, SDL_SCANCODE_H, "H"},
    {0x24, SDL_SCANCODE_J, "J"},
    {0x25, SDL_SCANCODE_K, "K"},
    {0x26, SDL_SCANCODE_L, "L"},
    {0x27, SDL_SCANCODE_SEMICOLON, "Semicolon"},
    {0x28, SDL_SCANCODE_APOSTROPHE, "Apostrophe"},
    {0x29, SDL_SCANCODE_GRAVE, "Grave"},  // also the half-width / full-width key
    {0x2A, SDL_SCANCODE_LSHIFT, "LeftShift"},
    {0x2B, SDL_SCANCODE_BACKSLASH, "Backslash"},
    {0x2B, SDL_SCANCODE_NONUSHASH, nullptr},
    {0x2C, SDL_SCANCODE_Z, "Z"},
    {0x2D, SDL_SCANCODE_X, "X"},
    {0x2E, SDL_SCANCODE_C, "C"},
    {0x2F, SDL_SCANCODE_V, "V"},
    {0x30, SDL_SCANCODE_B, "B"},
    {0x31, SDL_SCANCODE_N, "N"},
    {0x32, SDL_SCANCODE_M, "M"},
    {0x33, SDL_SCANCODE_COMMA, "Comma"},
    {0x34, SDL_SCANCODE_PERIOD, "Period"},
    {0x35, SDL_SCANCODE_SLASH, "Slash"},
    {0x36, SDL_SCANCODE_RSHIFT, "RightShift"},
    {0x37, SDL_SCANCODE_KP_MULTIPLY, "KpMultiply"},
    {0x38, SDL_SCANCODE_LALT, "LeftAlt"},
    {0x39, SDL_SCANCODE_SPACE, "Space"},
    {0x3A, SDL_SCANCODE_CAPSLOCK, "CapsLock"},
    {0x3B, SDL_SCANCODE_F1, "F1"},
    {0x3C, SDL_SCANCODE_F2, "F2"},
    {0x3D, SDL_SCANCODE_F3, "F3"},
    {0x3E, SDL_SCANCODE_F4, "F4"},
    {0x3F, SDL_SCANCODE_F5, "F5"},
    {0x40, SDL_SCANCODE_F6, "F6"},
    {0x41, SDL_SCANCODE_F7, "F7"},
    {0x42, SDL_SCANCODE_F8, "F8"},
    {0x43, SDL_SCANCODE_F9, "F9"},
    {0x44, SDL_SCANCODE_F10, "F10"},
    {0x45, SDL_SCANCODE_NUMLOCKCLEAR, "NumLock"},
    {0x46, SDL_SCANCODE_SCROLLLOCK, "ScrollLock"},
    {0x47, SDL_SCANCODE_KP_7, "Kp7"},
    {0x48, SDL_SCANCODE_KP_8, "Kp8"},
    {0x49, SDL_SCANCODE_KP_9, "Kp9"},
    {0x4A, SDL_SCANCODE_KP_MINUS, "KpMinus"},
    {0x4B, SDL_SCANCODE_KP_4, "Kp4"},
    {0x4C, SDL_SCANCODE_KP_5, "Kp5"},
    {0x4D, SDL_SCANCODE_KP_6, "Kp6"},
    {0x4E, SDL_SCANCODE_KP_PLUS, "KpPlus"},
    {0x4F, SDL_SCANCODE_KP_1, "Kp1"},
    {0x50, SDL_SCANCODE_KP_2, "Kp2"},
    {0x51, SDL_SCANCODE_KP_3, "Kp3"},
    {0x52, SDL_SCANCODE_KP_0, "Kp0"},
    {0x53, SDL_SCANCODE_KP_PERIOD, "KpPeriod"},
    {0x56, SDL_SCANCODE_NONUSBACKSLASH, "Oem102"},
    {0x57, SDL_SCANCODE_F11, "F11"},
    {0x58, SDL_SCANCODE_F12, "F12"},
    {0x64, SDL_SCANCODE_F13, "F13"},
    {0x65, SDL_SCANCODE_F14, "F14"},
    {0x66, SDL_SCANCODE_F15, "F15"},
    {0x70, SDL_SCANCODE_INTERNATIONAL2, "Kana"},
    {0x73, SDL_SCANCODE_INTERNATIONAL1, "Ro"},
    {0x79, SDL_SCANCODE_INTERNATIONAL4, "Convert"},
    {0x7B, SDL_SCANCODE_INTERNATIONAL5, "NoConvert"},
    {0x7D, SDL_SCANCODE_INTERNATIONAL3, "Yen"},
    {0x8D, SDL_SCANCODE_KP_EQUALS, "KpEquals"},
    {0x90, SDL_SCANCODE_AUDIOPREV, "PrevTrack"},
    {0x99, SDL_SCANCODE_AUDIONEXT, "NextTrack"},
    {0x9C, SDL_SCANCODE_KP_ENTER, "KpEnter"},
    {0x9D, SDL_SCANCODE_RCTRL, "RightCtrl"},
    {0xA0, SDL_SCANCODE_AUDIOMUTE, "Mute"},
    {0xA0, SDL_SCANCODE_MUTE, nullptr},
    {0xA1, SDL_SCANCODE_CALCULATOR, "Calculator"},
    {0xA2, SDL_SCANCODE_AUDIOPLAY, "PlayPause"},
    {0xA4, SDL_SCANCODE_AUDIOSTOP, "MediaStop"},
    {0xAE, SDL_SCANCODE_VOLUMEDOWN, "VolumeDown"},
    {0xB0, SDL_SCANCODE_VOLUMEUP, "VolumeUp"},
    {0xB2, SDL_SCANCODE_AC_HOME, "WebHome"},
    {0xB3, SDL_SCANCODE_KP_COMMA, "KpComma"},
    {0xB5, SDL_SCANCODE_KP_DIVIDE, "KpDivide"},
    {0xB7, SDL_SCANCODE_PRINTSCREEN, "PrintScreen"},
    {0xB7, SDL_SCANCODE_SYSREQ, nullptr},
    {0xB8, SDL_SCANCODE_RALT, "RightAlt"},
    {0xC5, SDL_SCANCODE_PAUSE, "Pause"},
    {0xC7, SDL_SCANCODE_HOME, "Home"},
    {0xC8, SDL_SCANCODE_UP, "Up"},
    {0xC9, SDL_SCANCODE_PAGEUP, "PageUp"},
    {0xCB, SDL_SCANCODE_LEFT, "Left"},
    {0xCD, SDL_SCANCODE_RIGHT, "Right"},
    {0xCF, SDL_SCANCODE_END, "End"},
    {0xD0, SDL_SCANCODE_DOWN, "Down"},
    {0xD1, SDL_SCANCODE_PAGEDOWN, "PageDown"},
    {0xD2, SDL_SCANCODE_INSERT, "Insert"},
    {0xD3, SDL_SCANCODE_DELETE, "Delete"},
    {0xDB, SDL_SCANCODE_LGUI, "LeftWin"},
    {0xDC, SDL_SCANCODE_RGUI, "RightWin"},
    {0xDD, SDL_SCANCODE_APPLICATION, "Apps"},
    {0xDE, SDL_SCANCODE_POWER, "Power"},
    {0xDF, SDL_SCANCODE_SLEEP, "Sleep"},
    {0xE5, SDL_SCANCODE_AC_SEARCH, "WebSearch"},
    {0xE6, SDL_SCANCODE_AC_BOOKMARKS, "WebFavorites"},
    {0xE7, SDL_SCANCODE_AC_REFRESH, "WebRefresh"},
    {0xE8, SDL_SCANCODE_AC_STOP, "WebStop"},
    {0xE9, SDL_SCANCODE_AC_FORWARD, "WebForward"},
    {0xEA, SDL_SCANCODE_AC_BACK, "WebBack"},
    {0xEB, SDL_SCANCODE_COMPUTER, "MyComputer"},
    {0xEC, SDL_SCANCODE_MAIL, "Mail"},
    {0xED, SDL_SCANCODE_MEDIASELECT, "MediaSelect"},
};

// Scancode -> key code, built once from the table.
const std::array<uint8_t, SDL_NUM_SCANCODES>& CodeOfScancode() {
  static const std::array<uint8_t, SDL_NUM_SCANCODES> table = [] {
    std::array<uint8_t, SDL_NUM_SCANCODES> t{};
    for (const KeyEntry& e : kKeyTable) t[e.scancode] = e.code;
    return t;
  }();
  return table;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

uint8_t KeyCodeOfScancode(int sdl_scancode) {
  if (sdl_scancode < 0 || sdl_scancode >= SDL_NUM_SCANCODES) return 0;
  return CodeOfScancode()[static_cast<size_t>(sdl_scancode)];
}

std::string_view KeyName(uint8_t code) {
  for (const KeyEntry& e : kKeyTable) {
    if (e.code == code && e.name != nullptr) return e.name;
  }
  return {};
}

std::optional<uint8_t> KeyCodeOfName(std::string_view name) {
  if (name.size() == 4 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
    int high = HexDigit(name[2]), low = HexDigit(name[3]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<uint8_t>(high * 16 + low);
  }
  for (const KeyEntry& e : kKeyTable) {
    if (e.name != nullptr && EqualsIgnoringCase(e.name, name)) return e.code;
  }
  return std::nullopt;
}

namespace internal {

void KeysFromScancodes(std::span<const uint8_t> scancode_states, std::span<uint8_t, kKeyCount> keys) {
  for (const KeyEntry& e : kKeyTable) {
    if (static_cast<size_t>(e.scancode) < scancode_states.size() && scancode_states[e.scancode] != 0) {
      keys[e.code] = kDown;
    }
  }
}

}  // namespace internal

}  // namespace plat::input
