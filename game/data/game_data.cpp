// The game data object: construction, the hooks, a new game, the event bits and the item
// kind labels.
#include "game/data/game_data.h"

#include <algorithm>
#include <cstring>

#include "game/data/game_flags.h"
#include "game/data/party_field.h"
#include "game/data/save_icons.h"
#include "game/data/sound_table.h"
#include "vexal/app/system/random.h"
#include "vexal/graphics/graphs/graph_load.h"

namespace game {
namespace {

std::unique_ptr<GameData> the_game_data;                // made at start-up or on first use
GameDataHooks hooks;                                    // null members: the defaults
void (*popup_window)(std::string_view sjis) = nullptr;  // the default pop-up, none shown

constexpr const char* kMemberNameTexts[kMemberCount] = {"みなみ", "しば", "みさ", "あいね"};
constexpr const char* kMemberLabelTexts[kMemberCount] = {"ブレイク", "ジャンプ", "シールド", "テレパシ"};
constexpr const char* kStatNameTexts[4] = {"こうげき", "ぼうぎょ", "すばやさ", "せいしん"};
constexpr const char* kMaterialNameTexts[kMaterialNames] = {
    "やむのみ",   "るくのみ",   "あえのみ", "えくのみ",     "ういのみ",   "きえのみ",   "さとのみ",
    "ゆかのみ",   "まいのみ",   "よしのみ", "しいのみ",     "まくのみ",   "フェノール", "アセトン",
    "モルホリン", "アスピリン", "コカイン", "ダークマター", "クリスタル", "にこちゃん"};

struct KindLabel {
  int kind;
  const char* label;
};
constexpr KindLabel kKindLabels[kItemKindRows] = {{1, "くすり"},
                                                  {2, "バトルアイテム"},
                                                  {3, "とくしゅアイテム"},
                                                  {4, "キーアイテム"},
                                                  {51, "とくしゅのうりょく"},
                                                  {101, "つえ"},
                                                  {102, "こうぐ"},
                                                  {103, "ナイフ"},
                                                  {104, "ソード"},
                                                  {105, "フレイル"},
                                                  {106, "どんき"},
                                                  {107, "やり"},
                                                  {108, "むち"},
                                                  {109, "かぎづめ"},
                                                  {110, "とうき"},
                                                  {111, "サイコウェポン"},
                                                  {112, "じゅうかき"},
                                                  {113, "かくとうぎ"},
                                                  {151, "たて"},
                                                  {201, "ぼうぐ＿あたま"},
                                                  {202, "ぼうぐ＿うで"},
                                                  {203, "ぼうぐ＿からだ"},
                                                  {204, "ぼうぐ＿あし"},
                                                  {205, "ぼうぐ＿ぜんしん"},
                                                  {206, "アクセサリ"},
                                                  {301, "サイコキネシス"},
                                                  {302, "パイロキネシス"},
                                                  {303, "エレクトロキネシス"},
                                                  {304, "ハイドロキネシス"},
                                                  {305, "エアロキネシス"},
                                                  {306, "ジオキネシス"},
                                                  {307, "ジャンプ"},
                                                  {308, "パワーアップ"},
                                                  {309, "シールド"},
                                                  {310, "テレパシー"},
                                                  {311, "ヒーリング"},
                                                  {312, "とくしゅ"},
                                                  {313, "こゆうのうりょく"},
                                                  {314, "コピーアーツ"},
                                                  {315, "とくしゅこうか"}};

// Start values by member: HP, PP, attack, defence, speed, spirit.
constexpr int kStartValues[kMemberCount][6] = {
    {68, 43, 6, 1, 5, 4}, {75, 38, 5, 2, 8, 4}, {72, 40, 12, 1, 5, 5}, {59, 62, 4, 1, 6, 10}};
constexpr int kFirstFieldGraphic = 34;
constexpr int kStartEspLevel = 1;
constexpr int kStartingItems[kMemberCount][6] = {{501, 121, 211, 285, 401, 0},
                                                 {502, 91, 181, 288, 411, 505},
                                                 {503, 133, 212, 241, 431, 0},
                                                 {504, 201, 402, 411, 0, 0}};
constexpr int kStartingMaterials[] = {0, 1, 2, 4};

template <size_t N>
void CopyText(const char* text, std::array<char, N>& out) {
  out.fill('\0');
  CopySjisBounded(text, out);
}

bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

void DefaultPlaySound(int row) { TheSoundTable.PlaySoundEffect(row); }
void DefaultShowPopup(std::string_view sjis) {
  if (popup_window != nullptr) popup_window(sjis);
}

}  // namespace

void SetGameDataHooks(GameDataHooks h) { hooks = h; }

void SetPopupWindow(void (*show_popup)(std::string_view sjis)) { popup_window = show_popup; }

void PlayGameSound(int row) { (hooks.play_sound ? hooks.play_sound : DefaultPlaySound)(row); }

void ShowGamePopup(std::string_view sjis) { (hooks.show_popup ? hooks.show_popup : DefaultShowPopup)(sjis); }

int32_t GameRandomUpTo(int32_t max) { return (hooks.random_up_to ? hooks.random_up_to : vexal::RandomUpTo)(max); }

int GameLoadDivGraph(std::string_view file, int all, int across, int down, int w, int h, int* handles) {
  return (hooks.load_div_graph ? hooks.load_div_graph : vexal::LoadDivGraph)(file, all, across, down, w, h, handles);
}

int ItemKindIndex(int kind) {
  for (int i = 0; i < kItemKindRows; ++i) {
    if (kKindLabels[i].kind == kind) return i;
  }
  return -1;
}

std::string_view ItemKindLabel(int kind) {
  int i = ItemKindIndex(kind);
  return i < 0 ? std::string_view() : std::string_view(kKindLabels[i].label);
}

void CopySjisBounded(std::string_view text, std::span<char> out) {
  if (out.empty()) return;
  size_t n = 0;
  while (n < text.size() && text[n] != '\0') {
    size_t width = IsSjisLead(static_cast<unsigned char>(text[n])) ? 2 : 1;
    if (n + width >= out.size() || n + width > text.size()) break;
    n += width;
  }
  if (n > 0) std::memcpy(out.data(), text.data(), n);  // an empty view may have no data
  out[n] = '\0';
}

GameData::GameData() {
  // SlotSummaries start empty by their initialisers.
  for (int m = 0; m < kMemberCount; ++m) {
    CopyText(kMemberNameTexts[m], MemberNames[m]);
    CopyText(kMemberLabelTexts[m], MemberLabels[m]);
    CopyText(kStatNameTexts[m], StatNames[m]);
  }
  for (int i = 0; i < kMaterialNames; ++i) CopyText(kMaterialNameTexts[i], MaterialNames[i]);
  FruitGraphs.fill(-1);
  NewGame();
  ResetRecipes();
  ReadConcoctions();
}

void GameData::LoadGameDatabase() {
  TheSaveIconPack.LoadSaveIcons();
  ReadConcoctions();
  ReadItems();
  ReadMapList();
  ReadSlotSummaries();
  ReadEnemies();
  ReadEncounterGroups();
  LoadFruitGraphs();
  NewGame();
}

void GameData::NewGame() {
  TheGameFlags.ClearGameFlags();
  for (int m = 0; m < kMemberCount; ++m) {
    Members[m].fill(0);
    Equipment[m].fill({});
  }
  ItemBag.fill({0, 0});
  AbilityStock.fill({0, kStockUnlimited});
  for (int n = 0; n < kMaterialCount; ++n) Materials[n] = {static_cast<uint16_t>(n), 0};
  HarvestTimes.fill(0);
  Scalars.fill(0);
  for (int i = 0; i < kSavedPositionPoint; ++i) {
    LongJumpPoints[i].area = UINT32_MAX;
    LongJumpPoints[i].x = 0xFFFF;
    LongJumpPoints[i].y = 0xFFFF;
    LongJumpPoints[i].name.fill('\0');
  }
  for (int i = 0; i < kNewGameMapMarks; ++i) {
    MapMarks[i].area = MapMarks[i].x = MapMarks[i].y = 0xFFFF;
  }
  for (int m = 0; m < kMemberCount; ++m) {
    PartyMember& p = Members[m];
    const int* start = kStartValues[m];
    p[kMemberPresent] = m == 0 ? 1 : 0;
    p[kMemberId] = m;
    p[kMemberHp] = p[kMemberMaxHp] = p[kMemberBaseMaxHp] = start[0];
    p[kMemberPp] = p[kMemberMaxPp] = p[kMemberBaseMaxPp] = start[1];
    for (int s = 0; s < 4; ++s) p[kMemberBaseAttack + s] = start[2 + s];
    p[kMemberFieldGraphic] = kFirstFieldGraphic + m;
    p[kMemberEspLevel] = kStartEspLevel;
  }
  Scalars[kScalarMoney] = 0;
  Scalars[kScalarMenuValue] = 0;
  Scalars[kScalarLeader] = 0;
  Scalars[kScalarLeaderGraphic] = kFirstFieldGraphic;
  Scalars[kScalarFlagWord] = kFlagWordNewGame;
  for (int m = 0; m < kMemberCount; ++m) {
    for (int item : kStartingItems[m]) {
      if (item != 0) EquipStarting(m, item);
    }
  }
  for (int n : kStartingMaterials) Materials[n].count = 1;
  RecalcPartyStats();
}

void GameData::SetEventBit(int n) { Scalars[kScalarEventBits] |= 1u << (n & 31); }

int GameData::TestEventBit(int n) const { return (Scalars[kScalarEventBits] >> (n & 31)) & 1u; }

const ItemRecord& GameData::Item(int id) const { return Items[id >= 0 && id < kItemCount ? id : 0]; }

int GameData::PresentMemberCount() const {
  return static_cast<int>(
      std::count_if(Members.begin(), Members.end(), [](const PartyMember& p) { return p[kMemberPresent] != 0; }));
}

GameData& TheGameData() {
  if (!the_game_data) the_game_data = std::make_unique<GameData>();
  return *the_game_data;
}

void CreateGameData() { the_game_data = std::make_unique<GameData>(); }

void ResetGameData() {
  the_game_data.reset();
  hooks = {};
}

}  // namespace game
