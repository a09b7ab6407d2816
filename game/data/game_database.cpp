// The database text files: recipes, items, the map list, enemies and encounter groups,
// and the fruit pictures.
//
// Every file is whitespace-separated words. A word that should be a number and is not
// ends the read of that file (what was read stays); a row number or an id outside its
// table skips that row with a log line. Names are stored as glyph codes cut to their
// field.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/codec/glyph_codes.h"
#include "game/data/game_data.h"
#include "platform/fs/fs.h"
#include "vexal/app/log/log_file.h"

namespace game {
namespace {

constexpr int kWordBytes = 1024;  // longer words are cut; no field is nearly that long
constexpr char kMarker[] = "---";
constexpr int kItemUsesLimit = 999;
constexpr int kFruitCell = 16;  // pixels a side

// Words of one open file.
class WordReader {
 public:
  explicit WordReader(std::string_view path) : file_(plat::fs::OpenFile(path, "rt")) {}
  ~WordReader() {
    if (file_ != nullptr) std::fclose(file_);
  }
  WordReader(const WordReader&) = delete;
  WordReader& operator=(const WordReader&) = delete;

  bool IsOpen() const { return file_ != nullptr; }

  // The next word; false at the end of the file.
  bool Word(std::string* word) {
    word->clear();
    int c;
    do {
      c = std::fgetc(file_);
    } while (c != EOF && IsSpace(c));
    while (c != EOF && !IsSpace(c)) {
      if (word->size() < kWordBytes) word->push_back(static_cast<char>(c));
      c = std::fgetc(file_);
    }
    return !word->empty();
  }

  // The next word as a decimal number (clamped to 32 bits); false at the end of the file
  // or when the word is not a number.
  bool Number(int32_t* value) {
    std::string word;
    if (!Word(&word)) return false;
    char* end = nullptr;
    long long v = std::strtoll(word.c_str(), &end, 10);
    if (end == word.c_str() || *end != '\0') return false;
    *value = static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    return true;
  }

  // Reads words up to and including "---"; false when the file ends first.
  bool SkipToMarker() {
    std::string word;
    while (Word(&word)) {
      if (word == kMarker) return true;
    }
    return false;
  }

 private:
  static bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

  std::FILE* file_;
};

// Glyph codes of a Shift-JIS word filling the whole field (no terminator kept when the
// text fills it).
template <size_t N>
void StoreCodes(const std::string& word, std::array<uint8_t, N>& out) {
  std::array<uint8_t, N + 1> codes{};
  SjisToGlyphCodes(word, codes);
  std::copy_n(codes.begin(), N, out.begin());
}

bool IsItemId(int32_t id) { return id >= 0 && id < kItemCount; }

int32_t ClampUses(int32_t v) {
  if (v < 0) return kUsesUnlimited;
  if (v >= kItemUsesLimit) return kUsesLevelled;
  return v;
}

}  // namespace

void GameData::ResetRecipes() {
  for (auto& m : RecipeMaterials) m.fill(kRecipeUnsetMaterial);
  RecipeResults.fill(1);
}

void GameData::ReadConcoctions() {
  WordReader in(kConcoctionFile);
  if (!in.IsOpen()) return;
  int recipe = 0;
  while (recipe < kRecipeCount) {
    int32_t result, m[3];
    if (!in.Number(&result) || !in.Number(&m[0]) || !in.Number(&m[1]) || !in.Number(&m[2])) break;
    bool materials_ok = std::all_of(std::begin(m), std::end(m), [](int32_t v) {
      return (v >= 0 && v < kMaterialCount) || v == kRecipeUnsetMaterial;
    });
    if (!IsItemId(result) || !materials_ok) {
      // A recipe's number is its row: a bad row stays empty and keeps its place.
      vexal::LogWriteFmt("%s: recipe %d skipped (result %d, materials %d %d %d)", kConcoctionFile, recipe, result, m[0],
                         m[1], m[2]);
      ++recipe;
      continue;
    }
    RecipeResults[recipe] = static_cast<uint32_t>(result);
    for (int i = 0; i < 3; ++i) RecipeMaterials[recipe][i] = static_cast<uint8_t>(m[i]);
    ++recipe;
  }
}

void GameData::ReadItems() {
  WordReader in(kItemFile);
  if (!in.IsOpen()) return;
  if (in.SkipToMarker()) {
    std::string name, description;
    for (int record = 0; record < kItemCount; ++record) {
      int32_t ignored;
      if (!in.Number(&ignored) || !in.Word(&name) || !in.Word(&description)) break;
      std::array<int32_t, kItemValues> values;
      bool complete = true;
      for (int32_t& v : values) {
        if (!in.Number(&v)) {
          complete = false;
          break;
        }
      }
      if (!complete) break;
      ItemRecord& item = Items[record];
      item.values = values;
      item.values[kItemUses] = ClampUses(values[kItemUses]);
      StoreCodes(name, item.name);
      StoreCodes(description, item.description);
    }
  }
  Items[0].description.fill(0);
}

void GameData::ReadMapList() {
  WordReader in(kMapListFile);
  if (!in.IsOpen()) return;
  std::string name, ignored;
  for (int line = 0; line < kMapCount; ++line) {
    int32_t row;
    if (!in.Number(&row) || !in.Word(&name) || !in.Word(&ignored)) break;
    if (row < 0 || row >= kMapCount) {
      vexal::LogWriteFmt("%s: map %d skipped", kMapListFile, row);
      continue;
    }
    auto& out = MapList[row];
    out.fill('\0');
    std::memcpy(out.data(), name.data(), std::min<size_t>(name.size(), kMapNameBytes - 1));
  }
}

void GameData::ReadEnemies() {
  WordReader in(kEnemyFile);
  if (!in.IsOpen() || !in.SkipToMarker()) return;
  std::string name;
  std::array<int32_t, kEnemyValues> values;
  for (;;) {
    int32_t row;
    if (!in.Number(&row) || !in.Word(&name)) break;
    bool complete = true;
    for (int32_t& v : values) {
      if (!in.Number(&v)) {
        complete = false;
        break;
      }
    }
    if (!complete) break;
    if (row < 0 || row >= kEnemyCount) {
      vexal::LogWriteFmt("%s: enemy %d skipped", kEnemyFile, row);
      continue;
    }
    StoreCodes(name, Enemies[row].name);
    Enemies[row].values = values;
  }
}

void GameData::ReadEncounterGroups() {
  WordReader in(kEncounterFile);
  if (!in.IsOpen() || !in.SkipToMarker()) return;
  EncounterGroup group;
  for (;;) {
    int32_t row;
    if (!in.Number(&row)) break;
    bool complete = true, ids_ok = true;
    for (uint32_t& e : group) {
      int32_t v;
      if (!in.Number(&v)) {
        complete = false;
        break;
      }
      ids_ok = ids_ok && v >= 0 && v < kEnemyCount;
      e = static_cast<uint32_t>(v);
    }
    if (!complete) break;
    if (row < 0 || row >= kMapCount || !ids_ok) {
      vexal::LogWriteFmt("%s: group of map %d skipped", kEncounterFile, row);
      continue;
    }
    EncounterGroups[row] = group;
  }
}

void GameData::LoadFruitGraphs() {
  GameLoadDivGraph(kFruitFile, kFruitGraphs, kFruitGraphs, 1, kFruitCell, kFruitCell, FruitGraphs.data());
}

}  // namespace game
