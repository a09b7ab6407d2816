// The title: a drifting night picture with a stream of sparks and a glowing title, a
// waiting state that asks for a button, the menu (NEW_GAME, CONTINUE, KEY_CAST), the
// prologue scrolling up before a new game, and a juke box behind nine presses of
// button 9 that plays any entry of the music list.
//
// The game mode MODE_TITLE runs TitleFrame. EnterTitle starts the title afresh; a title
// that handed the game to another mode starts afresh too when that mode hands it straight
// back (the field menu's load list sets the mode back to the title without calling
// EnterTitle), except when the load list CONTINUE opened is cancelled: the title goes on
// where it was, in its menu on CONTINUE, its song playing on.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace game {

// Files.
inline constexpr char kTitleBandFile[] = "img\\title\\tt_b.png";
inline constexpr char kTitleLogoFile[] = "img\\title\\title.png";
inline constexpr char kTitleBackgroundFile[] = "img\\title\\tt_t1.png";
inline constexpr char kPrologueFile[] = "system\\jealousy.ps";  // one token; "＿" a blank, "￥" a line break

// States.
inline constexpr int kTitlePress = 0;
inline constexpr int kTitleMenu = 1;
inline constexpr int kTitlePrologue = 2;
inline constexpr int kTitleJukeBox = 3;

// Menu rows.
inline constexpr int kTitleNewGame = 0;
inline constexpr int kTitleContinue = 1;
inline constexpr int kTitleKeyCast = 2;
inline constexpr int kTitleMenuRows = 3;

// Buttons of the title beyond the directions, decide and cancel.
inline constexpr int kPrologueSkipButton = 8;  // with decide held
inline constexpr int kJukeBoxButton = 9;       // the title uses it for nothing else
inline constexpr int kJukeBoxPresses = 9;      // presses that open the juke box

// Music and sounds.
inline constexpr int kTitleMusic = 14;
inline constexpr int kSilence = -1;
inline constexpr int kTitleDecideSound = 3;
inline constexpr int kTitleCancelSound = 1;
inline constexpr int kTitleRefusedSound = 4;  // a new game whose first map cannot be read

// The prologue: Shift-JIS bytes held (NUL included), and as many glyph codes (a
// character never gives more codes than it has bytes).
inline constexpr int kPrologueBytes = 1700;
inline constexpr int kPrologueStartY = 240;
inline constexpr int kPrologueEndY = -512;  // the new game starts once the text is above this
inline constexpr int kPrologueTicksPerPixel = 3;
inline constexpr int kPrologueFastPixels = 4;  // more a frame while decide is held
inline constexpr int kPrologueX = 40;
inline constexpr int kPrologueWidth = 29;  // glyphs a line
inline constexpr int kPrologueLines = 90;

// The first map of a new game: map, x, y, direction.
inline constexpr int kFirstMap = 33;
inline constexpr int kFirstMapX = 115;
inline constexpr int kFirstMapY = 132;
inline constexpr int kFirstMapDirection = 0;

// Sparks.
inline constexpr int kTitleSparks = 512;
inline constexpr int kSparksPerSpawn = 4;
inline constexpr int kSpawnsPerFrame = 4;

struct TitleSpark {
  bool used = false;  // the record holds a spark
  float x = -1.0f;    // -1 while free
  float y = 0.0f;
  float speed = 0.0f;  // pixels a frame along x
  uint16_t life = 0;   // also its colour
};

struct TitleEmitter {
  int x, y;   // where this frame's sparks start
  int step;   // pixels x moves a frame
  int limit;  // x past this starts a new stream
};
inline constexpr TitleEmitter kFirstEmitter{0, 93, 3, 480};

// What the title does that a test watches: the sound effects, the key-assignment dialog
// and the wipe. Null does the real thing.
struct TitleHooks {
  void (*play_sound)(int row) = nullptr;
  void (*key_cast_dialog)() = nullptr;
  void (*screen_wipe)() = nullptr;
};
void SetTitleHooks(TitleHooks hooks);

class TitleScreen {
 public:
  // Reads the prologue from the start directory.
  TitleScreen();
  virtual ~TitleScreen() = default;

  // The prologue text again from the current directory (what the constructor does).
  void LoadPrologue();
  // Starts the title: its graphs on the first call, the title mode, state and counters
  // from the start, the title music, no sparks, the prologue converted.
  void EnterTitle();
  // One frame: drawn, then the input, then the hand in the menu.
  void TitleFrame();

  // The parts of a frame.
  void DrawTitle();
  void UpdateTitle();

  int Frame() const { return frame_; }
  int State() const { return state_; }
  int Cursor() const { return cursor_; }
  int ScrollY() const { return scroll_y_; }
  bool KeyCastPending() const { return key_cast_pending_; }
  int JukePresses() const { return juke_presses_; }
  int MusicNumber() const { return music_number_; }
  std::string_view PrologueText() const;
  const std::array<uint8_t, kPrologueBytes>& PrologueCodes() const { return prologue_codes_; }
  const std::array<TitleSpark, kTitleSparks>& Sparks() const { return sparks_; }
  const TitleEmitter& Emitter() const { return emitter_; }
  int BandGraph() const { return band_graph_; }
  int LogoGraph() const { return title_graph_; }
  int BackgroundGraph() const { return background_graph_; }

 private:
  void UpdatePress();
  void UpdateMenu();
  void UpdatePrologue();
  void UpdateJukeBox();
  // A press of the juke-box button; the ninth opens the juke box.
  void CountJukePress();
  // The end of the prologue: the wipe, then the first map of a new game.
  void StartNewGame();
  // The game goes to another mode; the title starts afresh when it comes back.
  void HandOver(int mode);
  // The mode came back to the title from the load list CONTINUE opened, left by cancel.
  bool LoadListCancelled() const;

  void SpawnSparks(int x, int y);
  void MoveAndDrawSparks();
  void DrawMenuWords() const;

  bool loaded_ = false;        // the three graphs are loaded
  int band_graph_ = -1;        // rises over the picture after a long wait
  int title_graph_ = -1;       // the title's lettering
  int background_graph_ = -1;  // the night picture
  int frame_ = 0;              // frames since EnterTitle
  int state_ = kTitlePress;
  int cursor_ = kTitleContinue;     // menu row
  int scroll_y_ = kPrologueStartY;  // top of the prologue text
  int scroll_tick_ = 0;             // frames towards the next pixel of the prologue
  bool key_cast_pending_ = false;   // the dialog opens once decide is released
  bool handed_over_ = false;        // another mode has the game; start afresh on return
  bool opened_load_list_ = false;   // the hand-over was CONTINUE's load list
  int juke_presses_ = 0;
  int music_number_ = 0;  // juke-box selection
  std::array<TitleSpark, kTitleSparks> sparks_{};
  TitleEmitter emitter_ = kFirstEmitter;
  std::array<char, kPrologueBytes> prologue_text_{};      // Shift-JIS, NUL-terminated
  std::array<uint8_t, kPrologueBytes> prologue_codes_{};  // glyph codes, NUL-terminated
};

// The game's one title.
extern TitleScreen TheTitleScreen;

// The title mode's frame handler.
void TitleModeFrame();

}  // namespace game
