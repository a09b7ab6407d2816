#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "game/codec/glyph_codes.h"
#include "game/codec/lz_codec.h"
#include "game/entry/field_wiring.h"
#include "game/field/field_map.h"
#include "game/field/map_file.h"
#include "game/frame/play_timer.h"
#include "tests/game/data/data_fixture.h"
#include "tests/support/save_file.h"

namespace {

using namespace game;
namespace layout_at = nltest::save_layout;
using datatest::DataTest;
using datatest::Popups;
using nltest::ReadFileBytes;

constexpr char kLoadMissing[] = "ファイルが＿ないので＿こまっています。";
constexpr char kSaveFailed[] = "ファイルオープンに＿しっぱい＿しました。";

// One icon of package16.grp: the high half of the image size, offset 22, then a 32 x 32
// 4-bit image (header, 16 colours, colour rows, mask rows) and 6 unused bytes.
std::string IconEntry(int n) {
  std::string e;
  auto u16 = [&e](int v) { e += static_cast<char>(v & 255), e += static_cast<char>(v >> 8 & 255); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  u16(0);
  u32(22);
  u32(40), u32(32), u32(64), u16(1), u16(4), u32(0), u32(512 + 128), u32(0), u32(0), u32(16), u32(0);
  for (int c = 0; c < 16; ++c) u32(static_cast<uint32_t>(c * 0x0F0F0F));
  for (int i = 0; i < 512; ++i) e += static_cast<char>((n + i) & 0xFF);
  e += std::string(128, '\0');
  e += std::string(6, '\x55');
  return e;
}

class SaveTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ResetField();
    WireField();  // saves and loads go through the field's own map check and entry
  }
  void TearDown() override {
    ResetField();
    DataTest::TearDown();
  }
  // A party on map 34 ("field.map", shown as the field's name) with things in every part.
  GameData& Saved() {
    std::string pack;
    for (int n = 0; n < kSaveIconCount; ++n) pack += IconEntry(n);
    EXPECT_EQ(pack.size(), static_cast<size_t>(kSaveIconFileBytes));
    datatest::WriteText(dir_.File("system/package16.grp"), pack);
    TheSaveIconPack.LoadSaveIcons();
    GameData& d = Data();
    std::snprintf(d.MapList[33].data(), kMapNameBytes, "town.map");
    std::snprintf(d.MapList[34].data(), kMapNameBytes, "field.map");
    std::snprintf(d.MapList[35].data(), kMapNameBytes, "nowhere.map");  // no file
    for (const char* name : {"town.map", "field.map"}) WriteEmptyMap(name);
    TheField.EnterMap(34, 12, 40, 2);
    TheField.SetMapDisplayName("よるのはら");
    d.Scalars[kScalarMoney] = 1234;
    d.Members[2][kMemberPresent] = 1;
    d.Members[1][kMemberHp] = 3;
    d.ItemBag[0] = {30, 2};
    d.Items[32].values[kItemKind] = 4;
    d.ItemBag[1] = {32, 1};
    d.Status[3][5] = 9;
    d.HarvestTimes[100] = 77;
    d.MapMarks[1500] = {1, 2, 3, 4};
    d.LongJumpPoints[4].area = 33;
    TheGameFlags.SetGameFlag(5, 1);
    TheGameFlags.SetGameFlag(400, 1);
    TheGameFlags.SetGameFlag(5119, 1);
    return d;
  }
  // A map of the player's slot alone, packed as map\<name>.
  void WriteEmptyMap(const std::string& name) {
    MapFileImage m;
    m.events[0][0][kPageX] = m.events[0][0][kPageY] = 1;
    const std::vector<uint8_t> bytes = SerializeMapFile(m);
    std::filesystem::create_directories(dir_.File("map"));
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("plain.bin"), std::string(bytes.begin(), bytes.end())));
    ASSERT_EQ(PackFile(dir_.File("plain.bin"), "map\\" + name, kPackFileModePack), kPackFileOk);
  }
  // The unpacked layout after its noise: the party part and the flags.
  static std::vector<uint8_t> State(const GameData& d) {
    const std::vector<uint32_t> no_noise(kNoiseWords, 0);
    std::vector<uint8_t> layout = BuildSaveLayout(d, no_noise, 0);
    return {layout.begin() + layout_at::kMembersAt, layout.end()};
  }
  std::string Slot(int n) {
    return ReadFileBytes(dir_.File("save/data" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".dat.ico"));
  }
  void ExpectNoTemporaryFiles() {
    for (const char* f : {"save/HaKr8w.drv", "system/dsound.drv", "save/nightloom.sav.new", "save/data03.dat.ico.new",
                          "map/u8wh4kf.map"}) {
      EXPECT_FALSE(std::filesystem::exists(dir_.File(f))) << f;
    }
  }
};

