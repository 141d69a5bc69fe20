// The run behind all three ways of handing over a file: the menu's open dialog, a drop, and a
// path on the command line.
#include "consolidate/consolidate_file.h"

#include <string>

#include "consolidate/consolidate.h"
#include "consolidate/finish_output.h"
#include "consolidate/output_name.h"
#include "platform/file_io.h"
#include "platform/safe_output.h"

char file[kFileBytes];
char out[kOutBytes];

namespace {

bool g_running = false;

constexpr char kNotObj[] = "this is not an .OBJ file";
constexpr char kSaveCaption[] = "file to output consolidated .OBJ mesh to?";
constexpr char kModeQuestion[] = "consolidate all model parts (yes), or only human parts (no)?";
constexpr char kProgram[] = "figmerg";
constexpr char kCantRead[] = "I can't read this file";
constexpr char kCantWrite[] = "I can't write this file";
constexpr char kNotPoser[] = "this file weren't exported by Poser, or it ain't a mesh file";
constexpr char kCreated[] = "I have created this .OBJ mesh file";
constexpr char kOneAtATime[] = "one file at a time please";

static_assert(kOutBytes >= kFileBytes + sizeof "cons.obj", "every proposal fits `out`");

// Reads `file` into `out` through the filter. Shows the box for a failure and returns false, or
// returns true with the count of rewritten group lines in *rewritten.
bool WriteOutput(Window wn, bool allParts, long long* rewritten) {
  FileHandle* input = FileOpenRead(file);
  if (input == nullptr) {
    ShowBox(wn, file, kCantRead, MB_ICONEXCLAMATION_);
    return false;
  }
  SafeOutput* output = SafeOutputOpen(out);
  if (output == nullptr) {
    FileClose(input);
    ShowBox(wn, out, kCantWrite, MB_ICONEXCLAMATION_);
    return false;
  }
  const ConsolidateResult r =
      Consolidate(FileSource(input), FileSink(SafeOutputFile(output)), allParts);
  std::string why;
  switch (FinishOutput(r, input, output, &why)) {
    case Failed::Reading:
      ShowBox(wn, file, kCantRead, MB_ICONEXCLAMATION_);
      return false;
    case Failed::Writing:
      ShowBox(wn, out, kCantWrite, MB_ICONEXCLAMATION_);
      return false;
    case Failed::Nothing:
      break;
  }
  *rewritten = r.rewritten;
  return true;
}

}  // namespace

bool RunInProgress() {
  return g_running;
}

void RefuseSecondRun(Window wn) {
  ShowBox(wn, kOneAtATime, kProgram, MB_ICONEXCLAMATION_);
}

void ConsolidateFile(Window wn) {
  if (g_running) {
    RefuseSecondRun(wn);
    return;
  }
  g_running = true;
  if (!HasObjEnding(file)) ShowBox(wn, file, kNotObj, MB_ICONEXCLAMATION_);
  ProposeOutputName(file, out, sizeof out);
  if (GetFileName(wn, out, kSaveCaption, filterOBJ, 1, sizeof out) != 0) {
    // The question has no owner, so the window stays usable while it is open. Closing the
    // program ends the box with neither answer: then nothing was chosen and nothing is written.
    const int answer = ShowBox(nullptr, kModeQuestion, kProgram, MB_YESNO_);
    long long rewritten = 0;
    if ((answer == IDYES_ || answer == IDNO_) && WriteOutput(wn, answer == IDYES_, &rewritten)) {
      if (rewritten == 0) {
        ShowBox(wn, file, kNotPoser, MB_ICONEXCLAMATION_);
      } else {
        ShowBox(wn, out, kCreated, MB_OK_);
      }
    }
  }
  g_running = false;
}
