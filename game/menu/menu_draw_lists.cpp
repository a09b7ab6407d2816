// Drawing the list pages: long jump, and the save and load lists. The shop, the sell list
// and concoction are in menu_draw_shop.cpp.
#include <algorithm>
#include <cstring>

#include "game/data/game_data.h"
#include "game/menu/field_menu.h"
#include "game/menu/menu_list_parts.h"
#include "game/text/bitmap_font.h"
#include "game/text/hand_cursor.h"
#include "game/text/window_frame.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

namespace {

// Long jump: the two modes side by side over the list of points.
constexpr int kJumpModeX = 167, kJumpModeStep = 60, kJumpModeY = 12;
constexpr int kJumpNumberX = 56, kJumpNameX = 80, kJumpNameGlyphs = 24;
constexpr uint32_t kRegisterAllowed = 1u << 0;
constexpr uint32_t kTeleportForbidden = 1u << 1;
constexpr uint32_t kFreePoint = 0xFFFFFFFFu;

// Save and load: three slots 63 pixels apart, each in its own box.
constexpr int kSlotTopY = 55, kSlotStep = 63;
constexpr int kSlotBoxX1 = 44, kSlotBoxX2 = 276, kSlotBoxAbove = 22, kSlotBoxBelow = 36;
constexpr int kSlotHandX = 48;
// Inside a slot, from its row's y: the date line, the place with the play time, then
// the leader's HP and PP; the pictures on the right.
constexpr int kSlotTextX = 52, kSlotRightX = 132;
constexpr int kSlotDateDy = -16, kSlotPlaceDy = -4, kSlotHpDy = 8, kSlotLineStep = 12;
constexpr int kSlotPlaceGlyphs = 9, kSlotDateGlyphs = 27;
constexpr int kSlotValueDx = 16, kSlotSlashDx = 56, kSlotMaxDx = 64, kSlotValueWidth = 5;
constexpr int kSlotColonDx = 32, kSlotMinutesDx = 40;
constexpr int kSlotPictureX = 200, kSlotPictureStep = 18;
constexpr int kEmptyX = 140, kEmptyBelow = 3;
constexpr int kHpMax = 99999, kPpMax = 9999, kHoursMax = 9999;
// The question before a save.
constexpr int kAskX1 = 56, kAskY1 = 100, kAskX2 = 264, kAskY2 = 132, kAskTextX = 64, kAskTextY = 112;

}  // namespace

void FieldMenu::DrawJumpPage() {
  const GameData& g = TheGameData();
  const uint32_t flags = g.Scalars[kScalarFlagWord];
  TheWindowFrame.DrawFrameBox(kMenuPageX1, kMenuPageY1, kMenuPageX2, kMenuPageY2, 0);
  TheWindowFrame.DrawFrameBox(kMenuListX1, kMenuListY1, kMenuListX2, kMenuListY2,
                              state == kMenuStateJumpPoints ? 1 : 0);

  const bool mode_allowed[2] = {(flags & kTeleportForbidden) == 0, (flags & kRegisterAllowed) != 0};
  static constexpr const char* kModeNames[2] = {"テレポート", "とうろく"};
  for (int m = 0; m < 2; ++m) {
    if (!mode_allowed[m]) vexal::SetDrawBrightness(0, 0, 0);
    TheBitmapFont.DrawSjisText(kJumpModeX + kJumpModeStep * m, kJumpModeY, kModeNames[m]);
    vexal::SetDrawBrightness(255, 255, 255);
  }

  // Free points are listed up to the maximum; a used point anywhere shows its name.
  const int limit = JumpLimit();
  for (int row = 0; row < kJumpRows; ++row) {
    const int n = jump_scroll + row;
    if (n >= kMaxJumpPointLimit) break;
    const LongJumpPoint& p = g.LongJumpPoints[n];
    if (p.area == kFreePoint && n > limit) continue;
    const int y = kMenuListRowY + kMenuListRowStep * row;
    TheBitmapFont.DrawNumber(kJumpNumberX, y, n + 1, 2, 0, 0, 1);
    if (p.area == kFreePoint) {
      TheBitmapFont.DrawSjisText(kJumpNameX, y, "- みとうろく -");
    } else {
      DrawSjisLine(kJumpNameX, y, kJumpNameGlyphs,
                   std::string_view(p.name.data(), strnlen(p.name.data(), p.name.size())));
    }
  }

  // The hand stands at the mode while the list has it.
  TheHandCursor.DrawHandCursor(kJumpModeX + kJumpModeStep * jump_mode, kJumpModeY, state == kMenuStateJumpPoints, 0);
  if (state == kMenuStateJumpPoints) {
    TheHandCursor.DrawHandCursor(kJumpNumberX, kMenuListRowY + kMenuListRowStep * (jump_cursor - jump_scroll), 0, 0);
  }
}

