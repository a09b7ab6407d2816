// The field menu behind game mode 1: its pages (status, items, equipment, abilities,
// materials, party order, long jump, save and load), the shop and the concoction screen.
// Each frame draws the current page and runs one step of the state machine; the step
// reads a snapshot of the buttons, so the rules run without a screen.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace game {

// Pages.
inline constexpr int kMenuPageMain = 0;
inline constexpr int kMenuPageMember = 1;
inline constexpr int kMenuPageBag = 2;
inline constexpr int kMenuPageStock = 3;
inline constexpr int kMenuPageMaterials = 4;
inline constexpr int kMenuPageJump = 5;
inline constexpr int kMenuPageSaveLoad = 6;
inline constexpr int kMenuPageShop = 7;
inline constexpr int kMenuPageConcoction = 8;
inline constexpr int kMenuPageItemTarget = 9;

// The states of the menu's machine, by the screen each shows (the page in brackets).
enum MenuState : int {
  kMenuStateMain = 0,                // the main page's entries (main)
  kMenuStateSlotsMember = 1,         // choose a member for its command slots (main)
  kMenuStateSlots = 2,               // the member's command slots: use or swap (member)
  kMenuStateBag = 3,                 // the bag: use, discard or swap (bag)
  kMenuStateEquipMember = 4,         // choose a member to equip (main)
  kMenuStateEquipSlots = 5,          // the member's equipment slots (member)
  kMenuStateEquipFromBag = 6,        // the bag item to wear in the slot (bag)
  kMenuStateEspMember = 7,           // choose a member for its ESP (main)
  kMenuStateEspSlots = 8,            // the member's ESP slots (member)
  kMenuStateEspFromStock = 9,        // the ability to take into the slot (stock)
  kMenuStateMaterials = 10,          // the materials held (materials)
  kMenuStatePartyOrder = 11,         // two members change places (main)
  kMenuStateJumpPoints = 12,         // the long-jump points (jump)
  kMenuStateBagCommand = 15,         // use, discard or sort the bag (bag)
  kMenuStateAllMaterials = 16,       // all twenty materials (materials)
  kMenuStateJumpMode = 17,           // teleport or register (jump)
  kMenuStateSaveList = 18,           // the save list (save and load)
  kMenuStateSaveConfirm = 19,        // "save here?" (save and load)
  kMenuStateLoadList = 20,           // the load list (save and load)
  kMenuStateShop = 31,               // buy or sell (shop)
  kMenuStateBuy = 32,                // the goods (shop)
  kMenuStateSell = 33,               // the bag as the sell list (bag)
  kMenuStateConcoction = 41,         // choose three materials (concoction)
  kMenuStateConcoctionResult = 42,   // what they make (concoction)
  kMenuStateConcoctionConfirm = 43,  // "make it?" (concoction)
  kMenuStateItemTarget = 50,         // who an item is used on (item target)
  kMenuStateItemResult = 51,         // what it did (item target)
};

// Menu buttons: the key-cast numbers.
inline constexpr int kMenuUp = 0, kMenuDown = 1, kMenuRight = 2, kMenuLeft = 3, kMenuDecide = 4, kMenuCancel = 5,
                     kMenuSwitch = 6, kMenuDescribe = 7, kMenuPageDown = 8, kMenuPageUp = 9;

// Menu sounds.
inline constexpr int kMenuSoundCancel = 1, kMenuSoundSort = 2, kMenuSoundDecide = 3, kMenuSoundRefused = 4,
                     kMenuSoundChanged = 5, kMenuSoundJump = 6, kMenuSoundSaved = 7, kMenuSoundConcocted = 30;

inline constexpr int kShakeFrames = 5;
inline constexpr int kItemResultFrames = 30;
inline constexpr int kMaxJumpPointLimit = 32;  // scalar 4 never rises above it
inline constexpr int kGoodsCount = 8;
inline constexpr int kBagPageEntries = 22;  // 11 rows of 2
inline constexpr int kJumpRows = 11;
inline constexpr int kSaveRows = 3;
// The header lines: buffers of glyph codes, and the glyphs a line shows.
inline constexpr int kMenuTitleBytes = 16;
inline constexpr int kMenuHelpBytes = 512;
inline constexpr int kMenuTitleGlyphs = 8;
inline constexpr int kMenuHelpGlyphs = 30;
// The field's character pictures: 4 directions x 4 walking frames for each character
// graphic; frame 0 stands facing down.
inline constexpr int kFramesPerCharacter = 16;

// One frame's buttons: bit n for key-cast button n.
struct MenuKeys {
  uint16_t down = 0;     // held
  uint16_t pressed = 0;  // went down this frame
  uint16_t repeat = 0;   // press-or-repeat pulse
  bool Down(int n) const { return (down >> n) & 1u; }
  bool Pressed(int n) const { return (pressed >> n) & 1u; }
  bool Repeat(int n) const { return (repeat >> n) & 1u; }
};
// This frame's buttons from the game's key input.
MenuKeys SampleMenuKeys();

