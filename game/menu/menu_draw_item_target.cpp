// Drawing the item target page: the screen frozen when the item was chosen, and the party
// to choose from with their HP and PP.
#include <cstring>
#include <string_view>

#include "game/data/game_data.h"
#include "game/frame/frame_loop.h"
#include "game/menu/field_menu.h"
#include "game/menu/menu_draw_parts.h"
#include "game/text/bitmap_font.h"
#include "game/text/window_frame.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

namespace {

constexpr int kBoxX1 = 120, kBoxY1 = 24, kBoxX2 = 280, kBoxY2 = 214;
constexpr int kTextX = 152, kValueX = 168, kNameAbove = 2, kHpBelow = 10, kPpBelow = 22;
constexpr int kHpDigits = 5, kHpMax = 99999, kPpDigits = 4, kPpMax = 9999;

}  // namespace

void FieldMenu::DrawItemTargetPage() {
  const GameData& g = TheGameData();
  if (ScreenCopyGraph > 0) vexal::DrawGraph(0, 0, ScreenCopyGraph, 0);
  TheWindowFrame.DrawFrameBox(kBoxX1, kBoxY1, kBoxX2, kBoxY2, kStyleHighlit);
  for (int k = 0; k < kMemberCount; ++k) {
    const PartyMember& p = g.Members[k];
    if (p[kMemberPresent] == 0) continue;
    const int y = kMemberRowTopY + kMemberRowHeight * k;
    DrawMemberPicture(kTargetPictureX, y, k, frame_counter + k);
    const int id = p[kMemberId];
    if (id >= 0 && id < kMemberCount) {
      const auto& name = g.MemberNames[id];
      TheBitmapFont.DrawSjisText(kTextX, y - kNameAbove,
                                 std::string_view(name.data(), strnlen(name.data(), name.size())));
    }
    TheBitmapFont.DrawSjisText(kTextX, y + kHpBelow, "HP");
    DrawValuePair(kValueX, y + kHpBelow, p[kMemberHp], p[kMemberMaxHp], kHpDigits, kHpMax);
    TheBitmapFont.DrawSjisText(kTextX, y + kPpBelow, "PP");
    DrawValuePair(kValueX, y + kPpBelow, p[kMemberPp], p[kMemberMaxPp], kPpDigits, kPpMax);
  }
}

}  // namespace game
