// The title: its state table (press, menu, prologue, juke box), the start of a new game,
// the return to the title mode without EnterTitle, and where its picture goes frame by
// frame. Sounds, the key dialog and the wipe are watched through the title's hooks; the
// music through the manager's fields (no sound device: nothing sounds), the new game
// through the game data and the field, the load list through the menu.
#include "game/entry/title_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "game/codec/lz_codec.h"
#include "game/data/game_data.h"
#include "game/field/field_map.h"
#include "game/field/map_file.h"
#include "game/frame/frame_loop.h"
#include "game/frame/screen_wipe.h"
#include "game/input/key_cast.h"
#include "game/menu/field_menu.h"
#include "music/music_manager.h"
#include "tests/game/text/draw_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using drawtest::Calls;

std::vector<int> sounds;          // sound-effect rows played
int dialogs = 0;                  // key dialogs opened
int wipes = 0;                    // wipes played
std::vector<std::string> popups;  // pop-ups shown, Shift-JIS

// Names map n "name" in the map list; with a map, writes it packed as map\name.
void PutFirstMap(const std::string& name, const game::MapFileImage* map) {
  auto& listed = game::TheGameData().MapList[game::kFirstMap];
  listed.fill(0);
  std::copy(name.begin(), name.end(), listed.begin());
  if (map == nullptr) return;
  mkdir("map", 0700);
  const std::vector<uint8_t> bytes = game::SerializeMapFile(*map);
  ASSERT_TRUE(nltest::WriteFileBytes("plain.bin", std::string(bytes.begin(), bytes.end())));
  ASSERT_EQ(game::PackFile("plain.bin", "map\\" + name, game::kPackFileModePack), game::kPackFileOk);
}

constexpr int kUp = game::kButtonUp, kDown = game::kButtonDown, kLeft = game::kButtonLeft, kRight = game::kButtonRight,
              kDecide = game::kButtonDecide, kCancel = game::kButtonCancel, kSkip = game::kPrologueSkipButton,
              kJuke = game::kJukeBoxButton;

// This frame's buttons: held, newly pressed (also held) and giving a repeat pulse.
void Keys(std::initializer_list<int> held, std::initializer_list<int> pressed = {},
          std::initializer_list<int> repeat = {}) {
  game::KeyCast& k = game::KeyInput;
  k.pad_now = k.pad_pressed = 0;
  k.button_pulse.fill(0);
  for (int b : held) k.pad_now |= k.button_masks[b];
  for (int b : pressed) {
    k.pad_now |= k.button_masks[b];
    k.pad_pressed |= k.button_masks[b];
  }
  for (int b : repeat) k.button_pulse[b] = 1;
}

class TitleTest : public drawtest::DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    mkdir(dir_.File("system").c_str(), 0700);
    game::ResetFrameLoop();
    game::ResetField();
    music::ResetMusicForTests();
    game::ResetGameData();
    game::ResetFieldMenu();
    sounds.clear();
    popups.clear();
    dialogs = wipes = 0;
    game::SetTitleHooks({[](int row) { sounds.push_back(row); }, [] { ++dialogs; }, [] { ++wipes; }});
    game::GameDataHooks data_hooks;
    data_hooks.play_sound = [](int) {};
    data_hooks.show_popup = [](std::string_view sjis) { popups.emplace_back(sjis); };
    game::SetGameDataHooks(data_hooks);
    const game::MapFileImage town;  // the new game's first map, for the field to enter
    PutFirstMap("town.map", &town);
    Keys({});
    title_.emplace();
    title_->EnterTitle();
  }
  void TearDown() override {
    game::SetTitleHooks({});
    game::SetGameDataHooks({});
    game::ResetField();
    music::ResetMusicForTests();
    game::ResetGameData();
    Keys({});
    DrawTest::TearDown();
  }
  // One UpdateTitle with these buttons.
  void Update(std::initializer_list<int> held, std::initializer_list<int> pressed = {},
              std::initializer_list<int> repeat = {}) {
    Keys(held, pressed, repeat);
    title_->UpdateTitle();
  }
  void ToMenu() { Update({}, {kDecide}); }
  void ToPrologue() {
    ToMenu();
    Update({}, {}, {kUp});
    Update({}, {kDecide});
    ASSERT_EQ(title_->State(), game::kTitlePrologue);
    sounds.clear();
  }

  std::optional<game::TitleScreen> title_;
};

