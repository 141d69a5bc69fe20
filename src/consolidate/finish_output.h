// The end of every consolidation into a file: close the input, then either put the complete
// output in place or abandon it, and say which side failed. The command-line tool and the
// Windows program's run share it, so both lose nothing in the same way.
#pragma once
#include <string>

#include "consolidate/consolidate.h"

struct FileHandle;
struct SafeOutput;

enum class Failed { Nothing, Reading, Writing };

// Closes input, which r was read from. output, when not null, is committed if nothing failed and
// abandoned otherwise; null means the output went straight to its place (standard output).
// Returns the side that failed; *why then holds the system's reason.
Failed FinishOutput(const ConsolidateResult& r, FileHandle* input, SafeOutput* output,
                    std::string* why);
