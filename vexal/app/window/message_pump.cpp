// The message pump. While the application is inactive it does not return: it keeps
// taking messages and sleeping, so the whole program pauses in the background until it
// is activated again or its window closes.
#include "vexal/app/window/message_pump.h"

#include "platform/timer/timer.h"
#include "platform/window/window.h"
#include "vexal/app/input/text_input.h"
#include "vexal/app/startup/app_state.h"

namespace vexal {
namespace {

namespace pw = plat::window;

// Without a window nothing could ever activate the application, so it never counts as
// inactive then.
bool Inactive() { return !AppState.ActiveFlag && !AppState.RunInBackground && AppState.MainWindow != 0; }

bool WaitsWhileInactive() { return Inactive() && !AppState.ClosingFlag && !AppState.QuitFlag; }

// Takes every pending message, thread messages first. true when one was dispatched. The
// event source is read once a pass; what dispatching posts is in the queue already.
bool RunPass() {
  if (Inactive()) plat::timer::Sleep(1);
  bool dispatched = false;
  pw::Message m;
  uint32_t flags = 0;
  auto peek = [&](pw::WindowHandle filter) {
    const bool taken = pw::PeekMessage(&m, filter, flags);
    flags = pw::kPeekQueueOnly;
    return taken;
  };
  while (peek(pw::kThreadMessages) || peek(AppState.MainWindow)) {
    if (m.id == pw::kWmActivateApp) AppState.ActiveFlag = static_cast<int32_t>(m.wparam & 0xFFFF);
    if (AppState.QuitFlag) return dispatched;
    if (m.id == pw::kWmQuit) AppState.QuitFlag = 1;
    pw::TranslateMessage(m);
    pw::DispatchMessage(m);
    dispatched = true;
  }
  return dispatched;
}

}  // namespace

int PumpMessages() {
  if (AppState.PumpBusy) return 0;
  bool first = true, dispatched = false;
  while (WaitsWhileInactive() || (!AppState.QuitFlag && (first || dispatched))) {
    first = false;
    dispatched = RunPass();
    if (AppState.QuitFlag) break;
  }
  AppState.PumpBusy = 1;
  UpdateTextInput();
  AppState.PumpBusy = 0;
  return AppState.QuitFlag ? -1 : 0;
}

}  // namespace vexal
