// Everything that describes the party and the world's tables: the four members with their
// status and equipment, the bag, the ability stock, the materials, money and the scalar
// state, map marks and long-jump points (the party part, which a save holds), then the
// item, map, enemy, encounter and recipe tables read from the database files and the
// save-slot summaries.
//
// The rules decide without a screen. The sounds and pop-ups
// the operations give, the random numbers they draw and the pictures they load go
// through hooks, so tests can watch them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace game {

// Table sizes.
inline constexpr int kMemberCount = 4;
inline constexpr int kMemberValues = 128;
inline constexpr int kStatusBytes = 32;
inline constexpr int kEquipSlots = 16;
inline constexpr int kUsedEquipSlots = 11;      // slots 0-10 are worn
inline constexpr int kStartingEquipSlots = 10;  // starting equipment goes into 0-9
inline constexpr int kStackCount = 256;         // bag and stock stacks
inline constexpr int kUsedBagSlots = 64;        // bag slots 0-63 are used
inline constexpr int kMaterialCount = 32;
inline constexpr int kHarvestTimes = 128;
inline constexpr int kScalarCount = 128;
inline constexpr int kMapMarkCount = 2048;
inline constexpr int kNewGameMapMarks = 512;  // marks a new game clears
inline constexpr int kLongJumpPoints = 33;    // 0-31 destinations, 32 the saved position
inline constexpr int kSavedPositionPoint = 32;
inline constexpr int kLongJumpNameBytes = 64;
inline constexpr int kRecipeCount = 512;
inline constexpr int kItemCount = 780;
inline constexpr int kItemValues = 64;
inline constexpr int kNameCodes = 16;  // item and enemy names, drawn as exactly 16
inline constexpr int kDescriptionCodes = 36;
inline constexpr int kMapCount = 512;
inline constexpr int kMapNameBytes = 48;
inline constexpr int kSaveSlots = 16;
inline constexpr int kEnemyCount = 800;
inline constexpr int kEnemyValues = 64;
inline constexpr int kEncounterRowLength = 24;
inline constexpr int kEncounterListLength = 8;
inline constexpr int kFruitGraphs = 20;
inline constexpr int kMaterialNames = 20;
inline constexpr int kSlotPlaceBytes = 64;
inline constexpr int kSlotDateCodes = 36;

// Stack counts with a meaning of their own.
inline constexpr uint16_t kAbilityCount = 0xFFC0;    // an ability worn in an equipment slot
inline constexpr uint16_t kStockUnlimited = 0xFFFF;  // a stock count a new game sets
inline constexpr uint8_t kRecipeUnsetMaterial = 0xFF;
inline constexpr uint16_t kMapMarkEnd = 0xFFFF;  // area of the ring's end marker
inline constexpr uint16_t kEmptySlotLeader = 0xFFFF;

// `PartyMember` value indexes.
inline constexpr int kMemberPresent = 0;
inline constexpr int kMemberId = 1;
inline constexpr int kMemberHp = 2;
inline constexpr int kMemberMaxHp = 3;
inline constexpr int kMemberPp = 4;
inline constexpr int kMemberMaxPp = 5;
inline constexpr int kMemberBaseAttack = 6;  // 6-9 base attack, defence, speed, spirit
inline constexpr int kMemberAttack = 10;     // 10-13 the same with equipment
inline constexpr int kMemberFieldGraphic = 18;
inline constexpr int kMemberEspLevel = 19;
// The member page shows two digits; the battle multiplies the level, so a larger one on file
// is damage, not progress, and nothing in play raises it past this.
inline constexpr int kMaxEspLevel = 99;
inline constexpr int kMemberBaseMaxHp = 22;
inline constexpr int kMemberBaseMaxPp = 23;
// Words a battle keeps in the member's block (a combatant is laid out as a member, its
// word 0 the combatant's kind).
inline constexpr int kMemberGrowthPoints = 14;    // 14-17 growth points of the four stats
inline constexpr int kMemberGrowthModifier = 16;  // also speed's growth points: -1 none, 1 more
inline constexpr int kMemberHpPoints = 24;        // growth points of HP and PP
inline constexpr int kMemberPpPoints = 25;
inline constexpr int kMemberBattleAttack = 38;  // 38-41 battle attack, defence, speed, spirit

