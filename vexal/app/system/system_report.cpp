#include "vexal/app/system/system_report.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/sys/message_box.h"
#include "platform/sys/sys.h"
#include "platform/timer/timer.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"

namespace vexal {
namespace {

constexpr uint32_t kTscFeatureBit = 1u << 4;   // CPUID function 1, EDX
constexpr uint32_t kMmxFeatureBit = 1u << 23;  // CPUID function 1, EDX
constexpr uint32_t kClockMeasureMs = 500;

// Windows generation codes kept in OsCode.
constexpr int32_t kOsWin32s = 0, kOsWin95 = 1, kOsWin98 = 2, kOsWinMe = 3;
constexpr int32_t kOsNt351 = 0x104, kOsNt4 = 0x105, kOsWin2000 = 0x106, kOsWinXp = 0x107;

// The version each probe step proves, in probing order.
constexpr uint32_t kProbeVersions[plat::sys::kDirectXProbeSteps] = {0x000000, 0x010000, 0x020000, 0x030000, 0x050000,
                                                                    0x060000, 0x060100, 0x070000, 0x080000, 0x080100};

void LogOperatingSystem() {
  plat::sys::OsVersion os = plat::sys::GetOsVersion();
  char first = os.service.empty() ? '\0' : os.service[0];
  switch (os.platform) {
    case plat::sys::OsPlatform::Win32s:
      LogWrite("ＯＳ  Windows");
      LogWrite("Windows3.1");
      AppState.OsCode = kOsWin32s;
      break;
    case plat::sys::OsPlatform::Windows9x:
      LogWrite("ＯＳ  Windows");
      if (os.minor == 0) {
        LogWrite("95");
        if (first == 0x43) LogWrite("OSR2");
        AppState.OsCode = kOsWin95;
      } else if (os.minor == 10) {
        LogWrite("98");
        if (first == 0x41) LogWrite("SE");
        AppState.OsCode = kOsWin98;
      } else if (os.minor == 90) {
        LogWrite("Me");
        AppState.OsCode = kOsWinMe;
      }
      break;
    case plat::sys::OsPlatform::WindowsNT:
      LogWrite("ＯＳ  Windows");
      if (os.major == 3) {
        LogWrite("NT 3.51");
        AppState.OsCode = kOsNt351;
      } else if (os.major == 4) {
        LogWrite("NT 4.0");
        AppState.OsCode = kOsNt4;
      } else if (os.major == 5 && os.minor == 0) {
        LogWrite("2000");
        AppState.OsCode = kOsWin2000;
      } else if (os.major == 5 && os.minor == 1) {
        LogWrite("XP");
        AppState.OsCode = kOsWinXp;
      }
      break;
    case plat::sys::OsPlatform::Other:
      // Not a Windows at all: name the system instead of claiming one.
      LogWrite("ＯＳ  ");
      LogWrite(os.name);
      break;
  }
  LogWriteFmt(" ( Build %d %s )", static_cast<int>(os.build), os.service.c_str());
}

void LogDirectXVersion() {
  plat::sys::DirectXProbeAnswers answers = plat::sys::ProbeDirectX();
  uint32_t version = 0;
  for (int step = 0; step < plat::sys::kDirectXProbeSteps && answers[step]; ++step) {
    version = kProbeVersions[step];
  }
  AppState.DirectXVersion = version;
  std::string line = "ＤｉｒｅｃｔＸ　Ver";
  line += std::to_string((version >> 16) & 0xFF);
  line += '.';
  line += std::to_string((version >> 8) & 0xFF);
  char letter = static_cast<char>(version & 0xFF);
  if (letter >= 'a' && letter <= 'z') line += letter;
  line += "以上";
  LogWrite(line);
  LogWrite("\n");
}

void LogProcessor() {
  plat::sys::CpuInfo cpu = plat::sys::GetCpuInfo();
  if (!cpu.has_cpuid) {
    LogWrite("ＣＰＵＩＤ命令は使えません\n");
    return;
  }
  bool mmx = false;
  if (cpu.max_function >= 1) {
    AppState.RdtscUsable = (cpu.features_edx & kTscFeatureBit) ? 1 : 0;
    mmx = (cpu.features_edx & kMmxFeatureBit) != 0;
  }
  if (AppState.RdtscUsable) {
    uint64_t before = plat::sys::ReadTimeStampCounter();
    uint32_t start = plat::timer::TimeMs();
    while (plat::timer::TimeMs() - start < kClockMeasureMs) plat::timer::SpinPause();
    uint64_t after = plat::sys::ReadTimeStampCounter();
    AppState.CpuTicksPerHalfSecond = static_cast<int64_t>(after - before);
    LogWriteFmt("ＣＰＵ動作速度：%dMHz", static_cast<int>(AppState.CpuTicksPerHalfSecond / 500000));
  }
  LogWrite(mmx ? "ＭＭＸ命令を使用します\n" : "ＭＭＸは使えません\n");
  char vendor[13] = {};
  for (int i = 0; i < 3; ++i) {
    for (int b = 0; b < 4; ++b) vendor[i * 4 + b] = static_cast<char>(cpu.vendor_words[i] >> (8 * b));
  }
  LogWrite("ＣＰＵベンダ：");
  LogWrite(std::string_view(vendor, 12));
  LogWrite("\n");
  if (cpu.max_extended >= 0x80000004u && !cpu.brand.empty()) {
    LogWrite("ＣＰＵ名：");
    LogWrite(cpu.brand);
    LogWrite("\n");
  }
}

}  // namespace

int LogSystemInfo() {
  LogWrite("システムの情報を出力します\n");
  LogIndentIn();
  LogWrite("Ｖｅｘａｌライブラリ Ver2.10");
  LogWrite("\n");
  LogOperatingSystem();
  LogDirectXVersion();
  LogProcessor();
  LogIndentOut();
  if (AppState.DirectXVersion < kRequiredDirectXVersion) {
    plat::ShowMessageBox(AppState.DirectXVersion == 0
                             ? "DirectX がインストールされていないのでここで終了します"
                             : "DirectX バージョン 7 以前なのでソフトを起動することが出来ません",
                         "エラー");
    std::exit(-1);
  }
  return 0;
}

}  // namespace vexal
