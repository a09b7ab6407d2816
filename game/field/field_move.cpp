// Movement, collision and triggers of the field: actors step cell by cell in 16
// sub-units; the pass grid holds the map's walls, the occupancy grid the actors.
#include <cstdlib>

#include "game/data/game_data.h"
#include "game/field/event_script.h"
#include "game/field/field_graphics.h"
#include "game/field/field_map.h"
#include "game/field/field_screens.h"
#include "game/frame/frame_loop.h"
#include "game/input/key_cast.h"
#include "vexal/app/log/log_file.h"

namespace game {
namespace {

constexpr int kSubSteps = 16;
constexpr int kSpeedTable = 6;     // MoveTable[6 + speed index]
constexpr int kChanceTable = 12;   // MoveTable[12 + walk chance index]
constexpr int kActiveRange = 9;    // active events lie strictly within 9 cells of the camera
constexpr int kActiveRebuild = 8;  // frames between active-list rebuilds
constexpr int kMenuButton = 7, kLeaderButton = 9, kEspButton = 6, kOverlayButton = 8;
constexpr int kWalkPeriod = 6, kRunPeriod = 3;

int Cell(int x, int y) { return y * kMapSize + x; }

void SetDeltas(EventState& s, int direction, int speed) {
  s.Dx = s.Dy = 0;
  switch (direction) {
    case 0: s.Dy = int16_t(speed); break;
    case 1: s.Dy = int16_t(-speed); break;
    case 2: s.Dx = int16_t(speed); break;
    default: s.Dx = int16_t(-speed); break;
  }
  s.Moving = 1;
  s.MovingCounter = 1;
}

// The heading value of a walking direction: 0 right, 6 up, 12 left, 18 down.
int HeadingOf(int direction) {
  static constexpr int kHeadings[4] = {18, 6, 0, 12};
  return kHeadings[direction & 3];
}

}  // namespace

void Field::BuildPassGrid() {
  for (int y = 0; y < kMapSize; ++y)
    for (int x = 0; x < kMapSize; ++x) PassGrid[Cell(x, y)] = ChipAt(x, y).Attributes[kChipBlocks] != 0 ? 1 : 0;
  for (int e = 1; e < EventCount; ++e) {
    const EventState& s = States[e];
    if (s.Visible == 0 || s.Fixed != 1 || s.NoCollision != 0 || !OnMap(s.X, s.Y)) continue;
    const bool marked = s.Graphic < kChipRecordCount && Chips.Records[s.Graphic].Attributes[kChipEventMark] != 0;
    PassGrid[Cell(s.X, s.Y)] = marked ? 3 : 1;
  }
}

void Field::TickEventSteps() {
  if (ActiveCountdown-- > 0) return;
  ActiveCountdown = kActiveRebuild - 1;
  Active[0] = 0;
  ActiveCount = 1;
  const int cx = int(CameraX), cy = int(CameraY);
  for (int e = 1; e < EventCount && ActiveCount < kActiveLimit; ++e) {
    const EventState& s = States[e];
    if (s.Visible == 0 || s.Fixed != 0) continue;
    if (std::abs(s.X - cx) >= kActiveRange || std::abs(s.Y - cy) >= kActiveRange) continue;
    Active[ActiveCount++] = e;
  }
}

// Tag of active entry k: its position + 1, unique among the 64 active events. Only the
// cells tagged last time are cleared: the whole grid is 64 KB a frame.
void Field::BuildEventGrid() {
  for (int n = 0; n < TaggedCount; ++n) OccupancyGrid[TaggedCells[n]] = 0;
  TaggedCount = 0;
  auto tag = [&](int x, int y, int k) {
    OccupancyGrid[Cell(x, y)] = uint8_t(k + 1);
    TaggedCells[TaggedCount++] = Cell(x, y);
  };
  for (int k = 0; k < ActiveCount; ++k) {
    const EventState& s = States[Active[k]];
    if (s.NoCollision != 0 || !OnMap(s.X, s.Y)) continue;
    tag(s.X, s.Y, k);
    if (s.Moving != 0) {
      const int tx = s.X + (s.Dx > 0) - (s.Dx < 0), ty = s.Y + (s.Dy > 0) - (s.Dy < 0);
      if (OnMap(tx, ty)) tag(tx, ty, k);
    }
  }
}

void Field::StopActor(int i) {
  EventState& s = States[i];
  s.Moving = 0;
  s.MovingCounter = 0;
  s.Dx = s.Dy = 0;
  if (i == 0) s.SubX = s.SubY = 0;
}

void Field::TryStep(int i) {
  EventState& s = States[i];
  const bool left = s.Dx<0, right = s.Dx> 0, up = s.Dy<0, down = s.Dy> 0;
  if (i != 0 && ((left && s.X == s.AreaLowX) || (right && s.X == s.AreaHighX) || (up && s.Y == s.AreaLowY) ||
                 (down && s.Y == s.AreaHighY))) {
    StopActor(i);
    return;
  }
  const int tx = s.X + right - left, ty = s.Y + down - up;
  auto touch = [&] {
    if (i != 0) return;
    const int e = FindEventInFront(1);
    if (e >= 0) TheEventScript.StartEventScript(States[e].Block, kTriggerAuto, e);
  };
  if (!OnMap(tx, ty) || PassGrid[Cell(tx, ty)] != 0) {
    StopActor(i);
    if (OnMap(tx, ty)) touch();
    return;
  }
  int own = 0;
  for (int k = 0; k < ActiveCount; ++k)
    if (Active[k] == i) own = k + 1;
  const uint8_t tag = OccupancyGrid[Cell(tx, ty)];
  if (tag != 0 && tag != own && s.NoCollision == 0) {
    StopActor(i);
    touch();
  }
}

void Field::PickWalkDirection(int i) {
  EventState& s = States[i];
  if (GameRandomUpTo(32) < 16) s.Direction = int16_t(GameRandomUpTo(3));
  SetDeltas(s, s.Direction, MoveTable[kSpeedTable + s.MoveType]);
}

void Field::FieldStartActorStep(int i, int direction, int speed_index) {
  if (i < 0 || i >= kMapEventCount) return;
  EventState& s = States[i];
  if (s.Moving != 0) return;
  if (direction >= 0 && direction <= 3) s.Direction = int16_t(direction);
  if (speed_index < 0) speed_index = s.MoveType;
  if (speed_index > kMoveTypeCount - 1) speed_index = kMoveTypeCount - 1;
  int speed = MoveTable[kSpeedTable + speed_index];
  if (speed == 0) speed = 1;
  SetDeltas(s, s.Direction, speed);
}

void Field::MoveRandomWalkers() {
  for (int k = 1; k < ActiveCount; ++k) {
    const int i = Active[k];
    const EventState& s = States[i];
    if (s.Moving != 0 || s.MoveType == 5) continue;
    if (GameRandomUpTo(10000) < MoveTable[kChanceTable + s.WalkChance]) {
      PickWalkDirection(i);
      TryStep(i);
    }
  }
}

void Field::TickFieldAnimation() {
  for (int k = 0; k < 32; ++k) AnimCounters[k] = AnimCounters[k] + 1 > k ? 0 : uint8_t(AnimCounters[k] + 1);
  for (ChipRecord& r : Chips.Records) {
    if (r.FrameCount <= 1 || AnimCounters[r.Period] != 0) continue;
    if (++r.Frame >= r.FrameCount) r.Frame = 0;
  }
  StepBubbles(TheFieldGraphics);
}

void Field::TickEventAnimation() {
  for (int k = 0; k < ActiveCount; ++k) {
    EventState& s = States[Active[k]];
    if (s.Period <= 0 || !OnMap(s.X, s.Y) || ChipAt(s.X, s.Y).Attributes[kChipGround] == kGroundNoSteps) continue;
    if (++s.AnimCounter >= s.Period) {
      s.AnimCounter = 0;
      s.AnimFrame = uint8_t((s.AnimFrame + 1) % 4);
    }
  }
}

int Field::FindEventInFront(int activation) const {
  const EventState& p = States[0];
  static constexpr int kDx[4] = {0, 0, 1, -1}, kDy[4] = {1, -1, 0, 0};
  const int d = p.Direction & 3;
  const int fx = p.X + kDx[d], fy = p.Y + kDy[d];
  auto at = [&](int x, int y) {
    for (int e = 1; e < EventCount; ++e) {
      const EventState& s = States[e];
      if (s.Visible != 0 && s.Activation == activation && s.X == x && s.Y == y) return e;
    }
    return -1;
  };
  const int e = at(fx, fy);
  if (e >= 0 || activation != 0 || d < 2) return e;
  if (OnMap(fx, fy) && ChipAt(fx, fy).Attributes[kChipGround] == kGroundCounter) return at(fx + kDx[d], fy);
  return -1;
}

void Field::StartFieldEffect(int slot, int duration) {
  if (slot < 0 || slot >= kFieldEffectCount) return;
  FieldEffect& f = Effects[slot];
  f.X = States[0].X;
  f.Y = States[0].Y;
  f.Timer = 1;
  if (slot == 0) f.Timer = 20;
  if (slot == 1) {
    static constexpr int kDx[4] = {0, 0, 1, -1}, kDy[4] = {1, -1, 0, 0};
    f.Timer = 16;
    f.X = int16_t(f.X + kDx[States[0].Direction & 3]);
    f.Y = int16_t(f.Y + kDy[States[0].Direction & 3]);
  }
  if (slot == 2 || slot == 3) f.Timer = uint16_t(duration);
}

void Field::LoadMapMarks() {
  MapMarks.fill(MapMarkView{});
  const GameData& data = TheGameData();
  const uint32_t map = data.Scalars[kScalarCurrentMap];
  int n = 0;
  // The whole ring: once it has wrapped, marks after its end marker are still the map's.
  for (const MapMark& m : data.MapMarks) {
    if (n >= int(MapMarks.size())) break;
    if (m.area == map) MapMarks[n++] = {int16_t(m.x), int16_t(m.y), int16_t(m.map)};
  }
}

void Field::FieldResetPlayerMotion() {
  StopActor(0);
  TeleportState = 0;
  JumpFrames = 0;
  States[0].Period = -1;
  Heading = -1;
  LastWalkDirection = -1;
  Lead = LeadStep = 0;
  CameraX = States[0].X + 0.5;
  CameraY = States[0].Y + 0.5;
  ActiveCountdown = 0;
}

void Field::UpdatePlayer() {
  EventState& p = States[0];
  GameData& data = TheGameData();
  if (KeyInput.IsButtonPressed(kMenuButton)) MenuRequest = 1;
  if (p.Moving != 0) return;
  static constexpr struct {
    int button, direction;
  } kWalks[4] = {{kButtonUp, 1}, {kButtonDown, 0}, {kButtonRight, 2}, {kButtonLeft, 3}};
  for (const auto& w : kWalks) {
    if (!KeyInput.IsButtonDown(w.button)) continue;
    const uint32_t flags = data.Scalars[kScalarFlagWord];
    const int base = (flags & kFlagWordMarkedMap) != 0 ? 1 : 2;
    const bool running = KeyInput.IsButtonDown(kButtonCancel) && (flags & kFlagWordSpecialWorn) != 0;
    p.Direction = int16_t(w.direction);
    SetDeltas(p, w.direction, base * (running ? 2 : 1));
    p.Period = int16_t(running ? kRunPeriod : kWalkPeriod);
    // The heading turns one unit toward the walking direction, or is lost. It does not
    // wrap round the circle: only down turns 0 into 23.
    const int target = HeadingOf(w.direction);
    if (Heading >= 0) {
      const int diff = target - Heading;
      if (w.direction == 0 && Heading == 0)
        Heading = 23;
      else if (std::abs(diff) <= 6)
        Heading += (diff > 0) - (diff < 0);
      else
        Heading = -1;
    }
    if (w.direction == LastWalkDirection) {
      LeadStep = 0.15;
      if (Heading < 0) Heading = target;
    }
    LastWalkDirection = w.direction;
    TryStep(0);
    return;
  }
  p.Period = -1;
  const bool decide = KeyInput.IsButtonPressed(kButtonDecide);
  if (decide) {
    const int e = FindEventInFront(0);
    if (e >= 0) {
      TheEventScript.StartEventScript(States[e].Block, Effects[2].Timer != 0 ? kTriggerTalkEsp : kTriggerTalk, e);
      return;
    }
  }
  // A decide press keeps the request for a frame without one.
  if (MenuRequest != 0 && !decide) {
    MenuRequest = 0;
    KeyInput.ClearKeyCast();
    GameMode = MODE_MENU;
    OpenMenu();
    return;
  }
  if (KeyInput.IsButtonPressed(kLeaderButton)) {
    if (data.NextLeader()) SetPlayerGraphic(static_cast<int>(data.Scalars[kScalarLeaderGraphic]));
    Effects[2].Timer = 0;
    PlayGameSound(5);
  }
  if (KeyInput.IsButtonPressed(kEspButton)) UseFieldEsp();
  if (KeyInput.IsButtonPressed(kOverlayButton) && Map.header[0] == 1) OverlayMode = (OverlayMode + 1) % 3;
}

void Field::CheckFieldContact() {
  GameData& data = TheGameData();
  for (int k = 0; k < ActiveCount; ++k) {
    const int i = Active[k];
    EventState& s = States[i];
    if (s.Moving == 0) continue;
    if (i == 0 && TeleportState != 0) ++TeleportState;
    s.SubX = int16_t(s.SubX + s.Dx);
    s.SubY = int16_t(s.SubY + s.Dy);
    if (s.SubX <= -kSubSteps) s.X = int16_t(s.X - 1), s.SubX = int16_t(s.SubX + kSubSteps);
    if (s.SubX >= kSubSteps) s.X = int16_t(s.X + 1), s.SubX = int16_t(s.SubX - kSubSteps);
    if (s.SubY <= -kSubSteps) s.Y = int16_t(s.Y - 1), s.SubY = int16_t(s.SubY + kSubSteps);
    if (s.SubY >= kSubSteps) s.Y = int16_t(s.Y + 1), s.SubY = int16_t(s.SubY - kSubSteps);
    if (!OnMap(s.X, s.Y)) continue;
    const ChipRecord& chip = ChipAt(s.X, s.Y);
    if (chip.Attributes[kChipGround] == kGroundLadder) s.Direction = 1;
    if ((s.Dx != 0 && s.SubX != 0) || (s.Dy != 0 && s.SubY != 0)) continue;
    if (--s.MovingCounter > 0) continue;
    s.Moving = 0;
    s.MovingCounter = 0;
    s.Dx = s.Dy = 0;
    if (i != 0) continue;

    if (chip.Attributes[kChipDamage] != 0) {
      SetStepDamage(chip.Attributes[kChipDamage]);
      if (data.PartyStepUpdate(StepDamage(), &party_wiped_out_) != 0) {
        StartFieldEffect(3, 4);
        PlayGameSound(10);
      }
    }
    if (chip.Attributes[kChipGround] != kGroundNoSteps) {
      data.Scalars[kScalarStepValue] += 1;
      data.Scalars[kScalarEncounterSteps] -= 1;
      const bool encounters = int32_t(data.Scalars[kScalarEncounterMean]) >= 0;
      if (TeleportState == 0 && encounters) {
        data.Scalars[kScalarStepCount] += 1;
        const uint32_t map = data.Scalars[kScalarCurrentMap];
        // An area without an encounter group starts nothing and keeps the field.
        if (int32_t(data.Scalars[kScalarEncounterSteps]) <= 0 && map < uint32_t(kMapCount) &&
            data.EncounterGroups[map][0] != 0) {
          vexal::LogWriteFmt("encounter: map %u at (%d, %d)", map, s.X, s.Y);
          GameMode = MODE_BATTLE;
          const std::array<int32_t, 16> list{};
          StartBattle(std::array<int32_t, kBattleValues>{}, 0, list);
        }
      }
    }
    if (Map.header[0] == 1)
      data.Scalars[kScalarFlagWord] |= kFlagWordMarkedMap;
    else
      data.Scalars[kScalarFlagWord] &= ~kFlagWordMarkedMap;
    if (TeleportState != 0) {
      vexal::LogWriteFmt("jump: landed at (%d, %d)", s.X, s.Y);
      TeleportState = 0;
      JumpFrames = 0;
    }
    for (int e = 1; e < EventCount; ++e) {
      const EventState& ev = States[e];
      if (ev.Visible == 0 || ev.X != s.X || ev.Y != s.Y) continue;
      if (ev.Activation == 1) TheEventScript.StartEventScript(ev.Block, kTriggerAuto, e);
      if (ev.Fixed != 0 && ev.Graphic == kBubbleGraphic) {
        PlayGameSound(6);
        data.Scalars[kScalarFlagWord] |= kFlagWordMarkedMap;
      }
    }
  }
}

}  // namespace game
