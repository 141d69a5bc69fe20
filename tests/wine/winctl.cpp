// winctl: drives another program's windows from a test script, as a person would with the
// mouse and keyboard: find a window, read what it shows, type into a box, press a button, drop
// files on it (through the drop hook of a test build). Runs under the same Wine prefix as the
// program it drives. Texts in and out are UTF-8; window handles are printed and read in hex.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

// How long a cross-process message may take before the target counts as hung.
constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kPollMs = 100;
constexpr double kDefaultWaitSeconds = 30;
// Enough for any caption, control text or path the tests show.
constexpr int kTextChars = 4096;
// The tag that figmerg-test.exe's drop hook answers in WM_COPYDATA ("DROP").
constexpr ULONG_PTR kDropTag = 0x44524F50;
// A message box's icon control.
constexpr int kMessageBoxIconId = 0x440;

static std::string Utf8(const wchar_t* w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, -1, &s[0], n, nullptr, nullptr);
  s.resize(static_cast<size_t>(n - 1));
  return s;
}

static void Out(const std::string& s) {
  fwrite(s.data(), 1, s.size(), stdout);
}

static std::string Hex(HWND h) {
  char b[32];
  snprintf(b, sizeof b, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
  return b;
}

static HWND ParseHwnd(const wchar_t* s) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoull(s, nullptr, 0)));
}

// WM_GETTEXT, unlike GetWindowText, reads an edit control of another process too.
static std::string TextOf(HWND h) {
  wchar_t buf[kTextChars] = L"";
  DWORD_PTR got = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &got);
  buf[kTextChars - 1] = 0;
  return Utf8(buf);
}

static std::string ClassOf(HWND h) {
  wchar_t buf[256] = L"";
  GetClassNameW(h, buf, 256);
  return Utf8(buf);
}

static int Fail(const char* what) {
  fprintf(stderr, "winctl: %s\n", what);
  return 1;
}

// Quotes a text on one line so that a script can split the line on its first fields.
static std::string Quoted(const std::string& s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '\n')
      q += "\\n";
    else if (c == '\r')
      q += "\\r";
    else if (c == '\t')
      q += "\\t";
    else
      q += c;
  }
  return q + "\"";
}

struct Search {
  enum { kCaption, kOwner } by;
  std::wstring caption;
  HWND owner;
  HWND found;
};

static BOOL CALLBACK Match(HWND h, LPARAM p) {
  Search* s = reinterpret_cast<Search*>(p);
  if (!IsWindowVisible(h)) return TRUE;
  bool hit;
  if (s->by == Search::kOwner) {
    hit = GetWindow(h, GW_OWNER) == s->owner;
  } else {
    wchar_t buf[kTextChars] = L"";
    GetWindowTextW(h, buf, kTextChars);
    hit = s->caption == buf;
  }
  if (!hit) return TRUE;
  s->found = h;
  return FALSE;
}

static double Seconds(int argc, wchar_t** argv, int i) {
  return i < argc ? wcstod(argv[i], nullptr) : kDefaultWaitSeconds;
}

// Polls rather than hooks: the windows belong to another process, and a test has time.
static int WaitFor(Search& s, double seconds) {
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  for (;;) {
    s.found = nullptr;
    EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      Out(Hex(s.found) + "\n");
      return 0;
    }
    if (static_cast<LONG>(GetTickCount() - end) >= 0) return Fail("timed out waiting for window");
    Sleep(kPollMs);
  }
}

static int WaitGone(HWND h, double seconds) {
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  while (IsWindow(h) && IsWindowVisible(h)) {
    if (static_cast<LONG>(GetTickCount() - end) >= 0) return Fail("window is still there");
    Sleep(kPollMs);
  }
  return 0;
}

static BOOL CALLBACK ListOne(HWND h, LPARAM) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  char head[96];
  snprintf(head, sizeof head, " %lu %s ", static_cast<unsigned long>(pid),
           IsWindowVisible(h) ? "visible" : "hidden");
  Out(Hex(h) + head + ClassOf(h) + " " + Quoted(TextOf(h)) + "\n");
  return TRUE;
}

static BOOL CALLBACK ShowChild(HWND h, LPARAM) {
  char head[64];
  snprintf(head, sizeof head, "0x%x ", static_cast<unsigned>(GetDlgCtrlID(h)));
  Out(head + ClassOf(h) + (IsWindowVisible(h) ? " visible " : " hidden ") + Quoted(TextOf(h)) +
      "\n");
  return TRUE;
}

