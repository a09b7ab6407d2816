// PackFile: the adaptive dictionary packer and unpacker over the shared LzState.
//
// Recency order keeps every phrase on the head side of its own children (a matched
// phrase moves with all its prefixes, a new phrase goes right behind its parent), so the
// tail that gets reused is always a leaf: reuse never orphans a subtree, the trie stays
// acyclic and no phrase grows past 100 bytes, whatever codes a packed file holds.
#include "game/codec/lz_codec.h"

#include <sys/types.h>

#include <cstdio>
#include <limits>

#include "platform/fs/fs.h"

namespace game {

LzCodecStateRecord LzState;  // the dictionary of the PackFile run in progress

namespace {

constexpr int kByteCodeCount = 256;  // codes that stand for single bytes
constexpr int kFlushBits = 7;        // zero bits that push out a partly filled byte

void ResetDictionary() {
  LzCodecStateRecord& s = LzState;
  for (int code = 0; code < kLzCodeCount; ++code) {
    s.Parent[code] = kLzNoCode;
    s.LastByte[code] = static_cast<uint8_t>(code);
    s.FirstChild[code] = kLzNoCode;
    s.NextSibling[code] = kLzNoCode;
    s.PrevSibling[code] = kLzNoCode;
    s.Newer[code] = kLzNoCode;
    s.Older[code] = kLzNoCode;
  }
  s.RecencyHead = kLzNoCode;
  s.RecencyTail = kLzNoCode;
  s.NextFree = kLzFirstPhraseCode;
  s.CodeWidth = 1;
  s.WidthLimit = 2;
  s.BitBuffer = 0;
  s.BitCount = 0;
}

// W for the phrase count now in the table.
void ApplyWidthRule() {
  while (LzState.NextFree - kLzFirstPhraseCode >= LzState.WidthLimit) {
    LzState.WidthLimit *= 2;
    ++LzState.CodeWidth;
  }
}

uint16_t FindChild(uint16_t node, uint8_t byte) {
  uint16_t child = LzState.FirstChild[node];
  while (child != kLzNoCode && LzState.LastByte[child] != byte) child = LzState.NextSibling[child];
  return child;
}

void UnlinkRecency(uint16_t code) {
  LzCodecStateRecord& s = LzState;
  uint16_t newer = s.Newer[code];
  uint16_t older = s.Older[code];
  if (newer != kLzNoCode)
    s.Older[newer] = older;
  else
    s.RecencyHead = older;
  if (older != kLzNoCode)
    s.Newer[older] = newer;
  else
    s.RecencyTail = newer;
  s.Newer[code] = kLzNoCode;
  s.Older[code] = kLzNoCode;
}

// Links an unlinked code directly on the tail side of `after`, or as the head when none.
void LinkRecencyAfter(uint16_t after, uint16_t code) {
  LzCodecStateRecord& s = LzState;
  uint16_t older = after == kLzNoCode ? s.RecencyHead : s.Older[after];
  s.Newer[code] = after;
  s.Older[code] = older;
  if (after != kLzNoCode)
    s.Older[after] = code;
  else
    s.RecencyHead = code;
  if (older != kLzNoCode)
    s.Newer[older] = code;
  else
    s.RecencyTail = code;
}

void MoveRecencyAfter(uint16_t after, uint16_t code) {
  UnlinkRecency(code);
  LinkRecencyAfter(after, code);
}

void UnlinkChild(uint16_t code) {
  LzCodecStateRecord& s = LzState;
  uint16_t prev = s.PrevSibling[code];
  uint16_t next = s.NextSibling[code];
  if (prev != kLzNoCode)
    s.NextSibling[prev] = next;
  else
    s.FirstChild[s.Parent[code]] = next;
  if (next != kLzNoCode) s.PrevSibling[next] = prev;
}

// The previous phrase `prev` (of `prev_length` bytes) extended by each prefix of the
// current phrase bytes[0..length-1]; existing phrases are walked through, not moved.
void AddPhrases(uint16_t prev, int prev_length, const uint8_t* bytes, int length) {
  if (prev == kLzNoCode) return;
  LzCodecStateRecord& s = LzState;
  uint16_t node = prev;
  int node_length = prev_length;
  for (int i = 0; i < length; ++i) {
    if (++node_length > kLzMaxPhraseLength) return;
    uint16_t child = FindChild(node, bytes[i]);
    if (child != kLzNoCode) {
      node = child;
      continue;
    }
    uint16_t code;
    if (s.NextFree < kLzCodeCount) {
      code = static_cast<uint16_t>(s.NextFree++);
    } else {
      code = s.RecencyTail;
      if (code == node) return;
      UnlinkRecency(code);
      UnlinkChild(code);
    }
    s.Parent[code] = node;
    s.LastByte[code] = bytes[i];
    s.FirstChild[code] = kLzNoCode;
    s.PrevSibling[code] = kLzNoCode;
    s.NextSibling[code] = s.FirstChild[node];
    if (s.FirstChild[node] != kLzNoCode) s.PrevSibling[s.FirstChild[node]] = code;
    s.FirstChild[node] = code;
    LinkRecencyAfter(node < kByteCodeCount ? kLzNoCode : node, code);
    node = code;
  }
}

// Output bits, most significant first; false once a byte could not be written.
bool PutBits(std::FILE* out, uint32_t value, int count) {
  LzCodecStateRecord& s = LzState;
  for (int bit = count - 1; bit >= 0; --bit) {
    s.BitBuffer = (s.BitBuffer << 1) | ((value >> bit) & 1u);
    if (++s.BitCount == 8) {
      if (std::putc(static_cast<int>(s.BitBuffer & 0xFFu), out) == EOF) return false;
      s.BitBuffer = 0;
      s.BitCount = 0;
    }
  }
  return true;
}

// Input bits, most significant first; false when the input has run out.
bool GetBits(std::FILE* in, int count, uint32_t* value) {
  LzCodecStateRecord& s = LzState;
  uint32_t v = 0;
  for (int i = 0; i < count; ++i) {
    if (s.BitCount == 0) {
      int c = std::getc(in);
      if (c == EOF) return false;
      s.BitBuffer = static_cast<uint32_t>(c);
      s.BitCount = 8;
    }
    --s.BitCount;
    v = (v << 1) | ((s.BitBuffer >> s.BitCount) & 1u);
  }
  *value = v;
  return true;
}

bool WriteLength(std::FILE* out, uint32_t length) {
  for (int i = 0; i < kLzHeaderBytes; ++i) {
    if (std::putc(static_cast<int>((length >> (8 * i)) & 0xFFu), out) == EOF) return false;
  }
  return true;
}

bool ReadLength(std::FILE* in, uint32_t* length) {
  uint32_t v = 0;
  for (int i = 0; i < kLzHeaderBytes; ++i) {
    int c = std::getc(in);
    if (c == EOF) return false;
    v |= static_cast<uint32_t>(c) << (8 * i);
  }
  *length = v;
  return true;
}

bool Pack(std::FILE* in, std::FILE* out) {
  LzCodecStateRecord& s = LzState;
  if (::fseeko(in, 0, SEEK_END) != 0) return false;
  off_t size = ::ftello(in);
  if (size < 0 || size > static_cast<off_t>(std::numeric_limits<uint32_t>::max())) return false;
  if (!WriteLength(out, static_cast<uint32_t>(size))) return false;
  if (::fseeko(in, 0, SEEK_SET) != 0) return false;

  uint16_t prev = kLzNoCode;
  int prev_length = 0;
  int c = std::getc(in);
  while (c != EOF) {
    uint16_t node = static_cast<uint16_t>(c);
    int length = 0;
    s.Phrase[length++] = static_cast<uint8_t>(c);
    uint16_t placed = kLzNoCode;  // last prefix moved to the front of the recency list
    c = std::getc(in);
    while (c != EOF && length < kLzMaxPhraseLength) {
      uint16_t child = FindChild(node, static_cast<uint8_t>(c));
      if (child == kLzNoCode) break;
      MoveRecencyAfter(placed, child);
      placed = child;
      node = child;
      s.Phrase[length++] = static_cast<uint8_t>(c);
      c = std::getc(in);
    }
    if (node < kByteCodeCount) {
      if (!PutBits(out, 0, 1) || !PutBits(out, node, 8)) return false;
    } else {
      ApplyWidthRule();
      if (!PutBits(out, 1, 1) || !PutBits(out, node - kLzFirstPhraseCode, s.CodeWidth)) return false;
    }
    AddPhrases(prev, prev_length, s.Phrase.data(), length);
    prev = node;
    prev_length = length;
  }
  if (std::ferror(in)) return false;
  return PutBits(out, 0, kFlushBits);
}

bool Unpack(std::FILE* in, std::FILE* out) {
  LzCodecStateRecord& s = LzState;
  uint32_t total;
  if (!ReadLength(in, &total)) return false;

  uint16_t prev = kLzNoCode;
  int prev_length = 0;
  uint32_t written = 0;
  while (written < total) {
    ApplyWidthRule();
    uint32_t flag;
    uint32_t value;
    if (!GetBits(in, 1, &flag)) return false;
    if (!GetBits(in, flag ? s.CodeWidth : 8, &value)) return false;
    uint32_t code = flag ? value + kLzFirstPhraseCode : value;
    if (code >= static_cast<uint32_t>(s.NextFree)) return false;

    // Walk up to the phrase's first byte, moving each prefix to the head on the way,
    // so the shortest ends up first; the bytes land at the end of the buffer.
    int start = kLzMaxPhraseLength;
    uint16_t node = static_cast<uint16_t>(code);
    while (node != kLzNoCode) {
      if (start == 0) return false;  // deeper than any phrase can be
      s.Phrase[--start] = s.LastByte[node];
      if (node >= kByteCodeCount && node != s.RecencyHead) MoveRecencyAfter(kLzNoCode, node);
      node = s.Parent[node];
    }
    int length = kLzMaxPhraseLength - start;
    // A last phrase that runs past the announced length is cut there: what follows the
    // N-th byte is ignored, as the bits after it are.
    for (int i = start; i < kLzMaxPhraseLength && written < total; ++i) {
      if (std::putc(s.Phrase[i], out) == EOF) return false;
      ++written;
    }
    AddPhrases(prev, prev_length, s.Phrase.data() + start, length);
    prev = static_cast<uint16_t>(code);
    prev_length = length;
  }
  return true;
}

}  // namespace

int PackFile(std::string_view input, std::string_view output, int mode) {
  if (mode != kPackFileModePack && mode != kPackFileModeUnpack) return kPackFileFailed;
  std::FILE* in = plat::fs::OpenFile(input, "rb");
  if (in == nullptr) return kPackFileFailed;
  std::FILE* out = plat::fs::OpenFile(output, "wb");
  if (out == nullptr) {
    std::fclose(in);
    return kPackFileFailed;
  }
  ResetDictionary();
  bool ok = mode == kPackFileModePack ? Pack(in, out) : Unpack(in, out);
  std::fclose(in);
  if (std::fclose(out) != 0) ok = false;
  return ok ? kPackFileOk : kPackFileFailed;
}

void ResetLzCodecState() { LzState = LzCodecStateRecord{}; }

}  // namespace game
