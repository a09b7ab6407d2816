// The map script engine: one labelled block of the map's script text ("*n", with "+m"
// sub-blocks per trigger) is copied into a line buffer when an event fires and run a few
// lines a frame: messages in glyph codes, and "@code,p1,...,p15" commands.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace game {

inline constexpr int kScriptLines = 256;
inline constexpr int kScriptLineBytes = 128;
inline constexpr int kScriptParams = 15;
inline constexpr int kBattleValues = 8;
inline constexpr char kScriptEndLine[] = "@11,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";  // ScriptCode::kEnd

// The command codes of "@code,p1,...,p15" lines. Any other code does nothing but end the
// frame's run.
enum class ScriptCode : int {
  kUndefinedCode = 0,  // writes "UNDEFINED CODE. " to the on-screen log
  kEnd = 11,
  kShowLastMessage = 19,  // the last message line again
  kWarp = 20,             // p1 map (-1 this one), p2 x, p3 y, p4 direction (-1 kept), p5 no mark
  kSetGameFlag = 24,      // p1 flag, p2 value
  kStartActorStep = 31,   // p1 event (-1 the block's), p2 direction, p3 speed
  kSetScriptParams = 40,  // the field's tint: p1 red, p2 green, p3 blue, p4 strength
  kPlaySoundEffect = 45,  // p1 row
  kWait = 48,             // p1 frames
  kShowBustUp = 50,       // p1 portrait, p2 slot
  kHideBustUp = 51,       // p1 portrait
  kPlayMusic = 61,        // p1 entry, p2 fade
  kEndConversation = 65,
  kBeginConversation = 66,
  kOpenShop = 71,  // p1-p8 goods
  kOpenConcoction = 72,
  kHeal = 81,                 // p1 0 all, 1 HP only; p2 silent
  kTreasure = 82,             // p1 flag, p2 thing, p3 kind
  kHarvest = 84,              // p1 tree, p2 material, p3 amount, p4 regrowth steps
  kSetEventBit = 85,          // p1 card
  kJoinParty = 86,            // p1 member id, p2 joins (0 leaves)
  kEndIfGameFlag = 100,       // p1 flag, p2 state
  kEndIfEventBit = 101,       // p1 card, p2 state
  kEndIfEspLevelBelow = 102,  // p1 member id, p2 level
  kIgnored120 = 120,          // accepted, no effect
  kIgnored121 = 121,
  kRollGaussValue = 122,   // p1 mean, p2 spread of the encounter steps
  kSetBattleMusic = 123,   // p1 entry
  kStartBattle = 124,      // p1 group, p2-p15 the set-up
  kSetBattleValues = 125,  // p1-p8
};

// Trigger kinds.
inline constexpr int kTriggerAuto = -1;  // map start, touch
inline constexpr int kTriggerTalk = 1;
inline constexpr int kTriggerTalkEsp = 2;
inline constexpr int kTriggerEsp = 3;

// Index of the first occurrence of pattern in text at or after from (negative from is 0);
// -1 when either is empty, from lies past the end, or there is none.
int FindText(std::string_view text, std::string_view pattern, int from);

// What the engine shows through the modal message window; tests replace it.
struct EventScriptHooks {
  void (*show_message)(std::span<const uint8_t> codes) = nullptr;  // null: the message window
};
void SetEventScriptHooks(EventScriptHooks hooks);

class EventScript {
 public:
  EventScript() = default;
  virtual ~EventScript() = default;

  void ClearScriptLines();
  void StartEventScript(int block, int trigger, int event);
  void RunEventScript();
  void FaceEventToPlayer();

  bool Running() const { return running_ != 0; }
  int CurrentLine() const { return current_line_; }
  int LastLine() const { return last_line_; }
  std::string_view Line(int n) const { return Lines[n].data(); }

  std::array<int32_t, kBattleValues> BattleValues{};
  int32_t EspRefused = 0;
  std::array<std::array<char, kScriptLineBytes>, kScriptLines> Lines{};

 private:
  // Runs one command line; true when the next line runs in the same frame.
  bool RunCommand(std::string_view line, bool& repage);
  void ShowScriptMessage();
  bool Treasure(int flag, int thing, int kind);
  bool Harvest(int tree, int material, int amount, int regrowth);
  void ComposedMessage();  // shows the bitmap font's compose buffer

  int32_t current_line_ = 0;
  int32_t last_line_ = 0;
  int32_t block_ = 0, trigger_ = 0, event_ = 0;
  uint8_t faced_ = 0;
  std::array<uint8_t, kScriptLineBytes> message_{};
  int32_t wait_ = 0;
  uint8_t running_ = 0;
};

extern EventScript TheEventScript;
void ResetEventScript();

}  // namespace game
