#include "game/field/event_script.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "game/data/game_data.h"
#include "game/data/game_flags.h"
#include "game/field/field_map.h"
#include "game/field/field_screens.h"
#include "game/frame/frame_loop.h"
#include "game/text/bitmap_font.h"
#include "game/text/message_window.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/log/screen_log.h"

namespace game {
namespace {

EventScriptHooks hooks;

constexpr int kCardCount = 7;
constexpr int kPictureCount = 8;
constexpr int kSongCount = 50;
constexpr int kWarpRefusedSound = 4;  // the refusal buzz

constexpr const char* kCardNames[kCardCount] = {"グリーンIDカード", "レッドIDカード",   "イエローIDカード",
                                                "ブルーIDカード",   "シルバーIDカード", "ゴールドIDカード",
                                                "マスターIDカード"};

void ShowCodes(std::span<const uint8_t> codes) {
  if (hooks.show_message != nullptr) {
    hooks.show_message(codes);
    return;
  }
  TheMessageWindow.SetMessageText(codes);
  TheMessageWindow.ShowMessage(0);
}

void RedrawField() {
  if (hooks.show_message == nullptr) TheField.DrawField();
}

// Code, then p1..p15; fields left out are 0; -1 code when the line has no number.
struct Command {
  int code = -1;
  std::array<int, kScriptParams + 1> p{};
};
Command ParseCommand(std::string_view line) {
  Command c;
  std::string text(line.substr(1));
  const char* at = text.c_str();
  for (int k = 0; k <= kScriptParams; ++k) {
    char* end = nullptr;
    const long v = std::strtol(at, &end, 10);
    if (end == at) break;
    if (k == 0)
      c.code = int(v);
    else
      c.p[k] = int(v);
    if (*end != ',') break;
    at = end + 1;
  }
  return c;
}

}  // namespace

void SetEventScriptHooks(EventScriptHooks h) { hooks = h; }

EventScript TheEventScript;

void ResetEventScript() {
  TheEventScript = EventScript();
  hooks = {};
}

int FindText(std::string_view text, std::string_view pattern, int from) {
  if (pattern.empty() || text.empty()) return -1;
  if (from < 0) from = 0;
  if (size_t(from) > text.size()) return -1;
  const size_t at = text.find(pattern, size_t(from));
  return at == std::string_view::npos ? -1 : int(at);
}

void EventScript::ClearScriptLines() {
  for (auto& line : Lines) line.fill(0);
  BattleValues.fill(0);
}

void EventScript::StartEventScript(int n, int m, int e) {
  const std::string_view script(TheField.MapScriptText.get());
  const int start = FindText(script, "*" + std::to_string(n), 0);
  // A block that is not there starts nothing, whatever sub-label a later block holds.
  if (start < 0) return;
  const int end = FindText(script, "\n*", start);
  int pos = start;
  if (m > 0) {
    pos = FindText(script, "+" + std::to_string(m), start);
    if (end > 0 && end < pos) return;
  }
  if (pos < 0) return;
  // Only a block that starts replaces the one running: a talk to an event with nothing to
  // say must not cut off a script waiting between its lines (and lose what it gives).
  ClearScriptLines();
  block_ = n, trigger_ = m, event_ = e;

  int line = 0, column = 0;
  last_line_ = kScriptLines - 1;
  for (size_t i = size_t(pos);; ++i) {
    const char c = i < script.size() ? script[i] : 0;
    if (c == 0 || (i != size_t(pos) && (c == '*' || c == '+'))) {
      last_line_ = line;
      // A copy stopped on the last line has no room for the end command: the run ends
      // after that line instead.
      if (line + 1 < kScriptLines) std::strcpy(Lines[line + 1].data(), kScriptEndLine);
      if (c == 0) std::strcpy(Lines[line].data(), kScriptEndLine);
      break;
    }
    if (c == '\r') continue;
    if (c == '\n' || column >= kScriptLineBytes - 1) {
      if (++line >= kScriptLines) break;
      column = 0;
      if (c == '\n') continue;
    }
    Lines[line][column++] = c;
  }
  HideBothBustUps();
  running_ = 1;
  current_line_ = 1;
  message_.fill(0);
  faced_ = 0;
  wait_ = 0;
  EspRefused = 0;
}

void EventScript::FaceEventToPlayer() {
  if (trigger_ == kTriggerTalkEsp || event_ <= 0 || event_ >= kMapEventCount) return;
  EventState& ev = TheField.States[event_];
  const int px = TheField.PlayerTileX(), py = TheField.PlayerTileY();
  int d = ev.Direction;
  if (ev.X > px) d = 3;
  if (ev.X < px) d = 2;
  if (ev.Y > py) d = 1;
  if (ev.Y < py) d = 0;
  if (ev.X > px && ev.Y == py) d = 3;
  if (ev.X < px && ev.Y == py) d = 2;
  if (ev.Y > py && ev.X == px) d = 1;
  if (ev.Y < py && ev.X == px) d = 0;
  ev.Direction = int16_t(d);
}

void EventScript::ShowScriptMessage() {
  if (event_ >= 0 && event_ < kMapEventCount && TheField.States[event_].Fixed == 0 && faced_ == 0) {
    faced_ = 1;
    FaceEventToPlayer();
  }
  TheField.Conversation = 1;
  RedrawField();
  const size_t n = strnlen(reinterpret_cast<const char*>(message_.data()), message_.size());
  ShowCodes(std::span<const uint8_t>(message_.data(), n + 1 <= message_.size() ? n + 1 : n));
}

void EventScript::ComposedMessage() {
  std::array<uint8_t, kComposeBufferBytes> codes{};
  TheBitmapFont.ComposeGet(codes);
  TheField.Conversation = 1;
  RedrawField();
  ShowCodes(codes);
}

void EventScript::RunEventScript() {
  if (running_ == 0 || GameMode == MODE_BATTLE) return;
  if (wait_ > 0) {
    --wait_;
    return;
  }
  bool repage = false;
  for (;;) {
    const std::string_view line(Lines[current_line_].data());
    bool next = false;
    if (line.empty()) {
      running_ = 0;
    } else if (line[0] != '@') {
      message_.fill(0);
      std::memcpy(message_.data(), line.data(), line.size());
      ShowScriptMessage();
      next = true;
    } else {
      next = RunCommand(line, repage);
    }
    if (current_line_ >= last_line_ + 1 || current_line_ >= kScriptLines - 1 || running_ == 0) {
      running_ = 0;
      HideBothBustUps();
      if (trigger_ == kTriggerEsp && EspRefused == 0) {
        PlayGameSound(19);
        TheField.StartFieldEffect(1, 0);
      }
    }
    ++current_line_;
    if (!next || running_ == 0) break;
  }
  if (repage) {
    TheField.UpdateEventPages(0);
    TheField.BuildPassGrid();
  }
  if (running_ == 0) TheField.Conversation = 0;
}

bool EventScript::RunCommand(std::string_view line, bool& repage) {
  const Command c = ParseCommand(line);
  const auto& p = c.p;
  GameData& data = TheGameData();
  auto compose_sjis = [](std::string_view s) { TheBitmapFont.ComposeAddSjis(s); };
  switch (static_cast<ScriptCode>(c.code)) {
    case ScriptCode::kUndefinedCode: vexal::ScreenLogPrintf("UNDEFINED CODE. "); return false;
    case ScriptCode::kEnd: running_ = 0; return false;
    case ScriptCode::kShowLastMessage: ShowScriptMessage(); return true;
    case ScriptCode::kWarp: {
      running_ = 0;
      const int current = int(data.Scalars[kScalarCurrentMap]);
      const int map = p[1] == -1 ? current : p[1];
      const int direction = p[4] == -1 ? TheField.PlayerDirection() : p[4];
      std::optional<MapEntry> entry;
      if (Field::OnMap(p[2], p[3]) && direction >= 0 && direction <= 3) entry = TheField.OpenMap(map);
      // A warp the field cannot take is refused as the long jump refuses one: the party
      // stays where it stands, on a map a save can load again.
      if (!entry) {
        vexal::LogWriteFmt("warp: map %d at (%d, %d) refused", map, p[2], p[3]);
        PlayGameSound(kWarpRefusedSound);
        return false;
      }
      RedrawField();
      PlayScreenWipe();
      if (p[1] != current && p[5] == 0 && TheField.Map.header[0] == 1)
        data.AddMapMark(TheField.PlayerTileX(), TheField.PlayerTileY(), current, 0);
      TheField.EnterMap(std::move(*entry), p[2], p[3], direction);
      if (p[1] != int(data.Scalars[kScalarCurrentMap]) && p[5] == 0 && TheField.Map.header[0] == 1)
        data.AddMapMark(p[2], p[3], map, 0);
      data.RollGaussValue();
      return false;
    }
    case ScriptCode::kSetGameFlag:
      TheGameFlags.SetGameFlag(p[1], p[2]);
      repage = true;
      return true;
    case ScriptCode::kStartActorStep: {
      const int actor = p[1] == -1 ? block_ : p[1];
      // Any negative speed index takes the actor's movement type; a direction or speed past
      // the end of its range makes the command do nothing.
      if (actor < 0 || actor >= kMapEventCount || p[2] > 3 || p[3] > 5) return false;
      TheField.FieldStartActorStep(actor, p[2], p[3]);
      return false;
    }
    case ScriptCode::kSetScriptParams:
      TheField.FieldSetScriptParams(p[1], p[2], p[3], p[4]);
      RedrawField();
      return true;
    case ScriptCode::kPlaySoundEffect: PlayGameSound(p[1]); return false;
    case ScriptCode::kWait: wait_ = p[1]; return false;
    case ScriptCode::kShowBustUp:
      if (p[1] >= 0 && p[1] < kPictureCount && p[2] >= 0 && p[2] <= 1) ShowBustUp(p[1], p[2]);
      return true;
    case ScriptCode::kHideBustUp:
      if (p[1] >= 0 && p[1] < kPictureCount) HideBustUp(p[1]);
      return true;
    case ScriptCode::kPlayMusic:
      if (p[1] < -1 || p[1] >= kSongCount) return false;
      if (p[2] == 0)
        PlayMusic(p[1]);
      else
        FadeToMusic(p[1]);
      SetSavedMusic(p[1]);
      return false;
    case ScriptCode::kEndConversation: TheField.Conversation = 0; return false;
    case ScriptCode::kBeginConversation: TheField.Conversation = 1; return false;
    case ScriptCode::kOpenShop:
      OpenShop(std::span<const int>(p.data() + 1, 8));
      data.UpdateOwnershipFlags();
      repage = true;
      return false;
    case ScriptCode::kOpenConcoction:
      OpenConcoction();
      data.UpdateOwnershipFlags();
      repage = true;
      return false;
    case ScriptCode::kHeal:
      for (int m = 0; m < kMemberCount; ++m) {
        PartyMember& mb = data.Members[m];
        const int32_t before = mb[kMemberHp];
        if (p[1] == 0) {
          mb[kMemberHp] = mb[kMemberMaxHp];
          mb[kMemberPp] = mb[kMemberMaxPp];
          for (int k = 0; k < 5; ++k) data.Status[m][k] = 0;
        } else if (p[1] == 1) {
          mb[kMemberHp] = mb[kMemberMaxHp];
        }
        // The HP the member has now, not what it was meant to get.
        if (mb[kMemberPresent] != 0 && (p[1] == 0 || p[1] == 1))
          vexal::LogWriteFmt("heal: member %d HP %d -> %d", mb[kMemberId], before, mb[kMemberHp]);
      }
      if (p[2] == 0) PlayGameSound(33);
      return false;
    case ScriptCode::kTreasure: return Treasure(p[1], p[2], p[3]);
    case ScriptCode::kHarvest: return Harvest(p[1], p[2], p[3], p[4]);
    case ScriptCode::kSetEventBit:
      if (p[1] < 0 || p[1] >= kCardCount) return false;
      data.SetEventBit(p[1]);
      TheBitmapFont.ComposeClear();
      compose_sjis(kCardNames[p[1]]);
      compose_sjis("＿を＿てにいれた!");
      ComposedMessage();
      PlayGameSound(30);
      return false;
    case ScriptCode::kJoinParty: {
      bool leader_present = false;
      for (PartyMember& mb : data.Members) {
        if (mb[kMemberId] == p[1]) mb[kMemberPresent] = p[2] != 0 ? 1 : 0;
        if (mb[kMemberPresent] != 0 && mb[kMemberId] == 1) leader_present = true;
      }
      if (leader_present)
        data.Scalars[kScalarFlagWord] &= ~kFlagWordNewGame;
      else
        data.Scalars[kScalarFlagWord] |= kFlagWordNewGame;
      data.RecalcPartyStats();
      return true;
    }
    case ScriptCode::kEndIfGameFlag:
      if (TheGameFlags.TestGameFlag(p[1]) == (p[2] != 0 ? 1 : 0)) running_ = 0;
      return true;
    case ScriptCode::kEndIfEventBit:
      if (p[1] < 0 || p[1] >= kCardCount) return true;
      if (data.TestEventBit(p[1]) == (p[2] != 0 ? 1 : 0)) {
        if (p[2] == 0) {
          TheBitmapFont.ComposeClear();
          compose_sjis(kCardNames[p[1]]);
          compose_sjis("＿が＿ひつようだ…。");
          ComposedMessage();
        }
        running_ = 0;
      }
      return true;
    case ScriptCode::kEndIfEspLevelBelow:
      for (const PartyMember& mb : data.Members)
        if (mb[kMemberId] == p[1] && mb[kMemberEspLevel] < p[2]) {
          running_ = 0;
          TheBitmapFont.ComposeClear();
          compose_sjis("ESPレベルが＿たりません。");
          ComposedMessage();
          EspRefused = 1;
          return false;
        }
      return true;
    case ScriptCode::kIgnored120:
    case ScriptCode::kIgnored121: return false;
    case ScriptCode::kRollGaussValue:
      data.Scalars[kScalarEncounterMean] = uint32_t(p[1]);
      data.Scalars[kScalarEncounterSpread] = uint32_t(p[2]);
      data.RollGaussValue();
      return false;
    case ScriptCode::kSetBattleMusic:
      if (p[1] >= -1 && p[1] < kSongCount) SetBattleMusic(p[1]);
      return false;
    case ScriptCode::kStartBattle: {
      GameMode = MODE_BATTLE;
      std::array<int32_t, 16> list{};
      for (int k = 0; k < 14; ++k) list[k] = p[k + 2];
      list[5] = 0;
      StartBattle(BattleValues, p[1] == 0 ? 1 : p[1], list);
      return false;
    }
    case ScriptCode::kSetBattleValues:
      for (int k = 0; k < kBattleValues; ++k) BattleValues[k] = p[k + 1];
      return true;
    default: return false;
  }
}

}  // namespace game
