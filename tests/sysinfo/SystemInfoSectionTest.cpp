// The system-information section over fake machine roots: what a Linux machine's files
// turn into, and what is left out when the machine does not tell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "app/cli/SystemInfoReport.h"
#include "report/LogWriter.h"
#include "sysinfo/SystemInfoSection.h"
#include "tests/sysinfo/FakeMachine.h"

using namespace ambrel;
using ambrel::test::FakeMachine;

namespace {

// The section written once, to a page and to text.
struct TReportWritersForTest {
  THTMLWriter Html;
  TTxtWriter Text;
  TMultiWriter Both;
  TReportWritersForTest() {
    Both.AddWriter(&Html);
    Both.AddWriter(&Text);
  }
};

class SystemInfoSection : public ::testing::Test {
 protected:
  void SetUp() override {
    // Driver dates are shown in local time.
    setenv("TZ", "UTC", 1);
    tzset();
  }

  std::string Report(platform::TMachine machine) {
    TTxtWriter text;
    WriteSystemInfoSection(text, [machine] { return platform::CreateLinuxDxDiagProvider(machine); });
    return text.GetText();
  }

  static std::tm Monday() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_wday = 1;
    t.tm_hour = 23;
    t.tm_min = 56;
    t.tm_sec = 3;
    return t;
  }
};

// A desktop with two display adapters (the second without a driver date, its device
// missing from the PCI id list) and two sound cards.
void WriteDesktop(const FakeMachine& m) {
  m.Write("etc/os-release", "NAME=\"Testix\"\nPRETTY_NAME=\"Testix GNU/Linux 3 (fable)\"\nID=testix\n");
  m.Write("proc/sys/kernel/osrelease", "6.1.0-test\n");
  std::string cpuinfo;
  for (int i = 0; i < 4; ++i) {
    cpuinfo += "processor\t: " + std::to_string(i) + "\nvendor_id\t: Example\nmodel name\t: Example CPU @ 3.00GHz\n\n";
  }
  m.Write("proc/cpuinfo", cpuinfo);
  m.Write("proc/meminfo", "MemTotal:       16303636 kB\nMemFree:         1000000 kB\n");
  m.Write("usr/lib/x86_64-linux-gnu/libgstreamer-1.0.so.0.2203.0", "");
  m.Write("usr/share/misc/pci.ids",
          "# PCI ids\n"
          "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
          "\t73fe  Navi 23\n"
          "\t73ff  Navi 23 [Radeon RX 6600/6600 XT/6600M]\n"
          "\t\t1002 0e2f  Radeon RX 6600\n"
          "8086  Intel Corporation\n"
          "\t1916  HD Graphics 520\n"
          "C 03  Display controller\n");
  m.Write("sys/class/drm/card0/device/uevent", "DRIVER=amdgpu\nPCI_CLASS=30000\nPCI_ID=1002:73FF\n");
  m.Write("sys/class/drm/card0/device/mem_info_vram_total", "8573157376\n");
  m.Write("sys/class/drm/card0-DP-1/status", "connected\n");
  m.Write("sys/class/drm/card0-DP-1/modes", "2560x1440\n1920x1080\n");
  m.Write("sys/class/drm/card0-HDMI-A-1/status", "disconnected\n");
  m.Write("sys/class/drm/card1/device/uevent", "DRIVER=i915\nPCI_ID=8086:ABCD\n");
  m.Write("sys/class/drm/renderD128/dev", "226:128\n");
  m.Write("sys/class/drm/version", "drm 1.1.0 20060810\n");
  m.MakeDir("sys/module/amdgpu");
  m.Write("sys/module/i915/version", "1.6.0\n");
  m.MakeDir("sys/module/snd_hda_intel");
  m.Write("lib/modules/6.1.0-test/modules.dep",
          "kernel/drivers/gpu/drm/amd/amdgpu/amdgpu.ko.xz: kernel/drivers/gpu/drm/drm.ko.xz\n"
          "kernel/sound/pci/hda/snd-hda-intel.ko.xz: kernel/sound/core/snd.ko.xz\n");
  m.Write("lib/modules/6.1.0-test/kernel/drivers/gpu/drm/amd/amdgpu/amdgpu.ko.xz", "");
  m.SetTime("lib/modules/6.1.0-test/kernel/drivers/gpu/drm/amd/amdgpu/amdgpu.ko.xz", 2026, 11, 2, 10, 20, 30);
  m.Write("lib/modules/6.1.0-test/kernel/sound/pci/hda/snd-hda-intel.ko.xz", "");
  m.SetTime("lib/modules/6.1.0-test/kernel/sound/pci/hda/snd-hda-intel.ko.xz", 2025, 1, 31, 8, 5, 0);
  m.Write("proc/asound/cards",
          " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
          "                      HDA Intel PCH at 0xf7f10000 irq 130\n"
          " 1 [Headset        ]: USB-Audio - USB Headset\n"
          "                      Example USB Headset at usb-0000:00:14.0-2, full speed\n");
  m.Write("proc/asound/modules", " 0 snd_hda_intel\n 1 snd_usb_audio\n");
}

