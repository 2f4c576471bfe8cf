// What the report sections of a file analysis consult besides the file: the loaded
// tables and the media framework's sections, passed as arguments rather than reached
// through globals. The tables are read-only while analyses run, so one context serves
// several threads; the framework is used by one analysis at a time.
#pragma once

#include <string>

namespace ambrel {

class TFriendlyNames;
class TXmlCodecDB;

class IFrameworkSections;
struct TFilterInstall;

// A table an analysis may consult: either one already loaded, or a function that gives
// the table, loading it on its first call (once, whichever thread calls first). A run
// whose sections never ask for a table never loads it.
template <class T>
class TTableRef {
 public:
  using TGet = const T& (*)();

  TTableRef(const T& Table) : FTable(&Table) {}  // NOLINT: a loaded table converts
  explicit TTableRef(TGet Get) : FGet(Get) {}

  const T& Get() const { return FTable ? *FTable : FGet(); }
  operator const T&() const { return Get(); }  // NOLINT: a section binds it to a reference

 private:
  const T* FTable = nullptr;
  TGet FGet = nullptr;
};

struct TAnalysisContext {
  TTableRef<TFriendlyNames> FriendlyNames;
  TTableRef<TXmlCodecDB> CodecDB;
  // Answers whether each proposed codec filter is installed and, in an analysis that
  // renders, renders the file. None: nothing is rendered, and the installed state comes
  // from InstalledWithoutFramework.
  IFrameworkSections* Framework = nullptr;
  // Without a framework: where a proposed filter is installed, read from the framework's
  // files without starting it. None: every filter reads "no".
  TFilterInstall (*InstalledWithoutFramework)(const std::string& ClsidText) = nullptr;
};

}  // namespace ambrel
