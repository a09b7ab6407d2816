// The game as the player gets it with the hardware-3D setting, against the same game
// without it: the real program on the demo world, under the virtual clock and the scripted
// play-through (the title, the town and its messages, the shop, the field, the fights won,
// the menu back in the town), at 16-bit colour (full screen, where the game sets a 5:6:5
// screen mode) and at 32-bit colour (window mode, where it follows the desktop's 32 bits).
// Every frame of the play-through is compared, as the games run: the Direct3D row must put
// every texel on the pixel the software row puts it on, and the two may differ only as their
// blending rounds differently, never by a shift. The fights' frames are found from the
// game's log, so the stretches follow the play-through when its timing changes. With the
// doubled screen as well, the Direct3D row copies the picture and stretches it over the
// whole window.
//
// At 16 bits the software row blends so coarsely (below) that a device blending with a
// wrong weight still passes against it. So the 16-bit game is also held to the window game
// at 32 bits: full screen presents kFullScreenLead frames more than the window while it sets
// its mode, and with every tap that much later the 16-bit game meets what the window game
// meets at the same moments of the virtual clock (the same fight, its frames that many
// frames on). The device's 16-bit frames must then lie within a few steps of its own
// 32-bit frames of the window game (ReplayBound), and those within the 32-bit bounds of the
// software row's.
//
// Differences are counted in steps of the screen's channels: levels at 32 bits, 5:6:5 steps
// at 16 bits (a red or blue step is 255 / 31, about 8.2 levels of the captured picture, a
// green step 255 / 63, about 4). The bounds come from the two rows' arithmetic:
// - The software row blends in sixteenths, as the game asks for at start-up: a parameter p
//   becomes q = (p + 1) with its low four bits cleared, and the sum is made of shifted
//   terms (x >> 1 .. x >> 4), each truncated in its own channel. The device blends with
//   p / 255 and truncates once, when it stores the pixel.
// - One pass with any parameter (kPass): the weights differ by up to 15 / 256 (p = q + 14),
//   on a full swing 15 levels at 32 bits, 63 x 15 / 256 < 4 green steps at 16 (31 x 15 /
//   256 < 2 red or blue); at most five terms (k and 16 - k have five set bits between them)
//   drop at most 1/2 + 3/4 + 7/8 + 15/16 + 15/16 = 4 steps; the device's store 1 more at
//   32 bits: 15 + 4 + 1 = 20 levels. At 16 bits the device widens a step to 8 bits as
//   v x 255 / 31 (or / 63) and narrows by dropping the low bits (steps of 8, not 8.2), so a
//   pass may come out up to 31 x (1 - 8 / 8.23) < 0.9 step above the exact blend or, with
//   its three truncations, 1.25 below: 4 + 4 + 2 = 10 steps.
// - The stretch bounds below add these up for what the stretch draws.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/game_log.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kTitle = 60;
// The title, up to the new game's wipe into the town (the title's taps end at frame 92).
// This number follows the play-through's input.
constexpr int kTitleFrames = 99;
constexpr int kFrameMs = 35;  // a frame of the virtual clock
// Full screen presents its boot log's first picture this many times more than the window
// while it sets its mode; every later frame comes that many frames on.
constexpr int kFullScreenLead = 3;
constexpr int kMostFrames = 5000;  // the play-through ends with its Escape long before

struct Depth {
  const char* name;
  bool full_screen;
  bool bits32;
  std::array<int, 3> levels;  // the largest value of red, green, blue
  int pass;                   // one coarse pass (above), in steps
};
const Depth kDepth16{"16-bit", true, false, {31, 63, 31}, 10};
const Depth kDepth32{"32-bit", false, true, {255, 255, 255}, 20};

// What a stretch allows, in steps, per channel (red, green, blue): every pixel within
// [low, high]; the pixels beyond must lie in one box of at most box_w x box_h, and there
// within [box_low, box_high].
using Channels = std::array<int, 3>;
struct Bound {
  Channels low, high;
  int box_w = 0, box_h = 0;
  Channels box_low{}, box_high{};
};
constexpr Channels All(int v) { return {v, v, v}; }