TEST_F(TitleTest, EnterTitleStartsInThePressStateOnContinueWithTheTitleMusic) {
  EXPECT_EQ(game::GameMode, game::MODE_TITLE);
  EXPECT_EQ(title_->State(), game::kTitlePress);
  EXPECT_EQ(title_->Cursor(), game::kTitleContinue);
  EXPECT_EQ(music::TheMusicManager.currentSong, 14);
  const game::TitleEmitter e = title_->Emitter();
  EXPECT_EQ((std::vector<int>{e.x, e.y, e.step, e.limit}), (std::vector<int>{0, 93, 3, 480}));
}

TEST_F(TitleTest, DecideOrCancelOpensTheMenuAndCancelInTheMenuGoesBack) {
  for (int button : {kDecide, kCancel}) {
    title_->EnterTitle();
    sounds.clear();
    Update({}, {});
    EXPECT_EQ(title_->State(), game::kTitlePress);
    Update({}, {button});
    EXPECT_EQ(title_->State(), game::kTitleMenu) << button;
    EXPECT_EQ(sounds, std::vector<int>{3});
  }
  Update({}, {kCancel});
  EXPECT_EQ(title_->State(), game::kTitlePress);
}

TEST_F(TitleTest, TheMenuCursorMovesOnRepeatsAndStopsAtTheEnds) {
  ToMenu();
  const struct { int button, cursor; } steps[] = {{kDown, 2}, {kDown, 2}, {kUp, 1}, {kUp, 0}, {kUp, 0}, {kDown, 1}};
  for (const auto& s : steps) {
    Update({s.button}, {}, {s.button});
    EXPECT_EQ(title_->Cursor(), s.cursor);
  }
  Update({kDown});  // held without a pulse
  EXPECT_EQ(title_->Cursor(), 1);
}

TEST_F(TitleTest, NineJukeBoxPressesOverThePressStateAndTheMenuOpenTheJukeBox) {
  for (int i = 0; i < 4; ++i) Update({}, {kJuke});
  ToMenu();
  sounds.clear();
  for (int i = 0; i < 4; ++i) Update({}, {kJuke});
  EXPECT_EQ(title_->State(), game::kTitleMenu);
  EXPECT_TRUE(sounds.empty());
  Update({}, {kJuke});
  EXPECT_EQ(title_->State(), game::kTitleJukeBox);
  EXPECT_EQ(sounds, std::vector<int>{3});
  EXPECT_EQ(music::TheMusicManager.currentSong, -1) << "silence";
}

TEST_F(TitleTest, CancellingTheMenuStartsTheJukeBoxCountAgain) {
  for (int i = 0; i < 4; ++i) Update({}, {kJuke});
  ToMenu();
  for (int i = 0; i < 4; ++i) Update({}, {kJuke});
  Update({}, {kCancel});
  EXPECT_EQ(title_->JukePresses(), 0);
  Update({}, {kJuke});
  EXPECT_EQ(title_->State(), game::kTitlePress) << "the ninth press overall is the first of a new count";
  for (int i = 0; i < 8; ++i) Update({}, {kJuke});
  EXPECT_EQ(title_->State(), game::kTitleJukeBox);
}

