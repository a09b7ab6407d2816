// The field frame: the order of its steps, the camera, and the handler the frame loop
// runs in field mode.
#include <cmath>

#include "game/data/game_data.h"
#include "game/field/event_script.h"
#include "game/field/field_frame.h"
#include "game/field/field_map.h"
#include "game/field/field_screens.h"
#include "game/frame/frame_loop.h"
#include "game/text/bitmap_font.h"
#include "game/text/message_window.h"
#include "vexal/graphics/drawing/draw_target.h"

namespace game {
namespace {

constexpr double kMaxLead = 2.8;
constexpr double kEaseStart = 0.12;

}  // namespace

void Field::FieldFrame() {
  vexal::ClearDrawTarget();
  SetPartyWipedOut(0);
  ++FrameCount;
  TickEventSteps();
  BuildEventGrid();
  if (StartScriptBegun == 0) {
    StartScriptBegun = 1;
    TheEventScript.StartEventScript(0, kTriggerAuto, 0);
  } else {
    UpdatePlayer();
    MoveRandomWalkers();
  }
  TickFieldAnimation();
  TickEventAnimation();
  CheckFieldContact();
  UpdateFieldCamera();
  DrawField();
  // The effects are drawn with the timers they were started with, then counted.
  for (int slot : {0, 1, 3})
    if (Effects[slot].Timer > 0) --Effects[slot].Timer;
  if (Effects[2].Timer > 0) Effects[2].Timer = uint16_t(Effects[2].Timer % 8 + 1);
  if (PartyWipedOut() != 0) {
    TheBitmapFont.ComposeClear();
    TheBitmapFont.ComposeAddSjis("ちからつきた…");
    std::array<uint8_t, kComposeBufferBytes> codes{};
    TheBitmapFont.ComposeGet(codes);
    TheMessageWindow.SetMessageText(codes);
    PlayMusic(-1);
    TheMessageWindow.ShowMessage(0);
    EnterTitle();
  }
  if (Map.header[0] == 1) DrawFieldOverlay();
  TheEventScript.RunEventScript();
}

// Eased toward the player's cell centre plus a lead in the walking heading.
void Field::UpdateFieldCamera() {
  if (Conversation != 0 || TeleportState != 0) return;
  const EventState& p = States[0];
  double tx = p.X + (p.SubX + 8) / 16.0, ty = p.Y + (p.SubY + 8) / 16.0;
  if (Heading >= 0) {
    Lead = std::min(Lead + LeadStep, kMaxLead);
    if (Map.header[0] == 1) Lead = std::max(Lead, 0.0);
  } else {
    Lead = 0;
  }
  if (!ScrollLockOn() && Heading >= 0) {
    const double angle = Heading * M_PI / 12.0;  // 15 degrees a unit, 0 = right, 6 = up
    tx += std::cos(angle) * Lead;
    ty -= std::sin(angle) * Lead;
  }
  const double dx = tx - CameraX, dy = ty - CameraY;
  const bool diagonal = Heading == 3 || Heading == 9 || Heading == 15 || Heading == 21;
  const double reach = diagonal ? EaseSpeed * EaseSpeed : EaseSpeed * EaseSpeed / 4;
  if (dx * dx + dy * dy <= reach) {
    CameraX = tx, CameraY = ty;
    EaseSpeed = kEaseStart;
    return;
  }
  EaseSpeed += Heading < 0 ? 0.0175 : 0.0075;
  const double d = std::sqrt(dx * dx + dy * dy);
  const bool across_y = Heading == 0 || Heading == 12;  // walking sideways: y is across
  const bool across_x = Heading == 6 || Heading == 18;
  CameraX += dx / d * EaseSpeed * (across_x ? 0.25 : 1);
  CameraY += dy / d * EaseSpeed * (across_y ? 0.25 : 1);
}

namespace {
bool (*scroll_lock_query)() = nullptr;
}
void SetScrollLockQuery(bool (*query)()) { scroll_lock_query = query; }
bool ScrollLockOn() { return scroll_lock_query != nullptr && scroll_lock_query(); }

void FieldModeFrame() {
  TheField.FieldFrame();
  // A start script that warped leaves the new map's start unbegun: run it this pass,
  // once only, since two maps whose start scripts warp to each other would never end.
  if (TheField.StartScriptBegun == 0 && GameMode == MODE_FIELD) TheField.FieldFrame();
}

void RegisterFieldHandler() { SetGameModeHandler(MODE_FIELD, FieldModeFrame); }

}  // namespace game