// The title: the picture fading in over the fill (its parameter climbs from 64 by a
// quarter a frame), the logo's glow (an add whose parameter rises and falls, lit only in
// the first frames) and the prologue's veil (an alpha box, after the menu) are the passes
// with parameters of any value; no pixel goes through more than two of them at once (the
// sparks are plain pixels, the logo's first add is at full strength, the whole saturating
// sum in both rows): 2 x kPass.
Bound TitleBound(const Depth& d) { return {All(-2 * d.pass), All(2 * d.pass)}; }

// The town, the field and the menu: the message and menu boxes are drawn opaque and then
// once more at 225 over themselves (and over a portrait, where one shows). The software
// row takes 224 / 256: the weights differ by 225 / 255 - 224 / 256 < 1 / 128, under 2
// levels or half a green step on a full swing (nothing where s = d); its four terms
// (x >> 1, >> 2, >> 3 and d >> 3) drop at most 1/2 + 3/4 + 7/8 + 7/8 = 3 steps; the
// device's store 1 (2 at 16 bits): 6 steps. The blinking hand is the one pass of any
// parameter (268 - 24 x frame), inside the hand's 16 x 10 picture: kPass there.
Bound FieldBound(const Depth& d) { return {All(-6), All(6), 16, 10, All(-d.pass), All(d.pass)}; }

// The fight: the frozen field is the screen copied, drawn sixteen times shifted at 96, 64,
// 32 and 16 (exact sixteenths: the weights agree to 96 / 65280) and darkened by black at
// 64, so only rounding tells the rows apart, and the software row only rounds down. The
// software row's loss after a pass is the loss before it times the screen's share plus the
// fractions its terms drop: 3 at 96 (share 10/16), 2 at 64 (12/16), 3 at 32 (14/16), 4 at
// 16 (15/16), 1.25 for the darkening (12/16): 6.8, 7.6, 14.4, 25.7 after each four, 20.5
// after the darkening: 21 steps. (In a plain area a channel keeps only its multiples of
// 16 steps through the chain; at 16 bits that is most of a 5-bit channel, so the software
// row's frozen field is much darker than the device's.) At 32 bits the device drops below
// 1 level a pass, by the same shares 2.3, 3.5, 5.3, 7.7, then 6.8: it may come out darker
// by 7 levels, and 1 more for a box or sprite drawn on top: [-8, 21]. At 16 bits its pass
// lies within 0.9 step above and 1.25 below (above), through the chain 5.9 above and 8.5
// below: [-10, 27]. Beyond that, in one box of at most 48 x 48 (the widest enemy, the bat,
// is 48 x 32): a beaten enemy fading out, added with a brightness and a parameter that
// the software row both takes in sixteenths, or a damage number fading over it: two
// passes' worth more.
Bound FightBound(const Depth& d) {
  const int low = d.bits32 ? -8 : -10, high = d.bits32 ? 21 : 27;
  return {All(low), All(high), 48, 48, All(low - 2 * d.pass), All(high + 2 * d.pass)};
}

// One run of the game in its own copy of the demo world, started at once and waited for
// with Wait(), so that the runs go side by side.
class PlayedGame {
 public:
  PlayedGame(bool hardware_3d, const Depth& depth, bool doubled, int frames, const std::string& captured,
             const char* input) {
    EXPECT_TRUE(run_.CopyDemoWorld());
    // Window or full screen, 16- or 32-bit colour, then the two settings under test.
    EXPECT_TRUE(run_.WriteSettings(
        {depth.full_screen ? 0 : 1, depth.bits32 ? 1 : 0, hardware_3d ? 1 : 0, 0, doubled ? 1 : 0, 0, 0, 0, 0}));
    run_.Capture(captured);
    run_.ExitAfter(frames);
    run_.Input(input);
    run_.Start();
  }
  // The program's exit status.
  int Wait() {
    if (run_.Running()) result_ = run_.Wait();
    return result_;
  }
  std::optional<nltest::Png> TryFrame(int n) const { return run_.Frame(n); }
  nltest::Png Frame(int n) const {
    const std::optional<nltest::Png> png = TryFrame(n);
    EXPECT_TRUE(png) << "frame " << n;
    return png.value_or(nltest::Png{});
  }
  // The frames written, 1 to the last presented.
  int CapturedFrames() const { return int(nltest::CapturedFrames(run_.CaptureDir()).size()); }
  bool HasFrame(int n) const { return access(run_.FramePath(n).c_str(), F_OK) == 0; }
  std::string Log() const { return run_.Log(); }

