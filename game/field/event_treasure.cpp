// Treasure (code 82) and fruit harvest (code 84): what a chest or a tree gives, and the
// message that says so.
#include <algorithm>
#include <cstdint>
#include <string>

#include "game/data/game_data.h"
#include "game/data/game_flags.h"
#include "game/field/event_script.h"
#include "game/field/field_map.h"
#include "game/text/bitmap_font.h"
#include "vexal/app/log/log_file.h"

namespace game {
namespace {

constexpr int kTreasureBagSlots = 64;  // a chest looks at the first 64 bag stacks only
constexpr int kAbilityKind = 300;      // item kinds from 300 up are abilities
constexpr int kTreeCount = 128;

void AddName(std::span<const uint8_t> name) {
  size_t n = 0;
  while (n < name.size() && name[n] != 0) ++n;
  TheBitmapFont.ComposeAddCodes(name.subspan(0, n));
}

uint16_t AddToCount(uint16_t count, int64_t amount) {
  return uint16_t(std::clamp<int64_t>(count + amount, 0, UINT16_MAX));
}

void AddMaterialName(int material) { TheBitmapFont.ComposeAddSjis(TheGameData().MaterialNames[material].data()); }

}  // namespace

bool EventScript::Treasure(int flag, int thing, int kind) {
  GameData& data = TheGameData();
  TheBitmapFont.ComposeClear();
  bool given = false;
  if (kind == 0 && thing > 0 && thing < kItemCount) {
    if (data.ItemKind(thing) >= kAbilityKind) {
      data.AddItem(thing);
      TheBitmapFont.ComposeAddSjis("ESP:");
      AddName(data.Items[thing].name);
      TheBitmapFont.ComposeAddSjis("を＿てにいれた!");
      given = true;
    } else {
      int slot = -1;
      for (int i = 0; i < kTreasureBagSlots && slot < 0; ++i)
        if (data.ItemBag[i].id == 0) slot = i;
      if (slot < 0) {
        TheBitmapFont.ComposeAddSjis("アイテムが＿いっぱいだょ!");
        ComposedMessage();
        running_ = 0;
        data.UpdateOwnershipFlags();
        TheField.UpdateEventPages(0);
        return false;
      }
      data.ItemBag[slot] = {uint16_t(thing), uint16_t(data.Items[thing].values[kItemUses])};
      AddName(data.Items[thing].name);
      TheBitmapFont.ComposeAddSjis("を＿てにいれた!");
      given = true;
    }
  } else if (kind == 1) {
    // Money and counts stop at the top of their words, as in the shop.
    data.Scalars[kScalarMoney] =
        uint32_t(std::clamp<int64_t>(int64_t{data.Scalars[kScalarMoney]} + thing, 0, UINT32_MAX));
    TheBitmapFont.ComposeAddNumber(thing);
    TheBitmapFont.ComposeAddSjis("R＿てにいれた!");
    given = true;
  } else if (kind == 2 && thing >= 0 && thing < kMaterialNames) {
    data.Materials[thing].count = AddToCount(data.Materials[thing].count, 1);
    TheBitmapFont.ComposeAddSjis("ざいりょう:");
    AddMaterialName(thing);
    TheBitmapFont.ComposeAddSjis("を＿てにいれた!");
    given = true;
  }
  if (given) {
    vexal::LogWriteFmt("treasure: flag %d set, kind %d, %d", flag, kind, thing);
    TheGameFlags.SetGameFlag(flag, 1);
    TheField.UpdateEventPages(0);
    TheField.BuildPassGrid();
    ComposedMessage();
    PlayGameSound(30);
  }
  data.UpdateOwnershipFlags();
  TheField.UpdateEventPages(0);
  return false;
}

bool EventScript::Harvest(int tree, int material, int amount, int regrowth) {
  if (tree < 0 || tree >= kTreeCount || material < 0 || material >= kMaterialNames) return false;
  GameData& data = TheGameData();
  const uint32_t now = data.Scalars[kScalarStepCount];
  uint32_t& stored = data.HarvestTimes[tree];
  TheBitmapFont.ComposeClear();
  if (stored < now) {
    data.Materials[material].count = AddToCount(data.Materials[material].count, amount);
    stored = now + uint32_t(regrowth);
    TheBitmapFont.ComposeAddSjis("ざいりょう:");
    AddMaterialName(material);
    TheBitmapFont.ComposeAddSjis("を_");
    TheBitmapFont.ComposeAddNumber(amount);
    TheBitmapFont.ComposeAddSjis("こ_てにいれた!");
    ComposedMessage();
    PlayGameSound(30);
  } else {
    const uint32_t rest = stored - now;
    TheBitmapFont.ComposeAddSjis(rest < 1000    ? "あと＿すこしで＿しゅうかく＿できそうだ。"
                                 : rest < 15000 ? "かじつは＿まだ＿じゅくしていない…。"
                                                : "かじつは＿まだまだ＿なりそうにない…。");
    ComposedMessage();
  }
  data.AddMapMark(TheField.PlayerTileX(), TheField.PlayerTileY(), int(data.Scalars[kScalarCurrentMap]), 1);
  TheField.LoadMapMarks();
  return false;
}

}  // namespace game
