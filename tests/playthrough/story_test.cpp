// The demo's story played to its end by the real program, headless, with scripted input:
// story.input starts a new game, goes through the town (the townsman, the chest, the
// shop), lets あいね join by the gate (her portrait, the town's ID card), hears the
// townsman's thoughts with her telepathy, crosses the garden by the jump and break ESPs
// to the spring, walks the field through two wandering fights to the shadow, wins its
// fight, reads the closing words, looks at the ESP stock, saves in slot 1 and quits.
// story_continue.input starts the program again, continues from the load list, steps onto
// the cell where the shadow stood and saves in slot 2.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/playthrough/save_reader.h"
#include "tests/support/png_file.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

namespace {

using nltest::CountNear;
using playtest::CountLogged;
using playtest::Logged;
using playtest::ReadSave;
using nltest::Rgb;

// The captured frames of the first start: the townsman's talk, the chest's message, the
// shop's goods, あいね's second line with her portrait and the card's message, the
// townsman's thoughts, the spring, the field, the two wandering fights, the shadow's line,
// its fight, the closing words (two lines and the shadow's light), the field after them,
// the stock page and the save list.
constexpr int kTalkFrame = 150, kChestFrame = 226, kShopFrame = 530, kAineFrame = 700, kCardFrame = 760,
              kThoughtsFrame = 940, kSpringFrame = 1239, kFieldFrame = 1760, kFirstFightFrame = 1990,
              kSecondFightFrame = 2700, kShadowLineFrame = 2985, kShadowFightFrame = 3000, kClosingFrame = 3574,
              kQuietFrame = 3578, kLightFrame = 3582, kAfterFrame = 3610, kStockFrame = 3695, kSaveListFrame = 3810;
constexpr char kFirstFrames[] =
    "132,150,226,530,700,760,940,1239,1760,1990,2700,2985,3000,3574,3578,3582,3610,3695,3810";
// ... and of the second: the loaded field, and the player on the shadow's cell.
constexpr int kLoadedFrame = 200, kSteppedFrame = 260;
constexpr char kSecondFrames[] = "200,260";

// Colours as the tools draw them: the town's and the field's ground, あいね's portrait
// (her clothes), the shadow's violet rim, the telepathy mark beside the player.
constexpr Rgb kTownGround{40, 36, 72}, kFieldGround{36, 72, 48}, kPortraitClothes{40, 130, 140},
    kShadowRim{132, 72, 188}, kTelepathyMark{120, 240, 255}, kChestOpenInside{40, 24, 16};
constexpr int kViewPixels = 320 * 240;

// The message window and the menu: a gradient of deep blues.
int CountWindowBlue(const nltest::Png& png) {
  int n = 0;
  for (size_t i = 0; i + 2 < png.rgb.size(); i += 3)
    if (png.rgb[i + 2] >= 100 && png.rgb[i + 2] >= png.rgb[i] + 60 && png.rgb[i + 2] >= png.rgb[i + 1] + 60) ++n;
  return n;
}

class StoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    std::filesystem::copy(NL_DEMO_DATA_DIR, data_, std::filesystem::copy_options::recursive);
  }
  // One start on the shared data tree; the log it leaves is returned and removed.
  std::pair<int, std::string> Start(const char* input, const char* capture, const char* frames, int limit) {
    const int status = nltest::RunProgram({nltest::GameProgram(),
                                           data_,
                                           {{"NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock")},
                                            {"NIGHTLOOM_INPUT", std::string(NL_PLAYTHROUGH_DIR "/") + input},
                                            {"NIGHTLOOM_CAPTURE", dir_.File(capture)},
                                            {"NIGHTLOOM_CAPTURE_FRAMES", frames},
                                            // Escape ends both starts; the limit only stops a run that went astray.
                                            {"NIGHTLOOM_EXIT_AFTER", std::to_string(limit)}},
                                           "/dev/null",
                                           dir_.File(std::string(capture) + ".stderr")});
    const std::string log = nltest::ReadFileBytes(data_ + "/AppLog.txt");
    std::filesystem::remove(data_ + "/AppLog.txt");
    return {status, log};
  }
  std::optional<nltest::Png> Frame(const char* capture, int n) const {
    char file[32];
    std::snprintf(file, sizeof file, "/frame-%06d.png", n);
    return nltest::ReadPng(dir_.File(capture) + file);
  }

  nltest::TempDir dir_;
  const std::string data_ = dir_.File("data");
};

