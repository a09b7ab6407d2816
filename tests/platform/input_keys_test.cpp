#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include "platform/input/input.h"

namespace {

namespace pi = plat::input;

TEST(InputKeys, ScancodesGiveThePcKeyboardCodes) {
  struct Case {
    SDL_Scancode scancode;
    uint8_t code;
  };
  const Case cases[] = {
      {SDL_SCANCODE_ESCAPE, 0x01},    {SDL_SCANCODE_TAB, 0x0F},   {SDL_SCANCODE_Z, 0x2C},
      {SDL_SCANCODE_X, 0x2D},         {SDL_SCANCODE_C, 0x2E},     {SDL_SCANCODE_A, 0x1E},
      {SDL_SCANCODE_S, 0x1F},         {SDL_SCANCODE_D, 0x20},     {SDL_SCANCODE_Q, 0x10},
      {SDL_SCANCODE_W, 0x11},         {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_RETURN, 0x1C},
      {SDL_SCANCODE_F10, 0x44},       {SDL_SCANCODE_F12, 0x58},   {SDL_SCANCODE_UP, 0xC8},
      {SDL_SCANCODE_LEFT, 0xCB},      {SDL_SCANCODE_RIGHT, 0xCD}, {SDL_SCANCODE_DOWN, 0xD0},
      {SDL_SCANCODE_KP_2, 0x50},      {SDL_SCANCODE_KP_4, 0x4B},  {SDL_SCANCODE_KP_6, 0x4D},
      {SDL_SCANCODE_KP_8, 0x48},      {SDL_SCANCODE_KP_0, 0x52},  {SDL_SCANCODE_KP_ENTER, 0x9C},
      {SDL_SCANCODE_KP_DIVIDE, 0xB5}, {SDL_SCANCODE_RCTRL, 0x9D}, {SDL_SCANCODE_1, 0x02},
      {SDL_SCANCODE_0, 0x0B},         {SDL_SCANCODE_F11, 0x57},   {SDL_SCANCODE_DELETE, 0xD3},
      {SDL_SCANCODE_UNKNOWN, 0},      {SDL_SCANCODE_F24, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(pi::KeyCodeOfScancode(c.scancode), c.code) << c.scancode;
  EXPECT_EQ(pi::KeyCodeOfScancode(-1), 0);
  EXPECT_EQ(pi::KeyCodeOfScancode(SDL_NUM_SCANCODES), 0);
}

TEST(InputKeys, NamesAndCodes) {
  struct Case {
    const char* name;
    std::optional<uint8_t> code;
  };
  const Case cases[] = {
      {"Z", 0x2C},    {"z", 0x2C},    {"Esc", 0x01}, {"ENTER", 0x1C}, {"Kp2", 0x50}, {"F10", 0x44},
      {"0x58", 0x58}, {"0XfF", 0xFF}, {"0x5", {}},   {"0xG1", {}},    {"", {}},      {"Escape", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(pi::KeyCodeOfName(c.name), c.code) << c.name;

  // Every name leads back to its own code, so no two keys share a name.
  for (int code = 0; code < pi::kKeyCount; ++code) {
    std::string_view name = pi::KeyName(static_cast<uint8_t>(code));
    if (name.empty()) continue;
    EXPECT_EQ(pi::KeyCodeOfName(name), code) << name;
  }
  EXPECT_EQ(pi::KeyName(0x00), "");
}

}  // namespace
