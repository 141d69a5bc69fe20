// What the core asks of the platform's files: byte streams in and out, a scratch file, and the
// system's reason when something fails. Paths are UTF-8 on every platform.
#pragma once
#include <cstddef>

// An open file. The caller owns it from the call that returned it until FileClose.
struct FileHandle;

// Opens an existing file for reading. Null on failure, with the reason in FileError().
FileHandle* FileOpenRead(const char* path);

// The process's standard input and output as handles; FileClose on them closes nothing.
FileHandle* FileStdin();
FileHandle* FileStdout();

// Reads up to cap bytes. Returns the count read, 0 at the end of the file, -1 on a read error.
long long FileRead(FileHandle* f, char* buf, size_t cap);

// Writes all len bytes, retrying short writes. False on a write error.
bool FileWrite(FileHandle* f, const char* buf, size_t len);

// Opens a new, empty, anonymous file for reading and writing that the system removes when it is
// closed. Used to hold an over-long stretch of a line. Null on failure.
FileHandle* FileOpenScratch();

// Moves back to the start of a scratch file so what was written can be read again.
bool FileRewind(FileHandle* f);

// Closes the file and frees the handle, always. False when the close reported an error (a
// delayed write error on a full disk shows up here).
bool FileClose(FileHandle* f);

// The system's reason for the last failure of any call above, as text.
const char* FileError();