class FieldMenu {
 public:
  virtual ~FieldMenu() = default;

  // The seven ID-card pieces of system\idcard.png (6 x 8 each, 7 across).
  void LoadIdCardImages();
  // The caller sets game mode 1.
  void OpenMenu(int state, int page);
  void OpenShop(const std::array<int32_t, kGoodsCount>& goods);
  void OpenConcoction();
  // Ownership flags, then back to the field (its event pages and walls again).
  void CloseMenu();
  // which 0 the title, 1 the help line: Shift-JIS text (converted), or glyph codes (up to
  // their first 0). A line longer than its buffer is cut.
  void SetMenuLine(int which, std::string_view sjis);
  void SetMenuLineCodes(int which, std::span<const uint8_t> codes);

  // One frame: pages, step, cursor, header, shake.
  void MenuFrame();
  // One step of the state machine with these buttons.
  void UpdateMenu(const MenuKeys& keys);
  void DrawMenuPages();
  void DrawMenuCursor();
  void DrawMenuHeader();
  void DrawMenuShake();
  void SelectNextMember(int direction);

  // Item use: user member or -1 (the bag), the slot it is in, the item.
  void BeginUseItem(int user, int slot, int item);
  void UseItemEffect(int target);

  // The title and help line the current state shows.
  void UpdateHeaderLines();

  int page = kMenuPageMain;
  int state = kMenuStateMain;
  int first_pick = -1;
  int bag_scroll = 0, stock_scroll = 0, jump_scroll = 0, save_scroll = 0, sell_scroll = 0;
  int16_t main_cursor = 0, member_cursor = 0;
  std::array<int16_t, 4> slot_cursor{};
  int16_t bag_cursor = 0, sub_command = 0, stock_cursor = 0, material_cursor = 0;
  int16_t jump_mode = 0, jump_cursor = 0, save_cursor = 0;
  int16_t shop_choice = 0, goods_cursor = 0, sell_cursor = 0;
  int16_t concoction_result = 0, target = 0, result_timer = 0;
  std::array<int, 7> id_card{};
  std::array<int32_t, kGoodsCount> goods{};
  std::array<int, 3> chosen{};
  int chosen_count = 0;
  int saved_page = 0, saved_state = 0;
  int use_member = -1, use_slot = 0, use_item = 0;
  int shake = 0;
  bool description_shown = false;
  int frame_counter = 0;
  bool load_from_title = false;                       // the load list was opened by the title's CONTINUE
  std::array<uint8_t, kMenuTitleBytes> title_line{};  // glyph codes, 0-terminated
  std::array<uint8_t, kMenuHelpBytes> help_line{};

 private:
  void Refuse() { shake = kShakeFrames; }
  void MoveBagCursor(const MenuKeys& keys, int16_t& cursor, int last);
  int JumpLimit() const;
  void UpdateMainAndMembers(const MenuKeys& keys);
  void UpdateLists(const MenuKeys& keys);
  void UpdateJump(const MenuKeys& keys);
  void UpdateSaveLoad(const MenuKeys& keys);
  void UpdateShop(const MenuKeys& keys);
  void UpdateConcoction(const MenuKeys& keys);
  void UpdateItemUse(const MenuKeys& keys);

  // The pages of the party, items and materials.
  void DrawMainPage();
  void DrawMemberPage();
  void DrawBagPage();
  void DrawStockPage();
  void DrawMaterialsPage();
  void DrawItemTargetPage();
  // The lists: long jump, save and load, the shop and concoction.
  void DrawJumpPage();
  void DrawSaveLoadPage();
  void DrawShopPage();
  void DrawConcoctionPage();
};

// The game's one field menu.
extern FieldMenu TheFieldMenu;
// The menu's frame handler for game mode 1.
void FieldMenuFrame();
// Entry points for the field and the scripts: the menu key, shop (code 71), concoction
// (code 72), the title's continue. Each sets game mode 1.
void OpenFieldMenu();
void OpenShopScreen(const std::array<int32_t, kGoodsCount>& goods);
void OpenConcoctionScreen();
void OpenLoadList();
// Back to the state at load, for tests.
void ResetFieldMenu();

// What the menu asks of the field, which lies above it: game/entry hands it over at
// start-up (field_wiring.cpp). With none, closing the menu leaves the field as it was and
// the party's pictures are not drawn.
struct MenuFieldHooks {
  // The field takes the party back: its event pages are chosen again and its walls
  // rebuilt, since a page changed by an ownership flag may add or remove one.
  void (*return_to_field)() = nullptr;
  // The field's character pictures: kFramesPerCharacter handles for each character graphic.
  std::span<const int> (*character_frames)() = nullptr;
};
void SetMenuFieldHooks(MenuFieldHooks hooks);
// The field's character pictures (empty without a field).
std::span<const int> FieldCharacterFrames();

}  // namespace game