 private:
  nltest::GameRun run_;
  int result_ = -1;
};

using nltest::LogTime;

// The fights' frames, found from the game's own log: under the virtual clock a frame
// lasts 35 ms, and the shut-down's first line (the DirectDraw one after the fights) comes
// in the frame after the last one presented. A fight shows from the frame after its
// "battle: begins" to the one of its "battle: ends".
struct FightFrames {
  int first = 0, last = -1;
};
std::vector<FightFrames> FindFights(const std::string& log, int last_frame) {
  std::vector<std::pair<long, long>> times;  // begins, ends (ms)
  size_t from = 0;
  for (;;) {
    const auto [begins, begins_at] = LogTime(log, "battle: begins", from);
    if (begins < 0) break;
    const auto [ends, ends_at] = LogTime(log, "battle: ends", begins_at);
    if (ends < begins) return {};
    times.emplace_back(begins, ends);
    from = ends_at;
  }
  if (times.empty()) return {};
  const long end = LogTime(log, ":DirectDraw ", from).first;
  std::vector<FightFrames> fights;
  const int after = last_frame + 1;
  for (const auto& [begins, ends] : times) {
    if (end < ends || (end - begins) % kFrameMs != 0 || (end - ends) % kFrameMs != 0) return {};
    fights.push_back(
        {after - static_cast<int>((end - begins) / kFrameMs) + 1, after - static_cast<int>((end - ends) / kFrameMs)});
  }
  return fights;
}

// What one stretch of frames came to, per channel in steps.
struct StretchResult {
  int frames = 0;
  std::array<int, 3> largest{};  // the largest |d3d - software|
  int lowest = 0, highest = 0;   // the extreme signed differences, any channel
  long pixels_beyond = 0;        // pixels outside [low, high] (allowed only in the box)
  long pixels_over_4 = 0;        // pixels with any channel more than 4 steps apart
  std::vector<int> box_frames;   // frames with pixels beyond [low, high], all in the box
  std::vector<std::string> failures;
};

// The bits of a level that a 16-bit channel of `max` drops.
int DroppedBits(int max) { return max == 31 ? 3 : max == 63 ? 2 : 0; }

// A captured channel value as a step of the screen's channel, or -1 when a 16-bit screen
// cannot have shown it (every 5:6:5 step is widened to 8 bits as step x 255 / max). A
// 32-bit picture read in the steps of a 16-bit one is narrowed as the 16-bit device stores
// a pixel: its low bits dropped.
struct StepTable {
  explicit StepTable(const Depth& d, const Depth* in_steps_of = nullptr) {
    for (int k = 0; k < 3; ++k) {
      const int max = d.levels[k];
      for (int c = 0; c < 256; ++c) {
        const int level = (c * max + 127) / 255;
        step[k][c] = level * 255 / max == c ? level : -1;
        if (in_steps_of != nullptr) step[k][c] = c >> DroppedBits(in_steps_of->levels[k]);
      }
    }
  }
  std::array<std::array<int, 256>, 3> step{};
};

// The stretch kinds, each with its bound.
enum Kind { kTitleKind, kFieldKind, kFightKind, kKinds };
using KindResults = std::array<StretchResult, kKinds>;
std::array<Bound, kKinds> KindBounds(const Depth& d) { return {TitleBound(d), FieldBound(d), FightBound(d)}; }

