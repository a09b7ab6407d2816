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
    case 0: set("MENU", FieldMapDisplayName()); break;
    case 1: set("のうりょく", "のうりょくを_みたり_つかったり"); break;
    case 2: title("のうりょく"); break;
    case 3: title(sub_command == 1 ? "すてる" : "アイテム"); break;
    case 4: set("そうび", "アイテムを_そうびします"); break;
    case 5: case 6: title("そうび"); break;
    case 7: set("ESPそうび", "ESPのうりょくを_そうびします"); break;
    case 8: title("ESPそうび"); break;
    case 9: title("ESP"); break;
    case 10: case 16: set("ざいりょう", "あつめた＿ざいりょうを＿ひょうじしています"); break;
    case 11:
      set("たいれつ", first_pick >= 0 ? "いれかえる＿いちを＿えらんでください" : "ならびかたの＿じゅんじょを＿へんこうします");
      break;
    case 15: {
      static constexpr const char* kHelp[] = {"アイテムを_つかいます", "すてるときの_かくにんメッセージは_ありません",
                                              "アイテムリストを＿しゅるいごとに＿せいとんします"};
      set("アイテム", kHelp[sub_command]);
      break;
    }
    case 12: case 17:
      set("JUMP", jump_mode == 0 ? "ロングジャンプで＿していのばしょに＿いどうします"
                                 : "ロングジャンプでの＿いどうさきを＿とうろくします");
      break;
    case 18: case 19: set("セーブ", SlotPlace(save_cursor)); break;
    case 20: set("ロード", SlotPlace(save_cursor)); break;
    case 31: set("ショップ", "なんの＿ようだ!?"); break;
    case 32: title("かいます"); break;
    case 33: title("うります"); break;
    case 41: set("ちょうごう", "ざいりょうを＿3つ＿えらんでください。"); break;
    case 42: case 43:
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
