#include "vexal/app/system/system_report.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/sys/debug_out.h"
#include "platform/sys/message_box.h"
#include "platform/sys/sys.h"
#include "platform/timer/timer.h"
#include "tests/support/temp_dir.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"

namespace {

using plat::sys::OsPlatform;
using vexal::AppState;

plat::sys::CpuInfo TestCpu() {
  plat::sys::CpuInfo c;
  c.has_cpuid = true;
  c.max_function = 1;
  c.vendor_words = {0x756E6547, 0x49656E69, 0x6C65746E};  // "Genu" "ineI" "ntel"
  c.features_edx = (1u << 4) | (1u << 23);                // time-stamp counter, MMX
  c.max_extended = 0x80000004u;
  c.brand = "Test CPU 9000";
  return c;
}

plat::sys::DirectXProbeAnswers AnswersUpTo(int last_yes) {
  plat::sys::DirectXProbeAnswers a{};
  for (int i = 0; i <= last_yes; ++i) a[i] = true;
  return a;
}

class SystemReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetDebugOutputEnabled(false);
    plat::timer::UseVirtualClock(true, 0);
    plat::sys::OverrideTimeStampCounter(3000);  // 3000 ticks a microsecond
    plat::sys::OverrideOsVersion(plat::sys::OsVersion{OsPlatform::WindowsNT, 5, 1, 2600, "", "Service Pack 2"});
    plat::sys::OverrideCpuInfo(TestCpu());
    AppState.StartDirectory = dir_.path();
    vexal::StartLogFile();
  }
  // The next case of this program starts on the machine's own answers.
  void TearDown() override {
    plat::sys::ResetOverrides();
    plat::timer::UseVirtualClock(false);
  }
  std::string Log() const { return nltest::ReadFileBytes(dir_.File("AppLog.txt")); }
  nltest::TempDir dir_;
};

TEST_F(SystemReportTest, WritesTheWholeReport) {
  EXPECT_EQ(vexal::LogSystemInfo(), 0);
  EXPECT_EQ(Log(),
            "0:システムの情報を出力します\n"
            "0:\tＶｅｘａｌライブラリ Ver2.10\n"
            "0:\tＯＳ  WindowsXP ( Build 2600 Service Pack 2 )\n"
            "0:\tＤｉｒｅｃｔＸ　Ver7.0以上\n"
            "500:\tＣＰＵ動作速度：3000MHz\n"
            "500:\tＭＭＸ命令を使用します\n"
            "500:\tＣＰＵベンダ：GenuineIntel\n"
            "500:\tＣＰＵ名：Test CPU 9000\n");
  EXPECT_EQ(AppState.LogIndent, 0);
  EXPECT_EQ(AppState.OsCode, 0x107);
  EXPECT_EQ(AppState.DirectXVersion, 0x070000u);
  EXPECT_EQ(AppState.RdtscUsable, 1);
  EXPECT_EQ(AppState.CpuTicksPerHalfSecond, int64_t{1500000000});
  EXPECT_EQ(AppState.MmxUsable, 0);
}

TEST_F(SystemReportTest, NamesEachOperatingSystem) {
  struct Case {
    plat::sys::OsVersion os;
    std::string line;
    int32_t code;
  };
  const Case cases[] = {
      {{OsPlatform::Win32s, 3, 10, 0, "", ""}, "ＯＳ  WindowsWindows3.1 ( Build 0  )", 0},
      {{OsPlatform::Windows9x, 4, 0, 950, "", "C"}, "ＯＳ  Windows95OSR2 ( Build 950 C )", 1},
      {{OsPlatform::Windows9x, 4, 0, 950, "", "B"}, "ＯＳ  Windows95 ( Build 950 B )", 1},
      {{OsPlatform::Windows9x, 4, 10, 2222, "", "A"}, "ＯＳ  Windows98SE ( Build 2222 A )", 2},
      {{OsPlatform::Windows9x, 4, 90, 3000, "", " "}, "ＯＳ  WindowsMe ( Build 3000   )", 3},
      {{OsPlatform::WindowsNT, 3, 51, 1057, "", ""}, "ＯＳ  WindowsNT 3.51 ( Build 1057  )", 0x104},
      {{OsPlatform::WindowsNT, 4, 0, 1381, "", "Service Pack 6"},
       "ＯＳ  WindowsNT 4.0 ( Build 1381 Service Pack 6 )",
       0x105},
      {{OsPlatform::WindowsNT, 5, 0, 2195, "", ""}, "ＯＳ  Windows2000 ( Build 2195  )", 0x106},
      {{OsPlatform::WindowsNT, 6, 0, 6000, "", ""}, "ＯＳ  Windows ( Build 6000  )", -7},  // code unchanged
      {{OsPlatform::Other, 6, 1, 0, "Linux", "6.1.0-18-amd64"}, "ＯＳ  Linux ( Build 0 6.1.0-18-amd64 )", -7},
  };
  for (const Case& c : cases) {
    vexal::StartLogFile();
    AppState.OsCode = -7;
    plat::sys::OverrideOsVersion(c.os);
    vexal::LogSystemInfo();
    std::string log = Log();
    EXPECT_NE(log.find("\t" + c.line + "\n"), std::string::npos) << c.line << "\n" << log;
    EXPECT_EQ(AppState.OsCode, c.code) << c.line;
  }
}

