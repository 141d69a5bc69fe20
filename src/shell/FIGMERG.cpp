// figmerg's Windows program: one maximised window with a menu bar, which takes a Poser .OBJ
// export by the open dialog, by a drop, or from the command line, and hands it to the run.
#include <windows.h>
// shellapi.h needs the types windows.h defines.
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "consolidate/consolidate_file.h"
#include "shell/DEFINES.h"
#include "shell/command_line.h"

const char* const progname = "FIGMERG";
HINSTANCE Instance;
HWND Main;
size_t Argc;

namespace {

constexpr char kOpenCaption[] = "file to read .OBJ mesh from?";
constexpr char kHelpCaption[] = "figmerg help";
constexpr char kHelpText[] =
    "In a 3D graphics .OBJ file which was exported by Poser in \"each body part as a group\" "
    "mode, consolidate each Poser model into one group. You can choose to operate on all the "
    "models, or only on those groups which have the names of usual parts of Poser human models. "
    "This program will accept drag-and-drop.";
constexpr char kReading[] = "reading this file";
constexpr char kOneAtATime[] = "one file at a time please";
constexpr char kDragDrop[] = "dragdrop";
constexpr char kTooLong[] = "this path is too long";
constexpr LONG kMaxPositionOffset = -4;  // hides the frame's border off the screen's edges

// A path that does not fit `file` is shown cut, in a box of its own, and never run.
char g_tooLong[kFileBytes];

// Puts path into `file`, or, when it does not fit, its start into g_tooLong. False then.
bool TakePath(const std::string& path) {
  if (path.size() < sizeof file) {
    std::memcpy(file, path.c_str(), path.size() + 1);
    g_tooLong[0] = '\0';
    return true;
  }
  const std::string shown = CutToFit(path, sizeof g_tooLong - 1);
  std::memcpy(g_tooLong, shown.c_str(), shown.size() + 1);
  return false;
}

// A relative path is made absolute now: the save dialog may change the current folder before
// the run opens the input.
std::string Absolute(const std::string& path) {
  const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::vector<char> full(needed);
  const DWORD got = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
  return got == 0 || got >= needed ? path : std::string(full.data(), got);
}

// Takes the first argument after the program name, if there is one; the others are ignored.
void TakeCommandLine(const char* line) {
  const std::vector<std::string> words = SplitCommandLine(line);
  Argc = words.size();
  if (Argc > 1) TakePath(Absolute(words[1]));
}

void ShowTooLong(HWND wn) {
  ShowBox(wn, g_tooLong, kTooLong, MB_ICONEXCLAMATION_);
}

void OnCreate(HWND wn) {
  SetMenu(wn, LoadMenuA(Instance, progname));
  DragAccept(wn);
  ShowWindow(wn, SW_SHOW);
}

void OnPaint(HWND wn) {
  PAINTSTRUCT ps;
  BeginPaint(wn, &ps);
  EndPaint(wn, &ps);
  if (Argc <= 1) return;
  Argc = 0;
  if (g_tooLong[0] != '\0') {
    ShowTooLong(wn);
  } else {
    ConsolidateFile(wn);
  }
}

LRESULT OnCommand(HWND wn, UINT iMessage, WPARAM S, LPARAM L) {
  switch (LOWORD(S)) {
    case kCommandConsolidate:
      // Refused before the dialog writes `file`, which an open run still reads.
      if (RunInProgress()) {
        RefuseSecondRun(wn);
      } else if (GetFileName(wn, file, kOpenCaption, filterOBJ, 0, sizeof file) == 1) {
        ConsolidateFile(wn);
      }
      return DefWindowProcA(wn, iMessage, S, L);
    case kCommandExit:
      SendMessageA(wn, WM_CLOSE, 0, 0);
      return 0;
    case kCommandHelp:
      ShowBox(wn, kHelpText, kHelpCaption, MB_OK_);
      return DefWindowProcA(wn, iMessage, S, L);
    default:
      return 0;
  }
}

LRESULT OnDrop(HWND wn, UINT iMessage, WPARAM S, LPARAM L) {
  const HDROP hdrop = reinterpret_cast<HDROP>(S);
  if (RunInProgress()) {
    DragFinish(hdrop);
    RefuseSecondRun(wn);
    return 0;
  }
  if (Draghowmanyfiles(hdrop) != 1) {
    ShowBox(wn, kOneAtATime, kDragDrop, MB_ICONEXCLAMATION_);
    DragFinish(hdrop);
    return 0;
  }
  // The drop becomes a plain path, and is released, before anything is done with it.
  std::string path(DragQueryFileA(hdrop, 0, nullptr, 0), '\0');
  DragQueryFileA(hdrop, 0, &path[0], static_cast<UINT>(path.size() + 1));
  DragFinish(hdrop);
  if (!TakePath(path)) {
    ShowTooLong(wn);
    return 0;
  }
  ShowBox(wn, kReading, file, MB_OK_);
  ConsolidateFile(wn);
  return DefWindowProcA(wn, iMessage, S, L);
}

}  // namespace

void Register(const char* name, WNDPROC proc) {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = Instance;
  wc.hIcon = LoadIconA(Instance, progname);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = name;
  if (RegisterClassA(&wc) == 0) std::exit(0);
}

HWND newwindow(const char* clas, const char* name, DWORD c) {
  const HWND wn =
      CreateWindowExA(0, clas, name, c | WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, Instance, nullptr);
  if (wn != nullptr) {
    ShowWindow(wn, SW_SHOW);
    UpdateWindow(wn);  // the first paint, and a command-line run, happen here
  }
  return wn;
}

void DragAccept(HWND wn) {
  DragAcceptFiles(wn, TRUE);
}

UINT Draghowmanyfiles(HDROP hdrop) {
  return DragQueryFileA(hdrop, 0xFFFFFFFF, nullptr, 0);
}

LRESULT CALLBACK MainWinProc(HWND wn, UINT iMessage, WPARAM S, LPARAM L) {
  bool handled = false;
  const LRESULT hooked = TestHook(wn, iMessage, S, L, &handled);
  if (handled) return hooked;
  switch (iMessage) {
    case WM_CREATE:
      OnCreate(wn);
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      OnPaint(wn);
      break;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(L)->ptMaxPosition = {kMaxPositionOffset, kMaxPositionOffset};
      return 0;
    case WM_COMMAND:
      return OnCommand(wn, iMessage, S, L);
    case WM_ENTERIDLE:
      return 0;
    case WM_DROPFILES:
      return OnDrop(wn, iMessage, S, L);
  }
  return DefWindowProcA(wn, iMessage, S, L);
}

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE hPrev, LPSTR, int) {
  Instance = hInst;
  TakeCommandLine(GetCommandLineA());
  if (hPrev == nullptr) Register(progname, MainWinProc);
  Main = newwindow(progname, progname, WS_MAXIMIZE);
  if (Main == nullptr) std::exit(0);
  MSG msg = {};
  // GetMessage gives -1 on an error, which must end the loop as surely as the quit message.
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 0;
}