static HWND Control(HWND wn, const wchar_t* id) {
  return GetDlgItem(wn, static_cast<int>(wcstol(id, nullptr, 0)));
}

// A menu of another process cannot be read under Wine, so the menu is read from the program's
// file instead: the resource the program attaches at start-up.
static int ShowMenu(const wchar_t* exe, const wchar_t* name) {
  HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return Fail("cannot load the program as data");
  HMENU menu = LoadMenuW(module, name);
  if (!menu) {
    FreeLibrary(module);
    return Fail("no menu of that name");
  }
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[kTextChars] = L"";
    GetMenuStringW(menu, static_cast<UINT>(i), text, kTextChars, MF_BYPOSITION);
    // A pop-up has no command of its own: GetMenuItemID gives -1 for it.
    char head[64];
    snprintf(head, sizeof head, "%d %s ", static_cast<int>(GetMenuItemID(menu, i)),
             GetSubMenu(menu, i) ? "popup" : "command");
    Out(head + Quoted(Utf8(text)) + "\n");
  }
  DestroyMenu(menu);
  FreeLibrary(module);
  return 0;
}

// The paths go as the program's own byte strings: UTF-8, the code page its manifest asks for.
static int Drop(HWND wn, int argc, wchar_t** argv, int first) {
  std::string data;
  for (int i = first; i < argc; ++i) data += Utf8(argv[i]) + '\0';
  COPYDATASTRUCT cd{kDropTag, static_cast<DWORD>(data.size()), &data[0]};
  DWORD_PTR accepted = 0;
  if (!SendMessageTimeoutW(wn, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &accepted))
    return Fail("the window did not answer the drop");
  return accepted == 1 ? 0 : Fail("the window has no drop hook");
}

static std::string StateOf(HWND h) {
  std::string s = IsWindowVisible(h) ? "visible" : "hidden";
  s += IsWindowEnabled(h) ? " enabled" : " disabled";
  s += IsZoomed(h) ? " maximized" : IsIconic(h) ? " minimized" : " normal";
  // Whether a menu bar is attached; its items are out of reach from another process.
  s += GetMenu(h) ? " menu" : " no-menu";
  return s;
}

// Whether a message box shows an icon. Which icon cannot be told from outside: an icon handle
// means nothing in another process, and its pixels cannot be read from here.
static std::string IconOf(HWND box) {
  HWND c = GetDlgItem(box, kMessageBoxIconId);
  DWORD_PTR icon = 0;
  if (!c || !SendMessageTimeoutW(c, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &icon))
    return "none";
  return icon ? "icon" : "none";
}

static int SysCommand(HWND wn, const std::wstring& what) {
  WPARAM sc;
  if (what == L"minimize")
    sc = SC_MINIMIZE;
  else if (what == L"maximize")
    sc = SC_MAXIMIZE;
  else if (what == L"restore")
    sc = SC_RESTORE;
  else if (what == L"close")
    sc = SC_CLOSE;
  else
    return Fail("sys takes minimize, maximize, restore or close");
  return PostMessageW(wn, WM_SYSCOMMAND, sc, 0) ? 0 : Fail("cannot post WM_SYSCOMMAND");
}

static int Usage() {
  fputs(
      "usage: winctl COMMAND ARGS\n"
      "  list                        top-level windows: hwnd pid visibility class \"caption\"\n"
      "  wait CAPTION [SECONDS]      wait for a visible top-level window so captioned\n"
      "  wait-owned HWND [SECONDS]   wait for a visible top-level window that HWND owns\n"
      "  wait-gone HWND [SECONDS]    wait until the window is hidden or destroyed\n"
      "  show HWND                   caption, class, then each child: id class visibility text\n"
      "  caption HWND                the window's own text\n"
      "  rect HWND                   left top width height on the screen\n"
      "  get HWND ID                 the text of control ID\n"
      "  set HWND ID TEXT            replace the text of control ID\n"
      "  press HWND ID               click the button ID\n"
      "  command HWND ID             send the window the command ID, as a menu or button does\n"
      "  close HWND                  ask the window to close\n"
      "  owner HWND                  the window's owner, 0x0 for none\n"
      "  pid HWND                    the id of the process the window belongs to\n"
      "  icon HWND                   whether a message box shows an icon: icon or none\n"
      "  state HWND                  visible|hidden enabled|disabled\n"
      "                              maximized|minimized|normal menu|no-menu\n"
      "  sys HWND WHAT               a click on the frame: minimize, maximize, restore or close\n"
      "  repaint HWND                invalidate the whole window, as an uncovering would\n"
      "  move HWND X Y               move the window, as dragging its caption would\n"
      "  drop HWND PATH...           drop the files on a test build's window\n"
      "  menu EXE NAME               the items of menu resource NAME: id kind \"text\"\n",
      stderr);
  return 2;
}

