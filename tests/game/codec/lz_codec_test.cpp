#include "game/codec/lz_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <list>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/fs/fs.h"
#include "tests/support/temp_dir.h"

namespace {

using game::PackFile;

// Bits most significant first into bytes; the last 7 zero bits push out a partial
// byte, as the packer ends its stream.
class BitString {
 public:
  explicit BitString(uint32_t unpacked_length) {
    for (int i = 0; i < 4; ++i) bytes_ += static_cast<char>((unpacked_length >> (8 * i)) & 0xFF);
  }
  void Put(uint32_t value, int width) {
    for (int bit = width - 1; bit >= 0; --bit) {
      acc_ = (acc_ << 1) | ((value >> bit) & 1u);
      if (++held_ == 8) {
        bytes_ += static_cast<char>(acc_);
        acc_ = 0;
        held_ = 0;
      }
    }
  }
  void Literal(uint8_t byte) {
    Put(0, 1);
    Put(byte, 8);
  }
  void Phrase(int code, int width) {
    Put(1, 1);
    Put(static_cast<uint32_t>(code - 256), width);
  }
  // The stream as the packer ends it.
  std::string Finish() {
    Put(0, 7);
    return bytes_;
  }

 private:
  std::string bytes_;
  uint32_t acc_ = 0;
  int held_ = 0;
};

// The codec written the slow, obvious way: phrases as strings in a hash map, the
// recency list as a std::list. Packs what PackFile must pack, byte for byte.
class ReferencePacker {
 public:
  std::string Pack(const std::string& in) {
    BitString out(static_cast<uint32_t>(in.size()));
    std::string prev;
    size_t pos = 0;
    while (pos < in.size()) {
      std::string cur(1, in[pos]);
      while (pos + cur.size() < in.size() && CodeOf(cur + in[pos + cur.size()]) >= 0) {
        cur += in[pos + cur.size()];
      }
      // Every prefix of two bytes or more goes to the front, the shortest first.
      for (size_t k = cur.size(); k >= 2; --k) {
        auto it = where_[CodeOf(cur.substr(0, k))];
        recency_.splice(recency_.begin(), recency_, it);
      }
      if (cur.size() == 1) {
        out.Literal(static_cast<uint8_t>(cur[0]));
      } else {
        int width = 1;
        for (int limit = 2; next_free_ - 256 >= limit; limit *= 2) ++width;
        max_width_ = std::max(max_width_, width);
        out.Phrase(CodeOf(cur), width);
      }
      if (!prev.empty()) Add(prev, cur);
      prev = cur;
      pos += cur.size();
    }
    return out.Finish();
  }

  int reuses() const { return reuses_; }
  int max_width() const { return max_width_; }
  int next_free() const { return next_free_; }

 private:
  int CodeOf(const std::string& s) const {
    if (s.size() == 1) return static_cast<uint8_t>(s[0]);
    auto it = code_of_.find(s);
    return it == code_of_.end() ? -1 : it->second;
  }

  void Add(const std::string& prev, const std::string& cur) {
    for (size_t i = 1; i <= cur.size(); ++i) {
      std::string phrase = prev + cur.substr(0, i);
      if (phrase.size() > 100) return;
      if (CodeOf(phrase) >= 0) continue;
      std::string parent = phrase.substr(0, phrase.size() - 1);
      int code;
      if (next_free_ < 8192) {
        code = next_free_++;
      } else {
        code = recency_.back();
        if (code == CodeOf(parent)) return;
        recency_.pop_back();
        code_of_.erase(phrase_of_[code]);
        ++reuses_;
      }
      phrase_of_[code] = phrase;
      code_of_[phrase] = code;
      if (parent.size() == 1) {
        where_[code] = recency_.insert(recency_.begin(), code);
      } else {
        where_[code] = recency_.insert(std::next(where_[CodeOf(parent)]), code);
      }
    }
  }

