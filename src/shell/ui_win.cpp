// The message boxes of a run, served by the system's own box.
#include <windows.h>

#include "platform/ui.h"

int ShowBox(Window owner, const char* text, const char* caption, unsigned style) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}