TEST_F(SaveTest, TheLayoutPlacesEachPartAtItsOffset) {
  GameData& d = Saved();
  const std::vector<uint32_t> noise = {0x11223344, 5, 6};
  std::vector<uint8_t> layout = BuildSaveLayout(d, noise, 2);
  using namespace layout_at;
  ASSERT_EQ(layout.size(), kLayoutBytes + 8);
  auto u32 = [&](size_t at) {
    return layout[at] | layout[at + 1] << 8 | layout[at + 2] << 16 | static_cast<uint32_t>(layout[at + 3]) << 24;
  };
  EXPECT_EQ(u32(kNoiseAt), 0x11223344u);
  EXPECT_EQ(u32(kLayoutBytes), 0x11223344u);
  EXPECT_EQ(u32(kLayoutBytes + 4), 5u);
  EXPECT_EQ(u32(MemberWordAt(2, 0)), 1u);              // member 2 present
  EXPECT_EQ(layout[StatusAt(3, 5)], 9);                // status
  EXPECT_EQ(u32(StackAt(kBagAt, 0)), 30u | 2u << 16);  // bag stack 0
  EXPECT_EQ(u32(HarvestTimeAt(100)), 77u);             // harvest time
  EXPECT_EQ(u32(ScalarAt(0)), 1234u);                  // money
  EXPECT_EQ(u32(MapMarkAt(1500)), 1u | 2u << 16);      // map mark
  EXPECT_EQ(u32(JumpPointAt(4)), 33u);                 // long-jump point 4
  EXPECT_EQ(layout[kFlagsAt], 1 << 5);
  EXPECT_EQ(layout[kFlagsAt + 50], 1);      // flag 400
  EXPECT_EQ(layout[kFlagsAt + 639], 0x80);  // flag 5119
}

TEST_F(SaveTest, ALoadOnTheSameMapRestoresTheStateAndTheFlagsByteForByte) {
  GameData& d = Saved();
  ThePlayTimer.StartPlayTimer(3725);
  ASSERT_EQ(d.SaveGame(3), 0);
  EXPECT_TRUE(Popups.empty());
  EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].area, 34u);
  EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].x, 12);
  EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].y, 40);
  EXPECT_STREQ(d.LongJumpPoints[kSavedPositionPoint].name.data(), "よるのはら");
  EXPECT_EQ(d.Scalars[kScalarSavedSeconds], 3725u);
  EXPECT_EQ(d.Scalars[kScalarSaveCount], 1u);
  const std::vector<uint8_t> saved = State(d);

  d.NewGame();
  d.Scalars[kScalarMoney] = 1;
  TheGameFlags.SetGameFlag(6, 1);
  TheField.SetPlayerTile(0, 0);
  ThePlayTimer.StartPlayTimer(0);
  ASSERT_EQ(d.LoadGame(3), 0);
  EXPECT_EQ(State(d), saved);
  EXPECT_EQ(TheField.PlayerTileX(), 12);
  EXPECT_EQ(TheField.PlayerTileY(), 40);
  EXPECT_EQ(TheField.PlayerDirection(), 0);
  EXPECT_EQ(TheField.LastEventPageReset(), 1);
  EXPECT_EQ(ThePlayTimer.GetPlaySeconds(), 3725u);
  EXPECT_TRUE(Popups.empty());
  ExpectNoTemporaryFiles();
}

TEST_F(SaveTest, ALoadOntoAnotherMapClearsThatMapsFlags) {
  GameData& d = Saved();
  ASSERT_EQ(d.SaveGame(3), 0);
  TheField.EnterMap(33, 1, 1, 0);
  ASSERT_EQ(d.LoadGame(3), 0);
  EXPECT_EQ(d.Scalars[kScalarCurrentMap], 34u);
  EXPECT_EQ(TheGameFlags.TestGameFlag(5), 0);
  EXPECT_EQ(TheGameFlags.TestGameFlag(400), 1);
  EXPECT_EQ(TheGameFlags.TestGameFlag(10), 1);  // item 32 is in the bag
}

TEST_F(SaveTest, TwoSavesOfOneStateDifferOnDiskAndLoadAlike) {
  GameData& d = Saved();
  ASSERT_EQ(d.SaveGame(0), 0);
  const std::string first = Slot(0);
  d.Scalars[kScalarSaveCount] = 0;
  ASSERT_EQ(d.SaveGame(0), 0);
  const std::string second = Slot(0);
  EXPECT_NE(first, second);
  EXPECT_EQ(first.substr(0, kSaveIconPrefixBytes), second.substr(0, kSaveIconPrefixBytes));

  ASSERT_EQ(d.LoadGame(0), 0);
  const std::vector<uint8_t> from_second = State(d);
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("save/data00.dat.ico"), first));
  d.NewGame();
  ASSERT_EQ(d.LoadGame(0), 0);
  EXPECT_EQ(State(d), from_second);
}

