// Display adapters: the kernel's DRM cards, named from the PCI id database.
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "base/TextUtil.h"
#include "machine/Machine.h"

namespace ambrel::platform {

namespace {

bool StartsWithHexId(const std::string& Line, size_t At, const std::string& Id) {
  return Line.size() > At + 4 && Line.compare(At, 4, Id) == 0 && (Line[At + 4] == ' ' || Line[At + 4] == '\t');
}

// "Vendor Device" from pci.ids for ids written as four lower-case hex digits.
std::string PciName(const TMachineFiles& Files, const std::string& Vendor, const std::string& Device) {
  std::string ids = Files.Read("usr/share/misc/pci.ids").value_or("");
  if (ids.empty()) ids = Files.Read("usr/share/hwdata/pci.ids").value_or("");
  std::string vendorName;
  for (const std::string& line : SplitLines(ids)) {
    if (vendorName.empty()) {
      if (StartsWithHexId(line, 0, Vendor)) vendorName = TrimBlank(std::string_view(line).substr(4));
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    if (line[0] != '\t') break;  // the next vendor: the device is not listed
    if (line.size() > 1 && line[1] != '\t' && StartsWithHexId(line, 1, Device)) {
      return vendorName + " " + std::string(TrimBlank(std::string_view(line).substr(5)));
    }
  }
  if (!vendorName.empty()) return vendorName + " device " + Device;
  return {};
}

std::string Lower(std::string Text) {
  for (char& c : Text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Text;
}

std::string DriverOf(const TMachineFiles& Files, const std::string& Device, const std::string& Uevent) {
  std::string driver = FindKeyValue(Uevent, "DRIVER", '=');
  if (!driver.empty()) return driver;
  std::error_code error;
  const auto target = std::filesystem::read_symlink(Files.Path(Device + "/driver"), error);
  return error ? std::string() : target.filename().string();
}

std::string Description(const TMachineFiles& Files, const std::string& Card, const std::string& Uevent,
                        const std::string& Driver) {
  const std::string pciId = Lower(FindKeyValue(Uevent, "PCI_ID", '='));
  if (pciId.size() == 9 && pciId[4] == ':') {
    const std::string name = PciName(Files, pciId.substr(0, 4), pciId.substr(5));
    return name.empty() ? "PCI display device " + pciId : name;
  }
  return Driver.empty() ? Card : Driver + " display device";
}

std::string MemoryOf(const TMachineFiles& Files, const std::string& Device) {
  const std::string bytes = Files.FirstLine(Device + "/mem_info_vram_total");
  if (bytes.empty()) return {};
  return std::to_string(std::strtoull(bytes.c_str(), nullptr, 10) / (1024 * 1024)) + " MB";
}

// The first mode of the first connected output of the card: "1920 x 1080".
std::string DisplayModeOf(const TMachineFiles& Files, const std::string& Card,
                          const std::vector<std::string>& Entries) {
  for (const std::string& entry : Entries) {
    if (entry.rfind(Card + "-", 0) != 0) continue;
    const std::string dir = "sys/class/drm/" + entry;
    if (Files.FirstLine(dir + "/status") != "connected") continue;
    const std::string mode = Files.FirstLine(dir + "/modes");
    const size_t x = mode.find('x');
    if (x != std::string::npos) return mode.substr(0, x) + " x " + mode.substr(x + 1);
  }
  return {};
}

}  // namespace

void AddDisplayDevices(const TMachineFiles& Files, TDxDiagNode& Devices) {
  static const std::regex cardName(R"(card(\d+))");
  const std::vector<std::string> entries = Files.List("sys/class/drm");
  std::vector<std::pair<long, std::string>> cards;
  for (const std::string& entry : entries) {
    if (std::regex_match(entry, cardName)) cards.emplace_back(std::strtol(entry.c_str() + 4, nullptr, 10), entry);
  }
  std::sort(cards.begin(), cards.end());
  for (const auto& [index, card] : cards) {
    const std::string device = "sys/class/drm/" + card + "/device";
    const std::string uevent = Files.Read(device + "/uevent").value_or("");
    const std::string driver = DriverOf(Files, device, uevent);
    const TModuleInfo module = KernelModuleInfo(Files, driver);
    TDxDiagNode& node = Devices.AddChild(std::to_string(index));
    node.SetText("szDescription", Description(Files, card, uevent, driver));
    node.SetText("szDisplayMemoryEnglish", MemoryOf(Files, device));
    node.SetText("szDisplayModeEnglish", DisplayModeOf(Files, card, entries));
    node.SetText("szDriverName", driver);
    node.SetText("szDriverVersion", module.Version);
    node.SetText("szDriverDateEnglish", module.Date);
  }
}

}  // namespace ambrel::platform