  std::unordered_map<std::string, int> code_of_;
  std::vector<std::string> phrase_of_ = std::vector<std::string>(8192);
  std::list<int> recency_;  // front: most recent
  std::vector<std::list<int>::iterator> where_ = std::vector<std::list<int>::iterator>(8192);
  int next_free_ = 256;
  int reuses_ = 0;
  int max_width_ = 0;
};

struct Coded {
  int result;
  std::string bytes;
};

Coded Code(const nltest::TempDir& dir, const std::string& input, int mode) {
  std::string in = dir.File("in.bin");
  std::string out = dir.File("out.bin");
  EXPECT_TRUE(nltest::WriteFileBytes(in, input));
  int result = PackFile(in, out, mode);
  return {result, nltest::ReadFileBytes(out)};
}

std::string Hex(const std::string& bytes) {
  std::string s;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    s += buf;
  }
  return s;
}

// A run of identical bytes: each step matches the longest run so far and adds the
// previous run extended by every prefix of the current one, so the runs grow as
// 1, 1, 2, 3, 5, 8, ... up to the 100-byte cap. Worked by hand: a^k is code 254 + k in
// the order the runs appear; W follows the phrase count at each emission.
std::string RunOfAsPacked(int length) {
  BitString b(static_cast<uint32_t>(length));
  b.Literal('a');
  b.Literal('a');
  const struct {
    int code, width;
  } phrases[] = {
      {256, 1},  // a^2 (1 phrase in the table)
      {257, 2},  // a^3 (2)
      {259, 3},  // a^5 (4)
      {262, 3},  // a^8 (7)
      {267, 4},  // a^13 (12)
      {275, 5},  // a^21 (20)
      {288, 6},  // a^34 (33)
      {309, 6},  // a^55 (54)
      {343, 7},  // a^89 (88): 232 bytes so far; this step adds a^90 .. a^100, not a^101
  };
  for (auto p : phrases) b.Phrase(p.code, p.width);
  if (length == 300) {
    b.Phrase(322, 7);  // a^68, the rest (99 phrases)
  } else {             // 400
    b.Phrase(354, 7);  // a^100, the cap (99 phrases); it adds nothing
    b.Phrase(322, 7);  // a^68, the rest
  }
  return b.Finish();
}

TEST(PackFile, PacksHandWorkedInputsExactlyAndBack) {
  const struct {
    const char* name;
    std::string plain;
    std::string packed;
  } cases[] = {
      {"empty", "", std::string("\x00\x00\x00\x00", 4)},
      {"abc", "abc", std::string("\x03\x00\x00\x00\x30\x98\x8C\x60", 8)},
      {"300 a", std::string(300, 'a'), RunOfAsPacked(300)},
      {"400 a", std::string(400, 'a'), RunOfAsPacked(400)},
  };
  nltest::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Coded packed = Code(dir, c.plain, game::kPackFileModePack);
    EXPECT_EQ(packed.result, 0);
    EXPECT_EQ(Hex(packed.bytes), Hex(c.packed));
    EXPECT_EQ(Hex(ReferencePacker().Pack(c.plain)), Hex(c.packed));
    Coded unpacked = Code(dir, c.packed, game::kPackFileModeUnpack);
    EXPECT_EQ(unpacked.result, 0);
    EXPECT_EQ(unpacked.bytes, c.plain);
  }
}

std::string LowEntropyBytes(size_t size) {
  static const char* const kWords[] = {"the ",   "night ", "loom ", "weaves ", "a ",   "dark ",
                                       "thread", ".\r\n",  "of ",   "silver ", "and ", "ash "};
  std::mt19937 gen(11);
  std::string s;
  while (s.size() < size) {
    uint32_t r = gen();
    if (r % 16 == 0) {
      s.append(1 + gen() % 300, static_cast<char>('a' + gen() % 3));
    } else {
      s += kWords[gen() % 12];
    }
  }
  s.resize(size);
  return s;
}

