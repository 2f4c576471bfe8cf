// The project's headers come before the system's (see Win32Window.h).
#include "app/analysis/AnalysisFramework.h"
#include "io/Executable.h"
#include "report/RtfWriter.h"
#include "resources/Resources.h"
#include "sysinfo/SystemInfoSection.h"
#include "app/window/win32/Win32Window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>

#include "app/window/win32/Win32Platform.h"

namespace ambrel {

using win32::Utf8;
using win32::Wide;

namespace {

constexpr wchar_t kClassName[] = L"AmbrelMainWindow";
constexpr UINT kHandOffMessage = WM_APP + 1;
constexpr UINT_PTR kProgressTimer = 1;
constexpr int kProgressMax = 10;
enum : int { kTabsId = 100, kRichId, kTextId, kLogId, kStatusId, kOpenId, kSaveId, kSystemInfoId, kProgressId };
constexpr wchar_t kSettingsKey[] = L"Software\\Ambrel";
constexpr wchar_t kPlacementValue[] = L"WindowPlacement";

// The welcome page: the logo between the greeting and the invitation to drop a file, and
// the link to the format's home page (a live link, as every address in the view).
std::string WelcomeRtf() {
  std::string doc = "{\\rtf1\\ansi\\deff0\\uc1{\\fonttbl{\\f0\\fswiss Tahoma;}}\r\n";
  doc += "\\pard\\qc\\sb240\\b\\fs36 Welcome to\\b0\\par\r\n";
  const std::string_view logo = resources::Logo();
  // A PNG's size is in its header chunk, which comes first.
  if (logo.size() > 24) {
    const auto number = [&logo](size_t at) {
      uint32_t value = 0;
      for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(logo[at + i]);
      return value;
    };
    const uint32_t width = number(16), height = number(20);
    doc += "\\pard\\qc{\\pict\\pngblip\\picw" + std::to_string(width) + "\\pich" + std::to_string(height) +
           "\\picwgoal" + std::to_string(width * 15) + "\\pichgoal" + std::to_string(height * 15) + "\r\n";
    static const char kHex[] = "0123456789abcdef";
    for (size_t i = 0; i < logo.size(); ++i) {
      const auto byte = static_cast<unsigned char>(logo[i]);
      doc += kHex[byte >> 4];
      doc += kHex[byte & 15];
      if (i % 64 == 63) doc += "\r\n";
    }
    doc += "}\\par\r\n";
  }
  doc += "\\pard\\qc\\fs20 ";
  AppendRtfText(doc, "You can drag & drop your Matroka file on me :-)");
  doc += "\\par\r\n\\pard\\qc\\fs16 Go to Matroska homepage.\\line http://www.matroska.org/\\par\r\n}";
  return doc;
}

struct TStreamSource {
  std::string_view Bytes;
  size_t Position = 0;
};

DWORD CALLBACK ReadStream(DWORD_PTR Cookie, LPBYTE Buffer, LONG Count, LONG* Read) {
  auto* source = reinterpret_cast<TStreamSource*>(Cookie);
  const size_t n = std::min(static_cast<size_t>(Count), source->Bytes.size() - source->Position);
  std::copy_n(source->Bytes.data() + source->Position, n, Buffer);
  source->Position += n;
  *Read = static_cast<LONG>(n);
  return 0;
}

void StreamRtf(HWND RichEdit, std::string_view Rtf) {
  TStreamSource source{Rtf};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadStream};
  ::SendMessageW(RichEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

// Edit controls take CR LF line breaks; the reports already have them, status lines may
// hold bare LFs.
std::wstring WithCrLf(std::string_view Text) {
  std::wstring wide = Wide(Text), out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) out += L'\r';
    out += wide[i];
  }
  return out;
}

void SetText(HWND Control, std::string_view Text) { ::SetWindowTextW(Control, WithCrLf(Text).c_str()); }

std::wstring WindowText(HWND Control) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(Control)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(Control, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string DocumentsFolder() {
  wchar_t* path = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)) && path) folder = Utf8(path);
  ::CoTaskMemFree(path);
  return folder;
}

