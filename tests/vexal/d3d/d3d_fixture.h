// A started library with the hardware-3D choice made, on the 3-D device stand-in with a
// profile of the test's choosing (default: textures of 32 to 256 pixels a side), and what
// the tests read back from the device's journal.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/d3d/d3d.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/app/startup/library.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/graphics/graphs/graph_table.h"

namespace d3dtest {

namespace pd = plat::d3d;

inline pd::Profile Profile256() {
  pd::Profile p = pd::DefaultProfile();
  for (pd::DeviceDesc& d : p.devices) d.max_texture_width = d.max_texture_height = 256;
  return p;
}

// The journal's lines since it was started, as text.
inline std::vector<std::string> JournalLines() {
  std::vector<std::string> out;
  for (const pd::JournalEntry& e : pd::Journal()) out.push_back(pd::Describe(e));
  return out;
}

class Direct3DTest : public screentest::ScreenTest {
 protected:
  void SetUp() override {
    screentest::ScreenTest::SetUp();
    pd::ResetD3D();
    vexal::ResetDirect3DState();
  }
  void TearDown() override {
    pd::RecordJournal(false);
    pd::ClearInjectedFailures();
    if (started_) vexal::LibraryEnd();
    pd::ResetD3D();
    vexal::ResetDirect3DState();
    screentest::ScreenTest::TearDown();
  }
  void Start3D(const pd::Profile& profile = Profile256()) {
    pd::SetProfile(profile);
    vexal::AllowDirect3DGraphs(1);
    Start(1);
    started_ = true;
  }
  // A graph of the Direct3D row without storage.
  static vexal::GraphRecord* NewGraph(int w, int h, int alpha = 0) {
    vexal::GraphRecord* record = nullptr;
    vexal::AddGraphHandle(static_cast<uint16_t>(w), static_cast<uint16_t>(h), 1, 0, &record,
                          static_cast<uint8_t>(alpha));
    return record;
  }
  static vexal::D3DDeviceRecord& Current() { return *vexal::D3DDeviceRecordOf(vexal::D3DCurrentDevice); }

  bool started_ = false;
};

}  // namespace d3dtest
