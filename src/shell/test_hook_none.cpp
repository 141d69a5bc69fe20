// The release build's test hook: handles nothing.
#include "shell/DEFINES.h"

LRESULT TestHook(HWND, UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}
