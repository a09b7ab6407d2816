#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/window.h"

namespace {

namespace pw = plat::window;

// What the test procedure saw, in order: "<message id> <wparam>".
std::vector<std::string> g_seen;
pw::WindowHandle g_window = 0;
bool g_pump_inside = false;  // pump the queue again from inside a handler

intptr_t TestProc(pw::WindowHandle w, uint32_t id, uintptr_t wp, intptr_t lp) {
  g_seen.push_back(std::to_string(id) + " " + std::to_string(wp));
  if (id == 0x401 && g_pump_inside) {
    pw::Message m;
    while (pw::PeekMessage(&m, w)) pw::DispatchMessage(m);
  }
  return pw::DefWindowProc(w, id, wp, lp);
}

class WindowQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_seen.clear();
    g_pump_inside = false;
    pw::WindowClass c;
    c.name = "QueueTest";
    c.proc = TestProc;
    ASSERT_TRUE(pw::RegisterClass(c));
    pw::WindowCreate create;
    create.class_name = "QueueTest";
    create.width = 100;
    create.height = 80;
    g_window = pw::CreateWindow(create);
    ASSERT_NE(g_window, 0u);
  }
  void TearDown() override { pw::ResetWindowStandIn(); }
  static std::string Msg(uint32_t id, uintptr_t wp = 0) { return std::to_string(id) + " " + std::to_string(wp); }
  // Dispatches everything queued, as a pump does.
  static void Drain() {
    pw::Message m;
    while (pw::PeekMessage(&m, 0)) {
      pw::TranslateMessage(m);
      pw::DispatchMessage(m);
    }
  }
};

TEST_F(WindowQueueTest, CreationAndDestructionAreSentInsideTheCall) {
  EXPECT_EQ(g_seen, (std::vector<std::string>{Msg(pw::kWmCreate)}));
  pw::PostMessage(g_window, 0x400, 1, 0);
  EXPECT_EQ(g_seen.size(), 1u);  // posted: not yet
  EXPECT_TRUE(pw::DestroyWindow(g_window));
  EXPECT_EQ(g_seen.back(), Msg(pw::kWmDestroy));
  EXPECT_FALSE(pw::IsWindow(g_window));
  pw::Message m;
  EXPECT_FALSE(pw::PeekMessage(&m, 0));  // the destroyed window's message was dropped
  EXPECT_FALSE(pw::PostMessage(g_window, 0x400, 1, 0));
  EXPECT_FALSE(pw::UnregisterClass("Nothing"));
  EXPECT_TRUE(pw::UnregisterClass("QueueTest"));
}

TEST_F(WindowQueueTest, FiltersTakeThreadOrWindowMessagesInOrder) {
  pw::PostMessage(g_window, 0x400, 1, 0);
  pw::PostQuitMessage(3);
  pw::PostMessage(g_window, 0x400, 2, 0);
  pw::Message m;
  ASSERT_TRUE(pw::PeekMessage(&m, pw::kThreadMessages));
  EXPECT_EQ(m.id, pw::kWmQuit);
  EXPECT_EQ(m.wparam, 3u);
  EXPECT_FALSE(pw::PeekMessage(&m, pw::kThreadMessages));
  ASSERT_TRUE(pw::PeekMessage(&m, g_window));
  EXPECT_EQ(m.wparam, 1u);
  ASSERT_TRUE(pw::PeekMessage(&m, g_window));
  EXPECT_EQ(m.wparam, 2u);
  EXPECT_FALSE(pw::PeekMessage(&m, 0));
}

TEST_F(WindowQueueTest, AHandlerMayPumpTheQueueAgain) {
  g_pump_inside = true;
  pw::PostMessage(g_window, 0x401, 1, 0);
  pw::PostMessage(g_window, 0x400, 2, 0);
  pw::PostMessage(g_window, 0x400, 3, 0);
  Drain();
  EXPECT_EQ(g_seen, (std::vector<std::string>{Msg(pw::kWmCreate), Msg(0x401, 1), Msg(0x400, 2), Msg(0x400, 3)}));
}

TEST_F(WindowQueueTest, ScriptedUserActionsBecomeMessages) {
  int polls = 0;
  pw::SetEventSource([&] {
    if (++polls == 1) {
      pw::UserKey(g_window, pw::kVkEscape, true);
      pw::UserKey(g_window, 'A', true);
      pw::UserText(g_window, reinterpret_cast<const char*>(u8"aあ"));
      pw::UserCloseAll();
    }
  });
  g_seen.clear();
  Drain();
  // Text arrives as CP932 bytes ("あ" is 0x82 0xA0). Escape's character, queued behind
  // the close, went with the window.
  EXPECT_EQ(g_seen, (std::vector<std::string>{Msg(pw::kWmKeyDown, 0x1B), Msg(pw::kWmKeyDown, 'A'),
                                              Msg(pw::kWmChar, 'a'), Msg(pw::kWmChar, 0x82), Msg(pw::kWmChar, 0xA0),
                                              Msg(pw::kWmClose), Msg(pw::kWmDestroy)}));
  EXPECT_FALSE(pw::IsWindow(g_window));
}

TEST_F(WindowQueueTest, TranslationAddsTheFourControlCharacters) {
  const std::pair<uint32_t, uintptr_t> keys[] = {
      {pw::kVkReturn, 0x0D}, {pw::kVkEscape, 0x1B}, {pw::kVkBack, 0x08}, {pw::kVkTab, 0x09}, {pw::kVkLeft, 0}};
  for (auto [vk, character] : keys) {
    g_seen.clear();
    pw::UserKey(g_window, vk, true);
    Drain();
    std::vector<std::string> expected{Msg(pw::kWmKeyDown, vk)};
    if (character != 0) expected.push_back(Msg(pw::kWmChar, character));
    EXPECT_EQ(g_seen, expected) << vk;
  }
}

}  // namespace