TEST_F(TitleTest, TheJukeBoxNumberStaysOnTheListAndCancelBringsTheTitleMusicBack) {
  music::TheMusicManager.listCount = 4;  // three lines read: entries 0..2
  for (int i = 0; i < 9; ++i) Update({}, {kJuke});
  ASSERT_EQ(title_->State(), game::kTitleJukeBox);
  for (int i = 0; i < 5; ++i) Update({kRight}, {}, {kRight});
  EXPECT_EQ(title_->MusicNumber(), 2);
  Update({}, {kDecide});
  EXPECT_EQ(music::TheMusicManager.currentSong, 2);
  for (int i = 0; i < 5; ++i) Update({kLeft}, {}, {kLeft});
  EXPECT_EQ(title_->MusicNumber(), 0);
  Update({}, {kCancel});
  EXPECT_EQ(title_->State(), game::kTitlePress);
  EXPECT_EQ(music::TheMusicManager.currentSong, 14);
  EXPECT_EQ(title_->JukePresses(), 0);
}

TEST_F(TitleTest, KeyCastOpensTheDialogOnlyOnceDecideIsReleased) {
  ToMenu();
  Update({kDown}, {}, {kDown});
  ASSERT_EQ(title_->Cursor(), game::kTitleKeyCast);
  Update({}, {kDecide});
  EXPECT_TRUE(title_->KeyCastPending());
  EXPECT_EQ(dialogs, 0);
  Update({kDecide});
  Update({kDecide});
  EXPECT_EQ(dialogs, 0) << "decide still held";
  Update({});
  EXPECT_EQ(dialogs, 1);
  EXPECT_FALSE(title_->KeyCastPending());
  Update({});
  EXPECT_EQ(dialogs, 1);
}

TEST_F(TitleTest, ThePrologueRisesAPixelEveryThirdFrameAndFourMoreWhileDecideIsHeld) {
  ToPrologue();
  EXPECT_EQ(title_->ScrollY(), 240);
  const struct {
    bool decide;
    int y;  // after this frame
  } frames[] = {{false, 240}, {false, 240}, {false, 239}, {false, 239}, {false, 239}, {false, 238},
                {true, 234},  {true, 230},  {true, 225},  {false, 225}, {false, 225}, {false, 224}};
  for (size_t i = 0; i < std::size(frames); ++i) {
    Update(frames[i].decide ? std::initializer_list<int>{kDecide} : std::initializer_list<int>{});
    EXPECT_EQ(title_->ScrollY(), frames[i].y) << "frame " << i + 1;
  }
  Update({}, {kCancel});
  EXPECT_EQ(title_->State(), game::kTitleMenu);
  EXPECT_EQ(sounds, std::vector<int>{1});
}

TEST_F(TitleTest, DecideWithTheSkipButtonStartsTheNewGameAndNeitherAloneDoes) {
  ToPrologue();
  game::TheGameData().Scalars[game::kScalarMoney] = 500;
  Update({kSkip});
  Update({kDecide});
  EXPECT_EQ(wipes, 0);
  EXPECT_EQ(game::GameMode, game::MODE_TITLE);
  Update({kDecide, kSkip});
  EXPECT_EQ(wipes, 1);
  EXPECT_EQ(game::GameMode, game::MODE_FIELD);
  EXPECT_EQ(game::TheGameData().Scalars[game::kScalarMoney], 0u) << "a new game";
  EXPECT_EQ(game::TheField.LoadedMapName(), "town.map");
  EXPECT_EQ(game::TheGameData().Scalars[game::kScalarCurrentMap], 33u);
  EXPECT_EQ(game::TheField.PlayerTileX(), 115);
  EXPECT_EQ(game::TheField.PlayerTileY(), 132);
  EXPECT_EQ(game::TheField.PlayerDirection(), 0);
}

