// Drawing the menu: the main page with the party, a member's page, the hand cursor of
// each state, the header boxes with the title and help line, and the shake that answers a
// refusal.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "game/data/game_data.h"
#include "game/frame/frame_loop.h"
#include "game/frame/play_timer.h"
#include "game/input/key_cast.h"
#include "game/menu/field_menu.h"
#include "game/menu/menu_draw_parts.h"
#include "game/text/bitmap_font.h"
#include "game/text/hand_cursor.h"
#include "game/text/item_info_panel.h"
#include "game/text/window_frame.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

namespace {

constexpr int kBlendOff = 0, kBlendAlpha = 1;
constexpr int kShakeAlpha = 128;

// Main page.
constexpr int kNameX = 56, kNameAbove = 10;
constexpr int kStatusTextX = 112;
constexpr int kValueLabelX = 84, kValueX = 100, kHpBelow = 2, kPpBelow = 14;
constexpr int kCommandX1 = 216, kCommandY1 = 1, kCommandX2 = 280, kCommandY2 = 140;
constexpr int kCommandTextX = 232, kCommandTextY = 12, kCommandRowHeight = 16;
constexpr int kCountersX = 210;
constexpr int kMoneyY = 148, kIdY = 164, kStepLabelY = 178, kStepY = 190, kTimeY = 204;
constexpr int kIdLabelX = 214;
constexpr int kIdCardX = 231, kIdCardStep = 6;  // piece i at 231 + 6 i
constexpr int kMoneyDigits = 7, kMoneyMax = 9999999, kStepMax = 9999999;
constexpr int kHoursDigits = 4, kHoursMax = 9999;
constexpr int kHpDigits = 5, kHpMax = 99999, kPpDigits = 4, kPpMax = 9999;

// Member page.
constexpr int kMemberPagePictureX = 56, kMemberPagePictureY = 28;
constexpr int kMemberTextX = 80, kMemberLabelX = 136, kEspLabelX = 200, kEspX = 224, kMemberNameY = 32;
constexpr int kMemberHpY = 48, kMemberPpY = 64, kMemberValueX = 104;
constexpr int kStatX = 56, kStatColumn = 112, kStatValueX = 56, kStatY = 84;
constexpr int kStatDigits = 4, kStatMax = 9999, kEspDigits = 2, kEspMax = 99;
constexpr int kSlotX = 46, kSlotColumn = 116, kSlotY = 124, kSlotRows = 6;
constexpr int kSlotNameGlyphs = 10, kSlotCountMax = 9999;

constexpr std::string_view kStatusTexts[] = {"きぜつ_", "びょうき_", "マヒ_", "もうどく_", "くらやみ_"};

// A zero-terminated Shift-JIS field as a view.
template <size_t N>
std::string_view FieldText(const std::array<char, N>& field) {
  return std::string_view(field.data(), strnlen(field.data(), N));
}

// Member ids from saves index the 4-entry name tables only when 0-3.
int MemberIdOf(int m) {
  const int id = TheGameData().Members[m][kMemberId];
  return id >= 0 && id < kMemberCount ? id : -1;
}

int MemberRowY(int k) { return kMemberRowTopY + kMemberRowHeight * k; }

void SlotPosition(int slot, int* x, int* y) {
  *x = kSlotX + kSlotColumn * (slot / kSlotRows);
  *y = kSlotY + kListRowHeight * (slot % kSlotRows);
}

// The item under the cursor of a state that describes on button 7 (0 for an empty
// entry), or -1 for a state that does not.
int DescribedItem(const FieldMenu& f) {
  const GameData& g = TheGameData();
  const int m = std::clamp<int>(f.member_cursor, 0, kMemberCount - 1);
  const auto in = [](int i, int count) { return i >= 0 && i < count; };
  switch (f.state) {
    case kMenuStateSlots: return in(f.slot_cursor[m], kUsedEquipSlots) ? g.Equipment[m][f.slot_cursor[m]].id : 0;
    case kMenuStateBag:
    case kMenuStateEquipFromBag: return in(f.bag_cursor, kUsedBagSlots) ? g.ItemBag[f.bag_cursor].id : 0;
    case kMenuStateEspFromStock: return in(f.stock_cursor, kStackCount) ? g.AbilityStock[f.stock_cursor].id : 0;
    case kMenuStateBuy: return in(f.goods_cursor, kGoodsCount) ? f.goods[f.goods_cursor] : 0;
    case kMenuStateSell: return in(f.sell_cursor, kUsedBagSlots) ? g.ItemBag[f.sell_cursor].id : 0;
    default: return -1;
  }
}

}  // namespace

