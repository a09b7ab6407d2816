// The unpacked save layout and the slot-list records, field by field in little-endian
// order whatever the machine.
#include <algorithm>
#include <cstring>

#include "game/data/game_flags.h"
#include "game/data/save_game.h"

namespace game {
namespace {

constexpr int kMaxFieldGraphic = 63;

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<uint8_t>* out) : out_(out) {}
  void U16(uint16_t v) { Put(v, 2); }
  void U32(uint32_t v) { Put(v, 4); }
  void I32(int32_t v) { Put(static_cast<uint32_t>(v), 4); }
  void U8(uint8_t v) { out_->push_back(v); }
  template <class T>
  void Bytes(const T& array) {
    const auto* p = reinterpret_cast<const uint8_t*>(array.data());
    out_->insert(out_->end(), p, p + array.size());
  }

 private:
  void Put(uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out_->push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::vector<uint8_t>* out_;
};

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> in) : in_(in) {}
  void U16(uint16_t& v) { v = static_cast<uint16_t>(Get(2)); }
  void U32(uint32_t& v) { v = Get(4); }
  void I32(int32_t& v) { v = static_cast<int32_t>(Get(4)); }
  void U8(uint8_t& v) { v = static_cast<uint8_t>(Get(1)); }
  template <class T>
  void Bytes(T& array) {
    const size_t n = array.size();
    if (pos_ + n <= in_.size()) std::memcpy(array.data(), in_.data() + pos_, n);
    pos_ += n;
  }
  bool Ok() const { return pos_ <= in_.size(); }

 private:
  uint32_t Get(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      if (pos_ < in_.size()) v |= static_cast<uint32_t>(in_[pos_]) << (8 * i);
      ++pos_;
    }
    return v;
  }
  std::span<const uint8_t> in_;
  size_t pos_ = 0;
};

// Both directions of the party part share this walk, so they cannot drift apart.
template <class Io, class Data>
void WalkPartyPart(Io& io, Data& d) {
  for (auto& member : d.Members) {
    for (auto& v : member) io.I32(v);
  }
  for (auto& status : d.Status) io.Bytes(status);
  auto stack = [&io](auto& s) {
    io.U16(s.id);
    io.U16(s.count);
  };
  for (auto& member : d.Equipment) {
    for (auto& s : member) stack(s);
  }
  for (auto& s : d.ItemBag) stack(s);
  for (auto& s : d.AbilityStock) stack(s);
  for (auto& s : d.Materials) stack(s);
  for (auto& v : d.HarvestTimes) io.U32(v);
  for (auto& v : d.Scalars) io.U32(v);
  for (auto& m : d.MapMarks) {
    io.U16(m.area);
    io.U16(m.x);
    io.U16(m.y);
    io.U16(m.map);
  }
  for (auto& p : d.LongJumpPoints) {
    io.U32(p.area);
    io.U16(p.x);
    io.U16(p.y);
    io.Bytes(p.name);
  }
}

template <class Io, class Summary>
void WalkSummary(Io& io, Summary& s) {
  io.U16(s.leader_id);
  for (auto& v : s.values) io.U32(v);
  io.U32(s.play_seconds);
  io.Bytes(s.place);
  io.Bytes(s.date);
  for (auto& g : s.graphics) io.U16(g);
}

bool IsItemId(uint16_t id) { return id < kItemCount; }

bool PartyPartSound(const GameData& d) {
  const LongJumpPoint& saved = d.LongJumpPoints[kSavedPositionPoint];
  if (saved.area >= static_cast<uint32_t>(kMapCount) || saved.x >= 256 || saved.y >= 256) return false;
  if (d.Scalars[kScalarCurrentMap] >= static_cast<uint32_t>(kMapCount)) return false;
  // The leader's graphic is drawn from the same 64 characters as the members'.
  if (d.Scalars[kScalarLeaderGraphic] > static_cast<uint32_t>(kMaxFieldGraphic)) return false;
  for (const PartyMember& p : d.Members) {
    if (p[kMemberId] < 0 || p[kMemberId] >= kMemberCount) return false;
    if (p[kMemberEspLevel] < 0 || p[kMemberEspLevel] > kMaxEspLevel) return false;
    if (p[kMemberFieldGraphic] < 0 || p[kMemberFieldGraphic] > kMaxFieldGraphic) return false;
  }
  auto ids_ok = [](const auto& stacks) {
    return std::all_of(stacks.begin(), stacks.end(), [](const ItemStack& s) { return IsItemId(s.id); });
  };
  if (!ids_ok(d.ItemBag) || !ids_ok(d.AbilityStock)) return false;
  return std::all_of(d.Equipment.begin(), d.Equipment.end(), ids_ok);
}

}  // namespace

std::vector<uint8_t> BuildSaveLayout(const GameData& data, std::span<const uint32_t> noise, int trailing_words) {
  std::vector<uint8_t> out;
  out.reserve(kSaveLayoutMinBytes + 4 * kMaxTrailingNoise);
  ByteWriter w(&out);
  for (int i = 0; i < kNoiseWords; ++i) w.U32(i < static_cast<int>(noise.size()) ? noise[i] : 0);
  WalkPartyPart(w, data);
  for (int word = 0; word < kGameFlagWordCount; ++word) {
    uint32_t v = 0;
    for (int bit = 0; bit < 32; ++bit) {
      if (TheGameFlags.TestGameFlag(word * 32 + bit)) v |= 1u << bit;
    }
    w.U32(v);
  }
  trailing_words = std::clamp(trailing_words, 0, std::min<int>(kMaxTrailingNoise, noise.size()));
  for (int i = 0; i < trailing_words; ++i) w.U32(noise[i]);
  return out;
}

bool ParseSaveLayout(std::span<const uint8_t> bytes, GameData* data, std::array<uint32_t, 160>* flag_words) {
  if (bytes.size() < static_cast<size_t>(kSaveLayoutMinBytes)) return false;
  ByteReader r(bytes.subspan(kPartyPartOffset));
  WalkPartyPart(r, *data);
  for (uint32_t& v : *flag_words) r.U32(v);
  return r.Ok() && PartyPartSound(*data);
}

std::vector<uint8_t> PackSlotSummaries(std::span<const SaveSlotSummary, kSaveSlots> summaries) {
  std::vector<uint8_t> out;
  ByteWriter w(&out);
  for (const SaveSlotSummary& s : summaries) WalkSummary(w, s);
  return out;
}

void UnpackSlotSummary(std::span<const uint8_t, kSlotSummaryFileBytes> bytes, SaveSlotSummary* out) {
  ByteReader r(bytes);
  WalkSummary(r, *out);
  // A file written elsewhere may lack the terminators.
  out->place.back() = '\0';
  out->date.back() = 0;
}

}  // namespace game
