// The effect table with its resident pictures and the enemy sprite cache.
#include "game/battle/battle_effect.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/battle/battle_draw_calls.h"
#include "platform/fs/fs.h"

namespace game {

EnemyGraphCache TheEnemyGraphCache;  // the game's one sprite cache

namespace {

constexpr int kEffectMaxRowsAcross = 16;
constexpr int kEnemyMaxLastCell = kEnemySpriteCells - 1;

// Whitespace-separated words of a text file; a word longer than the buffer is cut.
class ListReader {
 public:
  explicit ListReader(std::string_view path) : file_(plat::fs::OpenFile(path, "rt")) {}
  ~ListReader() {
    if (file_ != nullptr) std::fclose(file_);
  }
  bool Open() const { return file_ != nullptr; }
  bool Word(std::string& out) {
    out.clear();
    int c;
    while ((c = std::fgetc(file_)) != EOF && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) {
    }
    if (c == EOF) return false;
    do {
      if (out.size() < 255) out.push_back(static_cast<char>(c));
    } while ((c = std::fgetc(file_)) != EOF && c != ' ' && c != '\t' && c != '\n' && c != '\r');
    return true;
  }
  // A decimal word; false at the end or on a word that is not a number.
  bool Number(long& out) {
    std::string w;
    if (!Word(w)) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(w.c_str(), &end, 10);
    return end != w.c_str() && *end == '\0' && errno == 0;
  }
  bool SkipToMarker() {
    std::string w;
    while (Word(w)) {
      if (w == "---") return true;
    }
    return false;
  }

