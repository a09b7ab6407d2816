#include "game/data/game_flags.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <random>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

using game::GameFlags;

// The 640 bytes WriteGameFlags puts into a file.
std::string FileBytes(const GameFlags& flags) {
  std::FILE* f = std::tmpfile();
  EXPECT_EQ(flags.WriteGameFlags(f), 0);
  std::rewind(f);
  std::string bytes(700, '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  return bytes;
}

TEST(GameFlags, EachFlagIsOneBitOfItsLittleEndianWord) {
  const struct {
    int flag;
    size_t byte;
    unsigned char value;
  } cases[] = {
      {0, 0, 0x01}, {7, 0, 0x80}, {8, 1, 0x01}, {31, 3, 0x80}, {32, 4, 0x01}, {33, 4, 0x02}, {5119, 639, 0x80},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flag);
    GameFlags flags;
    flags.SetGameFlag(c.flag, 1);
    std::string expected(640, '\0');
    expected[c.byte] = static_cast<char>(c.value);
    EXPECT_TRUE(FileBytes(flags) == expected);
    EXPECT_EQ(flags.TestGameFlag(c.flag), 1);
    EXPECT_EQ(flags.TestGameFlag(c.flag - 1), 0);
    EXPECT_EQ(flags.TestGameFlag(c.flag + 1), 0);
  }
}

TEST(GameFlags, SetClearAndClearAll) {
  GameFlags flags;
  flags.SetGameFlag(31, 1);
  flags.SetGameFlag(32, 7);  // any non-zero value sets
  flags.SetGameFlag(100, 1);
  flags.SetGameFlag(31, 0);
  EXPECT_EQ(flags.TestGameFlag(31), 0);
  EXPECT_EQ(flags.TestGameFlag(32), 1);
  EXPECT_EQ(flags.TestGameFlag(100), 1);
  EXPECT_EQ(flags.ClearGameFlags(), 0);
  EXPECT_TRUE(FileBytes(flags) == std::string(640, '\0'));
}

TEST(GameFlags, FlagNumbersOutsideTheTableAreIgnoredAndReadAsOff) {
  GameFlags flags;
  for (int n : {-1, 5120, 5121, INT_MIN, INT_MAX, 65535}) flags.SetGameFlag(n, 1);
  EXPECT_TRUE(FileBytes(flags) == std::string(640, '\0'));
  for (int n = 0; n < game::kGameFlagCount; ++n) flags.SetGameFlag(n, 1);
  for (int n : {-1, 5120, INT_MIN, INT_MAX}) {
    EXPECT_EQ(flags.TestGameFlag(n), 0) << n;
    flags.SetGameFlag(n, 0);
  }
  EXPECT_TRUE(FileBytes(flags) == std::string(640, '\xFF'));
}

TEST(GameFlags, PageFlagTestsReadTheWordAsSigned) {
  GameFlags flags;
  flags.SetGameFlag(5, 1);
  flags.SetGameFlag(5119, 1);
  const struct {
    uint16_t word;
    int holds;
  } cases[] = {
      {5, 1},      {6, 0},       // set / not set
      {0xFFFB, 0}, {0xFFF9, 1},  // -5: flag 5 must be clear; -7: flag 7 is
      {5119, 1},   {0xEC01, 0},  // -5119
      {0x8000, 1}, {6000, 0},    // beyond the table: never set
      {0, 1},                    // end of the list
  };
  for (const auto& c : cases) EXPECT_EQ(flags.FlagTestHolds(c.word), c.holds) << c.word;
}

TEST(GameFlags, FileRoundTripIsByteExactAtTheFilePosition) {
  GameFlags written;
  std::mt19937 gen(3);
  for (int n = 0; n < game::kGameFlagCount; ++n) written.SetGameFlag(n, gen() & 1);
  written.SetGameFlag(31, 1);
  written.SetGameFlag(32, 1);

  nltest::TempDir dir;
  std::string path = dir.File("flags.bin");
  std::FILE* f = std::fopen(path.c_str(), "w+b");
  ASSERT_NE(f, nullptr);
  std::fputs("head", f);
  ASSERT_EQ(written.WriteGameFlags(f), 0);
  std::fputs("tail", f);
  std::fseek(f, 4, SEEK_SET);
  GameFlags read;
  EXPECT_EQ(read.ReadGameFlags(f), 0);
  EXPECT_EQ(std::ftell(f), 4 + 640);
  std::fclose(f);

  std::string file = nltest::ReadFileBytes(path);
  ASSERT_EQ(file.size(), 648u);
  EXPECT_TRUE(file.substr(4, 640) == FileBytes(written));
  EXPECT_TRUE(FileBytes(read) == FileBytes(written));
  EXPECT_EQ(read.TestGameFlag(31), 1);
  EXPECT_EQ(read.TestGameFlag(32), 1);
}

TEST(GameFlags, ShortReadFailsAndKeepsTheFlags) {
  nltest::TempDir dir;
  std::string path = dir.File("short.bin");
  ASSERT_TRUE(nltest::WriteFileBytes(path, std::string(639, '\xFF')));
  GameFlags flags;
  flags.SetGameFlag(9, 1);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(flags.ReadGameFlags(f), -1);
  std::fclose(f);
  std::string expected(640, '\0');
  expected[1] = 0x02;
  EXPECT_TRUE(FileBytes(flags) == expected);
}

}  // namespace