TWin32SaveChoice AskSaveName(HWND Owner, const std::string& Suggested) {
  std::wstring name = Wide(Suggested);
  name.resize(std::max<size_t>(name.size() + 1, 32768), L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Owner;
  dialog.lpstrFilter = L"HTML page (*.html, *.htm)\0*.html;*.htm\0Text report (*.txt)\0*.txt\0";
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = L"Save report as";
  dialog.lpstrDefExt = L"html";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  if (!::GetSaveFileNameW(&dialog)) return {};
  return {Utf8(name.c_str()), dialog.nFilterIndex == 2};
}

}  // namespace

TWin32WindowOptions DefaultWin32WindowOptions(std::vector<std::string> Arguments) {
  TWin32WindowOptions options;
  options.Form.Arguments = std::move(Arguments);
  options.Form.ExeDir = platform::ExecutableDirectory();
  options.Form.SystemInfoProvider = LocalMachineProvider();
  options.Form.MediaFramework = [] { return media::CreateDefaultMediaFramework(); };
  options.Form.FrameworkSections = AnalysisFrameworkMaker(nullptr);
  options.Form.FileVersion = win32::ProgramFileVersion();
  options.RememberGeometry = true;
  return options;
}

TWin32Window::TWin32Window(TWin32WindowOptions Options) : FOptions(std::move(Options)) {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::LoadLibraryW(L"riched20.dll");
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TWin32Window::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hIcon = ::LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
  FOptions.Form.RichText = true;
  if (!FOptions.Form.ChooseReportFolder) FOptions.Form.ChooseReportFolder = &win32::ChooseReportFolder;
  if (!FOptions.Form.WriteReportFile) FOptions.Form.WriteReportFile = &win32::WriteReportFile;
  FWindow = ::CreateWindowExW(0, kClassName, L"Ambrel", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                              CW_USEDEFAULT, 1000, 720, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  CreateControls();
  PlaceWindow();
  FForm = std::make_unique<TAnalysisForm>(FOptions.Form, static_cast<IFormView&>(*this));
}

TWin32Window::~TWin32Window() {
  // The workers use the form's writers and tables: they must end first.
  FForm->Close();
  if (FWindow) ::DestroyWindow(FWindow);
  if (FFont) ::DeleteObject(FFont);
  if (FFixedFont) ::DeleteObject(FFixedFont);
}

void TWin32Window::Show(int ShowCommand) {
  ::ShowWindow(FWindow, ShowCommand);
  ::UpdateWindow(FWindow);
  ::DragAcceptFiles(FWindow, TRUE);
  FForm->Start();
}

LRESULT CALLBACK TWin32Window::WindowProc(HWND Window, UINT Message, WPARAM W, LPARAM L) {
  if (Message == WM_NCCREATE) {
    auto* self = static_cast<TWin32Window*>(reinterpret_cast<CREATESTRUCTW*>(L)->lpCreateParams);
    self->FWindow = Window;
    ::SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWin32Window*>(::GetWindowLongPtrW(Window, GWLP_USERDATA));
  return self ? self->Handle(Window, Message, W, L) : ::DefWindowProcW(Window, Message, W, L);
}

LRESULT TWin32Window::Handle(HWND Window, UINT Message, WPARAM W, LPARAM L) {
  // The controls are made before the form: until it is there, the window only lays out.
  if (!FForm && Message != WM_SIZE) return ::DefWindowProcW(Window, Message, W, L);
  switch (Message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(L);
      limits->ptMinTrackSize = {480, 400};
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(W) != BN_CLICKED) break;
      switch (LOWORD(W)) {
        case kOpenId: OpenFileClicked(); return 0;
        case kSaveId: SaveReportAsClicked(); return 0;
        case kSystemInfoId: {
          // A busy window keeps the tick as the form has it.
          if (FForm->IsBusy()) {
            ::SendMessageW(FSystemInfo, BM_SETCHECK, FForm->SystemInfoShown() ? BST_CHECKED : BST_UNCHECKED, 0);
          } else {
            FForm->SystemInfoTicked(::SendMessageW(FSystemInfo, BM_GETCHECK, 0, 0) == BST_CHECKED);
          }
          return 0;
        }
        default: break;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(L);
      if (header->hwndFrom == FTabs && header->code == TCN_SELCHANGE) {
        ShowPage(TabCtrl_GetCurSel(FTabs));
        return 0;
      }
      if (header->hwndFrom == FRich && header->code == EN_LINK) return LinkClicked(header) ? 1 : 0;
      break;
    }
    case WM_DROPFILES:
      FilesDropped(reinterpret_cast<HDROP>(W));
      return 0;
    case WM_TIMER:
      if (W == kProgressTimer) {
        FProgressValue = (FProgressValue + 1) % (kProgressMax + 1);
        ::SendMessageW(FProgress, PBM_SETPOS, static_cast<WPARAM>(FProgressValue), 0);
        return 0;
      }
      break;
    case kHandOffMessage:
      FForm->RunHandedOffStep();
      return 0;
    case WM_CTLCOLORSTATIC:
      // The read-only views keep a window's background, as the report is read there.
      if (reinterpret_cast<HWND>(L) == FText || reinterpret_cast<HWND>(L) == FLog || reinterpret_cast<HWND>(L) == FStatus) {
        ::SetBkColor(reinterpret_cast<HDC>(W), ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_CLOSE:
      FForm->Close();
      KeepPlace();
      ::DestroyWindow(FWindow);
      return 0;
    case WM_DESTROY:
      FWindow = nullptr;
      ::SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
      if (FOptions.QuitWhenClosed) ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(Window, Message, W, L);
}

void TWin32Window::CreateControls() {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  FFont = ::CreateFontIndirectW(&metrics.lfMessageFont);
  LOGFONTW fixed = metrics.lfMessageFont;
  fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  std::wcsncpy(fixed.lfFaceName, L"Courier New", LF_FACESIZE - 1);
  FFixedFont = ::CreateFontIndirectW(&fixed);
  const auto make = [&](const wchar_t* Class, const wchar_t* Text, DWORD Style, int Id, DWORD ExStyle = 0) {
    HWND control = ::CreateWindowExW(ExStyle, Class, Text, WS_CHILD | Style, 0, 0, 10, 10, FWindow,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), instance, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
    return control;
  };
  FTabs = make(WC_TABCONTROLW, L"", WS_VISIBLE | WS_CLIPSIBLINGS, kTabsId);
  const wchar_t* captions[] = {L"HTML Report", L"Text Report", L"Matroska Parsing Log"};
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i]);
    TabCtrl_InsertItem(FTabs, i, &item);
  }
  const DWORD view = WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
  FRich = make(RICHEDIT_CLASSW, L"", view | WS_VISIBLE, kRichId, WS_EX_CLIENTEDGE);
  FText = make(L"EDIT", L"", view | WS_HSCROLL | ES_AUTOHSCROLL, kTextId, WS_EX_CLIENTEDGE);
  FLog = make(L"EDIT", L"", view | WS_HSCROLL | ES_AUTOHSCROLL, kLogId, WS_EX_CLIENTEDGE);
  FStatus = make(L"EDIT", L"", view | WS_VISIBLE, kStatusId, WS_EX_CLIENTEDGE);
  for (HWND memo : {FText, FLog}) {
    ::SendMessageW(memo, WM_SETFONT, reinterpret_cast<WPARAM>(FFixedFont), FALSE);
    ::SendMessageW(memo, EM_SETLIMITTEXT, 0, 0);
  }
  ::SendMessageW(FStatus, EM_SETLIMITTEXT, 0, 0);
  ::SendMessageW(FRich, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(::GetSysColor(COLOR_WINDOW)));
  ::SendMessageW(FRich, EM_AUTOURLDETECT, TRUE, 0);
  ::SendMessageW(FRich, EM_SETEVENTMASK, 0, ENM_LINK);
  ::SendMessageW(FRich, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
  FOpen = make(L"BUTTON", L"Open Matroska file", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kOpenId);
  FSave = make(L"BUTTON", L"Save report as\u2026", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kSaveId);
  ::EnableWindow(FSave, FALSE);  // nothing to save before the first report
  FSystemInfo = make(L"BUTTON", L"Add system info", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, kSystemInfoId);
  FProgress = make(PROGRESS_CLASSW, L"", 0, kProgressId);
  ::SendMessageW(FProgress, PBM_SETRANGE32, 0, kProgressMax);
}

void TWin32Window::Layout() {
  if (!FTabs) return;
  RECT client;
  ::GetClientRect(FWindow, &client);
  const HDC dc = ::GetDC(FWindow);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  const HGDIOBJ old = ::SelectObject(dc, FFont);
  TEXTMETRICW text{};
  ::GetTextMetricsW(dc, &text);
  ::SelectObject(dc, old);
  ::ReleaseDC(FWindow, dc);
  const auto scaled = [dpi](int Pixels) { return ::MulDiv(Pixels, dpi, 96); };
  const int margin = scaled(4), row = scaled(25);
  // A run's status lines stay in view: six lines, inside the frame.
  const int statusHeight = text.tmHeight * 6 + scaled(8);
  const int width = client.right - 2 * margin;
  const int rowTop = client.bottom - margin - row;
  const int statusTop = rowTop - scaled(4) - statusHeight;
  const int tabsBottom = statusTop - margin;
  ::MoveWindow(FTabs, margin, margin, width, tabsBottom - margin, TRUE);
  RECT page{margin, margin, margin + width, tabsBottom};
  TabCtrl_AdjustRect(FTabs, FALSE, &page);
  for (HWND view : {FRich, FText, FLog})
    ::MoveWindow(view, page.left, page.top, page.right - page.left, page.bottom - page.top, TRUE);
  ::SetWindowPos(FTabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::MoveWindow(FStatus, margin, statusTop, width, statusHeight, TRUE);
  int x = margin;
  ::MoveWindow(FOpen, x, rowTop, scaled(140), row, TRUE);
  x += scaled(144);
  ::MoveWindow(FSave, x, rowTop, scaled(140), row, TRUE);
  x += scaled(152);
  ::MoveWindow(FSystemInfo, x, rowTop, scaled(140), row, TRUE);
  ::MoveWindow(FProgress, client.right - margin - scaled(145), rowTop + scaled(4), scaled(145), row - scaled(8), TRUE);
}

void TWin32Window::ShowPage(int Index) {
  const HWND pages[] = {FRich, FText, FLog};
  for (int i = 0; i < 3; ++i) ::ShowWindow(pages[i], i == Index ? SW_SHOW : SW_HIDE);
}

std::vector<std::string> TWin32Window::StatusLines() const {
  const std::string text = Utf8(WindowText(FStatus));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void TWin32Window::SetCaption(const std::string& Caption) { ::SetWindowTextW(FWindow, Wide(Caption).c_str()); }

void TWin32Window::AddStatusLine(const std::string& Line) {
  const std::wstring text = (::GetWindowTextLengthW(FStatus) > 0 ? L"\r\n" : L"") + WithCrLf(Line);
  const int end = ::GetWindowTextLengthW(FStatus);
  ::SendMessageW(FStatus, EM_SETSEL, static_cast<WPARAM>(end), end);
  ::SendMessageW(FStatus, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  ::SendMessageW(FStatus, EM_SCROLLCARET, 0, 0);
}

void TWin32Window::SetBusy(bool Busy, bool CanSave) {
  FProgressValue = 0;
  ::SendMessageW(FProgress, PBM_SETPOS, 0, 0);
  // Shown only while a worker runs: an idle, empty bar reads as a text field.
  ::ShowWindow(FProgress, Busy ? SW_SHOW : SW_HIDE);
  ::EnableWindow(FSave, CanSave);
  if (Busy) {
    ::SetTimer(FWindow, kProgressTimer, 100, nullptr);
  } else {
    ::KillTimer(FWindow, kProgressTimer);
  }
  ::EnableWindow(FOpen, !Busy);
  ::EnableWindow(FSystemInfo, !Busy);
  ::DragAcceptFiles(FWindow, !Busy);
}

void TWin32Window::ShowStartPage(bool Welcome) { StreamRtf(FRich, Welcome ? WelcomeRtf() : "{\\rtf1 }"); }

void TWin32Window::ShowReports(const TFormReports& Reports) {
  StreamRtf(FRich, Reports.RichText);
  SetText(FText, Reports.Text);
  SetText(FLog, Reports.ParsingLog);
}

void TWin32Window::WakeMainThread() { ::PostMessageW(FWindow, kHandOffMessage, 0, 0); }

void TWin32Window::OpenFileClicked() {
  // The filter's "Name|Patterns|..." as the dialog's pairs of NUL-ended strings.
  std::wstring filter = Wide(kOpenDialogFilter);
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter += L'\0';
  std::wstring name(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = FWindow;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = L"Open Matroska file";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  if (::GetOpenFileNameW(&dialog)) FForm->AnalyzeFile(Utf8(name.c_str()));
}

void TWin32Window::SaveReportAsClicked() {
  if (FForm->IsBusy()) return;
  const std::string documents = DocumentsFolder();
  const std::string suggested = (documents.empty() ? "" : documents + "\\") + FForm->SuggestedSaveName();
  const TWin32SaveChoice choice =
      FOptions.ChooseSaveName ? FOptions.ChooseSaveName(suggested) : AskSaveName(FWindow, suggested);
  FForm->SaveReportAs(choice.FileName, choice.TextChosen);
}

void TWin32Window::FilesDropped(HDROP Drop) {
  std::vector<std::string> names;
  const UINT count = ::DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(static_cast<size_t>(::DragQueryFileW(Drop, i, nullptr, 0)) + 1, L'\0');
    name.resize(::DragQueryFileW(Drop, i, name.data(), static_cast<UINT>(name.size())));
    names.push_back(Utf8(name));
  }
  ::DragFinish(Drop);
  FForm->DropFiles(names);
}

bool TWin32Window::LinkClicked(const NMHDR* Header) {
  const auto* link = reinterpret_cast<const ENLINK*>(Header);
  if (link->msg != WM_LBUTTONUP) return false;
  std::wstring url(static_cast<size_t>(link->chrg.cpMax - link->chrg.cpMin) + 1, L'\0');
  TEXTRANGEW range{link->chrg, url.data()};
  url.resize(static_cast<size_t>(::SendMessageW(FRich, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range))));
  const std::string address = Utf8(url);
  if (!TAnalysisForm::OpensOutside(address)) return false;
  if (FOptions.OpenLink) {
    FOptions.OpenLink(address);
  } else {
    ::ShellExecuteW(FWindow, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
  return true;
}

void TWin32Window::PlaceWindow() {
  // A comfortable start: about 70% of the work area, at least 1000x720 where that fits,
  // in its middle.
  RECT area{0, 0, 1024, 768};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const int availableWidth = area.right - area.left, availableHeight = area.bottom - area.top;
  const int width = std::min(std::max(1000, availableWidth * 7 / 10), availableWidth);
  const int height = std::min(std::max(720, availableHeight * 7 / 10), availableHeight);
  ::MoveWindow(FWindow, area.left + (availableWidth - width) / 2, area.top + (availableHeight - height) / 2, width,
               height, FALSE);
  if (!FOptions.RememberGeometry) return;
  WINDOWPLACEMENT placement{};
  DWORD size = sizeof placement;
  if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kPlacementValue, RRF_RT_REG_BINARY, nullptr, &placement, &size) ==
          ERROR_SUCCESS &&
      size == sizeof placement && placement.length == sizeof placement) {
    placement.showCmd = SW_HIDE;  // shown by Show
    ::SetWindowPlacement(FWindow, &placement);
  }
}

void TWin32Window::KeepPlace() {
  if (!FOptions.RememberGeometry) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!::GetWindowPlacement(FWindow, &placement)) return;
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  ::RegSetValueExW(key, kPlacementValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&placement), sizeof placement);
  ::RegCloseKey(key);
}

}  // namespace ambrel