// The 16-bit device against its own 32-bit frames, of the window game it replays: its steps
// against the 32-bit device's levels narrowed (StepTable). Where both devices blend alike,
// the 16-bit one differs only by its own widening and narrowing: each pass widens a step to
// 8 bits as v x 255 / 31 (or / 63) and drops the low bits of its result, and the share of
// the old pixel it keeps carries what earlier passes lost. Outside the fight no pixel goes
// through more than two passes, within 2 steps (the runs give -2 .. 1); the fight's frozen
// field goes through its chain of copies and the darkening, within 5 (the runs give -4 ..
// 3).
Bound ReplayBound(Kind kind) {
  const int own = kind == kFightKind ? 5 : 2;
  return {All(-own), All(own)};
}
std::array<Bound, kKinds> ReplayBounds() {
  return {ReplayBound(kTitleKind), ReplayBound(kFieldKind), ReplayBound(kFightKind)};
}

// " [-6, 6]", or per channel where they differ.
std::string Span(const Channels& low, const Channels& high) {
  auto one = [](int a, int b) { return "[" + std::to_string(a) + ", " + std::to_string(b) + "]"; };
  if (low == All(low[0]) && high == All(high[0])) return one(low[0], high[0]);
  return "r " + one(low[0], high[0]) + " g " + one(low[1], high[1]) + " b " + one(low[2], high[2]);
}

// Pixel against pixel at the same place (no shift is allowed), once under the bound of each
// kind the frame may belong to (the title's frames are known from the taps; whether a later
// one is the fight's is known only when the game has ended).
void CompareFrame(int n, const nltest::Png& d3d, const nltest::Png& soft, const StepTable& d3d_steps,
                  const StepTable& soft_steps, const std::array<Bound, kKinds>& bounds, bool title, KindResults* out) {
  auto compared = [&](int kind) { return (kind == kTitleKind) == title; };
  char where[64];
  std::snprintf(where, sizeof where, "frame %d", n);
  if (d3d.width != 320 || soft.width != 320 || d3d.height != 240 || soft.height != 240) {
    for (StretchResult& r : *out) r.failures.push_back(std::string(where) + ": not 320 x 240");
    return;
  }
  struct Beyond {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
    long outside_box_bound = 0;
  };
  std::array<Beyond, kKinds> beyond_at;
  bool off_steps = false;
  constexpr size_t kRow = 320 * 3;
  for (int y = 0; y < 240; ++y) {
    const uint8_t* a = d3d.rgb.data() + y * kRow;
    const uint8_t* s = soft.rgb.data() + y * kRow;
    const bool same_row = std::equal(a, a + kRow, s);
    for (int x = 0; x < 320; ++x) {
      std::array<int, 3> d{};
      for (int k = 0; k < 3; ++k) {
        const int da = d3d_steps.step[k][a[3 * x + k]], ds = soft_steps.step[k][s[3 * x + k]];
        off_steps |= da < 0 || ds < 0;
        d[k] = da - ds;
      }
      if (same_row || (d[0] == 0 && d[1] == 0 && d[2] == 0)) continue;
      for (int kind = 0; kind < kKinds; ++kind) {
        if (!compared(kind)) continue;
        const Bound& b = bounds[kind];
        StretchResult& r = (*out)[kind];
        bool beyond = false, over_box = false, over_4 = false;
        for (int k = 0; k < 3; ++k) {
          r.largest[k] = std::max(r.largest[k], std::abs(d[k]));
          r.lowest = std::min(r.lowest, d[k]);
          r.highest = std::max(r.highest, d[k]);
          beyond |= d[k] < b.low[k] || d[k] > b.high[k];
          over_box |= d[k] < b.box_low[k] || d[k] > b.box_high[k];
          over_4 |= std::abs(d[k]) > 4;
        }
        r.pixels_over_4 += over_4 ? 1 : 0;
        if (!beyond) continue;
        ++r.pixels_beyond;
        Beyond& e = beyond_at[kind];
        e.outside_box_bound += over_box ? 1 : 0;
        e.x0 = std::min(e.x0, x), e.y0 = std::min(e.y0, y), e.x1 = std::max(e.x1, x), e.y1 = std::max(e.y1, y);
      }
    }
  }
  for (int kind = 0; kind < kKinds; ++kind) {
    if (!compared(kind)) continue;
    const Bound& b = bounds[kind];
    const Beyond& e = beyond_at[kind];
    StretchResult& r = (*out)[kind];
    ++r.frames;
    if (off_steps) r.failures.push_back(std::string(where) + ": a colour off the screen's steps");
    if (e.x1 < 0) continue;
    r.box_frames.push_back(n);
    const int w = e.x1 - e.x0 + 1, h = e.y1 - e.y0 + 1;
    char text[224];
    if (w > b.box_w || h > b.box_h) {
      std::snprintf(text, sizeof text, "%s: pixels beyond %s steps over (%d,%d)-(%d,%d)", where,
                    Span(b.low, b.high).c_str(), e.x0, e.y0, e.x1, e.y1);
      r.failures.push_back(text);
    } else if (e.outside_box_bound > 0) {
      std::snprintf(text, sizeof text, "%s: %ld pixels beyond %s steps in (%d,%d)-(%d,%d)", where, e.outside_box_bound,
                    Span(b.box_low, b.box_high).c_str(), e.x0, e.y0, e.x1, e.y1);
      r.failures.push_back(text);
    }
  }
}