// A first map the field cannot read would leave the new game nowhere: the title refuses
// it with the buzz and the pop-up, keeps its menu, and the game data is left alone.
TEST_F(TitleTest, ANewGameWhoseFirstMapCannotBeReadIsRefused) {
  game::MapFileImage damaged;
  damaged.Cell(0, 3, 3) = 512;  // past the chip set
  const struct {
    const char* what;
    std::string name;
    const game::MapFileImage* map;
  } cases[] = {
      {"no name in the map list", "", nullptr},
      {"a name with no file", "gone.map", nullptr},
      {"a damaged file", "damaged.map", &damaged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PutFirstMap(c.name, c.map);
    title_->EnterTitle();
    ToPrologue();
    popups.clear();
    wipes = 0;
    game::TheGameData().Scalars[game::kScalarMoney] = 500;
    Update({kDecide, kSkip});
    EXPECT_EQ(wipes, 0);
    EXPECT_EQ(game::GameMode, game::MODE_TITLE);
    EXPECT_EQ(title_->State(), game::kTitleMenu);
    EXPECT_EQ(title_->Cursor(), game::kTitleNewGame);
    EXPECT_EQ(sounds, std::vector<int>{4});
    EXPECT_EQ(popups, std::vector<std::string>{"ファイルが＿ないので＿こまっています。"});
    EXPECT_EQ(game::TheGameData().Scalars[game::kScalarMoney], 500u) << "no new game";
    EXPECT_EQ(game::TheField.PlayerTileX(), 0) << "no map entered";
  }
  // Mended, the same menu starts it.
  const game::MapFileImage town;
  PutFirstMap("town.map", &town);
  title_->EnterTitle();
  ToPrologue();
  Update({kDecide, kSkip});
  EXPECT_EQ(game::GameMode, game::MODE_FIELD);
  EXPECT_EQ(game::TheGameData().Scalars[game::kScalarCurrentMap], 33u);
  EXPECT_EQ(game::TheField.LoadedMapName(), "town.map");
}

TEST_F(TitleTest, ThePrologueRunsOutIntoANewGameOnceItsTopPassesMinus512) {
  ToPrologue();
  game::TheGameData().Scalars[game::kScalarMoney] = 500;
  // y = 240 - frames / 3 falls below -512 at frame 3 x 753 = 2259.
  for (int i = 1; i < 2259; ++i) Update({});
  EXPECT_EQ(title_->ScrollY(), -512);
  EXPECT_EQ(wipes, 0);
  Update({});
  EXPECT_EQ(wipes, 1);
  EXPECT_EQ(game::TheGameData().Scalars[game::kScalarMoney], 0u) << "a new game";
  EXPECT_EQ(game::GameMode, game::MODE_FIELD);
}

TEST_F(TitleTest, TheTitleModeEnteredAgainWithoutEnterTitleStartsAfresh) {
  // After a new game, the title's state is still the run-out prologue; the load list
  // cancelled from the field menu sets the title mode directly.
  ToPrologue();
  Update({kDecide, kSkip});
  ASSERT_EQ(game::GameMode, game::MODE_FIELD);
  game::TheGameData().Scalars[game::kScalarMoney] = 500;
  game::GameMode = game::MODE_TITLE;
  Keys({kDecide, kSkip});
  title_->TitleFrame();
  EXPECT_EQ(title_->State(), game::kTitlePress);
  EXPECT_EQ(title_->Frame(), 1);
  EXPECT_EQ(game::TheGameData().Scalars[game::kScalarMoney], 500u) << "no second new game";

  // CONTINUE loads a game; the load list opened in that game and cancelled: afresh too.
  Update({}, {kDecide});
  Update({}, {kDecide});  // CONTINUE
  ASSERT_EQ(game::GameMode, game::MODE_MENU);
  game::TheFieldMenu.OpenMenu(game::kMenuStateMain, game::kMenuPageMain);  // a game loaded, its menu opened
  game::TheFieldMenu.state = game::kMenuStateLoadList;
  game::TheFieldMenu.UpdateMenu(game::MenuKeys{1u << game::kMenuCancel, 1u << game::kMenuCancel, 0});
  ASSERT_EQ(game::GameMode, game::MODE_TITLE);
  Keys({});
  title_->TitleFrame();
  EXPECT_EQ(title_->State(), game::kTitlePress);
  EXPECT_EQ(title_->Frame(), 1);
}

TEST_F(TitleTest, CancellingTheLoadListOfContinueLeavesTheTitleInItsMenuOnContinue) {
  for (int frame = 0; frame < 5; ++frame) {
    Keys({});
    title_->TitleFrame();
  }
  Update({}, {kDecide});
  Update({}, {kDecide});  // CONTINUE
  EXPECT_EQ(game::GameMode, game::MODE_MENU);
  EXPECT_EQ(game::TheFieldMenu.state, game::kMenuStateLoadList);
  EXPECT_EQ(game::TheFieldMenu.page, game::kMenuPageSaveLoad);
  // A probe: a title started afresh would play its song again.
  music::TheMusicManager.currentSong = game::kSilence;
  game::TheFieldMenu.UpdateMenu(game::MenuKeys{1u << game::kMenuCancel, 1u << game::kMenuCancel, 0});
  EXPECT_EQ(game::GameMode, game::MODE_TITLE);
  Keys({kCancel});  // still held: no new press
  title_->TitleFrame();
  EXPECT_EQ(title_->State(), game::kTitleMenu);
  EXPECT_EQ(title_->Cursor(), game::kTitleContinue);
  EXPECT_EQ(title_->Frame(), 6) << "the title goes on where it was";
  EXPECT_EQ(music::TheMusicManager.currentSong, game::kSilence) << "the song is not started again";

  // CONTINUE again opens the list again; a load that fails there closes it and leaves
  // no game: the title then starts afresh.
  Update({}, {kDecide});
  ASSERT_EQ(game::GameMode, game::MODE_MENU);
  game::TheFieldMenu.state = game::kMenuStateMain;
  game::GameMode = game::MODE_TITLE;
  Keys({});
  title_->TitleFrame();
  EXPECT_EQ(title_->State(), game::kTitlePress);
  EXPECT_EQ(title_->Frame(), 1);
}

TEST_F(TitleTest, ThePrologueIsOneTokenHeldToItsBufferAndConvertedByEnterTitle) {
  // "＿" is a blank (code 1) and "￥" a line break (5); the token ends at the first space.
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("system/jealousy.ps"), "あ＿い￥う\nえ"))
      << "the test folder has system/";
  title_->LoadPrologue();
  title_->EnterTitle();
  const auto& codes = title_->PrologueCodes();
  EXPECT_EQ(std::vector<uint8_t>(codes.begin(), codes.begin() + 6), (std::vector<uint8_t>{100, 1, 101, 5, 102, 0}));

  // 2000 bytes of "あ": 1699 are kept, so 849 whole characters and a lone lead byte.
  std::string long_text;
  for (int i = 0; i < 1000; ++i) long_text += "あ";
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("system/jealousy.ps"), long_text));
  title_->LoadPrologue();
  title_->EnterTitle();
  EXPECT_EQ(title_->PrologueText().size(), 1699u);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 100), 849);
}

