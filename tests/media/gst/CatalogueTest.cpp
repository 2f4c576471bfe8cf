// The GStreamer backend's catalogue: element factories as registered filters, their
// categories, class ids, plugin files and versions, and the mapper's choices.
#include <algorithm>
#include <filesystem>
#include <set>

#include "dshow/DShowHelper.h"
#include "report/LogWriter.h"
#include "tests/media/gst/GstTestUtil.h"

namespace ambrel::testing {
namespace {

const TMyFilterInfo* Find(const TFilterInfoList& list, const std::string& factory) {
  for (const auto& info : list)
    if (info->CLSID == FactoryClsid(factory)) return info.get();
  return nullptr;
}

// "GStreamer 1.22.0" -> "1.22.0.0".
std::string FrameworkVersionAsFourNumbers() {
  std::string version = Gst().Description().substr(Gst().Description().rfind(' ') + 1);
  for (int dots = static_cast<int>(std::count(version.begin(), version.end(), '.')); dots < 3; ++dots) version += ".0";
  return version;
}

std::u16string FriendlyName(IMoniker* moniker) {
  ComPtr<IPropertyBag> bag;
  std::u16string name;
  if (SUCCEEDED(moniker->BindToStorage(nullptr, bag))) bag->Read(u"FriendlyName", name);
  return name;
}

TEST(GstCatalogue, AFactoryIsARegisteredFilterWithItsPluginFileAndVersion) {
  REQUIRE_FACTORIES("matroskademux");
  TFilterInfoList legacy;
  EnumFiltersByCategory(Gst(), CLSID_LegacyAmFilterCategory, legacy);
  const TMyFilterInfo* demuxer = Find(legacy, "matroskademux");
  ASSERT_NE(demuxer, nullptr);
  EXPECT_EQ(demuxer->FriendlyName, u"Matroska demuxer");
  // The class id rule is part of what stored reports and codec databases can rely on.
  EXPECT_EQ(GuidToString(demuxer->CLSID), "{61D9FADB-A9A4-579C-8DF3-DFD1BBE10A6C}");
  const std::string path = WideToUtf8(demuxer->FileName);
  EXPECT_TRUE(std::filesystem::exists(path)) << path;
  EXPECT_EQ(demuxer->Version, FrameworkVersionAsFourNumbers());

  const std::string clsid = GuidToString(demuxer->CLSID);
  EXPECT_EQ(CheckFilterInstalled(Gst(), clsid), "yes, in " + Verbatim(path) + " (" + demuxer->Version + ")");
  EXPECT_TRUE(CheckFilterCreatable(Gst(), clsid));
}

// Records are made when a question first reaches a factory: those the mapper made first
// read as the filter list reads them, one record per factory.
TEST(GstCatalogue, FactoriesTheMapperMeetsFirstReadAsInTheFilterList) {
  REQUIRE_FACTORIES("matroskademux");
  ComPtr<IFilterMapper2> mapper;
  ASSERT_EQ(CoCreateInstanceAs(Gst(), CLSID_FilterMapper2, IID_IFilterMapper2, mapper), S_OK);
  ComPtr<IEnumMoniker> found;
  ASSERT_EQ(mapper->EnumMatchingFilters(found, 0, false, 0x600000, true, 0, nullptr, nullptr, nullptr, false, false,
                                        0, nullptr, nullptr, nullptr),
            S_OK);
  std::vector<std::pair<std::u16string, std::u16string>> proposed;  // class id, friendly name
  ComPtr<IMoniker> moniker;
  while (found->Next(moniker) == S_OK) {
    ComPtr<IPropertyBag> bag;
    ASSERT_EQ(moniker->BindToStorage(nullptr, bag), S_OK);
    std::u16string clsid;
    bag->Read(u"CLSID", clsid);
    proposed.emplace_back(clsid, FriendlyName(moniker.Get()));
  }
  const std::string demuxerClsid = GuidToString(FactoryClsid("matroskademux"));
  EXPECT_NE(std::find(proposed.begin(), proposed.end(), std::pair{Utf8ToWide(demuxerClsid), std::u16string(u"Matroska demuxer")}),
            proposed.end());
  EXPECT_EQ(CheckFilterInstalled(Gst(), demuxerClsid).rfind("yes, in ", 0), 0u);

  TFilterInfoList legacy;
  EnumFiltersByCategory(Gst(), CLSID_LegacyAmFilterCategory, legacy);
  std::set<std::u16string> seen;
  for (const auto& [clsid, name] : proposed) {
    EXPECT_TRUE(seen.insert(clsid).second) << "proposed twice: " << WideToUtf8(name);
    GUID guid;
    ASSERT_TRUE(SUCCEEDED(CLSIDFromString(clsid, guid)));
    const auto listed = std::find_if(legacy.begin(), legacy.end(), [&](const auto& info) { return info->CLSID == guid; });
    ASSERT_NE(listed, legacy.end()) << WideToUtf8(name);
    EXPECT_EQ((*listed)->FriendlyName, name);
  }
}

TEST(GstCatalogue, CategoriesHoldFactoriesWithPadsAndTheAudioSinks) {
  REQUIRE_FACTORIES("matroskademux", "fakeaudiosink", "fakevideosink");
  TFilterInfoList legacy;
  TFilterInfoList audio;
  EnumFiltersByCategory(Gst(), CLSID_LegacyAmFilterCategory, legacy);
  EnumFiltersByCategory(Gst(), CLSID_AudioRendererCategory, audio);
  EXPECT_NE(Find(legacy, "fakeaudiosink"), nullptr);
  EXPECT_NE(Find(audio, "fakeaudiosink"), nullptr);
  EXPECT_EQ(Find(audio, "matroskademux"), nullptr);
  EXPECT_EQ(Find(audio, "fakevideosink"), nullptr);
  std::set<GUID> classes;
  for (const auto& info : legacy) classes.insert(info->CLSID);
  EXPECT_EQ(classes.size(), legacy.size()) << "two factories share a class id";

  ComPtr<ICreateDevEnum> devices;
  ASSERT_EQ(CoCreateInstanceAs(Gst(), CLSID_SystemDeviceEnum, IID_ICreateDevEnum, devices), S_OK);
  ComPtr<IEnumMoniker> none;
  EXPECT_EQ(devices->CreateClassEnumerator(FactoryClsid("no-such-category"), none, 0), S_FALSE);
  EXPECT_FALSE(none);
}

TEST(GstCatalogue, ClassesTheRegistryDoesNotHoldAreNeitherInstalledNorCreatable) {
  // The two splitters the reports ask about are no GStreamer factories.
  EXPECT_EQ(CheckFilterInstalled(Gst(), "{149D2E01-C32E-4939-80F6-C07B81015A7A}"), "no");
  EXPECT_FALSE(CheckFilterCreatable(Gst(), "{9AB95E90-1F37-427E-9B3D-257FB0CB25F7}"));
  std::u16string value = u"left over";
  EXPECT_EQ(Gst().RegQueryDefaultValue(u"Software\\Classes\\CLSID\\{149D2E01-C32E-4939-80F6-C07B81015A7A}"
                                       u"\\InprocServer32",
                                       value),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(value, u"");
  EXPECT_EQ(Gst().RegQueryDefaultValue(u"Software\\Classes\\CLSID\\not-a-guid\\InprocServer32", value),
            ERROR_FILE_NOT_FOUND);
  uint32_t ms = 1;
  uint32_t ls = 1;
  EXPECT_FALSE(Gst().GetFileVersion(u"/etc/hostname", ms, ls));
  EXPECT_EQ(ms | ls, 0u);
  ComPtr<IMoniker> moniker;
  EXPECT_EQ(Gst().MkParseDisplayName(nullptr, u"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\junk", moniker),
            MK_E_SYNTAX);
}

TEST(GstCatalogue, DisplayNamePrefixIgnoresLetterCase) {
  REQUIRE_FACTORIES("matroskademux");
  ComPtr<IMoniker> moniker;
  ASSERT_EQ(Gst().MkParseDisplayName(nullptr,
                                     u"@DEVICE:SW:{083863f1-70de-11d0-bd40-00a0c911ce86}\\" +
                                         GuidToWString(FactoryClsid("matroskademux")),
                                     moniker),
            S_OK);
  EXPECT_EQ(FriendlyName(moniker.Get()), u"Matroska demuxer");
}

TEST(GstCatalogue, BackendCodesHaveTexts) {
  char16_t buffer[160];
  ASSERT_GT(Gst().AMGetErrorTextW(static_cast<HRESULT>(0x8004022E), buffer, 160), 0u);
  EXPECT_EQ(std::u16string(buffer), u"A time-out has expired.");
  EXPECT_EQ(GetErrorText(Gst(), VFW_S_PARTIAL_RENDER),
            "Some of the streams in this movie are in an unsupported format. (0x00040242)");
}

}  // namespace
}  // namespace ambrel::testing
