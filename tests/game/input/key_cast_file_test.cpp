// keycast.ini: what a start reads from it and what the dialog writes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "game/input/key_cast.h"
#include "platform/text/text_encoding.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/library_fixture.h"

namespace {

// The masks as the file holds them: little-endian u32 each.
std::string MaskBytes(std::initializer_list<uint32_t> masks) {
  std::string bytes;
  for (uint32_t m : masks) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(m >> (8 * i)));
  }
  return bytes;
}

class KeyCastFileTest : public apptest::LibraryTest {
 protected:
  std::string IniPath() const { return dir_.File("keycast.ini"); }
};

TEST_F(KeyCastFileTest, StartReadsTheMasksTheFileHoldsWholeAndKeepsTheDirections) {
  struct Case {
    const char* name;
    std::optional<std::string> file;  // none: no file
    std::array<uint32_t, 16> masks;
  };
  const std::string full =
      MaskBytes({16, 16, 16, 16, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 7, 0xFFFFFFFF, 0, 0x12345678});
  const Case cases[] = {
      {"missing", std::nullopt, {8, 1, 4, 2, 32, 64, 128, 16, 2048, 1024, 0, 0, 0, 0, 0, 0}},
      {"empty", std::string(), {8, 1, 4, 2, 32, 64, 128, 16, 2048, 1024, 0, 0, 0, 0, 0, 0}},
      {"full: button 0 mapped to 16 still gives 8",
       full,
       {8, 1, 4, 2, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 7, 0xFFFFFFFF, 0, 0x12345678}},
      {"full with the note",
       full + std::string(72, 'n'),
       {8, 1, 4, 2, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 7, 0xFFFFFFFF, 0, 0x12345678}},
      // 22 bytes: five masks whole, the sixth torn; the torn one keeps its default.
      {"short",
       MaskBytes({1, 1, 1, 1, 0x800, 0x400}).substr(0, 22),
       {8, 1, 4, 2, 0x800, 64, 128, 16, 2048, 1024, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    std::remove(IniPath().c_str());
    if (c.file) {
      ASSERT_TRUE(nltest::WriteFileBytes(IniPath(), *c.file));
    }
    game::KeyCast kc;
    EXPECT_EQ(kc.button_masks, c.masks) << c.name;
  }
}

TEST_F(KeyCastFileTest, WrittenFileIs136BytesOfMasksAndTheCp932Note) {
  game::KeyCast kc;
  kc.button_masks[4] = 0x800;
  kc.button_masks[15] = 0xA1B2C3D4;
  ASSERT_TRUE(kc.SaveKeyCastFile());
  std::string bytes = nltest::ReadFileBytes(IniPath());
  ASSERT_EQ(bytes.size(), 136u);
  EXPECT_EQ(bytes.substr(0, 64), MaskBytes({8, 1, 4, 2, 0x800, 64, 128, 16, 2048, 1024, 0, 0, 0, 0, 0, 0xA1B2C3D4}));
  const std::string note = plat::Utf8ToCp932(
      reinterpret_cast<const char*>(u8"\nこのファイルを消去しますと、キーキャストの設定がデフォルトに戻ります。"));
  EXPECT_EQ(bytes.substr(64), note + '\0');
  EXPECT_EQ(bytes.substr(64, 3), "\n\x82\xB1");  // line feed, then "こ" in Shift-JIS

  // Read back by the next start.
  game::KeyCast next;
  EXPECT_EQ(next.button_masks, kc.button_masks);
}

TEST_F(KeyCastFileTest, FileThatCannotBeWrittenIsReported) {
  ASSERT_EQ(mkdir(IniPath().c_str(), 0700), 0);  // a folder in its place
  game::KeyCast kc;
  EXPECT_FALSE(kc.SaveKeyCastFile());
  EXPECT_EQ(kc.button_masks, game::kDefaultButtonMasks);
}

}  // namespace
