// GetFileName: the one way the program asks the user for a file name, through the common
// open or save dialog, and the lower-casing that every name it hands back goes through.
#include "shell/get_file_name.h"

#include <climits>

#include "consolidate/ascii.h"

OPENFILENAMEA ofn;
char tit[kTitleSize];

// A filter list that lost its closing NUL would run the dialog past its end.
static_assert(sizeof filterOBJ == sizeof "OBJ files" + sizeof "*.OBJ" + 1,
              "the filter list must end with two NULs");

void LC(char* s) {
  for (; *s; ++s) *s = LowerAscii(*s);
}

// The dialog counts the buffer in a DWORD; a larger buffer is only ever offered in part, which
// loses nothing since no path comes near that length.
static DWORD BufferChars(size_t size) {
  return size > ULONG_MAX ? ULONG_MAX : static_cast<DWORD>(size);
}

int GetFileName(Window wn, char* file, const char* t, const char* f, int write, size_t size) {
  // The version-4 layout is the one every Windows since 95 accepts, and it leaves out the
  // places bar and the reserved fields that the program has no use for.
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = static_cast<HWND>(wn);
  ofn.lpstrFilter = f;
  ofn.lpstrCustomFilter = nullptr;
  ofn.nFilterIndex = 0;
  ofn.lpstrFile = file;
  ofn.nMaxFile = BufferChars(size);
  ofn.lpstrFileTitle = tit;
  ofn.nMaxFileTitle = sizeof tit;
  ofn.lpstrInitialDir = nullptr;
  ofn.lpstrTitle = t;
  ofn.Flags = write ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;

  BOOL chosen = write ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);

  // A dialog that found the buffer too small leaves a byte count in its first bytes, which may
  // overwrite the earlier name's NUL; the last byte of the buffer then keeps LC inside it.
  if (size > 0) file[size - 1] = '\0';
  // A cancelled or failed dialog leaves the earlier name in the buffer; it is lower-cased too,
  // so the caller sees the same convention whatever happened.
  LC(file);
  LC(tit);
  return chosen ? 1 : 0;
}