void Merge(const StretchResult& from, StretchResult* into) {
  into->frames += from.frames;
  for (int k = 0; k < 3; ++k) into->largest[k] = std::max(into->largest[k], from.largest[k]);
  into->lowest = std::min(into->lowest, from.lowest);
  into->highest = std::max(into->highest, from.highest);
  into->pixels_beyond += from.pixels_beyond;
  into->pixels_over_4 += from.pixels_over_4;
  into->failures.insert(into->failures.end(), from.failures.begin(), from.failures.end());
  into->box_frames.insert(into->box_frames.end(), from.box_frames.begin(), from.box_frames.end());
}

// Compares the frames of two running games as they come, on a few threads, so that the
// comparison ends soon after the games do: frame n is complete once frame n + 1 is there
// (each is written before the next is presented), or once the games have ended. Frame n of
// the software run is held to frame n + lead of the device's.
class FrameComparer {
 public:
  // title_end: the title's last frame, of the software run.
  FrameComparer(const PlayedGame& d3d, const PlayedGame& soft, const StepTable& d3d_steps, const StepTable& soft_steps,
                const std::array<Bound, kKinds>& bounds, int title_end, int lead = 0)
      : d3d_(d3d), soft_(soft), d3d_steps_(d3d_steps), soft_steps_(soft_steps), bounds_(bounds), title_end_(title_end),
        lead_(lead) {
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    for (unsigned t = 0; t < threads; ++t) pool_.emplace_back([this] { Work(); });
  }
  FrameComparer(const FrameComparer&) = delete;
  FrameComparer& operator=(const FrameComparer&) = delete;
  ~FrameComparer() { Finish(); }
  // Call once the games have ended; compares what is left.
  void Finish() {
    games_over_ = true;
    for (std::thread& t : pool_) {
      if (t.joinable()) t.join();
    }
  }
  // Frame n's results (n from 1 to kMostFrames), valid after Finish().
  const KindResults& Results(int n) const { return results_[static_cast<size_t>(n)]; }

