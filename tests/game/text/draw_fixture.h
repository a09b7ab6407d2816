// A started library on the fake display with the game's 320 x 240 32-bit screen and fake
// input, in the test's own folder (the start directory), where a test writes the pictures
// it loads. Record() puts recording slots in place of row 0's graph, box and pixel draws:
// each draw becomes one line with the blend mode and parameter of the draw state.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "platform/fs/fs.h"
#include "platform/input/input.h"
#include "platform/surface/display.h"
#include "tests/vexal/app/library_fixture.h"
#include "tools/picture/picture_file.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace drawtest {

inline std::vector<std::string> Calls;         // recorded draws, in order
inline std::map<int, std::string> GraphNames;  // handle -> name, for the record
inline vexal::DrawBackendRows RecordingRows;   // the real rows with the draws recording

inline std::string Blend() {
  return " blend " + std::to_string(vexal::DrawState.BlendMode) + "," + std::to_string(vexal::DrawState.BlendParam);
}

// "name x,y blend m,p"
inline int RecordGraph(int x, int y, vexal::GraphRecord* graph, int) {
  auto it = GraphNames.find(vexal::GetGraphHandleFromRecord(graph));
  Calls.push_back((it == GraphNames.end() ? "?" : it->second) + " " + std::to_string(x) + "," + std::to_string(y) +
                  Blend());
  return 0;
}
inline int RecordBox(int x1, int y1, int x2, int y2, uint32_t) {
  Calls.push_back("box " + std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(x2) + "," +
                  std::to_string(y2) + Blend());
  return 0;
}
inline int RecordPixel(int x, int y, uint32_t) {
  Calls.push_back("pixel " + std::to_string(x) + "," + std::to_string(y));
  return 0;
}

class DrawTest : public apptest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    plat::display::SetAcceptedModes({{320, 240, 32, {60}}});
    plat::input::UseFakeDevices(true);
    vexal::ChangeWindowMode(1);
    vexal::RequestScreenMode(320, 240, 32, -1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
    vexal::SetDrawTarget(vexal::kBackScreen);
    GraphNames.clear();
    Calls.clear();
  }
  void TearDown() override {
    vexal::SetDrawBackendTableForTests(nullptr);
    vexal::LibraryEnd();
    LibraryTest::TearDown();
  }

  // From now on graph, box and pixel draws are recorded instead of done.
  void Record() {
    RecordingRows = vexal::DrawBackendTable;
    RecordingRows[0].DrawGraph = RecordGraph;
    RecordingRows[0].DrawFillBox = RecordBox;
    RecordingRows[0].DestPixel = RecordPixel;
    vexal::SetDrawBackendTableForTests(&RecordingRows);
    Calls.clear();
  }

  // Writes a picture under the test's folder ("a\\b.png" style names, PNG or BMP by the
  // name's end), making its folders.
  void WritePicture(const std::string& name, const nltools::Picture& picture) {
    std::string path = name;
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
    for (size_t at = path.find('/'); at != std::string::npos; at = path.find('/', at + 1)) {
      mkdir(dir_.File(path.substr(0, at)).c_str(), 0700);
    }
    const bool bmp = path.size() > 4 && path.substr(path.size() - 4) == ".bmp";
    ASSERT_TRUE(bmp ? nltools::WriteBmp(dir_.File(path), picture) : nltools::WritePng(dir_.File(path), picture));
  }
};

}  // namespace drawtest