void FieldMenu::DrawMenuPages() {
  switch (page) {
    case kMenuPageMain: DrawMainPage(); break;
    case kMenuPageMember: DrawMemberPage(); break;
    case kMenuPageBag: DrawBagPage(); break;
    case kMenuPageStock: DrawStockPage(); break;
    case kMenuPageMaterials: DrawMaterialsPage(); break;
    case kMenuPageJump: DrawJumpPage(); break;
    case kMenuPageSaveLoad: DrawSaveLoadPage(); break;
    case kMenuPageShop: DrawShopPage(); break;
    case kMenuPageConcoction: DrawConcoctionPage(); break;
    case kMenuPageItemTarget: DrawItemTargetPage(); break;
    default: break;
  }
}

void FieldMenu::DrawMainPage() {
  const GameData& g = TheGameData();
  TheWindowFrame.DrawFrameBox(kPageX1, kPageY1, kPageX2, kPageY2, kStyleQuiet);
  for (int k = 0; k < kMemberCount; ++k) {
    const PartyMember& p = g.Members[k];
    if (p[kMemberPresent] == 0) continue;
    const int y = MemberRowY(k);
    const int id = MemberIdOf(k);
    if (id >= 0) TheBitmapFont.DrawSjisText(kNameX, y - kNameAbove, FieldText(g.MemberNames[id]));
    std::string status;
    for (size_t b = 0; b < std::size(kStatusTexts); ++b) {
      if (g.Status[k][b] != 0) status += kStatusTexts[b];
    }
    TheBitmapFont.DrawSjisText(kStatusTextX, y - kNameAbove, status);
    DrawMemberPicture(kMemberPictureX, y, k, frame_counter + k);
    TheBitmapFont.DrawSjisText(kValueLabelX, y + kHpBelow, "HP");
    DrawValuePair(kValueX, y + kHpBelow, p[kMemberHp], p[kMemberMaxHp], kHpDigits, kHpMax);
    TheBitmapFont.DrawSjisText(kValueLabelX, y + kPpBelow, "PP");
    DrawValuePair(kValueX, y + kPpBelow, p[kMemberPp], p[kMemberMaxPp], kPpDigits, kPpMax);
  }

  TheWindowFrame.DrawFrameBox(kCommandX1, kCommandY1, kCommandX2, kCommandY2,
                              state == kMenuStateMain ? kStyleHighlit : kStyleQuiet);
  TheBitmapFont.DrawSjisText(kCommandTextX, kCommandTextY,
                             KeyInput.IsButtonDown(kMenuPageDown)
                                 ? "のうりょく\nアイテム\nそうび\nESP\nざいりょう\nたいれつ\nJUMP\nロード"
                                 : "のうりょく\nアイテム\nそうび\nESP\nざいりょう\nたいれつ\nJUMP\nセーブ");

  TheBitmapFont.DrawNumber(kCountersX, kMoneyY,
                           static_cast<int>(std::min<uint32_t>(g.Scalars[kScalarMoney], kMoneyMax)), kMoneyDigits,
                           kMoneyMax, 0, 0);
  TheBitmapFont.DrawSjisText(kCountersX + kGlyphCellSize * kMoneyDigits, kMoneyY, "R");
  TheBitmapFont.DrawSjisText(kIdLabelX, kIdY, "ID");
  for (int i = 0; i < static_cast<int>(id_card.size()); ++i) {
    if (g.TestEventBit(i) != 0) vexal::DrawGraph(kIdCardX + kIdCardStep * i, kIdY, id_card[i], 1);
  }
  TheBitmapFont.DrawSjisText(kCountersX, kStepLabelY, "STEP");
  TheBitmapFont.DrawNumber(kCountersX, kStepY,
                           static_cast<int>(std::min<uint32_t>(g.Scalars[kScalarStepCount], kStepMax)), kMoneyDigits,
                           kStepMax, 0, 0);
  const int hours = static_cast<int>(std::min<uint32_t>(ThePlayTimer.GetPlayTimePart(0), kHoursMax));
  TheBitmapFont.DrawNumber(kCountersX, kTimeY, hours, kHoursDigits, kHoursMax, 0, 0);
  TheBitmapFont.DrawSjisText(kCountersX + kGlyphCellSize * kHoursDigits, kTimeY, ":");
  TheBitmapFont.DrawNumber(kCountersX + kGlyphCellSize * (kHoursDigits + 1), kTimeY,
                           static_cast<int>(ThePlayTimer.GetPlayTimePart(1)), 2, 59, 0, 1);
}