// Status bytes of a member.
inline constexpr int kStatusDown = 0;       // 1 while the member is down
inline constexpr int kStatusIll = 1;        // bytes 1-4: the ailments
inline constexpr int kStatusParalysed = 2;  // no command slot can be used
inline constexpr int kStatusPoisoned = 3;
inline constexpr int kStatusBlind = 4;
inline constexpr int kStatusFirstAilment = kStatusIll, kStatusLastAilment = kStatusBlind;
inline constexpr int kStatusSelected = 6;  // the battle's chosen command slot
inline constexpr int kStatusFirstRow = 7;  // the first command row the battle shows

// Scalar indexes.
inline constexpr int kScalarMoney = 0;
inline constexpr int kScalarEventBits = 1;
inline constexpr int kScalarStepValue = 2;
inline constexpr int kScalarFlagWord = 3;
inline constexpr int kScalarMenuValue = 4;
inline constexpr int kScalarCurrentMap = 5;
inline constexpr int kScalarSavedSeconds = 6;
inline constexpr int kScalarSaveCount = 7;
inline constexpr int kScalarLeader = 8;
inline constexpr int kScalarLeaderGraphic = 9;
inline constexpr int kScalarEncounterSteps = 10;
inline constexpr int kScalarEncounterMean = 11;
inline constexpr int kScalarEncounterSpread = 12;
inline constexpr int kScalarStepCount = 13;
// Bits of the flag word.
inline constexpr uint32_t kFlagWordMarkedMap = 1u << 0;
inline constexpr uint32_t kFlagWordNewGame = 1u << 1;
inline constexpr uint32_t kFlagWordSpecialWorn = 1u << 2;

// `ItemRecord` value indexes.
inline constexpr int kItemUses = 0;
inline constexpr int kItemPrice = 1;
inline constexpr int kItemPpCost = 2;
inline constexpr int kItemKind = 3;
inline constexpr int kItemAttackBonus = 4;  // 4-7 attack, defence, speed, spirit
inline constexpr int kItemMaxHpBonus = 8;
inline constexpr int kItemMaxPpBonus = 9;
inline constexpr int kItemRange = 10;    // a TargetRange
inline constexpr int kItemHelpful = 11;  // 0 harmful, 1 helpful
inline constexpr int kItemRaise = 12;    // the base amount
inline constexpr int kItemMultiplier = 13;
inline constexpr int kItemMode = 14;       // the battle's special modes
inline constexpr int kItemDependsOn = 15;  // the stat used, 0-3
inline constexpr int kItemHits = 17;
inline constexpr int kItemEffectKind = 20;     // the battle's hit effect
inline constexpr int kItemEffectPerSide = 21;  // 0: one effect per combatant of a side
inline constexpr int kItemSound = 22;          // the sound-table row of each hit or use
inline constexpr int kItemCharges = 25;        // above 0: the action charges first
inline constexpr int kItemFieldUse = 26;       // a FieldUseType

// Item word 10: whom an action reaches. A member choosing may switch the side of 0-3;
// 4-7 keep theirs. Foes and allies are the acting side's.
enum TargetRange : int32_t {
  kTargetOneFoe = 0,         // "1たい"
  kTargetOneAlly = 1,        // "ひとり"
  kTargetAllFoes = 2,        // "てきぜんたい"
  kTargetAllAllies = 3,      // "みかたぜんたい"
  kTargetOneFoeOnly = 4,     // "てき１たい"
  kTargetOneAllyOnly = 5,    // "みかたひとり"
  kTargetAllFoesOnly = 6,    // "てきぜんたい"
  kTargetAllAlliesOnly = 7,  // "みかたぜんたい"
  kTargetEveryone = 8,       // "てきみかたぜんたい"
  kTargetEveryoneToo = 9,    // the same as 8
  kTargetSelf = 10,          // "じぶん"
};

