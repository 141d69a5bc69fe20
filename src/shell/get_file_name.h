// The common open and save dialogs through which the user names a mesh file, and the one
// OPENFILENAME record both of them share for the life of the program.
#pragma once
#include <windows.h>  // brings commdlg.h

#include <cstddef>

#include "platform/ui.h"

// A file name without its folder is at most 255 characters on every file system the program
// meets, so the title buffer never truncates.
constexpr size_t kTitleSize = 256;

extern OPENFILENAMEA ofn;
extern char tit[kTitleSize];

// Lower-cases A-Z in place and leaves every other byte alone, so that multibyte path
// characters survive untouched.
void LC(char* s);