std::string RandomBytes(size_t size) {
  std::mt19937 gen(7);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

TEST(PackFile, LargeFilesFillTheTableReuseCodesAndRoundTrip) {
  const struct {
    const char* name;
    std::string plain;
  } cases[] = {
      {"low entropy", LowEntropyBytes(200 * 1024)},
      {"random", RandomBytes(200 * 1024)},
  };
  nltest::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ReferencePacker reference;
    std::string expected = reference.Pack(c.plain);
    EXPECT_EQ(reference.next_free(), 8192);
    EXPECT_GT(reference.reuses(), 0);
    EXPECT_EQ(reference.max_width(), 13);

    Coded packed = Code(dir, c.plain, game::kPackFileModePack);
    EXPECT_EQ(packed.result, 0);
    EXPECT_TRUE(packed.bytes == expected) << "packed output differs from the reference";
    EXPECT_EQ(game::LzState.NextFree, 8192);
    EXPECT_EQ(game::LzState.CodeWidth, 13);

    Coded unpacked = Code(dir, packed.bytes, game::kPackFileModeUnpack);
    EXPECT_EQ(unpacked.result, 0);
    EXPECT_TRUE(unpacked.bytes == c.plain) << "round trip differs";
    EXPECT_EQ(game::LzState.CodeWidth, 13);
  }
}

TEST(PackFile, UnpackerRejectsMalformedInputAndStaysWithinTheAnnouncedLength) {
  // Streams built bit by bit; phrase 256 is "aa" once two a's were read.
  auto stream = [](uint32_t length, auto build) {
    BitString b(length);
    build(b);
    return b.Finish();
  };
  auto aa_then_phrase = [](BitString& b) {
    b.Literal('a');
    b.Literal('a');
    b.Phrase(256, 1);
  };
  const struct {
    const char* name;
    std::string packed;
    int result;
    std::string plain;
  } cases[] = {
      {"no header", "", 1, ""},
      {"header cut", std::string("\x01\x00\x00", 3), 1, ""},
      {"no stream", std::string("\x02\x00\x00\x00", 4), 1, ""},
      {"stream ends early", std::string("\x05\x00\x00\x00\x30\x98\x8C\x60", 8), 1, "abc"},
      {"first code is a phrase", stream(1, [](BitString& b) { b.Phrase(256, 1); }), 1, ""},
      {"phrase not made yet",
       stream(3,
              [](BitString& b) {
                b.Literal('a');
                b.Literal('b');
                b.Phrase(257, 1);
              }),
       1, "ab"},
      {"phrase runs past the length: cut there", stream(3, aa_then_phrase), 0, "aaa"},
      {"phrase fills the length", stream(4, aa_then_phrase), 0, "aaaa"},
      {"bits after the length ignored", std::string("\x03\x00\x00\x00\x30\x98\x8C\x60\xFF\xFF", 10), 0, "abc"},
  };
  nltest::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Coded unpacked = Code(dir, c.packed, game::kPackFileModeUnpack);
    EXPECT_EQ(unpacked.result, c.result);
    EXPECT_EQ(unpacked.bytes, c.plain);
  }
}

TEST(PackFile, FailsWhenAFileCannotBeOpenedOrTheModeIsUnknown) {
  nltest::TempDir dir;
  std::string in = dir.File("in.bin");
  ASSERT_TRUE(nltest::WriteFileBytes(in, "abc"));

  EXPECT_EQ(PackFile(dir.File("missing.bin"), dir.File("a.bin"), game::kPackFileModeUnpack), 1);
  EXPECT_FALSE(plat::fs::Exists(dir.File("a.bin")));
  EXPECT_EQ(PackFile(in, dir.File("no-such-dir/out.bin"), game::kPackFileModePack), 1);
  EXPECT_EQ(PackFile(in, dir.File("b.bin"), 2), 1);
  EXPECT_FALSE(plat::fs::Exists(dir.File("b.bin")));
}

TEST(PackFile, ReadsAndWritesGamePaths) {
  nltest::TempDir dir;
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("Map.BIN"), "abc"));
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir.path()));
  EXPECT_EQ(PackFile("map.bin", "packed.bin", game::kPackFileModePack), 0);
  std::filesystem::create_directory("sub");
  EXPECT_EQ(PackFile("packed.bin", "sub\\plain.bin", game::kPackFileModeUnpack), 0);
  EXPECT_EQ(nltest::ReadFileBytes(dir.File("sub/plain.bin")), "abc");
}

}  // namespace
