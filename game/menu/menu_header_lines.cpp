// The title and help line of each state.
#include <cstring>
#include <string>

#include "game/data/game_data.h"
#include "game/data/party_field.h"
#include "game/menu/field_menu.h"

namespace game {

namespace {

std::string SlotPlace(int slot) {
  const SaveSlotSummary& s = TheGameData().SlotSummaries[slot];
  if (s.leader_id == kEmptySlotLeader) return "データは＿ありません。";
  return std::string(s.place.data(), strnlen(s.place.data(), s.place.size()));
}

}  // namespace

void FieldMenu::UpdateHeaderLines() {
  const auto set = [this](std::string_view title, std::string_view help) {
    SetMenuLine(0, title);
    SetMenuLine(1, help);
  };
  const auto title = [this](std::string_view t) { SetMenuLine(0, t); };
  switch (state) {
    case kMenuStateMain: set("MENU", FieldMapDisplayName()); break;
    case kMenuStateSlotsMember: set("のうりょく", "のうりょくを_みたり_つかったり"); break;
    case kMenuStateSlots: title("のうりょく"); break;
    case kMenuStateBag: title(sub_command == 1 ? "すてる" : "アイテム"); break;
    case kMenuStateEquipMember: set("そうび", "アイテムを_そうびします"); break;
    case kMenuStateEquipSlots:
    case kMenuStateEquipFromBag: title("そうび"); break;
    case kMenuStateEspMember: set("ESPそうび", "ESPのうりょくを_そうびします"); break;
    case kMenuStateEspSlots: title("ESPそうび"); break;
    case kMenuStateEspFromStock: title("ESP"); break;
    case kMenuStateMaterials:
    case kMenuStateAllMaterials: set("ざいりょう", "あつめた＿ざいりょうを＿ひょうじしています"); break;
    case kMenuStatePartyOrder:
      set("たいれつ",
          first_pick >= 0 ? "いれかえる＿いちを＿えらんでください" : "ならびかたの＿じゅんじょを＿へんこうします");
      break;
    case kMenuStateBagCommand: {
      static constexpr const char* kHelp[] = {"アイテムを_つかいます", "すてるときの_かくにんメッセージは_ありません",
                                              "アイテムリストを＿しゅるいごとに＿せいとんします"};
      set("アイテム", kHelp[sub_command]);
      break;
    }
    case kMenuStateJumpPoints:
    case kMenuStateJumpMode:
      set("JUMP", jump_mode == 0 ? "ロングジャンプで＿していのばしょに＿いどうします"
                                 : "ロングジャンプでの＿いどうさきを＿とうろくします");
      break;
    case kMenuStateSaveList:
    case kMenuStateSaveConfirm: set("セーブ", SlotPlace(save_cursor)); break;
    case kMenuStateLoadList: set("ロード", SlotPlace(save_cursor)); break;
    case kMenuStateShop: set("ショップ", "なんの＿ようだ!?"); break;
    case kMenuStateBuy: title("かいます"); break;
    case kMenuStateSell: title("うります"); break;
    case kMenuStateConcoction: set("ちょうごう", "ざいりょうを＿3つ＿えらんでください。"); break;
    case kMenuStateConcoctionResult:
    case kMenuStateConcoctionConfirm:
      title("ちょうごう");
      if (concoction_result > 0) {
        SetMenuLineCodes(1, TheGameData().Item(concoction_result).description);
      } else {
        SetMenuLine(1, "なーんにも＿できませんぜ。");
      }
      break;
    default: break;
  }
}

}  // namespace game