void FieldMenu::DrawMemberPage() {
  const GameData& g = TheGameData();
  const int m = std::clamp<int>(member_cursor, 0, kMemberCount - 1);
  const PartyMember& p = g.Members[m];
  TheWindowFrame.DrawFrameBox(kPageX1, kPageY1, kPageX2, kPageY2, kStyleQuiet);
  DrawMemberPicture(kMemberPagePictureX, kMemberPagePictureY, m, frame_counter + m);
  const int id = MemberIdOf(m);
  if (id >= 0) {
    TheBitmapFont.DrawSjisText(kMemberTextX, kMemberNameY, FieldText(g.MemberNames[id]));
    TheBitmapFont.DrawSjisText(kMemberLabelX, kMemberNameY, FieldText(g.MemberLabels[id]));
  }
  TheBitmapFont.DrawSjisText(kEspLabelX, kMemberNameY, "ESP");
  TheBitmapFont.DrawNumber(kEspX, kMemberNameY, p[kMemberEspLevel], kEspDigits, kEspMax, 0, 0);
  TheBitmapFont.DrawSjisText(kMemberTextX, kMemberHpY, "HP");
  DrawValuePair(kMemberValueX, kMemberHpY, p[kMemberHp], p[kMemberMaxHp], kHpDigits, kHpMax);
  TheBitmapFont.DrawSjisText(kMemberTextX, kMemberPpY, "PP");
  DrawValuePair(kMemberValueX, kMemberPpY, p[kMemberPp], p[kMemberMaxPp], kPpDigits, kPpMax);
  for (int i = 0; i < 4; ++i) {
    const int x = kStatX + kStatColumn * (i % 2), y = kStatY + kListRowHeight * (i / 2);
    TheBitmapFont.DrawSjisText(x, y, FieldText(g.StatNames[i]));
    TheBitmapFont.DrawNumber(x + kStatValueX, y, p[kMemberAttack + i], kStatDigits, kStatMax, 0, 0);
  }
  for (int s = 0; s < kUsedEquipSlots; ++s) {
    const ItemStack& stack = g.Equipment[m][s];
    if (stack.id == 0) continue;
    int x = 0, y = 0;
    SlotPosition(s, &x, &y);
    SetTextTint(state == kMenuStateSlots && HasFieldUse(stack.id) ? TextTint::kGreen : TextTint::kWhite);
    DrawItemName(x, y, stack.id, kSlotNameGlyphs);
    SetTextTint(TextTint::kWhite);
    // A worn ability's count is a marker, not a number.
    if (stack.count != kAbilityCount) DrawStackCount(x + kListCountX, y, stack.count, kSlotCountMax);
  }
}

