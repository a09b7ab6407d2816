// The one shut-down sequence of every end path, and the operations made of its parts.
#include "platform/fs/fs.h"
#include "platform/window/window.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/input/text_input.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/sound/midi_music.h"
#include "vexal/app/sound/sound_device.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_region.h"
#include "vexal/graphics/screen/ddraw_device.h"

namespace vexal {
namespace {

namespace pw = plat::window;

void EndWindow(TextInputEnd text_input_end) {
  if (AppState.WindowDestroyed) return;
  SetWindowRegionGraph(nullptr);
  // Without a window there is nothing to close and no message would ever end the wait.
  if (AppState.MainWindow != 0 && pw::IsWindow(AppState.MainWindow)) {
    if (!AppState.ClosingFlag) {
      AppState.ClosingFlag = 1;
      pw::PostMessage(AppState.MainWindow, pw::kWmClose, 0, 0);
    }
    while (PumpMessages() == 0) {
    }
  }
  if (text_input_end == TextInputEnd::All) {
    DeleteAllTextInput();
  } else {
    for (int h = 0; h < kTextInputSlots; ++h) DeleteTextInput(h);
  }
  pw::UnregisterClass(kWindowClassName);
}

}  // namespace

void RunShutdownSequence(TextInputEnd text_input_end) {
  StopMidiMusic();
  EndDirectDraw();
  EndDirectInput();
  EndDirectSound();
  EndWindow(text_input_end);
  EndCom();
  AppState.LibraryInitialised = 0;
  if (AppState.MainWindow != 0) {
    while (!AppState.QuitFlag && PumpMessages() == 0) {
    }
  }
  if (!AppState.StartDirectory.empty()) plat::fs::SetCurrentDirectory(AppState.StartDirectory);
}

int LibraryEnd() {
  RunShutdownSequence();
  return 0;
}

int HandleWindowClose() {
  EndWindow(TextInputEnd::All);
  return 0;
}

int EndCom() {
  if (!AppState.ComInitialised) return -1;
  pw::ComUninitialize();
  LogWrite("ＣＯＭを終了... 完了\n");
  AppState.ComInitialised = 0;
  return 0;
}

}  // namespace vexal
