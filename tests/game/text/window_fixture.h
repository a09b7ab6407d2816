// A started library on the fake display with the game's 320 x 240 screen, fake input, and
// the window frame loaded from pictures written into the test's system folder. Rows that
// record the graph draws and blend changes can be put in place of the real ones.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "game/frame/frame_loop.h"
#include "game/input/key_cast.h"
#include "game/text/bitmap_font.h"
#include "game/text/window_frame.h"
#include "platform/fs/fs.h"
#include "platform/input/input.h"
#include "platform/surface/display.h"
#include "tests/vexal/app/library_fixture.h"
#include "tools/picture/picture_file.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/system/timing.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace windowtest {

inline std::vector<std::string> Calls;         // recorded draws and blend changes, in order
inline std::map<int, std::string> GraphNames;  // handle -> name, for the record
inline vexal::DrawBackendRows RecordingRows;   // the real rows with two slots recording

inline std::string NameOf(vexal::GraphRecord* record) {
  auto it = GraphNames.find(vexal::GetGraphHandleFromRecord(record));
  return it == GraphNames.end() ? "?" : it->second;
}

// "name x,y trans area l,t,r,b blend m" for a graph draw.
inline int RecordDraw(int x, int y, vexal::GraphRecord* graph, int trans) {
  const vexal::Rect& a = vexal::DrawState.DrawArea;
  Calls.push_back(NameOf(graph) + " " + std::to_string(x) + "," + std::to_string(y) + " trans " +
                  std::to_string(trans) + " area " + std::to_string(a.left) + "," + std::to_string(a.top) + "," +
                  std::to_string(a.right) + "," + std::to_string(a.bottom) + " blend " +
                  std::to_string(vexal::DrawState.BlendMode));
  return 0;
}
// The cells a text draws on its own row, in order (voicing marks are drawn raised).
inline std::vector<int> GlyphCells(std::string_view sjis) {
  std::array<uint8_t, 64> codes{};
  game::SjisToGlyphCodes(sjis, codes);
  std::vector<int> cells;
  for (uint8_t c : codes) {
    if (c == 0) break;
    if (c == game::kGlyphVoicedMark || c == game::kGlyphSemiVoicedMark) continue;
    if (game::GlyphCellOfCode(c) >= 0) cells.push_back(game::GlyphCellOfCode(c));
  }
  return cells;
}

inline int RecordBlend(int mode, int param) {
  Calls.push_back("blend " + std::to_string(mode) + "," + std::to_string(param));
  return 0;
}

class WindowTest : public apptest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    plat::display::SetAcceptedModes({{640, 480, 16, {60}}, {320, 240, 32, {60}}});
    plat::input::UseFakeDevices(true);
    WriteFramePictures();
    vexal::ChangeWindowMode(1);
    vexal::RequestScreenMode(320, 240, 32, -1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
    vexal::SetDrawTarget(vexal::kBackScreen);
    game::ResetFrameLoop();
    game::KeyInput = game::KeyCast();  // no key held over from the last test
    game::ScreenCopyGraph = vexal::CreateBlankGraph(320, 240);
    game::TheWindowFrame.LoadWindowFrame();
    const game::WindowFrame& f = game::TheWindowFrame;
    GraphNames = {{game::ScreenCopyGraph, "copy"},
                  {f.HorizontalGraph(), "across"},
                  {f.VerticalGraph(), "down"},
                  {f.BackgroundGraph(0), "back0"},
                  {f.BackgroundGraph(1), "back1"}};
    for (int i = 0; i < 4; ++i) GraphNames[f.CornerGraphs()[i]] = "corner" + std::to_string(i);
    game::FrameClock = vexal::GetTimeMs();
  }
  void TearDown() override {
    vexal::SetDrawBackendTableForTests(nullptr);
    vexal::LibraryEnd();
    LibraryTest::TearDown();
  }

  // From now on graph draws and blend changes are recorded instead of done.
  void Record() {
    RecordingRows = vexal::DrawBackendTable;
    RecordingRows[0].DrawGraph = RecordDraw;
    RecordingRows[0].SetBlendMode = RecordBlend;
    vexal::SetDrawBackendTableForTests(&RecordingRows);
    Calls.clear();
  }

  void WriteFramePictures() {
    ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir_.path()));
    mkdir(dir_.File("system").c_str(), 0700);
    const nltools::Rgb blue{20, 20, 140};
    const struct {
      const char* name;
      int w, h;
    } files[] = {{"wakuwaku7.bmp", 16, 16},
                 {"wakuyoko.bmp", 320, 5},
                 {"wakutate.bmp", 5, 240},
                 {"wna.bmp", 320, 240},
                 {"wac.bmp", 320, 240}};
    for (const auto& f : files) {
      ASSERT_TRUE(nltools::WriteBmp(dir_.File(std::string("system/") + f.name), nltools::Picture(f.w, f.h, blue)));
    }
  }
};

}  // namespace windowtest
