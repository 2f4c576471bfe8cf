// The main window in plain Win32: the tab control with its three pages (the report as rich
// text, the text report, the parsing log), the status box, the buttons, the "Add system
// info" check box and the progress bar, over the form (app/form/AnalysisForm.h), which
// holds the window's behaviour.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form/AnalysisForm.h"

// After the project's headers, whose names (S_OK, HRESULT, ...) the system's are macros for.
#include <windows.h>
#include <shellapi.h>

namespace ambrel {

// What the user chose in the "Save report as" dialog: the file's name (empty: cancelled)
// and whether the text report's filter was chosen.
struct TWin32SaveChoice {
  std::string FileName;
  bool TextChosen = false;
};

struct TWin32WindowOptions {
  TAnalysisFormOptions Form;  // its view callbacks are the window's
  // Restore the window's size and place from the last run (HKCU\Software\Ambrel) and keep
  // them at close.
  bool RememberGeometry = false;
  // Asks where "Save report as" writes, offering Suggested (a full path); empty: the
  // common file dialog asks.
  std::function<TWin32SaveChoice(const std::string& Suggested)> ChooseSaveName;
  // Opens a link in the user's browser; empty: the shell opens it.
  std::function<void(const std::string& Url)> OpenLink;
  // Closing the window ends the program's message loop.
  bool QuitWhenClosed = false;
};

// The options of the running program: its folder, this machine, the system's framework.
TWin32WindowOptions DefaultWin32WindowOptions(std::vector<std::string> Arguments);

class TWin32Window : private IFormView {
 public:
  explicit TWin32Window(TWin32WindowOptions Options);
  ~TWin32Window() override;
  TWin32Window(const TWin32Window&) = delete;
  TWin32Window& operator=(const TWin32Window&) = delete;

  // Shows the window and starts the form (the file of the command line, if any).
  void Show(int ShowCommand);
  HWND Handle() const { return FWindow; }
  TAnalysisForm& Form() { return *FForm; }
  bool IsBusy() const { return FForm->IsBusy(); }

  // The controls, for the tests and the screenshot.
  HWND Tabs() const { return FTabs; }
  HWND ReportView() const { return FRich; }
  HWND TextView() const { return FText; }
  HWND LogView() const { return FLog; }
  HWND StatusBox() const { return FStatus; }
  HWND OpenButton() const { return FOpen; }
  HWND SaveButton() const { return FSave; }
  HWND SystemInfoBox() const { return FSystemInfo; }
  HWND ProgressBar() const { return FProgress; }
  // The status box's text, one line each.
  std::vector<std::string> StatusLines() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM W, LPARAM L);
  LRESULT Handle(HWND Window, UINT Message, WPARAM W, LPARAM L);
  void CreateControls();
  void Layout();
  void ShowPage(int Index);
  void OpenFileClicked();
  void SaveReportAsClicked();
  void FilesDropped(HDROP Drop);
  bool LinkClicked(const NMHDR* Header);
  void PlaceWindow();
  void KeepPlace();

  // What the form shows.
  void SetCaption(const std::string& Caption) override;
  void AddStatusLine(const std::string& Line) override;
  void SetBusy(bool Busy, bool CanSave) override;
  void ShowStartPage(bool Welcome) override;
  void ShowReports(const TFormReports& Reports) override;
  void WakeMainThread() override;

  TWin32WindowOptions FOptions;
  HWND FWindow = nullptr;
  HWND FTabs = nullptr, FRich = nullptr, FText = nullptr, FLog = nullptr, FStatus = nullptr;
  HWND FOpen = nullptr, FSave = nullptr, FSystemInfo = nullptr, FProgress = nullptr;
  HFONT FFont = nullptr, FFixedFont = nullptr;
  int FProgressValue = 0;
  std::unique_ptr<TAnalysisForm> FForm;
};

}  // namespace ambrel
