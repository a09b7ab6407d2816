// Restoring lost graphs: surfaces per graph or all at once, and the reload from files.
#include "vexal/graphics/graphs/graph_restore.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/fs/fs.h"
#include "vexal/app/log/log_file.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/main_surfaces.h"

namespace vexal {
namespace {

// The picture (and alpha companion) loaded last in a restore walk, and what it was
// loaded for.
struct LoadedFile {
  bool loaded = false;
  GraphImage picture{};
  GraphImage alpha{};
  bool hasAlpha = false;
  std::string file;
  std::string directory;
  uint8_t mirror = 0;

  LoadedFile() = default;
  LoadedFile(const LoadedFile&) = delete;
  LoadedFile& operator=(const LoadedFile&) = delete;
  ~LoadedFile() { Free(); }
  void Free() {
    if (loaded) {
      std::free(picture.Pixels);
      if (hasAlpha) std::free(alpha.Pixels);
    }
    picture = GraphImage{};
    alpha = GraphImage{};
    loaded = hasAlpha = false;
  }
  bool Holds(const GraphRecord& r) const {
    return loaded && r.FileName == file && r.Directory == directory && r.Mirror == mirror;
  }
  // Loads the record's file from its directory. false when it cannot be.
  bool Load(const GraphRecord& r) {
    Free();
    file = r.FileName;
    directory = r.Directory;
    mirror = r.Mirror;
    if (!plat::fs::SetCurrentDirectory(r.Directory)) return false;
    const int result = LoadGraphImageFiles(r.FileName, &picture, &alpha, r.Mirror);
    if (result == -1) return false;
    loaded = true;
    hasAlpha = result == 0;
    return true;
  }
  // The graph's rectangle lies inside the picture (a file may have changed since).
  bool Covers(const GraphRecord& r) const {
    return int{r.SourceX} + r.Width <= picture.Width && int{r.SourceY} + r.Height <= picture.Height &&
           (!hasAlpha || (alpha.Width == picture.Width && alpha.Height == picture.Height));
  }
};

// A blank graph's kept copy of the screen put in again; the copy stays for a later loss.
void PutScreenCopyBack(GraphRecord* r, int handle) {
  KeptScreenCopy& kept = r->ScreenCopy;
  const GraphImage picture{kept.Format, kept.Width, kept.Height, kept.Pitch, kept.Pixels.data()};
  SetGraphImage(nullptr, nullptr, nullptr, "", 0, &picture, nullptr, 0, 0, handle, 0);
  r->NeedsRestore = 0;
}

}  // namespace

int RestoreGraph(int graph) {
  if (GetGraphSuspendFlag() != 0) return 0;
  GraphRecord* record = GetGraphRecord(graph);
  if (record == nullptr) return -1;
  GetDrawBackendRow(record->Row).RestoreLostSurfaces(record);
  return 0;
}

int RestoreAllGraph() {
  if (GraphTable.Initialised == 0 || GetGraphSuspendFlag() != 0) return 0;
  RestoreMainSurfaces();
  for (int i = 0; i < GraphTable.EndIndex; ++i) {
    if (GetGraphSuspendFlag() != 0) break;
    if (GraphTable.Slots[i] == nullptr) continue;
    RestoreGraph(static_cast<int>(kGraphHandleTag | static_cast<uint32_t>(i)));
  }
  return 0;
}

int RestoreGraphFromFiles() {
  LogWrite("グラフィックを復帰します\n");
  const std::string kept = plat::fs::CurrentDirectory();
  LoadedFile current;
  for (int i = 0; i < GraphTable.EndIndex; ++i) {
    GraphRecord* r = GraphTable.Slots[i].get();
    if (r == nullptr || r->NeedsRestore != 1) continue;
    if (r->FileName.empty() && !r->ScreenCopy.Pixels.empty()) {
      PutScreenCopyBack(r, static_cast<int>(kGraphHandleTag | static_cast<uint32_t>(i)));
      continue;
    }
    if (r->FileName.empty() || r->NotRestorable != 0) continue;
    if (!current.Holds(*r)) {
      LogWriteFmt("パス:%s ファイル:%s をロードします", r->Directory.c_str(), r->FileName.c_str());
      if (!current.Load(*r)) {
        current.Free();
        LogWriteFmt("パス:%s ファイル:%s がロードできませんでした", r->Directory.c_str(), r->FileName.c_str());
        continue;
      }
    }
    if (!current.Covers(*r)) {
      LogWriteFmt("パス:%s ファイル:%s はグラフィックの範囲を含んでいないので復帰できません", r->Directory.c_str(),
                  r->FileName.c_str());
      continue;
    }
    const int handle = static_cast<int>(kGraphHandleTag | static_cast<uint32_t>(i));
    const std::string file = r->FileName;  // the record's own name is written over
    SetGraphImage(nullptr, nullptr, nullptr, file, 0, &current.picture, current.hasAlpha ? &current.alpha : nullptr,
                  r->SourceX, r->SourceY, handle, r->Mirror);
    r->NeedsRestore = 0;
  }
  current.Free();
  plat::fs::SetCurrentDirectory(kept);
  return 0;
}

}  // namespace vexal