 private:
  void Work() {
    for (int n = next_++; n <= kMostFrames; n = next_++) {
      while (!games_over_ && !(d3d_.HasFrame(n + lead_ + 1) && soft_.HasFrame(n + 1))) usleep(20000);
      const std::optional<nltest::Png> a = d3d_.TryFrame(n + lead_), b = soft_.TryFrame(n);
      if (!a || !b) return;  // past the last frame (a missing one shows in the counts)
      KindResults* out = &results_[static_cast<size_t>(n)];
      CompareFrame(n, *a, *b, d3d_steps_, soft_steps_, bounds_, n <= title_end_, out);
    }
  }
  const PlayedGame& d3d_;
  const PlayedGame& soft_;
  const StepTable d3d_steps_, soft_steps_;
  const std::array<Bound, kKinds> bounds_;
  const int title_end_;
  const int lead_;
  std::vector<KindResults> results_ = std::vector<KindResults>(kMostFrames + 1);
  std::atomic<int> next_{1};
  std::atomic<bool> games_over_{false};
  std::vector<std::thread> pool_;
};

// "3-5,9" for the frames 3, 4, 5 and 9.
std::string Ranges(const std::vector<int>& frames) {
  std::string out;
  for (size_t i = 0; i < frames.size();) {
    size_t j = i;
    while (j + 1 < frames.size() && frames[j + 1] == frames[j] + 1) ++j;
    out += (out.empty() ? "" : ",") + std::to_string(frames[i]) + (j > i ? "-" + std::to_string(frames[j]) : "");
    i = j + 1;
  }
  return out.empty() ? "none" : out;
}

// The play-through's input with every frame number `by` frames later.
std::string LaterInput(const std::string& text, int by) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    if (digits > 0) line = std::to_string(std::stoi(line.substr(0, digits)) + by) + line.substr(digits);
    out += line + "\n";
    at = end + 1;
  }
  return out;
}

// The play-through's stretches of frames, each compared under its kind's bound.
struct Stretch {
  std::string name;
  int first, last;  // frames, both included
  Kind kind;
};

// Merges each stretch's frames, reports what they came to and fails on what broke a bound.
void CheckStretches(const std::string& what, const FrameComparer& comparer, const std::vector<Stretch>& stretches,
                    const std::array<Bound, kKinds>& bounds) {
  for (const Stretch& s : stretches) {
    StretchResult r;
    for (int n = s.first; n <= s.last; ++n) Merge(comparer.Results(n)[s.kind], &r);
    std::sort(r.box_frames.begin(), r.box_frames.end());
    EXPECT_EQ(r.frames, s.last - s.first + 1) << what << " " << s.name << ": frames compared";
    for (size_t i = 0; i < r.failures.size() && i < 20; ++i) {
      ADD_FAILURE() << what << " " << s.name << ": " << r.failures[i];
    }
    const Bound& b = bounds[s.kind];
    std::printf(
        "%s %s, frames %d-%d: largest steps apart r %d g %d b %d (d3d - software %d..%d); "
        "%ld pixels beyond %s (frames %s), %ld more than 4 steps apart\n",
        what.c_str(), s.name.c_str(), s.first, s.last, r.largest[0], r.largest[1], r.largest[2], r.lowest, r.highest,
        r.pixels_beyond, Span(b.low, b.high).c_str(), Ranges(r.box_frames).c_str(), r.pixels_over_4);
  }
}

// The stretches of a run: the title, then the town and field before each fight and the
// fight, and the field, town and menu after the last; the title's end follows the run's
// own taps.
std::vector<Stretch> Stretches(int title_end, const std::vector<FightFrames>& fights, int frames) {
  std::vector<Stretch> stretches = {{"title", 1, title_end, kTitleKind}};
  int field_from = title_end + 1;
  for (size_t i = 0; i < fights.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    stretches.push_back(
        {i == 0 ? "town and field" : "field before fight " + n, field_from, fights[i].first - 1, kFieldKind});
    stretches.push_back({"fight " + n, fights[i].first, fights[i].last, kFightKind});
    field_from = fights[i].last + 1;
  }
  stretches.push_back({"field, town and menu", field_from, frames, kFieldKind});
  return stretches;
}

