// The run: everything that happens once an input path stands in `file`. It proposes the output
// name, asks for the output file and the mode, writes the output safely, and tells the user.
#pragma once
#include <cstddef>

#include "platform/ui.h"

constexpr size_t kFileBytes = 256;  // the input path, at most 255 bytes
constexpr size_t kOutBytes = 512;   // the output path

extern char file[kFileBytes];
extern char out[kOutBytes];

// Runs on the path in `file`; wn owns the dialogs and boxes. Reports to the user itself.
void ConsolidateFile(Window wn);

// Whether a run has started and not yet ended. A second run would share `file` and `out`, so the
// window refuses one while this is true, before anything writes `file`.
bool RunInProgress();

// Tells the user that a run is already open.
void RefuseSecondRun(Window wn);
