// A map script as the field loads it (the scrambled copy into the script buffer), then
// each labelled block the text holds copied into the line buffer and run for a while in
// field frames, as its event would start it: start script, touch, talk and the ESP triggers.
//
// The input is the plain text: it is scrambled here, so mutations and the comparisons the
// fuzzer watches work on the script as its author wrote it.
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "field_fuzz.h"
#include "game/codec/scrambled_copy.h"
#include "scratch_files.h"

namespace {

constexpr char kScriptPath[] = "map\\fuzz.scr";
constexpr int kBlocksRun = 16;       // labels tried per input
constexpr int kFramesPerBlock = 64;  // a script waiting longer is cut off

// The numbers after each "*" in the loaded text, in order, at most kBlocksRun.
std::vector<int> BlockLabels(std::string_view text) {
  std::vector<int> labels;
  for (size_t at = text.find('*'); at != std::string_view::npos && labels.size() < kBlocksRun;
       at = text.find('*', at + 1)) {
    const std::string digits(text.substr(at + 1, 9));
    char* end = nullptr;
    const long n = std::strtol(digits.c_str(), &end, 10);
    if (end != digits.c_str()) labels.push_back(int(n));
  }
  return labels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  game::Field& field = nlfuzz::FreshField();
  std::vector<uint8_t> scrambled(data, data + size);
  for (uint8_t& b : scrambled) b ^= game::kScrambleKey;
  if (!nlfuzz::WriteGameFile(kScriptPath, scrambled.data(), scrambled.size())) return 0;
  field.Map = game::MapFileImage();
  field.Map.events[0][0][game::kPageX] = field.Map.events[0][0][game::kPageY] = 128;
  field.EventCount = 1;
  field.UpdateEventPages(1);
  field.PlacePlayer(128, 128, 0);
  field.StartScriptBegun = 1;
  field.LoadMapScript(kScriptPath);
  const std::string_view text(field.MapScriptText.get());
  int k = 0;
  for (int block : BlockLabels(text)) {
    static constexpr int kTriggers[] = {game::kTriggerAuto, game::kTriggerTalk, game::kTriggerTalkEsp,
                                        game::kTriggerEsp};
    game::GameMode = game::MODE_FIELD;
    game::TheEventScript.StartEventScript(block, kTriggers[k++ % 4], 0);
    for (int f = 0; f < kFramesPerBlock && game::TheEventScript.Running(); ++f) {
      game::GameMode = game::MODE_FIELD;
      field.FieldFrame();  // runs the script's lines after the field's own steps
    }
  }
  return 0;
}
