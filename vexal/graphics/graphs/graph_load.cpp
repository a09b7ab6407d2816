// Graph loading: pictures and their alpha companions into graphs and divided graphs.
#include "vexal/graphics/graphs/graph_load.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/fs/fs.h"
#include "platform/text/text_encoding.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/pictures/image_loader_list.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/wait_active.h"

namespace vexal {
namespace {

constexpr char kAlphaSuffix[] = "_a";

// Both pictures of a load, freed when it goes out of scope.
struct LoadedPair {
  GraphImage picture{};
  GraphImage alpha{};
  bool hasAlpha = false;

  LoadedPair() = default;
  LoadedPair(const LoadedPair&) = delete;
  LoadedPair& operator=(const LoadedPair&) = delete;
  ~LoadedPair() {
    std::free(picture.Pixels);
    std::free(alpha.Pixels);
  }
  const GraphImage* Alpha() const { return hasAlpha ? &alpha : nullptr; }
  // The companion must cover the picture exactly.
  bool SizesMatch() const { return !hasAlpha || (alpha.Width == picture.Width && alpha.Height == picture.Height); }
  // -1, 0 or 1 as LoadGraphImageFiles.
  int Load(std::string_view file, int mirror) {
    const int r = LoadGraphImageFiles(file, &picture, &alpha, mirror);
    hasAlpha = r == 0;
    return r;
  }
};

// The graph carries alpha when the picture has an alpha channel or a companion.
uint8_t AlphaFlag(const LoadedPair& pair) { return pair.picture.ColorFormat.AlphaWidth != 0 || pair.hasAlpha ? 1 : 0; }

bool DivisionCountsValid(int allNum, int xNum, int yNum, int w, int h) {
  return allNum >= 1 && xNum >= 1 && yNum >= 1 && w >= 1 && h >= 1 && int64_t{allNum} <= int64_t{xNum} * int64_t{yNum};
}

bool PictureCoversDivision(const GraphImage& picture, int xNum, int yNum, int w, int h) {
  return int64_t{xNum} * w <= picture.Width && int64_t{yNum} * h <= picture.Height;
}

int LoadFailed(const std::string& file) {
  return LogWriteFmt("右記のグラフィックファイルのロードに失敗しました：%s", file.c_str());
}

}  // namespace

std::string AlphaCompanionName(std::string_view file) {
  // The first '.' of the last path component, so that folders with a '.' in their
  // names (or "..") keep their place. A '\' may be the second byte of a character.
  size_t nameStart = 0;
  for (size_t i = 0; i < file.size(); ++i) {
    const auto b = static_cast<uint8_t>(file[i]);
    if (plat::IsSjisLeadByte(b)) {
      ++i;
    } else if (b == '\\' || b == '/') {
      nameStart = i + 1;
    }
  }
  const size_t dot = file.find('.', nameStart);
  std::string out(file.substr(0, dot == std::string_view::npos ? file.size() : dot));
  out += kAlphaSuffix;
  if (dot != std::string_view::npos) out += file.substr(dot);
  return out;
}

int LoadGraphImageFiles(std::string_view file, GraphImage* picture, GraphImage* alpha, int mirror) {
  if (LoadImageByLoaderList(file, nullptr, 0, 0, 0, mirror, picture, nullptr, nullptr) != 0) return -1;
  if (alpha == nullptr) return 1;
  return LoadImageByLoaderList(AlphaCompanionName(file), nullptr, 0, 0, 0, mirror, alpha, nullptr, nullptr) == 0 ? 0
                                                                                                                 : 1;
}

int LoadGraph(std::string_view file) { return LoadGraphCore(file, 1, 0); }

int LoadGraphCore(std::string_view file, int want3D, int mirror) {
  if (GetGraphSuspendFlag() != 0) return -1;
  const std::string name(file);
  EndPending3DScene();
  WaitActiveAndRestore();
  LoadedPair pair;
  if (pair.Load(file, mirror) == -1) return LoadFailed(name);
  EndPending3DScene();
  WaitActiveAndRestore();
  if (!pair.SizesMatch()) return LoadFailed(name);

  GraphRecord* record = nullptr;
  const int handle = AddGraphHandle(static_cast<uint16_t>(pair.picture.Width),
                                    static_cast<uint16_t>(pair.picture.Height), want3D, 0, &record, AlphaFlag(pair));
  if (handle == 0) return -1;
  if (GetDrawBackendRow(record->Row).CreateGraphStorage(record) == -1) {
    FatalErrorExit("グラフィックの作成に失敗しました終了します");
  }
  SetGraphImage(nullptr, nullptr, nullptr, file, 0, &pair.picture, pair.Alpha(), 0, 0, handle, mirror);
  return handle;
}

int LoadDivGraph(std::string_view file, int allNum, int xNum, int yNum, int w, int h, int* handles) {
  return LoadDivGraphCore(file, allNum, xNum, yNum, w, h, handles, 1, 0);
}

int LoadDivGraphFlag(std::string_view file, int allNum, int xNum, int yNum, int w, int h, int* handles, int notUse3D) {
  return LoadDivGraphCore(file, allNum, xNum, yNum, w, h, handles, notUse3D == 0 ? 1 : 0, 0);
}

int LoadDivGraphCore(std::string_view file, int allNum, int xNum, int yNum, int w, int h, int* handles, int want3D,
                     int mirror) {
  if (GetGraphSuspendFlag() != 0) return 0;
  const std::string name(file);
  EndPending3DScene();
  WaitActiveAndRestore();
  LoadedPair pair;
  if (pair.Load(file, mirror) == -1 || !pair.SizesMatch()) return LoadFailed(name);
  const int result = CreateDXDivGraph(&pair.picture, pair.Alpha(), allNum, xNum, yNum, w, h, handles, want3D);
  if (result != -1) {
    BltBmpToDivGraph(nullptr, nullptr, nullptr, file, 0, &pair.picture, pair.Alpha(), allNum, xNum, yNum, w, h, handles,
                     mirror);
  }
  return result;
}

int CreateDXDivGraph(const GraphImage* picture, const GraphImage* alpha, int allNum, int xNum, int yNum, int w, int h,
                     int* handles, int want3D) {
  EndPending3DScene();
  WaitActiveAndRestore();
  if (picture == nullptr || handles == nullptr) return -1;
  if (alpha != nullptr && (alpha->Width != picture->Width || alpha->Height != picture->Height)) return -1;
  if (!DivisionCountsValid(allNum, xNum, yNum, w, h) || !PictureCoversDivision(*picture, xNum, yNum, w, h)) {
    return LogWriteFmt("指定のサイズで分割できません in CreateDXDivGraph\n");
  }
  std::vector<GraphRecord*> records;
  try {
    records.assign(static_cast<size_t>(allNum), nullptr);
  } catch (const std::bad_alloc&) {
    return LogWrite("CreateDXDivGraph 関数内でメモリの確保に失敗しました");
  }
  const uint8_t alphaFlag = picture->ColorFormat.AlphaWidth != 0 || alpha != nullptr ? 1 : 0;
  for (int i = 0; i < allNum; ++i) {
    handles[i] = AddGraphHandle(static_cast<uint16_t>(w), static_cast<uint16_t>(h), want3D, 1, &records[i], alphaFlag);
  }
  if (records[0] == nullptr) return 0;  // suspended meanwhile: nothing was made
  if (GetDrawBackendRow(records[0]->Row).CreateDivGraphStorage(records.data(), allNum, xNum, yNum, w, h) == -1) {
    FatalErrorExitFmt("グラフィックファイルの格納用グラフィック領域の作成に失敗しました in CreateDXDivGraph Point1");
  }
  return 0;
}

int SetGraphImage(const ColorFormatRecord* format, const void* bitmap, const void* alphaBitmap, std::string_view file,
                  int kind, const GraphImage* picture, const GraphImage* alpha, int x, int y, int handle, int mirror) {
  if (GetGraphSuspendFlag() != 0) return 0;
  GraphRecord* record = GetGraphRecord(handle);
  if (record == nullptr) return -1;
  ColorFormatRecord format24;
  SetPixelFormat24(&format24);
  const ColorFormatRecord* used = kind == 1 ? (format != nullptr ? format : &format24) : format;
  if (kind == 1) {
    record->ColorFormat = *used;
  } else if (picture != nullptr) {
    record->ColorFormat = picture->ColorFormat;
  }
  SetGraphSource(record, file, plat::fs::CurrentDirectory());
  record->Mirror = static_cast<uint8_t>(mirror);
  record->SourceX = static_cast<uint16_t>(x);
  record->SourceY = static_cast<uint16_t>(y);
  return GetDrawBackendRow(record->Row).SetGraphImage(used, bitmap, alphaBitmap, x, y, record, kind, picture, alpha);
}

int BltBmpToDivGraph(const ColorFormatRecord* format, const void* bitmap, const void* alphaBitmap,
                     std::string_view file, int kind, const GraphImage* picture, const GraphImage* alpha, int allNum,
                     int xNum, int yNum, int w, int h, const int* handles, int mirror) {
  if (GetGraphSuspendFlag() != 0) return 0;
  if (handles == nullptr || !DivisionCountsValid(allNum, xNum, yNum, w, h)) return -1;
  const std::string directory = plat::fs::CurrentDirectory();
  // The width the cells are counted in: a mirrored picture has its cells' order reversed
  // from its right edge, which is the division's own right edge only when it fits exactly.
  const int64_t width = kind == 0 && picture != nullptr ? picture->Width : int64_t{xNum} * w;
  std::vector<GraphRecord*> records;
  try {
    records.assign(static_cast<size_t>(allNum), nullptr);
  } catch (const std::bad_alloc&) {
    return LogWrite("メモリの確保に失敗しました in BltBmpToDivGraph \n");
  }
  for (int i = 0; i < allNum; ++i) {
    GraphRecord* record = GetGraphRecord(handles[i]);
    if (record == nullptr) return -1;
    const int c = i % xNum;
    const int r = i / xNum;
    if (kind == 1) {
      if (format != nullptr) {
        record->ColorFormat = *format;
      } else {
        SetPixelFormat24(&record->ColorFormat);
      }
    } else if (picture != nullptr) {
      record->ColorFormat = picture->ColorFormat;
    }
    SetGraphSource(record, file, directory);
    const int64_t x = mirror == 1 ? width - int64_t{c + 1} * w : int64_t{c} * w;
    record->SourceX = static_cast<uint16_t>(x < 0 ? 0 : x);
    record->SourceY = static_cast<uint16_t>(r * h);
    record->Mirror = static_cast<uint8_t>(mirror);
    records[static_cast<size_t>(i)] = record;
  }
  return GetDrawBackendRow(records[0]->Row)
      .BltBmpToDivGraph(format, bitmap, alphaBitmap, records.data(), allNum, kind, picture, alpha);
}

int ReloadDivGraph(std::string_view file, int allNum, int xNum, int yNum, int w, int h, const int* handles,
                   int mirror) {
  if (GetGraphSuspendFlag() != 0) return 0;
  const std::string name(file);
  if (handles == nullptr || !DivisionCountsValid(allNum, xNum, yNum, w, h)) {
    return LogWriteFmt("指定のサイズで分割できません %s in ReloadDivGraph\n", name.c_str());
  }
  if (GetGraphRecord(handles[0]) == nullptr) return -1;
  EndPending3DScene();
  LoadedPair pair;
  if (pair.Load(file, mirror) == -1) {
    return LogWriteFmt("右記のグラフィックファイルのリロードに失敗しました：%s", name.c_str());
  }
  if (!PictureCoversDivision(pair.picture, xNum, yNum, w, h) || !pair.SizesMatch()) {
    return LogWriteFmt("指定のサイズで分割できません %s in ReloadDivGraph\n", name.c_str());
  }
  BltBmpToDivGraph(nullptr, nullptr, nullptr, file, 0, &pair.picture, pair.Alpha(), allNum, xNum, yNum, w, h, handles,
                   mirror);
  return 0;
}

}  // namespace vexal
