// The one place where the program's narrow paths and texts meet the system's wide ones.
#pragma once
#include <cstddef>
#include <string>

// The code page the program's narrow paths are written in, as the conversions below use it:
// its number, also when that is the process's ANSI code page.
unsigned PathCodePage();

// The wide form of a narrow path, ready for the W calls: a path too long for the plain form is
// made absolute and given the \\?\ prefix that lifts the length limit. False, with the system's
// last error set, when the bytes are not valid in the path code page.
bool WidenPath(const char* path, std::wstring* wide);

// The absolute form of a wide path, or an empty string with the system's last error set.
std::wstring FullPath(const std::wstring& path);

// The same as WidenPath for a wide path already built from pieces (a folder and a new name).
std::wstring SystemPath(const std::wstring& path);

// Narrows wide text into out (cap bytes, always NUL-terminated). Characters the code page cannot
// hold come out as '?'. Returns false when the text had to be cut to fit.
bool NarrowText(const wchar_t* text, char* out, size_t cap);
