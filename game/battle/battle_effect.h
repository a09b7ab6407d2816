// The battle's two picture managers: the effect animations of system\effect.txt, loaded on
// first use with at most 40 resident, and the enemy sprites of ene\enemydef.txt, held in
// 13 slots replaced in turn, with the pulsing highlight an acting enemy gets.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace game {

inline constexpr int kEffectIds = 512;
inline constexpr int kEffectMaxFrames = 16;
inline constexpr int kEffectResidentLimit = 40;
inline constexpr char kEffectListFile[] = "system\\effect.txt";
inline constexpr char kEffectPictureFolder[] = "img\\effect\\";
inline constexpr int kEnemySprites = 250;
inline constexpr int kEnemySpriteCells = 9;  // cell 0 the highlight, 1-8 the frames
inline constexpr int kEnemyCacheSlots = 13;
inline constexpr int kEnemyPulseCycle = 60;
inline constexpr int kEnemyPulseRestart = 7;
inline constexpr char kEnemySpriteListFile[] = "ene\\enemydef.txt";
inline constexpr int kListNameBytes = 32;

struct EffectDef {
  uint16_t frames = 0, rows = 1, width = 0, height = 0;
  uint16_t across = 0;  // cells across in the picture (frames / rows as written)
  std::array<char, kListNameBytes> name{};
};

class BattleEffect {
 public:
  // Reads system\effect.txt from the working directory.
  BattleEffect();
  virtual ~BattleEffect() = default;
  void ReadEffectList();
  void RequestEffect(int id);
  void FreeOldestEffect();
  void DrawEffect(int x, int y, int id, int frame);
  // Frees every loaded picture.
  void ReleaseEffects();

  const EffectDef& Def(int id) const { return defs_[id]; }
  int LoadNumber(int id) const { return load_number_[id]; }
  int Counter() const { return counter_; }

 private:
  std::array<EffectDef, kEffectIds> defs_{};
  std::array<int32_t, kEffectIds> load_number_{};  // -1 not loaded
  std::array<std::array<int, kEffectMaxFrames>, kEffectIds> graphs_{};
  int32_t counter_ = 1;  // load number of the next load
};

struct EnemyDef {
  uint16_t width = 0, height = 0, last_cell = 0;  // the picture holds last_cell + 1 cells
  std::array<char, kListNameBytes> file{};
};

class EnemyGraphCache {
 public:
  EnemyGraphCache();
  virtual ~EnemyGraphCache() = default;
  void LoadEnemyDef();
  void RequestEnemyGraph(int id);
  int GetEnemyGraphHandle(int id, int frame) const;
  void DrawEnemyGraph(int x, int y, int id, int frame, bool highlight) const;
  void TickEnemyGraphs();
  void RestartEnemyPulse() { counter_b_ = kEnemyPulseRestart; }
  void ReleaseEnemyGraphs();
  // Brightness of the highlight: 15 x the triangle of counter B.
  int PulseBrightness() const;

  const EnemyDef& Def(int id) const;
  int SlotSprite(int slot) const { return slot_ids_[slot]; }
  int CounterA() const { return counter_a_; }
  bool Loaded() const { return loaded_ != 0; }

 private:
  void EmptySlot(int slot);
  int32_t loaded_ = 0;
  std::array<std::array<int, kEnemySpriteCells>, kEnemyCacheSlots> handles_{};
  std::array<int32_t, kEnemyCacheSlots> slot_ids_{};  // -1 empty
  int32_t next_slot_ = 0;
  int32_t counter_a_ = 0, counter_b_ = 0;  // 0..60
  std::array<EnemyDef, kEnemySprites> defs_{};
};

extern EnemyGraphCache TheEnemyGraphCache;
void ResetEnemyGraphCache();

}  // namespace game
