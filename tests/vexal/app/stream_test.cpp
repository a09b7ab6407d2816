#include "vexal/app/streams/stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/fs/fs.h"
#include "tests/support/temp_dir.h"

namespace {

struct MemStreamCloser {
  void operator()(vexal::MemStream* s) const { vexal::MemStreamClose(s); }
};

TEST(MemStream, ReadsAreCutToWholeElementsAndEofFollowsTheLastAccess) {
  std::vector<uint8_t> block(20);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i);
  std::unique_ptr<vexal::MemStream, MemStreamCloser> s(vexal::MemStreamOpen(block.data(), 20));
  ASSERT_NE(s, nullptr);
  uint8_t buf[16] = {};

  vexal::MemStreamSeek(s.get(), 17, SEEK_SET);
  EXPECT_EQ(vexal::MemStreamRead(buf, 1, 10, s.get()), 3u);  // 3 of 10 left
  EXPECT_EQ(vexal::MemStreamTell(s.get()), 20);
  EXPECT_EQ(vexal::MemStreamEof(s.get()), 0);
  EXPECT_EQ(vexal::MemStreamRead(buf, 1, 10, s.get()), 0u);
  EXPECT_EQ(vexal::MemStreamEof(s.get()), 1);

  vexal::MemStreamSeek(s.get(), -2, SEEK_END);  // 2 bytes left, 4-byte elements
  EXPECT_EQ(vexal::MemStreamEof(s.get()), 0);
  std::fill(std::begin(buf), std::end(buf), 0xEE);
  EXPECT_EQ(vexal::MemStreamRead(buf, 4, 1, s.get()), 1u);
  EXPECT_EQ(buf[0], 18);
  EXPECT_EQ(buf[1], 19);
  EXPECT_EQ(buf[2], 0xEE);  // nothing copied beyond the block
  EXPECT_EQ(vexal::MemStreamTell(s.get()), 20);

  vexal::MemStreamSeek(s.get(), 4, SEEK_SET);
  EXPECT_EQ(vexal::MemStreamRead(buf, 4, 2, s.get()), 2u);
  EXPECT_EQ(buf[0], 4);
  EXPECT_EQ(buf[7], 11);
  EXPECT_EQ(vexal::MemStreamRead(buf, 4, 0, s.get()), 0u);  // zero elements copy nothing
  EXPECT_EQ(vexal::MemStreamTell(s.get()), 12);
}

TEST(MemStream, SeeksClampToTheBlock) {
  uint8_t block[10] = {};
  std::unique_ptr<vexal::MemStream, MemStreamCloser> s(vexal::MemStreamOpen(block, 10));
  struct Case {
    int32_t start, offset;
    int origin;
    int32_t expected;
  };
  const Case cases[] = {
      {5, -5, SEEK_SET, 0},  {5, 3, SEEK_SET, 3},  {5, 99, SEEK_SET, 10}, {5, 2, SEEK_CUR, 7},
      {5, -9, SEEK_CUR, 0},  {5, 9, SEEK_CUR, 10}, {5, -3, SEEK_END, 7},  {5, 4, SEEK_END, 10},
      {5, -20, SEEK_END, 0}, {5, 4, 7, 4},  // an unknown origin counts from the start
  };
  for (const Case& c : cases) {
    vexal::MemStreamSeek(s.get(), c.start, SEEK_SET);
    EXPECT_EQ(vexal::MemStreamSeek(s.get(), c.offset, c.origin), 0);
    EXPECT_EQ(vexal::MemStreamTell(s.get()), c.expected) << c.offset << " " << c.origin;
  }
}

TEST(MemStream, WritesFitWholeElementsAndCloseLeavesTheBlock) {
  uint8_t block[6] = {1, 1, 1, 1, 1, 1};
  vexal::MemStream* s = vexal::MemStreamOpen(block, 6);
  const uint8_t data[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  vexal::MemStreamSeek(s, 1, SEEK_SET);
  EXPECT_EQ(vexal::MemStreamWrite(data, 2, 4, s), 2u);  // 5 bytes left: two pairs
  EXPECT_EQ(vexal::MemStreamTell(s), 5);
  EXPECT_EQ(vexal::MemStreamWrite(data, 2, 1, s), 0u);  // one byte left: no pair fits
  EXPECT_EQ(vexal::MemStreamEof(s), 0);
  EXPECT_EQ(vexal::MemStreamWrite(data, 1, 4, s), 1u);
  EXPECT_EQ(vexal::MemStreamWrite(data, 1, 4, s), 0u);
  EXPECT_EQ(vexal::MemStreamEof(s), 1);
  EXPECT_EQ(vexal::MemStreamClose(s), 0);
  const uint8_t expected[6] = {1, 9, 8, 7, 6, 9};
  EXPECT_TRUE(std::equal(block, block + 6, expected));
}

TEST(MemStream, HugeElementCountsDoNotWrap) {
  uint8_t block[8] = {};
  vexal::MemStream* s = vexal::MemStreamOpen(block, 8);
  uint8_t buf[8];
  // 2^62 elements of 4 bytes would wrap to 0 bytes in 64 bits.
  EXPECT_EQ(vexal::MemStreamRead(buf, 4, size_t{1} << 62, s), 2u);
  vexal::MemStreamClose(s);
}

// The loaders must not care which table they read through.
TEST(StreamFuncTable, FileAndMemoryGiveTheSameResults) {
  std::string content;
  for (int i = 0; i < 37; ++i) content += static_cast<char>('A' + i % 26);
  nltest::TempDir dir;
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("data.bin"), content));
  std::FILE* file = plat::fs::OpenFile(dir.File("data.bin"), "rb");
  ASSERT_NE(file, nullptr);
  vexal::MemStream* mem = vexal::MemStreamOpen(content.data(), static_cast<uint32_t>(content.size()));

  struct Step {
    enum { kRead, kSeek } op;
    int32_t a;  // element size, or offset
    int32_t b;  // count, or origin
  };
  const Step steps[] = {
      {Step::kRead, 4, 3},         {Step::kSeek, 5, SEEK_CUR}, {Step::kRead, 1, 10},
      {Step::kSeek, -6, SEEK_END}, {Step::kRead, 2, 3},        {Step::kRead, 1, 1},
      {Step::kSeek, 0, SEEK_SET},  {Step::kRead, 37, 1},       {Step::kRead, 1, 1},
  };
  struct Side {
    const vexal::StreamFuncTable* table;
    void* stream;
    std::vector<std::string> seen;
  };
  Side sides[2] = {{vexal::GetFileStreamFuncs(), file, {}}, {vexal::GetMemStreamFuncs(), mem, {}}};
  for (Side& side : sides) {
    for (const Step& step : steps) {
      std::string record;
      if (step.op == Step::kRead) {
        char buf[64] = {};
        size_t n = side.table->Read(buf, static_cast<size_t>(step.a), static_cast<size_t>(step.b), side.stream);
        record = "read " + std::to_string(n) + " " + std::string(buf, n * static_cast<size_t>(step.a));
      } else {
        record = "seek " + std::to_string(side.table->Seek(side.stream, step.a, step.b));
      }
      record += " at " + std::to_string(side.table->Tell(side.stream));
      record += side.table->Eof(side.stream) ? " eof" : "";
      side.seen.push_back(record);
    }
  }
  EXPECT_EQ(sides[0].seen, sides[1].seen);
  EXPECT_EQ(sides[1].seen.back(), "read 0  at 37 eof");
  std::fclose(file);
  vexal::MemStreamClose(mem);
}

}  // namespace
