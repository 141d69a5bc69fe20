// Writing an output file without ever losing what stood there: the bytes go to a new temporary
// file in the target's folder, which replaces the target only once it is complete on disk.
#pragma once
#include "platform/file_io.h"

struct SafeOutput;

// Starts an output to target. A target that exists and is not a regular file (a device, a pipe)
// is written directly; a symbolic link is followed to the file it names. Null on failure, with
// the reason in FileError(); nothing is created or changed then.
SafeOutput* SafeOutputOpen(const char* target);

// The handle to write the output's bytes to; it stays owned by the SafeOutput.
FileHandle* SafeOutputFile(SafeOutput* o);

// Flushes the bytes to disk, closes the file and puts it in the target's place. On any failure
// the temporary file is removed, the target is left as it was, and FileError() says why.
// Frees o in every case.
bool SafeOutputCommit(SafeOutput* o);

// Closes and removes the temporary file, leaving the target as it was. Frees o.
void SafeOutputAbort(SafeOutput* o);