// The play-through at one depth on both rows, side by side, its frames compared as they come.
struct RowRuns {
  RowRuns(const Depth& d, const std::string& all, const std::string& input)
      : depth(d), soft(false, d, false, kMostFrames, all, input.c_str()),
        d3d(true, d, false, kMostFrames, all, input.c_str()),
        comparer(d3d, soft, StepTable(d), StepTable(d), KindBounds(d), kTitleFrames + Lead(d)) {}
  static int Lead(const Depth& d) { return d.full_screen ? kFullScreenLead : 0; }
  const Depth& depth;
  PlayedGame soft, d3d;
  FrameComparer comparer;
};

// The play-through at one depth on both rows; at 16 bits also the window game at 32 bits,
// which the full-screen game replays.
class Hardware3DFramesTest : public ::testing::Test {
 protected:
  // Both rows played the same game, drew through the rows they were meant to, and stayed
  // within the depth's bounds; the fights' frames in *fights.
  void CheckRows(RowRuns& runs, std::vector<FightFrames>* fights) {
    const Depth& depth = runs.depth;
    const std::string d3d_log = runs.d3d.Log(), soft_log = runs.soft.Log();
    ASSERT_NE(d3d_log.find("Direct3D 関連の初期化は正常に終了しました"), std::string::npos)
        << depth.name << ": the hardware-3D run did not draw through the device";
    ASSERT_EQ(soft_log.find("Direct3D 関連の初期化は正常に終了しました"), std::string::npos);
    if (!depth.bits32) {
      // The full-screen mode the game asked for, on the 5:6:5 layout of the fake display.
      for (const std::string* log : {&d3d_log, &soft_log}) {
        ASSERT_NE(log->find(" 320 x 240  16 bit"), std::string::npos) << "no 16-bit screen mode";
        ASSERT_NE(log->find("B:0000f800  G:000007e0  B:0000001f"), std::string::npos);
      }
    }
    // Both rows play the same game: the same frames and the same fights at the same time.
    const int lead = RowRuns::Lead(depth);
    const int frames = runs.soft.CapturedFrames();
    ASSERT_GT(frames, kTitleFrames + lead);
    ASSERT_LT(frames, kMostFrames) << depth.name << ": the play-through did not end with its Escape";
    ASSERT_EQ(runs.d3d.CapturedFrames(), frames);
    const std::vector<FightFrames> found = FindFights(soft_log, frames);
    ASSERT_FALSE(found.empty()) << depth.name << ": no fight in the log";
    const std::vector<FightFrames> d3d_fights = FindFights(d3d_log, frames);
    ASSERT_EQ(d3d_fights.size(), found.size());
    for (size_t i = 0; i < found.size(); ++i) {
      ASSERT_EQ(d3d_fights[i].first, found[i].first);
      ASSERT_EQ(d3d_fights[i].last, found[i].last);
      ASSERT_LT(i == 0 ? kTitleFrames + lead : found[i - 1].last, found[i].first);
    }
    ASSERT_LT(found.back().last, frames);
    CheckStretches(depth.name, runs.comparer, Stretches(kTitleFrames + lead, found, frames), KindBounds(depth));
    // The stretches show what the play-through goes through, not one picture over and over.
    EXPECT_NE(runs.d3d.Frame(kTitle).rgb, runs.d3d.Frame(kTitleFrames + 40).rgb) << "the title and the town";
    EXPECT_NE(runs.d3d.Frame(found[0].first + 20).rgb, runs.d3d.Frame(found[0].first - 20).rgb)
        << "the fight and the field";
    *fights = found;
  }

