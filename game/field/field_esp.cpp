// The field ESP of button 6: the leader's own power. Break runs the "+3" part of the
// block of the event in front; jump carries the player over the blocked cells ahead;
// telepathy turns the continuous ESP (field effect 2, talks run their "+2" part) on or
// off. The shield member's power works by itself (party_step.cpp).
#include <algorithm>

#include "game/data/game_data.h"
#include "game/field/event_script.h"
#include "game/field/field_map.h"

namespace game {
namespace {

constexpr int kJumpSound = 20, kTelepathySound = 21;
constexpr int kShortestJump = 2, kLongestJump = 5;

}  // namespace

void Field::UseFieldEsp() {
  switch (TheGameData().SelectedFieldEsp()) {
    case kFieldEspBreak: {
      const int e = FindEventInFront(0);
      if (e >= 0) TheEventScript.StartEventScript(States[e].Block, kTriggerEsp, e);
      break;
    }
    case kFieldEspJump: StartJump(); break;
    case kFieldEspTelepathy:
      if (Effects[2].Timer != 0) {
        Effects[2].Timer = 0;
      } else {
        StartFieldEffect(2, 1);
        PlayGameSound(kTelepathySound);
      }
      break;
    default: break;
  }
}

int Field::JumpRange() const {
  const GameData& data = TheGameData();
  for (const PartyMember& m : data.Members)
    if (m[kMemberPresent] != 0 && uint32_t(m[kMemberId]) == data.Scalars[kScalarLeader])
      return std::clamp(m[kMemberEspLevel] + 1, kShortestJump, kLongestJump);
  return kShortestJump;
}

// The cells straight ahead: the blocked ones the player stands against (walls, water,
// people) are passed over, and the first free cell after them is the landing, when it
// lies within range. Nothing to pass over, the map's edge or too far: no jump.
bool Field::StartJump() {
  if (Map.header[0] == 1 || TeleportState != 0) return false;
  EventState& p = States[0];
  static constexpr int kDx[4] = {0, 0, 1, -1}, kDy[4] = {1, -1, 0, 0};
  const int d = p.Direction & 3;
  int landing = 0;
  for (int n = 1; n <= kJumpScanCells; ++n) {
    const int x = p.X + kDx[d] * n, y = p.Y + kDy[d] * n;
    if (!OnMap(x, y)) return false;
    const size_t cell = size_t(y) * kMapSize + size_t(x);
    if (PassGrid[cell] != 0 || OccupancyGrid[cell] != 0) continue;
    if (n == 1) return false;
    landing = n;
    break;
  }
  if (landing == 0 || landing > JumpRange()) return false;
  p.Dx = int16_t(kDx[d] * kJumpSpeed);
  p.Dy = int16_t(kDy[d] * kJumpSpeed);
  p.Moving = 1;
  p.MovingCounter = int16_t(landing);
  p.Period = -1;
  JumpFrames = landing * 16 / kJumpSpeed;
  TeleportState = 1;
  PlayGameSound(kJumpSound);
  return true;
}

}  // namespace game
