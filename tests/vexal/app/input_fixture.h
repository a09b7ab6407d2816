// A started library whose input devices are fakes: a fake keyboard and the fake joypads
// a test attaches before Start().
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input/input.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"

namespace apptest {

class InputTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    plat::input::UseFakeDevices(true);
  }

  void Start() {
    vexal::ChangeWindowMode(1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
  }

  // Ends input and starts it again, so that joypads attached since are enumerated.
  void RestartInput() {
    vexal::EndDirectInput();
    ASSERT_EQ(vexal::InitDirectInput(), 0);
  }

  // Records "<call> <guid>" of every input call from now on.
  void Observe() {
    plat::input::SetCallObserver([this](plat::input::Call call, plat::input::DeviceGuid guid, int32_t) {
      calls_.push_back(std::string(plat::input::CallName(call)) + " " + std::to_string(guid));
    });
  }

  std::vector<std::string> calls_;
};

}  // namespace apptest
