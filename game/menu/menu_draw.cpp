// Drawing the menu: the header boxes with the title and help line, and the shake that
// answers a refusal. The pages themselves are not drawn yet.
#include "game/data/game_data.h"
#include "game/entry/frame_loop.h"
#include "game/menu/field_menu.h"
#include "game/text/window_frame.h"
#include "game/text/bitmap_font.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

namespace {

constexpr int kBlendOff = 0, kBlendAlpha = 1;
constexpr int kShakeAlpha = 128;

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

void FieldMenu::DrawMainPage() {}
void FieldMenu::DrawMemberPage() {}
void FieldMenu::DrawBagPage() {}
void FieldMenu::DrawStockPage() {}
void FieldMenu::DrawMaterialsPage() {}
void FieldMenu::DrawItemTargetPage() {}
void FieldMenu::DrawMenuCursor() {}

void FieldMenu::DrawMenuHeader() {
  TheWindowFrame.DrawFrameBox(38, 0, 104, 22, 0);
  TheBitmapFont.DrawSjisText(48, 8, title_line);
  TheWindowFrame.DrawFrameBox(37, 216, 283, 239, 0);
  TheBitmapFont.DrawSjisText(45, 224, help_line);
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
