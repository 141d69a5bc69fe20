// What the parts of the Windows program share: the program's name, its handles and counters, the
// menu's commands, and the frame's functions.
#pragma once
#include <windows.h>

#include <cstddef>

// The menu bar's commands; res/figmerg.rc gives the same numbers.
constexpr WORD kCommandConsolidate = 256;
constexpr WORD kCommandExit = 262;
constexpr WORD kCommandHelp = 263;

// The class name, the window title, and the name of the menu and icon resources.
extern const char* const progname;
extern HINSTANCE Instance;
extern HWND Main;
// The number of command-line words, the program's own included. Above 1 means a path waits for
// the first paint; the paint sets it to 0 so that path runs once.
extern size_t Argc;

void Register(const char* name, WNDPROC proc);
HWND newwindow(const char* clas, const char* name, DWORD c);
LRESULT CALLBACK MainWinProc(HWND wn, UINT iMessage, WPARAM S, LPARAM L);
void DragAccept(HWND wn);
UINT Draghowmanyfiles(HDROP hdrop);

// Test builds answer a few messages of their own before the window procedure's table; *handled
// says whether they did. Release builds never handle anything here.
LRESULT TestHook(HWND wn, UINT iMessage, WPARAM S, LPARAM L, bool* handled);
