// ambrel.exe: the window. The first command-line argument, if any, is analysed at start.
// "ambrel.exe --screenshot FILE.bmp [PATH]" starts the same way, waits until the window
// is idle, brings the report's rendering sections into view, saves a picture of it to
// FILE.bmp and exits.
#include <cstdio>
#include <string>
#include <vector>

#include "app/window/win32/Win32Window.h"
#include "app/window/win32/Win32Platform.h"

#include <commdlg.h>
#include <objbase.h>
#include <richedit.h>
#include <shellapi.h>

using namespace ambrel;

namespace {

const char kUsage[] =
    "Usage: ambrel [FILE]\n"
    "       ambrel --screenshot BMP [FILE]\n"
    "\n"
    "Opens the Ambrel window and analyses the Matroska FILE (.mkv, .mka, .mks) when given.\n"
    "  --screenshot BMP  analyse FILE, save a picture of the window (the report's rendering\n"
    "                    sections in view) to BMP and quit\n"
    "  -h, --help        show this text\n"
    "  --version         show the program's version\n";

int UsageError(const std::string& Message) {
  std::fprintf(stderr, "ambrel: %s\n%sRun 'ambrel --help' for the options.\n", Message.c_str(), kUsage);
  return 2;
}

// Puts the report's rendering sections, the framework's verdict on the file, at the top of
// the report view when the report has them.
void ShowRenderingSections(HWND ReportView) {
  FINDTEXTEXW find{};
  find.chrg = {0, -1};
  find.lpstrText = L"DirectShow RenderFile check";
  const LRESULT at = ::SendMessageW(ReportView, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
  if (at < 0) return;
  // From the end, bringing the place into view scrolls up just until it shows: at the top.
  ::SendMessageW(ReportView, WM_VSCROLL, SB_BOTTOM, 0);
  ::SendMessageW(ReportView, EM_SETSEL, static_cast<WPARAM>(at), at);
  ::SendMessageW(ReportView, EM_SCROLLCARET, 0, 0);
}

// Runs the window's messages until it is closed; with a screenshot asked for, until it
// is idle and the picture is written.
int Run(TWin32Window& Window, const std::string& Screenshot) {
  MSG message;
  for (;;) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (!Screenshot.empty() && !Window.IsBusy()) {
      ShowRenderingSections(Window.ReportView());
      ::RedrawWindow(Window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      ::GdiFlush();
      ::Sleep(200);  // the display shows what was drawn
      const bool saved = win32::SaveWindowPicture(Window.Handle(), Screenshot);
      if (!saved) std::fprintf(stderr, "ambrel: cannot write %s\n", Screenshot.c_str());
      return saved ? 0 : 1;
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int ShowCommand) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(win32::Utf8(wide[i]));
  ::LocalFree(wide);
  std::string screenshot;
  std::vector<std::string> files;
  bool optionsEnd = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
      files.push_back(arg);
    } else if (arg == "--") {
      optionsEnd = true;
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (arg == "--version") {
      std::printf("ambrel %s\n", win32::ProgramFileVersion().c_str());
      return std::fflush(stdout) == 0 ? 0 : 1;
    } else if (arg == "--screenshot" && i + 1 < arguments.size()) {
      screenshot = arguments[++i];
    } else {
      return UsageError(arg == "--screenshot" ? "--screenshot takes BMP and at most one FILE" : "unknown option " + arg);
    }
  }
  if (!screenshot.empty() && files.size() > 1) return UsageError("--screenshot takes BMP and at most one FILE");
  // The common file dialogs use the shell's objects.
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  TWin32WindowOptions options = DefaultWin32WindowOptions(files);
  options.QuitWhenClosed = true;
  // A picture for the documentation shows the window as it starts, wherever it was last.
  if (!screenshot.empty()) options.RememberGeometry = false;
  TWin32Window window(std::move(options));
  window.Show(screenshot.empty() ? ShowCommand : SW_SHOWNORMAL);
  const int status = Run(window, screenshot);
  ::CoUninitialize();
  return status;
}