// Item word 26: what an item does used from the field menu.
enum FieldUseType : int32_t {
  kFieldUseNone = 0,
  kFieldUseHealHp = 1,
  kFieldUseHealPp = 2,
  kFieldUseCure = 3,  // the ailments, and HP
  kFieldUseRevive = 4,
  kFieldUseFullHeal = 5,     // HP and PP to their maxima, the ailments cured
  kFieldUseRestore = 6,      // HP and PP to their maxima
  kFieldUseRaiseAttack = 7,  // 7-10 the base stats, in order
  kFieldUseRaiseDefence = 8,
  kFieldUseRaiseSpeed = 9,
  kFieldUseRaiseSpirit = 10,
  kFieldUseRaiseMaxHp = 11,
  kFieldUseRaiseMaxPp = 12,
  kFieldUseBreakLevel = 13,  // 13-16 the ESP level of member id (type - 13), whose power it is
  kFieldUseJumpLevel = 14,
  kFieldUseShieldLevel = 15,
  kFieldUseTelepathyLevel = 16,
  kFieldUseJumpPoints = 17,  // one more long-jump point, for member id 1
};

// Item kinds with a rule of their own.
inline constexpr int kFirstAbilityKind = 301;  // kinds from here live in the stock
inline constexpr int kFirstArmourKind = 201;
inline constexpr int kWholeBodyArmourKind = 205;
inline constexpr int kOwnAbilityKind = 313;  // cannot be unequipped
inline constexpr int kItemKindRows = 40;

// The clamped uses of an item read from the database.
inline constexpr int32_t kUsesUnlimited = -64;  // a negative value on file
inline constexpr int32_t kUsesLevelled = -32;   // 999 or more on file

// Sound-table rows the operations play.
inline constexpr int kSoundRefused = 4;
inline constexpr int kSoundPaid = 17;

// Database files.
inline constexpr char kConcoctionFile[] = "system\\concoction.txt";
inline constexpr char kItemFile[] = "system\\backup.txt";
inline constexpr char kMapListFile[] = "system\\maplist.txt";
inline constexpr char kSlotListFile[] = "save\\nightloom.sav";
inline constexpr char kEnemyFile[] = "ene\\enemy.txt";
inline constexpr char kEncounterFile[] = "ene\\party.txt";
inline constexpr char kFruitFile[] = "system\\fruit.png";

struct ItemStack {
  uint16_t id = 0;     // 0 = empty
  uint16_t count = 0;  // uses, level or stock count
  bool operator==(const ItemStack&) const = default;
};

using PartyMember = std::array<int32_t, kMemberValues>;

struct MapMark {
  uint16_t area = 0;
  uint16_t x = 0;
  uint16_t y = 0;
  uint16_t map = 0;
  bool operator==(const MapMark&) const = default;
};

struct LongJumpPoint {
  uint32_t area = 0;
  uint16_t x = 0;
  uint16_t y = 0;
  std::array<char, kLongJumpNameBytes> name{};  // Shift-JIS, zero-terminated
};

struct ItemRecord {
  std::array<int32_t, kItemValues> values{};
  std::array<uint8_t, kNameCodes> name{};                // glyph codes, no terminator
  std::array<uint8_t, kDescriptionCodes> description{};  // glyph codes
};

// `EnemyRecord` value indexes.
inline constexpr int kEnemySpriteValue = 0;  // the enemy sprite list's entry
inline constexpr int kEnemyFirstFrameValue = 1;
inline constexpr int kEnemyEspValue = 3;
inline constexpr int kEnemyHpValue = 4;
inline constexpr int kEnemyPpValue = 5;
inline constexpr int kEnemyStatValue = 6;      // 6-9 attack, defence, speed, spirit
inline constexpr int kEnemyCommandValue = 10;  // 10-20 the items of command slots 0-10
inline constexpr int kEnemyDropValue = 22;
inline constexpr int kEnemyRareDropValue = 23;
inline constexpr int kEnemyMoneyValue = 24;