TEST_F(SaveTest, ASlotFileIsAnIconFollowedByThePackedState) {
  GameData& d = Saved();
  ASSERT_EQ(d.SaveGame(5), 0);
  const std::string slot = Slot(5);
  const std::string header(reinterpret_cast<const char*>(kSaveIconHeader.data()), kSaveIconHeaderBytes);
  EXPECT_EQ(slot.substr(0, kSaveIconHeaderBytes), header);
  EXPECT_EQ(slot.substr(kSaveIconHeaderBytes, kSaveIconUsedBytes), IconEntry(5).substr(0, kSaveIconUsedBytes));

  // Another program reads the file as a 32 x 32 icon.
  if (std::system("command -v identify >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick identify missing";
  const std::string command = "identify -format '%m %w %h\\n' ico:" + dir_.File("save/data05.dat.ico") + " 2>&1";
  std::FILE* out = popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  char line[256] = {};
  const bool got = std::fgets(line, sizeof line, out) != nullptr;
  pclose(out);
  ASSERT_TRUE(got);
  EXPECT_STREQ(line, "ICO 32 32\n");
}

SaveClockTime EighthOfDecember() { return {12, 8, 9, 5}; }

TEST_F(SaveTest, TheSlotListTellsWhoWhereAndWhen) {
  GameData& d = Saved();
  d.Members[0][kMemberPresent] = 0;  // member 0 left: member 2 leads the summary
  d.Members[2][kMemberHp] = 50;
  ThePlayTimer.StartPlayTimer(99);
  SetSaveClock(EighthOfDecember);
  ASSERT_EQ(d.SaveGame(7), 0);
  std::array<uint8_t, kSlotDateCodes> date{};
  SjisToGlyphCodes("12/08 09:05 にセーブしました。", date);
  const SaveSlotSummary& s = d.SlotSummaries[7];
  EXPECT_EQ(s.leader_id, 2);
  EXPECT_EQ(s.values, (std::array<uint32_t, 4>{50, 72, 40, 40}));
  EXPECT_EQ(s.play_seconds, 99u);
  EXPECT_STREQ(s.place.data(), "よるのはら");
  EXPECT_EQ(s.date, date);
  EXPECT_EQ(s.graphics, (std::array<uint16_t, 4>{0, 0, 36, 0}));

  const std::string list = ReadFileBytes(dir_.File("save/nightloom.sav"));
  ASSERT_EQ(list.size(), 16u * 130u);
  const std::string record = list.substr(7 * 130, 130);
  EXPECT_EQ(record.substr(0, 2), std::string("\x02\x00", 2));
  EXPECT_EQ(record.substr(18, 4), std::string("\x63\0\0\0", 4));
  EXPECT_EQ(record.substr(22, 11), "よるのはら" + std::string(1, '\0'));
  EXPECT_EQ(record.substr(86, 36), std::string(date.begin(), date.end()));
  EXPECT_EQ(record.substr(122, 8), std::string("\0\0\0\0\x24\0\0\0", 8));
  EXPECT_EQ(list.substr(0, 2), "\xFF\xFF");  // slot 0 stays empty

  auto reread = std::make_unique<GameData>(d);
  reread->SlotSummaries = {};
  reread->ReadSlotSummaries();
  EXPECT_EQ(reread->SlotSummaries[7].date, date);
  EXPECT_EQ(reread->SlotSummaries[7].graphics, s.graphics);
  EXPECT_STREQ(reread->SlotSummaries[7].place.data(), "よるのはら");
  EXPECT_EQ(reread->SlotSummaries[0].leader_id, kEmptySlotLeader);
}

TEST_F(SaveTest, ALongDisplayNameIsCutWholeCharactersToItsField) {
  GameData& d = Saved();
  std::string name;
  for (int i = 0; i < 40; ++i) name += "よ";  // 80 bytes
  TheField.SetMapDisplayName("a" + name);
  ASSERT_EQ(d.SaveGame(1), 0);
  const std::string cut = "a" + name.substr(0, 62);  // 63 bytes, then the terminator
  EXPECT_STREQ(d.SlotSummaries[1].place.data(), cut.c_str());
  EXPECT_STREQ(d.LongJumpPoints[kSavedPositionPoint].name.data(), cut.c_str());
}

TEST_F(SaveTest, AMissingShortOrDamagedSlotChangesNothing) {
  GameData& d = Saved();
  d.RecordLongJumpPoint(kSavedPositionPoint);  // on map 34, so that only the spoiled word fails
  // A layout one byte short, and a whole one with a member id out of range, both packed
  // behind an icon.
  auto packed_slot = [&](std::vector<uint8_t> layout) {
    const std::string plain = dir_.File("plain.bin"), packed = dir_.File("packed.bin");
    EXPECT_TRUE(nltest::WriteFileBytes(plain, std::string(layout.begin(), layout.end())));
    EXPECT_EQ(PackFile(plain, packed, kPackFileModePack), kPackFileOk);
    return std::string(kSaveIconPrefixBytes, 'i') + ReadFileBytes(packed);
  };
  const std::vector<uint32_t> noise(kNoiseWords, 1);
  std::vector<uint8_t> short_layout = BuildSaveLayout(d, noise, 0);
  short_layout.pop_back();
  std::vector<uint8_t> bad_member = BuildSaveLayout(d, noise, 0);
  bad_member[layout_at::MemberWordAt(0, 1)] = 7;
  std::vector<uint8_t> bad_item = BuildSaveLayout(d, noise, 0);
  const size_t stack1 = layout_at::StackAt(layout_at::kBagAt, 1);
  bad_item[stack1] = 0x0C, bad_item[stack1 + 1] = 0x03;  // bag stack 1: id 780
  std::vector<uint8_t> bad_point = BuildSaveLayout(d, noise, 0);
  bad_point[layout_at::JumpPointAt(layout_at::kSavedPositionPoint) + 1] = 2;  // area 512
  // Words the game later indexes or multiplies with, spoiled one at a time.
  auto with_word = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> layout = BuildSaveLayout(d, noise, 0);
    for (int k = 0; k < 4; ++k) layout[at + k] = static_cast<uint8_t>(v >> (8 * k));
    return packed_slot(layout);
  };
  const size_t kScalars = layout_at::kScalarsAt, kSavedArea = layout_at::JumpPointAt(layout_at::kSavedPositionPoint);
  auto member_word = [](int m, int w) { return layout_at::MemberWordAt(m, w); };
  std::string garbage(kSaveIconPrefixBytes, 'i');
  garbage += std::string("\x10\0\0\0", 4) + "garbage that is no code stream";
  const struct {
    const char* what;
    const char* content;  // null: no file
    std::string bytes;
  } cases[] = {
      {"no file", nullptr, ""},
      {"only an icon", "", std::string(kSaveIconPrefixBytes, 'i')},
      {"not packed", "", garbage},
      {"one byte short", "", packed_slot(short_layout)},
      {"member id 7", "", packed_slot(bad_member)},
      {"item 780", "", packed_slot(bad_item)},
      {"area 512", "", packed_slot(bad_point)},
      {"leader graphic 0x80000000", "", with_word(kScalars + 4 * kScalarLeaderGraphic, 0x80000000u)},
      {"leader graphic 64", "", with_word(kScalars + 4 * kScalarLeaderGraphic, 64)},
      {"ESP level 100", "", with_word(member_word(1, kMemberEspLevel), 100)},
      {"ESP level 0x7FFFFFFF", "", with_word(member_word(3, kMemberEspLevel), 0x7FFFFFFFu)},
      {"map 0, not in the list", "", with_word(kSavedArea, 0)},
      {"map 35, listed without a file", "", with_word(kSavedArea, 35)},
  };
  const std::vector<uint8_t> before = State(d);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(dir_.File("save/data03.dat.ico"));
    if (c.content != nullptr) {
      ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("save/data03.dat.ico"), c.bytes));
    }
    Popups.clear();
    EXPECT_EQ(d.LoadGame(3), -1);
    EXPECT_EQ(Popups, std::vector<std::string>{kLoadMissing});
    EXPECT_EQ(State(d), before);
    EXPECT_EQ(TheField.LoadedMapName(), "field.map");
    ExpectNoTemporaryFiles();
  }
  // The bounds themselves load.
  for (const auto& [what, at, v] : {std::tuple{"leader graphic 63", kScalars + 4 * kScalarLeaderGraphic, 63u},
                                    std::tuple{"ESP level 99", member_word(2, kMemberEspLevel), 99u}}) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("save/data03.dat.ico"), with_word(at, v)));
    Popups.clear();
    EXPECT_EQ(d.LoadGame(3), 0);
    EXPECT_TRUE(Popups.empty());
  }
}