 private:
  std::FILE* file_;
};

void CopyName(const std::string& word, std::array<char, kListNameBytes>& out) {
  out.fill(0);
  std::copy_n(word.begin(), std::min<size_t>(word.size(), out.size() - 1), out.begin());
}

uint16_t ClampU16(long v, long lo, long hi) { return static_cast<uint16_t>(std::clamp(v, lo, hi)); }

}  // namespace

BattleEffect::BattleEffect() { ReadEffectList(); }

// id frames rows width height name extra, after the "---" line.
void BattleEffect::ReadEffectList() {
  defs_.fill(EffectDef{});
  load_number_.fill(-1);
  for (auto& g : graphs_) g.fill(-1);
  counter_ = 1;
  ListReader reader(kEffectListFile);
  if (!reader.Open() || !reader.SkipToMarker()) return;
  for (;;) {
    long id, frames, rows, width, height;
    if (!reader.Number(id) || !reader.Number(frames) || !reader.Number(rows) || !reader.Number(width) ||
        !reader.Number(height))
      return;
    std::string name, extra;
    if (!reader.Word(name)) return;
    reader.Word(extra);
    if (id < 0 || id >= kEffectIds) continue;
    EffectDef& d = defs_[id];
    long safe_rows = std::max(rows, 1L);
    // Cells across are taken from the frames as written, so a clamped entry still cuts
    // its cells from the right places.
    d.across = ClampU16(std::max(frames, 0L) / safe_rows, 0, kEffectMaxRowsAcross * 64);
    d.frames = ClampU16(frames, 0, kEffectMaxFrames);
    d.rows = ClampU16(safe_rows, 1, kEffectMaxFrames);
    d.width = ClampU16(width, 0, 4096);
    d.height = ClampU16(height, 0, 4096);
    CopyName(name, d.name);
  }
}

void BattleEffect::RequestEffect(int id) {
  if (id < 0 || id >= kEffectIds || load_number_[id] >= 0) return;
  load_number_[id] = counter_++;
  const EffectDef& d = defs_[id];
  std::string file = std::string(kEffectPictureFolder) + d.name.data();
  if (d.frames > 0) {
    std::array<int, kEffectMaxFrames> cells;
    cells.fill(-1);
    // The picture is cut as written (across x rows cells), as many cells as there are
    // frames: a cell loaded beyond them would never be freed.
    int across = std::max<int>(d.across, 1);
    int all = std::min<int>(across * d.rows, d.frames);
    BattleDraw().load_div_graph(file, all, across, d.rows, d.width, d.height, cells.data());
    std::copy_n(cells.begin(), d.frames, graphs_[id].begin());
  }
  if (counter_ > kEffectResidentLimit) FreeOldestEffect();
}

void BattleEffect::FreeOldestEffect() {
  int oldest = -1;
  for (int id = 0; id < kEffectIds; ++id) {
    if (load_number_[id] >= 1 && (oldest < 0 || load_number_[id] < load_number_[oldest])) oldest = id;
  }
  if (oldest < 0) return;
  for (int f = 0; f < defs_[oldest].frames; ++f) {
    if (graphs_[oldest][f] != -1) BattleDraw().delete_graph(graphs_[oldest][f]);
    graphs_[oldest][f] = -1;
  }
  load_number_[oldest] = -1;
}

void BattleEffect::ReleaseEffects() {
  for (int id = 0; id < kEffectIds; ++id) {
    for (int& g : graphs_[id]) {
      if (g != -1) BattleDraw().delete_graph(g);
      g = -1;
    }
    load_number_[id] = -1;
  }
}

void BattleEffect::DrawEffect(int x, int y, int id, int frame) {
  if (id < 0 || id >= kEffectIds) return;
  RequestEffect(id);
  const EffectDef& d = defs_[id];
  if (frame < 0 || frame >= d.frames) return;
  BattleDraw().graph(x - d.width / 2, y - d.height / 2, graphs_[id][frame], 1);
}

EnemyGraphCache::EnemyGraphCache() {
  for (auto& h : handles_) h.fill(-1);
  slot_ids_.fill(-1);
}

const EnemyDef& EnemyGraphCache::Def(int id) const {
  static const EnemyDef kNone{};
  return id >= 0 && id < kEnemySprites ? defs_[id] : kNone;
}

// id width height k file extra, after the "---" line.
void EnemyGraphCache::LoadEnemyDef() {
  next_slot_ = 0;
  counter_a_ = counter_b_ = 0;
  slot_ids_.fill(-1);
  for (auto& h : handles_) h.fill(-1);
  defs_.fill(EnemyDef{});
  loaded_ = 0;
  ListReader reader(kEnemySpriteListFile);
  if (!reader.Open()) return;
  if (reader.SkipToMarker()) {
    for (;;) {
      long id, width, height, k;
      if (!reader.Number(id) || !reader.Number(width) || !reader.Number(height) || !reader.Number(k)) break;
      std::string file, extra;
      if (!reader.Word(file)) break;
      reader.Word(extra);
      if (id < 0 || id >= kEnemySprites) continue;
      EnemyDef& d = defs_[id];
      d.width = ClampU16(width, 0, 4096);
      d.height = ClampU16(height, 0, 4096);
      d.last_cell = ClampU16(k, 0, kEnemyMaxLastCell);
      CopyName(file, d.file);
    }
  }
  loaded_ = 1;
}

void EnemyGraphCache::EmptySlot(int slot) {
  for (int& h : handles_[slot]) {
    if (h != -1) BattleDraw().delete_graph(h);
    h = -1;
  }
  slot_ids_[slot] = -1;
}

void EnemyGraphCache::RequestEnemyGraph(int id) {
  if (id < 0 || id >= kEnemySprites) return;
  for (int s = 0; s < kEnemyCacheSlots; ++s) {
    if (slot_ids_[s] == id) return;
  }
  int slot = next_slot_;
  EmptySlot(slot);
  const EnemyDef& d = defs_[id];
  int cells = d.last_cell + 1;
  BattleDraw().load_div_graph(d.file.data(), cells, cells, 1, d.width, d.height, handles_[slot].data());
  slot_ids_[slot] = id;
  next_slot_ = next_slot_ + 1 >= kEnemyCacheSlots ? 0 : next_slot_ + 1;
}

int EnemyGraphCache::GetEnemyGraphHandle(int id, int frame) const {
  if (frame < -1 || frame + 1 >= kEnemySpriteCells) return -1;
  for (int s = 0; s < kEnemyCacheSlots; ++s) {
    if (slot_ids_[s] == id) return handles_[s][frame + 1];
  }
  return -1;
}

int EnemyGraphCache::PulseBrightness() const {
  int b = counter_b_;
  int w = b <= 15 ? b : b <= 30 ? 30 - b : b <= 45 ? b - 30 : 60 - b;
  return 15 * w;
}

void EnemyGraphCache::DrawEnemyGraph(int x, int y, int id, int frame, bool highlight) const {
  const BattleDrawCalls& draw = BattleDraw();
  draw.graph(x, y, GetEnemyGraphHandle(id, frame), 1);
  if (highlight) {
    int b = PulseBrightness();
    draw.bright(b, b, b);
    draw.graph(x, y, GetEnemyGraphHandle(id, -1), 1);
  }
  draw.bright(255, 255, 255);
}

void EnemyGraphCache::TickEnemyGraphs() {
  if (++counter_a_ > kEnemyPulseCycle) counter_a_ = 0;
  if (++counter_b_ > kEnemyPulseCycle) counter_b_ = 0;
}

void EnemyGraphCache::ReleaseEnemyGraphs() {
  for (int s = 0; s < kEnemyCacheSlots; ++s) EmptySlot(s);
  next_slot_ = 0;
}

void ResetEnemyGraphCache() { TheEnemyGraphCache = EnemyGraphCache(); }

}  // namespace game