  void PlayThrough(const Depth& depth) {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    const std::string all = "1-" + std::to_string(kMostFrames);
    const int lead = RowRuns::Lead(depth);
    nltest::TempDir inputs;
    std::string input = NL_PLAYTHROUGH_INPUT;
    if (lead != 0) {
      input = inputs.File("later.input");
      ASSERT_TRUE(nltest::WriteFileBytes(input, LaterInput(nltest::ReadFileBytes(NL_PLAYTHROUGH_INPUT), lead)));
    }
    RowRuns runs(depth, all, input);
    std::optional<RowRuns> window;
    std::optional<FrameComparer> replayed;
    if (lead != 0) {
      window.emplace(kDepth32, all, NL_PLAYTHROUGH_INPUT);
      replayed.emplace(runs.d3d, window->d3d, StepTable(depth), StepTable(kDepth32, &depth), ReplayBounds(),
                       kTitleFrames, lead);
    }
    std::vector<int> statuses = {runs.soft.Wait(), runs.d3d.Wait()};
    if (window) statuses.insert(statuses.end(), {window->soft.Wait(), window->d3d.Wait()});
    runs.comparer.Finish();
    if (window) window->comparer.Finish(), replayed->Finish();
    for (const int status : statuses) ASSERT_EQ(status, 0);

    std::vector<FightFrames> fights;
    CheckRows(runs, &fights);
    if (HasFatalFailure() || !window) return;
    std::vector<FightFrames> window_fights;
    CheckRows(*window, &window_fights);
    if (HasFatalFailure()) return;
    // The full-screen game replays the window game: the same fights, met and ended at the
    // same moments of the virtual clock and `lead` frames on, and as many frames after them.
    const std::string log = runs.d3d.Log(), window_log = window->d3d.Log();
    const int window_frames = window->soft.CapturedFrames();
    ASSERT_EQ(runs.soft.CapturedFrames(), window_frames + lead)
        << "the full-screen game does not replay the window game";
    ASSERT_EQ(fights.size(), window_fights.size());
    for (size_t i = 0; i < fights.size(); ++i) {
      ASSERT_EQ(fights[i].first, window_fights[i].first + lead);
      ASSERT_EQ(fights[i].last, window_fights[i].last + lead);
    }
    // Every fight's lines, time stamps included.
    auto fight_lines = [](const std::string& text) {
      std::string lines;
      for (size_t at = text.find("battle: "); at != std::string::npos; at = text.find("battle: ", at + 1)) {
        const size_t from = text.rfind('\n', at) + 1;
        lines += text.substr(from, text.find('\n', at) - from) + "\n";
      }
      return lines;
    };
    EXPECT_EQ(fight_lines(log), fight_lines(window_log)) << "the full-screen game does not replay the window game";
    CheckStretches(std::string(depth.name) + " against its own 32-bit window game", *replayed,
                   Stretches(kTitleFrames, window_fights, window_frames), ReplayBounds());
  }
};

TEST_F(Hardware3DFramesTest, AtSixteenBitsTheDirect3DRowMatchesTheSoftwareRowFrameByFrame) { PlayThrough(kDepth16); }

TEST_F(Hardware3DFramesTest, AtThirtyTwoBitsTheDirect3DRowMatchesTheSoftwareRowFrameByFrame) { PlayThrough(kDepth32); }

TEST(Hardware3DDoubledScreenTest, TheDoubledScreenStretchesTheDirect3DPicture) {
  ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
  PlayedGame d3d(true, kDepth32, false, kTitle + 1, "60", NL_PLAYTHROUGH_INPUT);
  PlayedGame doubled(true, kDepth32, true, kTitle + 1, "60", NL_PLAYTHROUGH_INPUT);
  ASSERT_EQ(d3d.Wait(), 0);
  ASSERT_EQ(doubled.Wait(), 0);
  // Each pixel of the Direct3D picture a 2 x 2 block.
  const nltest::Png big = doubled.Frame(kTitle), small = d3d.Frame(kTitle);
  ASSERT_EQ(big.width, 640);
  ASSERT_EQ(small.width, 320);
  int differ = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      const size_t i = (static_cast<size_t>(y) * 640 + x) * 3, j = (static_cast<size_t>(y / 2) * 320 + x / 2) * 3;
      differ += big.rgb[i] != small.rgb[j] || big.rgb[i + 1] != small.rgb[j + 1] || big.rgb[i + 2] != small.rgb[j + 2];
    }
  }
  EXPECT_EQ(differ, 0);
}

}  // namespace