TEST_F(SaveTest, AFailedSaveLeavesTheOldSlotAndListAsTheyWere) {
  GameData& d = Saved();
  ASSERT_EQ(d.SaveGame(3), 0);
  const std::string old_slot = Slot(3);
  const std::string old_list = ReadFileBytes(dir_.File("save/nightloom.sav"));
  const auto old_summaries = d.SlotSummaries;
  const std::vector<uint8_t> old_state = State(d);
  d.Scalars[kScalarMoney] = 999;
  TheField.SetPlayerTile(50, 60);
  // Each step's file made impossible to write by a folder in its place.
  for (const char* blocked : {"save/HaKr8w.drv", "save/data03.dat.ico.new", "save/nightloom.sav.new"}) {
    SCOPED_TRACE(blocked);
    std::filesystem::create_directory(dir_.File(blocked));
    Popups.clear();
    EXPECT_EQ(d.SaveGame(3), -1);
    EXPECT_EQ(Popups, std::vector<std::string>{kSaveFailed});
    EXPECT_EQ(Slot(3), old_slot);
    EXPECT_EQ(ReadFileBytes(dir_.File("save/nightloom.sav")), old_list);
    EXPECT_EQ(d.SlotSummaries[3].play_seconds, old_summaries[3].play_seconds);
    EXPECT_EQ(d.Scalars[kScalarSaveCount], 1u);
    EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].x, 12);
    std::filesystem::remove(dir_.File(blocked));
  }
  ASSERT_EQ(d.LoadGame(3), 0);
  EXPECT_EQ(State(d), old_state);
}