struct EnemyRecord {
  std::array<uint8_t, kNameCodes> name{};
  std::array<int32_t, kEnemyValues> values{};
};

using EncounterGroup = std::array<uint32_t, kEncounterRowLength>;

struct SaveSlotSummary {
  uint16_t leader_id = kEmptySlotLeader;
  std::array<uint32_t, 4> values{};  // HP, max HP, PP, max PP of that member
  uint32_t play_seconds = 0;
  std::array<char, kSlotPlaceBytes> place{};  // Shift-JIS, zero-terminated
  std::array<uint16_t, kMemberCount> graphics{};
  std::array<uint8_t, kSlotDateCodes> date{};  // glyph codes, zero-terminated
};

// What the operations tell the player, draw from and load pictures with; tests replace
// them. Null restores the default (the sound table, the pop-up window, vexal::RandomUpTo,
// vexal::LoadDivGraph).
struct GameDataHooks {
  void (*play_sound)(int row) = nullptr;
  void (*show_popup)(std::string_view sjis) = nullptr;
  int32_t (*random_up_to)(int32_t max) = nullptr;
  int (*load_div_graph)(std::string_view file, int all, int across, int down, int w, int h, int* handles) = nullptr;
};
void SetGameDataHooks(GameDataHooks hooks);
// The default pop-up: the message window's, which lies above the game state, so game/entry
// hands it over at start-up. Until then (and with null) a pop-up shows nothing.
void SetPopupWindow(void (*show_popup)(std::string_view sjis));
void PlayGameSound(int row);
void ShowGamePopup(std::string_view sjis);
int32_t GameRandomUpTo(int32_t max);
int GameLoadDivGraph(std::string_view file, int all, int across, int down, int w, int h, int* handles);

// Row of a kind in the label table, -1 when absent; and its Shift-JIS label ("" absent).
int ItemKindIndex(int kind);
std::string_view ItemKindLabel(int kind);

// Copies Shift-JIS text into a zero-terminated field, cut before a character that does
// not fit whole.
void CopySjisBounded(std::string_view text, std::span<char> out);

class GameData {
 public:
  // Empty summaries, the names, a new game, then the recipes from system\concoction.txt:
  // construct it where the working directory is the data folder.
  GameData();
  virtual ~GameData() = default;

  // The database files in order, the fruit graphs, then a new game.
  void LoadGameDatabase();
  void NewGame();

  void SetEventBit(int n);
  int TestEventBit(int n) const;

  // The polar method's normal deviate; every second call returns the cached spare.
  static float GaussRandom();
  // Scalar 10 from the encounter mean and spread, at least 4; returns it.
  uint32_t RollGaussValue();
  // Fills EncounterList for a battle on the current map.
  void BuildEncounter();

  // Party, bag, equipment and shop operations.
  void SwapBagSlots(int a, int b);
  void SortBag();
  void SwapStockSlots(int a, int b);
  void SwapEquipSlots(int member, int a, int b);
  void SwapMembers(int a, int b);
  int EquipFromBag(int member, int slot, int bag_index);
  int EquipAbility(int member, int slot, int stock_index);
  int Unequip(int member, int slot);
  void RecalcPartyStats();
  // 0 bought; 1 refused (money, a full bag or a full stock).
  int BuyItem(int item);
  void SellBagItem(int bag_index);
  // The price paid back; -1 when there is nothing to sell: an item with no uses to divide
  // by, or an index outside the bag.
  int64_t SellPrice(int bag_index) const;
  // The next present member by id leads (scalar 8) and lends the party its field picture
  // (scalar 9); false, with nothing changed, when no member is present.
  bool NextLeader();
  // The field ESP that button 6 uses: the leader's own power, by member id (0 break,
  // 1 jump, 2 shield, 3 telepathy), so it changes with the leader and a save keeps it.
  int SelectedFieldEsp() const { return static_cast<int>(Scalars[kScalarLeader]); }
  // 0 added; 1 when the stock has no room (nothing changes).
  int AddItem(int item);
  int Concoct(int a, int b, int c, int apply);
  void RemoveUsedUpItems();
  void AddMapMark(int x, int y, int area, int map);
  // A step on a floor that does `damage` to every able member: 1 when it hurt, 0 when the
  // leader's shield kept it off. The member who would down the last able one keeps 1 HP,
  // and *wiped_out becomes 1 when every member hurt was already at 1 HP or less (the
  // field's wipe-out), else 0; it is left alone otherwise.
  int PartyStepUpdate(int damage, int* wiped_out);
  void EquipStarting(int member, int item);
  void UpdateOwnershipFlags();