void FieldMenu::DrawMenuCursor() {
  // The step just run decided whether button 7 shows a description this frame.
  if (const int item = DescribedItem(*this); description_shown && item >= 0) DrawItemInfo(item);
  HandCursor& hand = TheHandCursor;
  int x = 0, y = 0;
  const auto at_member = [&](int m, int still) { hand.DrawHandCursor(kNameX, MemberRowY(m) - kNameAbove, still, 0); };
  const auto mark = [&](int px, int py) { hand.DrawHandCursor(px, py, 1, 1); };
  switch (state) {
    case kMenuStateMain:
      hand.DrawHandCursor(kCommandTextX, kCommandTextY + kCommandRowHeight * main_cursor, 0, 0);
      break;
    case kMenuStateSlotsMember:
    case kMenuStateEquipMember:
    case kMenuStateEspMember:
    case kMenuStatePartyOrder:
      if (state == kMenuStatePartyOrder && first_pick >= 0 && first_pick < kMemberCount)
        mark(kNameX, MemberRowY(first_pick) - kNameAbove);
      at_member(std::clamp<int>(member_cursor, 0, kMemberCount - 1), 0);
      break;
    case kMenuStateSlots:
    case kMenuStateEquipSlots:
    case kMenuStateEspSlots:
      if (state == kMenuStateSlots && first_pick >= 0 && first_pick < kUsedEquipSlots) {
        SlotPosition(first_pick, &x, &y);
        mark(x, y);
      }
      SlotPosition(
          std::clamp<int>(slot_cursor[std::clamp<int>(member_cursor, 0, kMemberCount - 1)], 0, kUsedEquipSlots - 1), &x,
          &y);
      hand.DrawHandCursor(x, y, 0, 0);
      break;
    case kMenuStateBag:
    case kMenuStateEquipFromBag:
    case kMenuStateEspFromStock:
    case kMenuStateSell: {
      const int cursor = state == kMenuStateEspFromStock ? stock_cursor
                         : state == kMenuStateSell       ? sell_cursor
                                                         : bag_cursor;
      const int scroll = state == kMenuStateEspFromStock ? stock_scroll
                         : state == kMenuStateSell       ? sell_scroll
                                                         : bag_scroll;
      if (state != kMenuStateEquipFromBag && first_pick >= 0 && ListEntryPosition(first_pick, scroll, &x, &y))
        mark(x, y);
      if (ListEntryPosition(cursor, scroll, &x, &y)) hand.DrawHandCursor(x, y, 0, 0);
      break;
    }
    case kMenuStateMaterials:
    case kMenuStateAllMaterials:
      MaterialPosition(material_cursor, &x, &y);
      hand.DrawHandCursor(x, y + kMaterialTextBelow, 0, 0);
      break;
    case kMenuStateBagCommand:
      hand.DrawHandCursor(kSubCommandX + kSubCommandStep * std::clamp<int>(sub_command, 0, 2), kSubCommandY, 0, 0);
      break;
    case kMenuStateItemTarget:
      for (int k = 0; k < kMemberCount; ++k) {
        if ((target < 0 && TheGameData().Members[k][kMemberPresent] != 0) || k == target) {
          hand.DrawHandCursor(kTargetPictureX, MemberRowY(k) + kTargetHandBelow, target < 0 ? 1 : 0, 0);
        }
      }
      break;
    default:
      // The list screens point at their own rows.
      break;
  }
}

void FieldMenu::DrawMenuHeader() {
  TheWindowFrame.DrawFrameBox(38, 0, 104, 22, 0);
  DrawCodesClipped(48, 8, title_line, kMenuTitleGlyphs);
  TheWindowFrame.DrawFrameBox(37, 216, 283, 239, 0);
  DrawCodesClipped(45, 224, help_line, kMenuHelpGlyphs);
}

void FieldMenu::DrawMenuShake() {
  if (shake <= 0) return;
  if (shake >= kShakeFrames) PlayGameSound(kMenuSoundRefused);
  if (ScreenCopyGraph > 0) {
    vexal::CopyScreenToGraph(0, 0, kGameScreenWidth, kGameScreenHeight, ScreenCopyGraph, 1);
    vexal::SetBlendModeParam(kBlendAlpha, kShakeAlpha);
    vexal::DrawGraph(shake, 0, ScreenCopyGraph, 0);
    vexal::DrawGraph(-shake, 0, ScreenCopyGraph, 0);
    vexal::SetBlendModeParam(kBlendOff, 0);
  }
  --shake;
}

}  // namespace game
