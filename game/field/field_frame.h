// The frame loop's field handler.
#pragma once

namespace game {

// One pass of the main loop in field mode: a field frame, and a second one when a start
// script warped to another map.
void FieldModeFrame();
// Registers FieldModeFrame for field mode.
void RegisterFieldHandler();
// Whether the camera's lead is off (Scroll Lock on); the query is the game's.
bool ScrollLockOn();
void SetScrollLockQuery(bool (*query)());

}  // namespace game