void FieldMenu::DrawSaveLoadPage() {
  const GameData& g = TheGameData();
  TheWindowFrame.DrawFrameBox(kMenuPageX1, kMenuPageY1, kMenuPageX2, kMenuPageY2, 0);
  for (int row = 0; row < kSaveRows; ++row) {
    const int slot = save_scroll + row;
    if (slot >= kSaveSlots) break;
    const int y = kSlotTopY + kSlotStep * row;
    TheWindowFrame.DrawFrameBox(kSlotBoxX1, y - kSlotBoxAbove, kSlotBoxX2, y + kSlotBoxBelow,
                                slot == save_cursor ? 1 : 0);
    const SaveSlotSummary& s = g.SlotSummaries[slot];
    if (s.leader_id == kEmptySlotLeader) {
      TheBitmapFont.DrawSjisText(kEmptyX, y + kEmptyBelow, "EMPTY");
      continue;
    }
    TheBitmapFont.DrawGlyphCodes(kSlotTextX, y + kSlotDateDy, kSlotDateGlyphs, 1, s.date);
    DrawSjisLine(kSlotTextX, y + kSlotPlaceDy, kSlotPlaceGlyphs,
                 std::string_view(s.place.data(), strnlen(s.place.data(), s.place.size())));
    const int hours = static_cast<int>(std::min<uint32_t>(s.play_seconds / 3600, kHoursMax));
    TheBitmapFont.DrawNumber(kSlotRightX, y + kSlotPlaceDy, hours, 4, kHoursMax, 0, 0);
    TheBitmapFont.DrawSjisText(kSlotRightX + kSlotColonDx, y + kSlotPlaceDy, ":");
    TheBitmapFont.DrawNumber(kSlotRightX + kSlotMinutesDx, y + kSlotPlaceDy, static_cast<int>(s.play_seconds / 60 % 60),
                             2, 0, 0, 1);
    // The leader's HP and PP: value "/" maximum (values 0-1 and 2-3).
    static constexpr const char* kLabels[2] = {"HP", "PP"};
    for (int k = 0; k < 2; ++k) {
      const int line_y = y + kSlotHpDy + kSlotLineStep * k;
      const uint32_t max = k == 0 ? kHpMax : kPpMax;
      const int value = static_cast<int>(std::min(s.values[2 * k], max));
      const int maximum = static_cast<int>(std::min(s.values[2 * k + 1], max));
      TheBitmapFont.DrawSjisText(kSlotTextX, line_y, kLabels[k]);
      TheBitmapFont.DrawNumber(kSlotTextX + kSlotValueDx, line_y, value, kSlotValueWidth, 0, 0, 0);
      TheBitmapFont.DrawSjisText(kSlotTextX + kSlotSlashDx, line_y, "/");
      TheBitmapFont.DrawNumber(kSlotTextX + kSlotMaxDx, line_y, maximum, kSlotValueWidth, 0, 0, 0);
    }
    // The party's pictures, standing; a slot of 0 had no member.
    const std::span<const int> frames = FieldCharacterFrames();
    for (int m = 0; m < kMemberCount; ++m) {
      const int graphic = s.graphics[m];
      // The list file may hold any number.
      if (graphic == 0 || graphic >= static_cast<int>(frames.size()) / kFramesPerCharacter) continue;
      vexal::DrawGraph(kSlotPictureX + kSlotPictureStep * m, y + kSlotPlaceDy, frames[graphic * kFramesPerCharacter],
                       1);
    }
  }
  TheHandCursor.DrawHandCursor(kSlotHandX, kSlotTopY + kSlotStep * (save_cursor - save_scroll),
                               state == kMenuStateSaveConfirm, 0);
  if (state == kMenuStateSaveConfirm) {
    TheWindowFrame.DrawFrameBox(kAskX1, kAskY1, kAskX2, kAskY2, 0);
    TheBitmapFont.DrawSjisText(kAskTextX, kAskTextY, "このファイルに＿セーブします。よろしいですか?");
  }
}

}  // namespace game