// ---- The picture ----

class TitlePictureTest : public TitleTest {
 protected:
  void SetUp() override {
    WriteTitlePictures();
    TitleTest::SetUp();
    drawtest::GraphNames = {
        {title_->BackgroundGraph(), "back"}, {title_->LogoGraph(), "logo"}, {title_->BandGraph(), "band"}};
    ASSERT_NE(title_->BandGraph(), -1);
    Record();
  }
  void WriteTitlePictures() {
    ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir_.path()));
    WritePicture("img\\title\\tt_t1.png", nltools::Picture(352, 290, {20, 20, 60}));
    WritePicture("img\\title\\title.png", nltools::Picture(320, 100, {80, 80, 160}));
    WritePicture("img\\title\\tt_b.png", nltools::Picture(320, 24, {30, 20, 60}));
  }
  // The graph draws of frame t (frames before it drawn and forgotten).
  std::vector<std::string> GraphDrawsOfFrame(int t) {
    while (title_->Frame() < t - 1) title_->DrawTitle();
    Calls.clear();
    title_->DrawTitle();
    std::vector<std::string> graphs;
    for (const std::string& c : Calls) {
      if (c.rfind("pixel", 0) != 0) graphs.push_back(c);
    }
    return graphs;
  }
};

TEST_F(TitlePictureTest, TheBackgroundDriftsAndFadesInTheTitleGlowsAndTheBandRisesLate) {
  using Lines = std::vector<std::string>;
  const std::string fill = "box 0,0,320,240 blend 0,0";
  // Frame 1: alpha 1/4 + 64, position (-32, -50); glow p = 121, g = 3 x 7.
  EXPECT_EQ(GraphDrawsOfFrame(1),
            (Lines{fill, "back -32,-50 blend 1,64", "logo 0,50 blend 2,255", "logo 0,50 blend 2,21"}));
  // Frame 365: p = 5, g = 80; alpha 91 + 64; x 22 - 32, y 15 - 50.
  EXPECT_EQ(GraphDrawsOfFrame(365),
            (Lines{fill, "back -10,-35 blend 1,155", "logo 0,50 blend 2,255", "logo 0,50 blend 2,80"}));
  // Frame 380: p = 20, 3 x 108 = 324 held to 256 (drawn as 255); x 0 (23 - 32 = -9).
  EXPECT_EQ(GraphDrawsOfFrame(380),
            (Lines{fill, "back -9,-35 blend 1,159", "logo 0,50 blend 2,255", "logo 0,50 blend 2,255"}));
  // Frame 768: alpha 256, drawn plain; p = 408, no glow; y 32 - 50.
  EXPECT_EQ(GraphDrawsOfFrame(768), (Lines{fill, "back 0,-18 blend 0,0", "logo 0,50 blend 2,255"}));
  EXPECT_EQ(GraphDrawsOfFrame(2900), (Lines{fill, "back 0,0 blend 0,0", "logo 0,50 blend 2,255"}));
  // After frame 2900 the band: y1 = 100 - (t - 2900) / 2, and half seen at y2 = 100 - (t - 2899) / 2.
  EXPECT_EQ(GraphDrawsOfFrame(2901), (Lines{fill, "back 0,0 blend 0,0", "logo 0,50 blend 2,255", "band 0,100 blend 0,0",
                                            "band 0,99 blend 1,128"}));
  EXPECT_EQ(GraphDrawsOfFrame(2902),
            (Lines{fill, "back 0,0 blend 0,0", "logo 0,50 blend 2,255", "band 0,99 blend 0,0"}));
  // Frame 3241: p = 3361 mod 480 = 1, g = 16; the band at 100 - 170 held to 0.
  EXPECT_EQ(GraphDrawsOfFrame(3241),
            (Lines{fill, "back 0,0 blend 0,0", "logo 0,50 blend 2,255", "logo 0,50 blend 2,16", "band 0,0 blend 0,0"}));
}

TEST_F(TitlePictureTest, ThePrologueVeilThickensAsTheTextRises) {
  ToPrologue();
  for (int i = 0; i < 30; ++i) Update({});  // y 230
  Calls.clear();
  title_->DrawTitle();
  EXPECT_EQ(std::count(Calls.begin(), Calls.end(), "box 0,0,320,240 blend 1,40"), 1) << "4 x (240 - 230)";
  for (int i = 0; i < 150; ++i) Update({});  // y 180: 240 held to 192
  Calls.clear();
  title_->DrawTitle();
  EXPECT_EQ(std::count(Calls.begin(), Calls.end(), "box 0,0,320,240 blend 1,192"), 1);
}

TEST_F(TitlePictureTest, TheSparkStreamFillsItsRecordsAndThenSkipsSpawning) {
  // Sixteen sparks a frame living 28 to 73 frames: the 512 records fill within about 40.
  bool full = false;
  for (int i = 0; i < 120; ++i) {
    title_->DrawTitle();
    int used = 0;
    for (const game::TitleSpark& s : title_->Sparks()) used += s.used ? 1 : 0;
    full = full || used == game::kTitleSparks;
  }
  EXPECT_TRUE(full);
}

}  // namespace