TEST_F(SystemInfoSection, ReportsADesktopWithTwoAdaptersAndTwoSoundCards) {
  FakeMachine m;
  WriteDesktop(m);
  platform::TMachine machine = m.Machine();
  machine.Environment = {{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}};
  machine.LocalTime = Monday();
  EXPECT_EQ(Report(machine),
            "General system info :\r\n"
            "Windows version : Testix GNU/Linux 3 (fable) (Linux 6.1.0-test)\r\n"
            "Language : en_GB.UTF-8 (Regional Setting: de_DE.UTF-8)\r\n"
            "DirectX version : GStreamer 1.22.3\r\n"
            "Processor : Example CPU @ 3.00GHz (4 CPUs)\r\n"
            "Memory : 15921MB RAM\r\n"
            "Date : Monday, December 7, 2026, 23:56:03\r\n"
            "\r\n"
            "Video info :\r\n"
            "Video device : Advanced Micro Devices, Inc. [AMD/ATI] Navi 23 [Radeon RX 6600/6600 XT/6600M]\r\n"
            "   - Memory : 8176 MB\r\n"
            "   - Display mode : 2560 x 1440\r\n"
            "   - Driver name : amdgpu\r\n"
            "   - Driver version : 6.1.0-test\r\n"
            "   - Driver date : 11/2/2026 10:20:30\r\n"
            "\r\n"
            "Video device : Intel Corporation device abcd\r\n"
            "   - Driver name : i915\r\n"
            "   - Driver version : 1.6.0\r\n"
            "\r\n"
            "Sound info :\r\n"
            "Sound device : HDA Intel PCH\r\n"
            "   - Driver name : snd_hda_intel\r\n"
            "   - Driver version : 6.1.0-test\r\n"
            "   - Driver date : 1/31/2025 08:05:00\r\n"
            "\r\n"
            "Sound device : USB Headset\r\n"
            "   - Driver name : snd_usb_audio\r\n"
            "\r\n");
}

TEST_F(SystemInfoSection, AMachineThatTellsLittleGivesTheTitlesAndWhatItKnows) {
  FakeMachine m;
  // No os-release, no DRM, no sound card; a processor list without model names.
  m.Write("proc/cpuinfo", "processor\t: 0\nBogoMIPS\t: 48.00\n");
  m.Write("proc/asound/cards", "--- no soundcards ---\n");
  m.Write("usr/lib/os-release", "NAME=Tiny\nVERSION=\"1.0\"\n");
  platform::TMachine machine = m.Machine();
  machine.LocalTime = Monday();
  EXPECT_EQ(Report(machine),
            "General system info :\r\n"
            "Windows version : Tiny 1.0\r\n"
            "Language : C (Regional Setting: C)\r\n"
            "Processor : 1 CPU\r\n"
            "Date : Monday, December 7, 2026, 23:56:03\r\n"
            "\r\n"
            "Video info :\r\n"
            "Sound info :\r\n");
}

TEST_F(SystemInfoSection, AProviderThatCannotOpenWritesNothing) {
  class Failing : public platform::IDxDiagProvider {
   public:
    platform::HRESULT Initialize() override { return platform::E_FAIL; }
    platform::HRESULT GetRootContainer(const platform::IDxDiagContainer*&) override { return platform::E_FAIL; }
  };
  TTxtWriter text;
  WriteSystemInfoSection(text, [] { return std::make_unique<Failing>(); });
  WriteSystemInfoSection(text, [] { return std::unique_ptr<platform::IDxDiagProvider>(); });
  WriteSystemInfoSection(text, TDxDiagProviderFactory());
  EXPECT_EQ(text.GetText(), "");
}

TEST_F(SystemInfoSection, PrintedAloneAsTextOrAsAPage) {
  FakeMachine m;
  WriteDesktop(m);
  const platform::TMachine machine = m.Machine();
  const TDxDiagProviderFactory provider = [machine] { return platform::CreateLinuxDxDiagProvider(machine); };
  std::ostringstream text, html;
  const auto none = media::CreateNoMediaFramework();
  TLocalFrameworkSections framework(*none);
  EXPECT_EQ(RunSystemInfo(TMachineOutput::Text, provider, framework, text), 0);
  EXPECT_EQ(RunSystemInfo(TMachineOutput::Html, provider, framework, html), 0);
  EXPECT_EQ(text.str().rfind("General system info :\r\nWindows version : Testix", 0), 0u) << text.str();
  EXPECT_EQ(html.str().rfind("\xEF\xBB\xBF<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>Ambrel report</title>\r\n", 0), 0u);
  EXPECT_NE(html.str().find("<h2>General system info :</h2>\r\n<b>Windows version</b> : Testix"), std::string::npos);
  EXPECT_NE(html.str().find("<li><b>Driver version</b> : 1.6.0</li>"), std::string::npos);
  EXPECT_EQ(html.str().substr(html.str().size() - 16), "</body></html>\r\n");
}

TEST_F(SystemInfoSection, MachineTextIsShownAsItIsNeverAsMarkup) {
  FakeMachine m;
  m.Write("etc/os-release", "PRETTY_NAME=\"<script>alert(1)</script>&x\"\n");
  const platform::TMachine machine = m.Machine();
  TReportWritersForTest writers;
  WriteSystemInfoSection(writers.Both, [machine] { return platform::CreateLinuxDxDiagProvider(machine); });
  const std::string html = writers.Html.GetText(), text = writers.Text.GetText();
  EXPECT_EQ(html.find("<script>"), std::string::npos) << html;
  EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;&amp;x"), std::string::npos) << html;
  EXPECT_NE(text.find("Windows version : <script>alert(1)</script>&x\r\n"), std::string::npos) << text;
}

}  // namespace
