// The test build's hook: a drop made inside the program's own process, since a drop handle
// cannot cross from another process. A test sends WM_COPYDATA tagged kTestDropTag whose data is
// the paths, each ending in NUL; the hook builds the shell's drop record from them and posts a
// real WM_DROPFILES, which the window then reads with the real DragQueryFileA.
#include <windows.h>
// shlobj.h needs the types windows.h defines.
#include <shlobj.h>

#include <cstring>

#include "shell/DEFINES.h"

namespace {
constexpr ULONG_PTR kTestDropTag = 0x44524F50;  // "DROP"
}  // namespace

LRESULT TestHook(HWND wn, UINT iMessage, WPARAM, LPARAM L, bool* handled) {
  *handled = false;
  if (iMessage != WM_COPYDATA) return 0;
  const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(L);
  if (data->dwData != kTestDropTag) return 0;
  *handled = true;
  // DROPFILES, then the paths, then the empty name that ends the list.
  const SIZE_T size = sizeof(DROPFILES) + data->cbData + 1;
  HGLOBAL memory = GlobalAlloc(GHND, size);
  if (memory == nullptr) return 0;
  char* bytes = static_cast<char*>(GlobalLock(memory));
  DROPFILES* drop = reinterpret_cast<DROPFILES*>(bytes);
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  std::memcpy(bytes + sizeof(DROPFILES), data->lpData, data->cbData);
  GlobalUnlock(memory);
  // Posted, so the sender is answered before the drop's boxes open.
  PostMessageA(wn, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  return 1;
}
