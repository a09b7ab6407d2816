#include "vexal/app/input/text_input.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/window/window.h"

namespace {

using vexal::TextInputState;

void Type(std::string_view bytes) {
  for (char b : bytes) vexal::StoreInputChar(static_cast<uint8_t>(b));
}

std::string Pop(int remove) {
  char out[2];
  int n = vexal::PopInputChar(out, remove);
  return std::string(out, static_cast<size_t>(n));
}

TEST(CharRing, HoldsAtMost1024BytesAndWraps) {
  vexal::InitTextInput();
  for (int i = 0; i < 1030; ++i) vexal::StoreInputChar(static_cast<uint8_t>('a' + i % 26));
  int count = 0;
  for (std::string c = Pop(1); !c.empty(); c = Pop(1)) {
    EXPECT_EQ(c[0], static_cast<char>('a' + count % 26)) << count;
    ++count;
  }
  EXPECT_EQ(count, 1024);

  // The indices now stand at 1024; the next bytes cross the end of the buffer.
  Type("xyz");
  EXPECT_EQ(TextInputState.RingWrite, 2);
  EXPECT_EQ(Pop(1), "x");
  EXPECT_EQ(Pop(1), "y");
  EXPECT_EQ(Pop(1), "z");
  EXPECT_EQ(Pop(1), "");
}

TEST(CharRing, LeadByteWaitsForItsTrailAndPeekLeavesTheRing) {
  vexal::InitTextInput();
  Type("\x82");  // first byte of "あ"
  EXPECT_EQ(Pop(1), "");
  EXPECT_EQ(Pop(0), "");
  Type("\xA0");
  EXPECT_EQ(Pop(0), "あ");
  EXPECT_EQ(Pop(0), "あ");
  EXPECT_EQ(Pop(1), "あ");
  EXPECT_EQ(Pop(1), "");

  vexal::StoreInputKey(plat::window::kVkLeft);
  vexal::StoreInputKey('A');  // not a cursor key: nothing stored
  vexal::StoreInputKey(plat::window::kVkDelete);
  EXPECT_EQ(Pop(1), "\x1D");
  EXPECT_EQ(Pop(1), "\x10");
  EXPECT_EQ(Pop(1), "");
}

struct EditCase {
  const char* name;
  std::string typed;  // bytes through the ring; \x1D left, \x1C right, \x10 delete
  int maximum;
  int cancel_allowed, single_byte_only, digits_only;
  std::string text;
  int cursor;
  int finished, cancelled;
};

TEST(TextInput, EditingTable) {
  const EditCase cases[] = {
      {"plain", "abc", 10, 0, 0, 0, "abc", 3, 0, 0},
      {"insert after moving left",
       "abc\x1D\x1D"
       "X",
       10, 0, 0, 0, "aXbc", 2, 0, 0},
      {"backspace takes a double-byte character", "aあb\x1D\x08", 10, 0, 0, 0, "ab", 1, 0, 0},
      {"delete takes a double-byte character", "あい\x1D\x1D\x10", 10, 0, 0, 0, "い", 0, 0, 0},
      {"right steps over a double-byte character", "あb\x1D\x1D\x1C", 10, 0, 0, 0, "あb", 2, 0, 0},
      // 0x9F is the trail of "亜" although it is in the lead-byte range.
      {"a trail byte is not a lead byte", "亜亜a\x08", 10, 0, 0, 0, "亜亜", 4, 0, 0},
      {"edges do nothing",
       "\x08\x1D\x10"
       "ab\x1C\x10",
       10, 0, 0, 0, "ab", 2, 0, 0},
      {"tab and up and down are ignored",
       "a\x09\x1E\x1F"
       "b",
       10, 0, 0, 0, "ab", 2, 0, 0},
      {"enter finishes", "ab\r", 10, 0, 0, 0, "ab", 2, 1, 0},
      {"escape cancels when allowed", "ab\x1B", 10, 1, 0, 0, "ab", 2, 1, 1},
      {"escape is ignored otherwise",
       "a\x1B"
       "b",
       10, 0, 0, 0, "ab", 2, 0, 0},
      {"digits only, except in front", "a1b2", 10, 0, 0, 1, "a12", 3, 0, 0},
      {"single-byte only", "aあb", 10, 0, 1, 0, "ab", 2, 0, 0},
      {"full: the character before the cursor makes room", "abcd", 3, 0, 0, 0, "abd", 3, 0, 0},
      {"full: a double-byte character takes two", "abcあ", 3, 0, 0, 0, "aあ", 3, 0, 0},
      {"full at position 0: dropped",
       "ab\x1D\x1D"
       "x",
       2, 0, 0, 0, "ab", 0, 0, 0},
      {"too long for an empty text: dropped", "あ", 1, 0, 0, 0, "", 0, 0, 0},
  };
  for (const EditCase& c : cases) {
    vexal::InitTextInput();
    int h = vexal::CreateTextInputForTest(c.maximum, c.cancel_allowed, c.single_byte_only, c.digits_only);
    ASSERT_EQ(h, 0);
    Type(c.typed);
    EXPECT_EQ(vexal::UpdateTextInput(), 0);
    const vexal::TextInputRecord& r = TextInputState.Records[h];
    EXPECT_EQ(std::string(r.Buffer.get()), c.text) << c.name;
    EXPECT_EQ(r.Length, static_cast<int>(c.text.size())) << c.name;
    EXPECT_EQ(r.Cursor, c.cursor) << c.name;
    EXPECT_EQ(r.Finished, c.finished) << c.name;
    EXPECT_EQ(r.Cancelled, c.cancelled) << c.name;
  }
}

TEST(TextInput, StopsAtEnterAndLeavesTheRestForLater) {
  vexal::InitTextInput();
  int h = vexal::CreateTextInputForTest(10, 0, 0, 0);
  Type("ab\rcd");
  vexal::UpdateTextInput();
  EXPECT_EQ(std::string(TextInputState.Records[h].Buffer.get()), "ab");
  vexal::UpdateTextInput();  // a finished input takes nothing more
  EXPECT_EQ(Pop(1), "c");
  EXPECT_EQ(Pop(1), "d");
}

TEST(TextInput, DeleteFreesTheSlotAndTheLastOneSwitchesTheImeOff) {
  vexal::InitTextInput();
  int a = vexal::CreateTextInputForTest(4, 0, 0, 0);
  int b = vexal::CreateTextInputForTest(4, 0, 0, 0);
  vexal::EnableIme(1);
  EXPECT_EQ(TextInputState.ActiveHandle, b);

  EXPECT_EQ(vexal::DeleteTextInput(b), 0);
  EXPECT_EQ(TextInputState.ActiveHandle, -1);
  EXPECT_EQ(TextInputState.ImeEnabled, 1);  // handle a is still in use
  EXPECT_EQ(vexal::DeleteTextInput(b), -1);
  EXPECT_EQ(vexal::DeleteTextInput(vexal::kTextInputSlots), -1);
  EXPECT_EQ(vexal::DeleteTextInput(-1), -1);
  EXPECT_EQ(TextInputState.Records[a].InUse, 1);

  TextInputState.Composing = 1;
  TextInputState.Composition[0] = 'k';
  EXPECT_EQ(vexal::DeleteTextInput(a), 0);
  EXPECT_EQ(TextInputState.ImeEnabled, 0);
  EXPECT_EQ(TextInputState.Composing, 0);
  EXPECT_EQ(TextInputState.Composition[0], 0);
}

}  // namespace