// A save the game writes is one it loads: a state the load would refuse is not written,
// and the slot it would have replaced is kept whole.
TEST_F(SaveTest, AStateTheLoadWouldRefuseIsNotSaved) {
  GameData& d = Saved();
  ASSERT_EQ(d.SaveGame(3), 0);
  const std::string old_slot = Slot(3);
  const std::string old_list = ReadFileBytes(dir_.File("save/nightloom.sav"));
  const struct {
    const char* what;
    void (*spoil)(GameData&);
  } cases[] = {
      {"on map 35, listed without a file", [](GameData& g) { g.Scalars[kScalarCurrentMap] = 35; }},
      {"on map 36, not in the list", [](GameData& g) { g.Scalars[kScalarCurrentMap] = 36; }},
      {"ESP level 100", [](GameData& g) { g.Members[1][kMemberEspLevel] = 100; }},
      {"leader graphic 64", [](GameData& g) { g.Scalars[kScalarLeaderGraphic] = 64; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto before = std::make_unique<GameData>(d);
    c.spoil(d);
    const std::vector<uint8_t> spoiled = State(d);
    Popups.clear();
    EXPECT_EQ(d.SaveGame(3), -1);
    EXPECT_EQ(Popups, std::vector<std::string>{kSaveFailed});
    EXPECT_EQ(Slot(3), old_slot);
    EXPECT_EQ(ReadFileBytes(dir_.File("save/nightloom.sav")), old_list);
    EXPECT_EQ(State(d), spoiled) << "the save count, play seconds and saved place put back";
    ExpectNoTemporaryFiles();
    d = *before;
  }
  ASSERT_EQ(d.LoadGame(3), 0);
}

TEST_F(SaveTest, IconsAreStrippedAndAddedAroundAFile) {
  TheSaveIconPack.LoadSaveIcons();  // no package16.grp: zero icons
  EXPECT_EQ(TheSaveIconPack.Entries()[0], 0);
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("save/f"), "abc"));
  EXPECT_EQ(TheSaveIconPack.AddSaveIcon("save\\f", 16), 0);  // no such icon: unchanged
  EXPECT_EQ(ReadFileBytes(dir_.File("save/f")), "abc");
  EXPECT_EQ(TheSaveIconPack.AddSaveIcon("save\\f", 15), 0);
  const std::string with_icon = ReadFileBytes(dir_.File("save/f"));
  ASSERT_EQ(with_icon.size(), 766u + 3u);
  EXPECT_EQ(with_icon.substr(766), "abc");
  EXPECT_EQ(SaveIconPack::StripSaveIcon("save\\f", "save\\g"), 0);
  EXPECT_EQ(ReadFileBytes(dir_.File("save/g")), "abc");
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("save/f"), std::string(766, 'x')));
  EXPECT_EQ(SaveIconPack::StripSaveIcon("save\\f", "save\\g"), 0);
  EXPECT_EQ(ReadFileBytes(dir_.File("save/g")), "");
  EXPECT_EQ(SaveIconPack::StripSaveIcon("save\\none", "save\\g"), -1);
}

}  // namespace