TEST_F(StoryTest, FromANewGameTheShadowIsBeatenAndStaysGoneAfterTheLoad) {
  const auto [first_status, first_log] = Start("story.input", "first", kFirstFrames, 4000);
  ASSERT_EQ(first_status, 0);
  std::error_code missing;
  std::filesystem::copy_file(data_ + "/save/data00.dat.ico", dir_.File("slot1.ico"), missing);
  const auto [second_status, second_log] = Start("story_continue.input", "second", kSecondFrames, 600);
  ASSERT_EQ(second_status, 0);

  // The log: the town's chest and gift, three fights (two of the field's groups, then the
  // shadow, enemy 4, alone), all won, and the shadow's light into the stock.
  EXPECT_TRUE(Logged(first_log, "treasure: flag 300 set, kind 2, 1"));
  EXPECT_TRUE(Logged(first_log, "treasure: flag 302 set, kind 1, 200"));
  EXPECT_EQ(CountLogged(first_log, "battle: begins"), 3);
  EXPECT_EQ(CountLogged(first_log, "battle: won"), 3);
  EXPECT_TRUE(Logged(first_log, "battle: begins, enemies 4 0 0 0 0 0 0 0"));
  EXPECT_TRUE(Logged(first_log, "battle: won, 200 R found")) << "the shadow's money";
  EXPECT_FALSE(Logged(first_log, "battle: the party fell"));
  EXPECT_TRUE(Logged(first_log, "treasure: flag 305 set, kind 0, 321")) << "the shadow's light";
  EXPECT_TRUE(Logged(first_log, "heal: member 3 HP")) << "あいね, in the party, healed at the spring";
  for (const std::string* log : {&first_log, &second_log}) {
    EXPECT_TRUE(Logged(*log, "ＣＯＭを終了... 完了"));
    for (const char* fault : {"refused", "skipped", "UNDEFINED CODE"}) EXPECT_FALSE(Logged(*log, fault)) << fault;
  }

  // Slot 1, saved after the closing words: the shadow's flag, the garden's boulder,
  // あいね's join and her card, the light in the stock's first stack (a count of one).
  const auto slot1 = ReadSave(dir_, dir_.File("slot1.ico"));
  ASSERT_TRUE(slot1);
  EXPECT_TRUE(slot1->Flag(301)) << "the shadow beaten";
  EXPECT_TRUE(slot1->Flag(303)) << "the boulder broken";
  EXPECT_TRUE(slot1->Flag(304)) << "あいね joined";
  EXPECT_TRUE(slot1->Flag(305)) << "the shadow's light taken";
  EXPECT_NE(slot1->Member(3, 0), 0) << "あいね (member 3) in the party";
  EXPECT_EQ(slot1->Member(3, 1), 3);
  EXPECT_EQ(slot1->Scalar(1) & 1u, 1u) << "the town's ID card (card 0)";
  EXPECT_EQ(slot1->Stock(0), std::make_pair(321, 1)) << "the shadow's light in the stock";
  EXPECT_EQ(slot1->Position(), (std::array<uint32_t, 3>{34, 130, 127})) << "below where the shadow stood";
  // Slot 2, saved after the load: the flag came back, and the player stood on the shadow's
  // cell, which nothing blocks any more.
  const auto slot2 = ReadSave(dir_, data_ + "/save/data01.dat.ico");
  ASSERT_TRUE(slot2);
  EXPECT_TRUE(slot2->Flag(301));
  EXPECT_EQ(slot2->Position(), (std::array<uint32_t, 3>{34, 130, 126})) << "on the shadow's cell";
  EXPECT_EQ(slot2->Scalar(7), 2u) << "the second save";

  // The frames, where the player sees each step.
  const auto talk = Frame("first", kTalkFrame), chest = Frame("first", kChestFrame), shop = Frame("first", kShopFrame),
             aine = Frame("first", kAineFrame), card = Frame("first", kCardFrame),
             thoughts = Frame("first", kThoughtsFrame), spring = Frame("first", kSpringFrame),
             field = Frame("first", kFieldFrame), first_fight = Frame("first", kFirstFightFrame),
             second_fight = Frame("first", kSecondFightFrame), shadow_line = Frame("first", kShadowLineFrame),
             shadow_fight = Frame("first", kShadowFightFrame), closing = Frame("first", kClosingFrame),
             quiet = Frame("first", kQuietFrame), light = Frame("first", kLightFrame),
             after = Frame("first", kAfterFrame), stock = Frame("first", kStockFrame),
             save_list = Frame("first", kSaveListFrame), loaded = Frame("second", kLoadedFrame),
             stepped = Frame("second", kSteppedFrame);
  ASSERT_TRUE(talk && chest && shop && aine && card && thoughts && spring && field && first_fight && second_fight &&
              shadow_line && shadow_fight && closing && quiet && light && after && stock && save_list && loaded &&
              stepped);
  // A bust is 200 x 272 pixels, most of it below the window's top: well over 2000 of her
  // clothes' pixels while she talks, none in the townsman's talk.
  EXPECT_GT(CountNear(*aine, kPortraitClothes), 2000) << "あいね's portrait";
  EXPECT_GT(CountNear(*card, kPortraitClothes), 2000) << "her portrait stays for the card";
  EXPECT_EQ(CountNear(*talk, kPortraitClothes), 0) << "no portrait for the townsman";
  for (const auto* message :
       {&*talk, &*chest, &*aine, &*card, &*thoughts, &*spring, &*shadow_line, &*closing, &*quiet, &*light})
    EXPECT_GT(CountWindowBlue(*message), 240 * 40) << "a message window";
  EXPECT_GT(CountNear(*thoughts, kTelepathyMark), 0) << "the thoughts come with telepathy on";
  EXPECT_EQ(CountNear(*talk, kTelepathyMark), 0);
  EXPECT_GT(CountNear(*talk, kTownGround), kViewPixels / 4);
  EXPECT_GT(CountNear(*field, kFieldGround), kViewPixels * 3 / 10) << "the field";
  for (const auto* fight : {&*first_fight, &*second_fight, &*shadow_fight})
    EXPECT_LT(CountNear(*fight, kFieldGround), kViewPixels / 10) << "a fight hides the field";
  // The shadow's rim shows where it stands, and nowhere once it is beaten: not behind the
  // closing words, not after them, not after the load.
  EXPECT_GT(CountNear(*shadow_line, kShadowRim), 20) << "the shadow before its fight";
  for (const auto* gone : {&*closing, &*quiet, &*light, &*after, &*loaded, &*stepped})
    EXPECT_EQ(CountNear(*gone, kShadowRim), 0) << "the shadow is gone";
  // The field goes on around the closing words' window and after them.
  EXPECT_GT(CountNear(*closing, kFieldGround), kViewPixels / 8) << "the field behind the closing words";
  for (const auto* open : {&*after, &*loaded, &*stepped})
    EXPECT_GT(CountNear(*open, kFieldGround), kViewPixels / 4) << "the field goes on";
  EXPECT_GT(CountNear(*chest, kChestOpenInside), 0) << "the chest stands open";
  for (const auto* page : {&*shop, &*stock, &*save_list}) EXPECT_GT(CountWindowBlue(*page), kViewPixels * 3 / 10);
}

}  // namespace