static int Run(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  std::wstring cmd = argv[1];
  if (cmd == L"list" && argc == 2) {
    EnumWindows(ListOne, 0);
    return 0;
  }
  if (cmd == L"wait" && argc >= 3) {
    Search s{Search::kCaption, argv[2], nullptr, nullptr};
    return WaitFor(s, Seconds(argc, argv, 3));
  }
  if (argc < 3) return Usage();
  if (cmd == L"menu" && argc == 4) return ShowMenu(argv[2], argv[3]);
  HWND wn = ParseHwnd(argv[2]);
  if (cmd == L"wait-owned") {
    Search s{Search::kOwner, L"", wn, nullptr};
    return WaitFor(s, Seconds(argc, argv, 3));
  }
  if (cmd == L"wait-gone") return WaitGone(wn, Seconds(argc, argv, 3));
  if (!IsWindow(wn)) return Fail("no such window");
  if (cmd == L"show") {
    Out(Quoted(TextOf(wn)) + "\n" + ClassOf(wn) + "\n");
    EnumChildWindows(wn, ShowChild, 0);
    return 0;
  }
  if (cmd == L"caption") {
    Out(TextOf(wn) + "\n");
    return 0;
  }
  if (cmd == L"rect") {
    RECT r;
    GetWindowRect(wn, &r);
    char b[96];
    snprintf(b, sizeof b, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    Out(b);
    return 0;
  }
  if (cmd == L"close") return PostMessageW(wn, WM_CLOSE, 0, 0) ? 0 : Fail("cannot post WM_CLOSE");
  if (cmd == L"owner") {
    Out(Hex(GetWindow(wn, GW_OWNER)) + "\n");
    return 0;
  }
  if (cmd == L"pid") {
    DWORD pid = 0;
    GetWindowThreadProcessId(wn, &pid);
    Out(std::to_string(pid) + "\n");
    return 0;
  }
  if (cmd == L"icon") {
    Out(IconOf(wn) + "\n");
    return 0;
  }
  if (cmd == L"state") {
    Out(StateOf(wn) + "\n");
    return 0;
  }
  if (cmd == L"repaint")
    return RedrawWindow(wn, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME)
               ? 0
               : Fail("cannot invalidate the window");
  if (argc < 4) return Usage();
  if (cmd == L"sys") return SysCommand(wn, argv[3]);
  if (cmd == L"move" && argc == 5) {
    const int x = static_cast<int>(wcstol(argv[3], nullptr, 0));
    const int y = static_cast<int>(wcstol(argv[4], nullptr, 0));
    return SetWindowPos(wn, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
               ? 0
               : Fail("cannot move the window");
  }
  if (cmd == L"drop") return Drop(wn, argc, argv, 3);
  if (cmd == L"command") {
    WPARAM id = static_cast<WPARAM>(wcstoul(argv[3], nullptr, 0)) & 0xFFFF;
    return PostMessageW(wn, WM_COMMAND, id, 0) ? 0 : Fail("cannot post WM_COMMAND");
  }
  HWND c = Control(wn, argv[3]);
  if (!c) return Fail("no control with that id");
  if (cmd == L"get") {
    Out(TextOf(c) + "\n");
    return 0;
  }
  // Posted, not sent: a press may open a modal box, and the script must stay free to answer it.
  if (cmd == L"press") return PostMessageW(c, BM_CLICK, 0, 0) ? 0 : Fail("cannot post BM_CLICK");
  if (cmd == L"set" && argc == 5) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &r))
      return Fail("cannot set the text");
    return 0;
  }
  return Usage();
}

int main() {
  // Binary output: scripts compare lines, and a CR before each LF would only get in the way.
  _setmode(_fileno(stdout), _O_BINARY);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return Fail("cannot read the command line");
  int rc = Run(argc, argv);
  fflush(stdout);
  LocalFree(argv);
  return rc;
}
