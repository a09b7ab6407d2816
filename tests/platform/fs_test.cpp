#include "platform/fs/fs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace {

void MakeDir(const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0755), 0) << p; }

class FsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDir(dir_.File("Img"));
    MakeDir(dir_.File("Img/Chara"));
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("Img/Chara/Hero.PNG"), "hero"));
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("exact.txt"), "exact"));
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("EXACT.txt"), "upper"));
  }
  nltest::TempDir dir_;
};

TEST_F(FsTest, GamePathsResolveToTheFilesOnDisk) {
  struct Case {
    std::string game_path;
    std::string host_path;  // relative to the test directory
  };
  const Case cases[] = {
      {"img\\chara\\hero.png", "Img/Chara/Hero.PNG"},    // backslashes and case
      {"IMG/CHARA/HERO.png", "Img/Chara/Hero.PNG"},      // forward slashes work too
      {"img\\\\chara\\hero.png", "Img/Chara/Hero.PNG"},  // doubled separators collapse
      {"exact.txt", "exact.txt"},                        // the exact name wins
      {"EXACT.txt", "EXACT.txt"},
      {"Exact.TXT", "EXACT.txt"},                    // first match in byte order
      {"img\\new.dat", "Img/new.dat"},               // a new name stays as given
      {"nothere\\Sub\\x.dat", "nothere/Sub/x.dat"},  // below a missing folder too
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plat::fs::HostPath(dir_.path() + "\\" + c.game_path), dir_.File(c.host_path)) << c.game_path;
  }
}

TEST_F(FsTest, ABackslashInsideAShiftJisCharacterIsNoSeparator) {
  // "ソ" is 0x83 0x5C in Shift-JIS: its second byte is a backslash.
  const std::string name = "\x83\x5C.txt";
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File(name), "so"));
  EXPECT_EQ(plat::fs::HostPath(dir_.path() + "\\" + name), dir_.File(name));
  std::FILE* f = plat::fs::OpenFile(dir_.path() + "\\" + name, "rb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
}

TEST_F(FsTest, OpenDeleteAndCurrentDirectory) {
  std::string saved = plat::fs::CurrentDirectory();
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir_.path()));
  EXPECT_EQ(plat::fs::CurrentDirectory(), dir_.path());

  std::FILE* f = plat::fs::OpenFile("img\\CHARA\\hero.png", "rb");
  ASSERT_NE(f, nullptr);
  char buf[8] = {};
  EXPECT_EQ(std::fread(buf, 1, sizeof buf, f), 4u);
  std::fclose(f);
  EXPECT_STREQ(buf, "hero");

  EXPECT_TRUE(plat::fs::Exists("IMG\\chara\\HERO.png"));
  EXPECT_TRUE(plat::fs::DeleteFile("IMG\\chara\\HERO.png"));
  EXPECT_FALSE(plat::fs::Exists("img\\chara\\hero.png"));
  EXPECT_FALSE(plat::fs::DeleteFile("img\\chara\\hero.png"));
  EXPECT_EQ(plat::fs::OpenFile("img\\chara\\hero.png", "rb"), nullptr);

  ASSERT_TRUE(plat::fs::SetCurrentDirectory(saved));
}

TEST_F(FsTest, AnEmptyNameOrAFolderOpensAsNoFile) {
  std::string saved = plat::fs::CurrentDirectory();
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir_.path()));
  for (const char* path : {"", "img", "IMG\\chara\\", "."}) {
    for (const char* mode : {"rb", "rt", "r+b"}) {
      SCOPED_TRACE(std::string("\"") + path + "\" " + mode);
      std::FILE* f = plat::fs::OpenFile(path, mode);
      EXPECT_EQ(f, nullptr);
      if (f != nullptr) std::fclose(f);
    }
  }
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(saved));
}

}  // namespace
