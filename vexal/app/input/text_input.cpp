#include "vexal/app/input/text_input.h"

#include <cstring>

#include "platform/text/text_encoding.h"
#include "platform/window/window.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/screen/color_value.h"

namespace vexal {
namespace {

struct CursorKey {
  uint32_t VirtualKey;
  uint8_t Code;
};

// Keys stored in the ring as cursor codes; the zero key ends the table.
constexpr CursorKey kCursorKeyTable[] = {
    {plat::window::kVkDelete, kCodeDelete}, {plat::window::kVkLeft, kCodeLeft}, {plat::window::kVkRight, kCodeRight},
    {plat::window::kVkUp, kCodeUp},         {plat::window::kVkDown, kCodeDown}, {0, 0},
};

constexpr uint8_t kBackspace = 0x08, kTab = 0x09, kEnter = 0x0D, kEscape = 0x1B;

int RingNext(int i) { return (i + 1) % kCharRingSize; }
int RingPrev(int i) { return (i + kCharRingSize - 1) % kCharRingSize; }

bool IsCursorCode(uint8_t b) { return b == kCodeDelete || (b >= kCodeRight && b <= kCodeDown); }

// Whether the byte at pos starts a double-byte character, reading the text from its start
// so that a trail byte in the lead-byte range is not taken for a lead byte.
bool IsLeadAt(const TextInputRecord& r, int pos) {
  const auto* text = reinterpret_cast<const uint8_t*>(r.Buffer.get());
  int i = 0;
  while (i < pos) i += plat::IsSjisLeadByte(text[i]) && i + 1 < r.Length ? 2 : 1;
  return i == pos && pos + 1 < r.Length && plat::IsSjisLeadByte(text[pos]);
}

int CharSizeAt(const TextInputRecord& r, int pos) { return IsLeadAt(r, pos) ? 2 : 1; }

int CharSizeBefore(const TextInputRecord& r) { return r.Cursor >= 2 && IsLeadAt(r, r.Cursor - 2) ? 2 : 1; }

void RemoveBytes(TextInputRecord& r, int pos, int n) {
  char* text = r.Buffer.get();
  std::memmove(text + pos, text + pos + n, static_cast<size_t>(r.Length - pos - n + 1));
  r.Length -= n;
}

void DeleteBeforeCursor(TextInputRecord& r) {
  int n = CharSizeBefore(r);
  r.Cursor -= n;
  RemoveBytes(r, r.Cursor, n);
}

void Insert(TextInputRecord& r, const char* c, int n) {
  bool digit = c[0] >= '0' && c[0] <= '9';
  if (r.DigitsOnly && !digit && r.Cursor != 0) return;
  if (r.SingleByteOnly && n == 2) return;
  while (r.Length + n > r.Maximum) {
    // Room is made by deleting before the cursor; at position 0 there is none to make.
    if (r.Cursor == 0) return;
    DeleteBeforeCursor(r);
  }
  char* text = r.Buffer.get();
  std::memmove(text + r.Cursor + n, text + r.Cursor, static_cast<size_t>(r.Length - r.Cursor + 1));
  std::memcpy(text + r.Cursor, c, static_cast<size_t>(n));
  r.Cursor += n;
  r.Length += n;
}

void ApplyChar(TextInputRecord& r, const char* c, int n) {
  switch (static_cast<uint8_t>(c[0])) {
    case kBackspace:
      if (r.Cursor >= 1) DeleteBeforeCursor(r);
      break;
    case kCodeDelete:
      if (r.Cursor < r.Length) RemoveBytes(r, r.Cursor, CharSizeAt(r, r.Cursor));
      break;
    case kCodeRight:
      if (r.Cursor < r.Length) r.Cursor += CharSizeAt(r, r.Cursor);
      break;
    case kCodeLeft:
      if (r.Cursor >= 1) r.Cursor -= CharSizeBefore(r);
      break;
    case kEnter: r.Finished = 1; break;
    case kEscape:
      if (r.CancelAllowed) {
        r.Cancelled = 1;
        r.Finished = 1;
      }
      break;
    case kTab:
    case kCodeUp:
    case kCodeDown: break;
    default: Insert(r, c, n);
  }
}

}  // namespace

TextInputStateRecord TextInputState;  // the library's one text-input state

void InitTextInput() {
  TextInputState = TextInputStateRecord{};
  static constexpr int kColours[kTextInputColours][3] = {{255, 255, 255}, {255, 255, 255}, {255, 255, 0}, {0, 255, 255},
                                                         {255, 255, 255}, {255, 50, 50},   {255, 255, 20}};
  for (int i = 0; i < kTextInputColours; ++i) {
    TextInputState.Colours[i] = MakeColorValue(kColours[i][0], kColours[i][1], kColours[i][2]);
  }
  TextInputState.ActiveHandle = -1;
}

void StoreInputChar(uint8_t byte) {
  TextInputStateRecord& s = TextInputState;
  if (RingNext(s.RingWrite) == s.RingRead) return;
  s.CharRingBuffer[s.RingWrite] = byte;
  s.RingWrite = RingNext(s.RingWrite);
}

void StoreInputKey(uint32_t virtual_key) {
  for (const CursorKey* k = kCursorKeyTable; k->VirtualKey != 0; ++k) {
    if (k->VirtualKey == virtual_key) {
      StoreInputChar(k->Code);
      return;
    }
  }
}

int PopInputChar(char out[2], int remove) {
  TextInputStateRecord& s = TextInputState;
  out[0] = out[1] = 0;
  if (s.RingRead == s.RingWrite) return 0;
  uint8_t first = s.CharRingBuffer[s.RingRead];
  out[0] = static_cast<char>(first);
  s.RingRead = RingNext(s.RingRead);
  int n = 1;
  if (!IsCursorCode(first) && plat::IsSjisLeadByte(first)) {
    if (s.RingRead == s.RingWrite) {
      // The trail byte has not arrived yet.
      s.RingRead = RingPrev(s.RingRead);
      out[0] = 0;
      return 0;
    }
    out[1] = static_cast<char>(s.CharRingBuffer[s.RingRead]);
    n = 2;
    if (remove) s.RingRead = RingNext(s.RingRead);
  }
  if (!remove) s.RingRead = RingPrev(s.RingRead);
  return n;
}

int UpdateTextInput() {
  int h = TextInputState.ActiveHandle;
  if (h < 0 || h >= kTextInputSlots) return 0;
  TextInputRecord& r = TextInputState.Records[h];
  if (!r.InUse || r.Finished) return 0;
  char c[2];
  int n;
  while ((n = PopInputChar(c, 1)) != 0) {
    ApplyChar(r, c, n);
    if (r.Finished) break;
  }
  return 0;
}

int DeleteTextInput(int handle) {
  if (handle < 0 || handle >= kTextInputSlots || !TextInputState.Records[handle].InUse) return -1;
  TextInputState.Records[handle] = TextInputRecord{};
  if (TextInputState.ActiveHandle == handle) TextInputState.ActiveHandle = -1;
  for (const TextInputRecord& r : TextInputState.Records) {
    if (r.InUse) return 0;
  }
  if (TextInputState.ImeEnabled) EnableIme(0);
  return 0;
}

void DeleteAllTextInput() {
  for (TextInputRecord& r : TextInputState.Records) r = TextInputRecord{};
  EnableIme(0);
  TextInputState.ActiveHandle = -1;
}

int EnableIme(int flag) {
  int on = flag != 0 ? 1 : 0;
  if (on == TextInputState.ImeEnabled) return 0;
  plat::window::EnableIme(AppState.MainWindow, on != 0);
  TextInputState.ImeEnabled = on;
  if (!on) {
    TextInputState.CandidateList.reset();
    TextInputState.Composition.fill(0);
    TextInputState.Composing = 0;
  }
  return 0;
}

int CreateTextInputForTest(int maximum, int cancel_allowed, int single_byte_only, int digits_only) {
  if (maximum < 0) return -1;
  for (int h = 0; h < kTextInputSlots; ++h) {
    TextInputRecord& r = TextInputState.Records[h];
    if (r.InUse) continue;
    r = TextInputRecord{};
    r.InUse = 1;
    r.Maximum = maximum;
    r.Buffer = std::make_unique<char[]>(static_cast<size_t>(maximum) + 2);
    r.CancelAllowed = cancel_allowed;
    r.SingleByteOnly = single_byte_only;
    r.DigitsOnly = digits_only;
    TextInputState.ActiveHandle = h;
    return h;
  }
  return -1;
}

}  // namespace vexal