  // Saves and loads.
  int SaveGame(int slot);
  int LoadGame(int slot);
  void RecordLongJumpPoint(int n);
  void ReadSlotSummaries();

  // The record of an id, or record 0 for an id outside the table.
  const ItemRecord& Item(int id) const;
  int ItemKind(int id) const { return Item(id).values[kItemKind]; }
  int PresentMemberCount() const;

  // The party part: what a save holds and a new game resets.
  std::array<uint32_t, kEncounterListLength> EncounterList{};
  std::array<PartyMember, kMemberCount> Members{};
  std::array<std::array<uint8_t, kStatusBytes>, kMemberCount> Status{};
  std::array<std::array<ItemStack, kEquipSlots>, kMemberCount> Equipment{};
  std::array<ItemStack, kStackCount> ItemBag{};
  std::array<ItemStack, kStackCount> AbilityStock{};
  std::array<ItemStack, kMaterialCount> Materials{};
  std::array<uint32_t, kHarvestTimes> HarvestTimes{};
  std::array<uint32_t, kScalarCount> Scalars{};
  std::array<MapMark, kMapMarkCount> MapMarks{};
  std::array<LongJumpPoint, kLongJumpPoints> LongJumpPoints{};
  // The tables.
  std::array<std::array<char, 12>, kMemberCount> MemberNames{};
  std::array<std::array<char, 10>, kMemberCount> MemberLabels{};
  std::array<std::array<char, 10>, 4> StatNames{};
  std::array<std::array<uint8_t, 3>, kRecipeCount> RecipeMaterials{};
  std::array<uint32_t, kRecipeCount> RecipeResults{};
  std::array<ItemRecord, kItemCount> Items{};
  std::array<std::array<char, kMapNameBytes>, kMapCount> MapList{};
  std::array<SaveSlotSummary, kSaveSlots> SlotSummaries{};
  std::array<EnemyRecord, kEnemyCount> Enemies{};
  std::array<EncounterGroup, kMapCount> EncounterGroups{};
  std::array<int, kFruitGraphs> FruitGraphs{};
  std::array<std::array<char, 32>, kMaterialNames> MaterialNames{};

 private:
  void ResetRecipes();
  void ReadConcoctions();
  void ReadItems();
  void ReadMapList();
  void ReadEnemies();
  void ReadEncounterGroups();
  void LoadFruitGraphs();
  // The first empty bag stack among 0-63, -1 none.
  int FirstEmptyBagSlot() const;
  // The stock stack holding id, else the first with id 0; -1 none.
  int StockSlotFor(int id) const;
};

// The game's one data object, made by CreateGameData (or on first use).
GameData& TheGameData();
// Constructs the game data now (reading files from the working directory).
void CreateGameData();
// Forgets it, so the next use constructs a fresh one; hooks go back to the defaults (the
// pop-up window and the party's field, which game/entry wires, stay).
void ResetGameData();

// GaussRandom's own 15-bit generator (0..32767), seeded from the time on first use.
struct GaussRandomStateRecord {
  int32_t Seeded = 0;
  uint32_t Next = 1;  // generator state
  int32_t HasSpare = 0;
  float Spare = 0.0f;
};
extern GaussRandomStateRecord GaussRandomState;
int GaussRand15();
void SeedGaussRand(uint32_t seed);
void ResetGaussRandomState();

}  // namespace game