TEST_F(SystemReportTest, ProcessorWithoutCpuidOrCounter) {
  plat::sys::CpuInfo none;
  plat::sys::OverrideCpuInfo(none);
  vexal::LogSystemInfo();
  std::string log = Log();
  EXPECT_NE(log.find("0:\tＣＰＵＩＤ命令は使えません\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("ＣＰＵベンダ"), std::string::npos);
  EXPECT_EQ(log.find("ＣＰＵ動作速度"), std::string::npos);

  plat::sys::CpuInfo plain = TestCpu();
  plain.features_edx = 0;
  plain.max_extended = 0x80000001u;  // no brand string
  plat::sys::OverrideCpuInfo(plain);
  vexal::StartLogFile();
  vexal::LogSystemInfo();
  log = Log();
  EXPECT_NE(log.find("0:\tＭＭＸは使えません\n0:\tＣＰＵベンダ：GenuineIntel\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("ＣＰＵ名"), std::string::npos);
  EXPECT_EQ(log.find("ＣＰＵ動作速度"), std::string::npos);
}

// Each row: the probe answers yes up to last_yes, then no.
struct ProbeCase {
  int last_yes;
  std::string version_line;
  const char* box;  // null: the program goes on
};

TEST_F(SystemReportTest, DirectXProbeTable) {
  const ProbeCase cases[] = {
      {plat::sys::kProbeNatHelper, "ＤｉｒｅｃｔＸ　Ver8.1以上", nullptr},
      {plat::sys::kProbeD3D8Library, "ＤｉｒｅｃｔＸ　Ver8.0以上", nullptr},
      {plat::sys::kProbeDDraw7, "ＤｉｒｅｃｔＸ　Ver7.0以上", nullptr},
      {plat::sys::kProbeMusic, "ＤｉｒｅｃｔＸ　Ver6.1以上",
       "DirectX バージョン 7 以前なのでソフトを起動することが出来ません"},
      {plat::sys::kProbeSurface4, "ＤｉｒｅｃｔＸ　Ver6.0以上",
       "DirectX バージョン 7 以前なのでソフトを起動することが出来ません"},
      {plat::sys::kProbeSurface3, "ＤｉｒｅｃｔＸ　Ver5.0以上",
       "DirectX バージョン 7 以前なのでソフトを起動することが出来ません"},
      {plat::sys::kProbeInputLibrary, "ＤｉｒｅｃｔＸ　Ver3.0以上",
       "DirectX バージョン 7 以前なのでソフトを起動することが出来ません"},
      {plat::sys::kProbeDDrawCreate, "ＤｉｒｅｃｔＸ　Ver1.0以上",
       "DirectX バージョン 7 以前なのでソフトを起動することが出来ません"},
      {-1, "ＤｉｒｅｃｔＸ　Ver0.0以上", "DirectX がインストールされていないのでここで終了します"},
  };
  const std::string box_file = dir_.File("box.txt");
  plat::SetMessageBoxHook([box_file](std::string_view text, std::string_view caption) {
    nltest::WriteFileBytes(box_file, std::string(caption) + "|" + std::string(text));
  });
  for (const ProbeCase& c : cases) {
    vexal::StartLogFile();
    std::remove(box_file.c_str());
    plat::sys::OverrideDirectXProbe(AnswersUpTo(c.last_yes));
    if (c.box == nullptr) {
      EXPECT_EQ(vexal::LogSystemInfo(), 0) << c.version_line;
    } else {
      EXPECT_EXIT(vexal::LogSystemInfo(), ::testing::ExitedWithCode(255), "") << c.version_line;
    }
    EXPECT_NE(Log().find("\t" + c.version_line + "\n"), std::string::npos) << c.version_line;
    EXPECT_EQ(nltest::ReadFileBytes(box_file), c.box ? std::string("エラー|") + c.box : "") << c.version_line;
  }
  plat::SetMessageBoxHook(nullptr);
}

}  // namespace
