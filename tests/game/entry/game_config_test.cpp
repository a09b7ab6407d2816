// The settings file as the game reads it, and what each entry switches before the
// library starts.
#include "game/entry/game_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/entry/game_start.h"
#include "game/frame/frame_loop.h"
#include "game/frame/scroll_lock_lamp.h"
#include "platform/fs/fs.h"
#include "platform/window/window.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/drawing/call_trace.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_state.h"

namespace {

// The first entries of a table, the rest must be 0.
void ExpectEntries(const game::GameConfigTable& config, const std::vector<int>& first, const std::string& name) {
  for (int i = 0; i < game::kGameConfigEntries; ++i) {
    const int want = i < static_cast<int>(first.size()) ? first[i] : 0;
    ASSERT_EQ(config[i], want) << name << ", entry " << i;
  }
}

// The settings tool's form: a header line, then " v " lines, CR LF.
std::string ToolForm(const std::vector<int>& values) {
  std::string text = "NLCONFIG\r\n";
  for (int v : values) text += (v < 0 ? std::to_string(v) : " " + std::to_string(v)) + " \r\n";
  return text;
}

TEST(GameConfigFile, EntriesItHoldsAreReadTheRestAreZero) {
  nltest::TempDir dir;
  std::vector<int> full(256);
  for (int i = 0; i < 256; ++i) full[i] = i % 3 == 0 ? -i : i;
  const struct {
    const char* name;
    std::string text;
    std::vector<int> want;
  } cases[] = {
      {"tool form, all 256", ToolForm(full), full},
      {"short", "h\n1\n0\n1\n", {1, 0, 1}},
      {"only a header", "header", {}},
      {"empty", "", {}},
      {"a word where a number should be", "h 1 2 x 4", {1, 2}},
      {"more than 256", ToolForm(full) + " 7 \r\n 8 \r\n", full},
      {"a header longer than its buffer", std::string(600, 'H') + "\n5 6\n", {5, 6}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(nltest::WriteFileBytes(dir.File("nlconfig.inf"), c.text));
    ExpectEntries(game::ReadGameConfig(dir.File("nlconfig.inf")), c.want, c.name);
  }
  ExpectEntries(game::ReadGameConfig(dir.File("missing.inf")), {}, "missing file");
}

TEST(GameConfigFile, FontSheetOutsideItsRangeIsTheStandardSheet) {
  game::GameConfigTable config{};
  for (const auto& [entry, sheet] : {std::pair{0, 0}, {1, 1}, {9, 9}, {10, 0}, {-1, 0}, {1000, 0}}) {
    config[game::kConfigFontSheet] = entry;
    EXPECT_EQ(game::ConfiguredFontSheet(config), sheet) << entry;
  }
}

class ApplyGameConfigTest : public apptest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    vexal::SetCallTraceHook([this](std::string_view call) {
      if (call == "SetTextureBitDepth") texture_depth_at_bits_.push_back(vexal::DDrawState.ScreenColorBits);
    });
  }
  void TearDown() override {
    vexal::SetCallTraceHook(nullptr);
    plat::window::SetScreenSaverEnabled(true);
    LibraryTest::TearDown();
  }
  std::vector<int> texture_depth_at_bits_;  // the screen's bits when the texture depth was set
};

TEST_F(ApplyGameConfigTest, EachEntrySwitchesItsSetting) {
  struct Want {
    int window_mode, width, height, bits;
    std::vector<int> texture_depth_at_bits;
    uint32_t direct3d_forbidden;
    int no_3d_surfaces, doubled, lamp_disabled, log_disabled, screen_saver_off;
  };
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> entries;
    Want want;
  } cases[] = {
      {"all zero", {}, {0, 320, 240, 16, {16}, 1, 0, 0, 1, 0, 1}},
      {"window, 32 bits", {{0, 1}, {1, 1}}, {1, 320, 240, 32, {}, 1, 0, 0, 1, 0, 1}},
      {"Direct3D graphs", {{1, 1}, {2, 1}}, {0, 320, 240, 32, {}, 0, 0, 0, 1, 0, 1}},
      {"no video memory overrides Direct3D", {{1, 1}, {2, 1}, {3, 1}}, {0, 320, 240, 32, {}, 1, 1, 0, 1, 0, 1}},
      {"doubled", {{4, 1}}, {0, 640, 480, 16, {16}, 1, 0, 1, 1, 0, 1}},
      {"keep the screen saver", {{5, 1}}, {0, 320, 240, 16, {16}, 1, 0, 0, 1, 0, 0}},
      {"no lamp, no log", {{6, 1}, {7, 2}}, {0, 320, 240, 16, {16}, 1, 0, 0, 1, 1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    game::GameConfigTable config{};
    for (const auto& [entry, value] : c.entries) config[entry] = value;
    vexal::AppState.LogDisabled = 0;
    vexal::DDrawState.No3DSurfaces = 0;
    texture_depth_at_bits_.clear();
    plat::window::SetScreenSaverEnabled(true);

    game::ApplyGameConfig(config);

    EXPECT_EQ(vexal::AppState.WindowMode, c.want.window_mode);
    EXPECT_EQ(vexal::DDrawState.ScreenWidth, c.want.width);
    EXPECT_EQ(vexal::DDrawState.ScreenHeight, c.want.height);
    EXPECT_EQ(vexal::DDrawState.ScreenColorBits, c.want.bits);
    EXPECT_EQ(texture_depth_at_bits_, c.want.texture_depth_at_bits) << "16 bits asked for before the textures";
    EXPECT_EQ(vexal::GraphTable.Direct3DForbidden, c.want.direct3d_forbidden);
    EXPECT_EQ(vexal::DDrawState.No3DSurfaces, c.want.no_3d_surfaces);
    EXPECT_EQ(game::WindowSizeDoubled, c.want.doubled);
    EXPECT_EQ(game::TheScrollLockLamp.IsDisabled(), c.want.lamp_disabled != 0) << "disabled whatever the entry";
    EXPECT_EQ(vexal::AppState.LogDisabled, c.want.log_disabled);
    EXPECT_EQ(plat::window::IsScreenSaverEnabled(), c.want.screen_saver_off == 0);
    EXPECT_EQ(game::ScreenSaverRestore, c.want.screen_saver_off);
  }
}

}  // namespace
