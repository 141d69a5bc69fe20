// What a run asks of the user: message boxes and the file-name dialogs. The Windows program
// serves these with the real dialogs; the native tests serve them with a scripted fake.
#pragma once
#include <cstddef>

// The platform's window handle, opaque to the core. Null means "no owner".
using Window = void*;

// Message box styles and answers the run uses.
constexpr unsigned MB_OK_ = 0;
constexpr unsigned MB_YESNO_ = 4;
constexpr unsigned MB_ICONEXCLAMATION_ = 0x30;
constexpr int IDYES_ = 6;
constexpr int IDNO_ = 7;

// The file dialogs' filter: "OBJ files" showing *.OBJ; the literal's own NUL closes the list.
inline constexpr char filterOBJ[] = "OBJ files\0*.OBJ\0";

// Shows a modal message box owned by owner and returns the button pressed.
int ShowBox(Window owner, const char* text, const char* caption, unsigned style);

// Shows the save dialog (write non-zero) or the open dialog (write zero), owned by wn and
// captioned t, with the file-type filter f. file holds the initial name on entry and, when the
// user chose a file, the chosen path on return; size is file's size in bytes. The buffer is
// lower-cased (ASCII A-Z only) whatever the outcome. Returns 1 if a file was chosen, else 0.
int GetFileName(Window wn, char* file, const char* t, const char* f, int write, size_t size);
