// The lines the devices write while the library shuts them down, in their fixed order.
// Every whole-log test of the shut-down reads them from here, so a device that changes its
// lines changes this one list.
#pragma once

#include <string>
#include <vector>

namespace apptest {

inline const std::vector<std::string> kDeviceShutDownLines = {
    "DirectDraw 関連の終了処理をおこないます",
    "\tフォントの初期化を行いますフォントの初期化は正常に終了しました",
    "\tグラフィック管理系の終了処理は正常に終了しました",
    "\tメインサーフェスを破棄をします... 完了しました",
    "\tＤｉｒｅｃｔＤｒａｗオブジェクトを解放します",
    "\tＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました",
    "DirectDraw 関連の終了処理は正常に終了しました",
    "DirectInput 関連の終了処理... 完了",
    "DirectSound の終了処理は正常に終了しました",
};

// lines with the device shut-down lines put in after the first `before` of them.
inline std::vector<std::string> WithDeviceShutDown(std::vector<std::string> lines, size_t before) {
  lines.insert(lines.begin() + static_cast<long>(before), kDeviceShutDownLines.begin(), kDeviceShutDownLines.end());
  return lines;
}

}  // namespace apptest
