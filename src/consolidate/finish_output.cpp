#include "consolidate/finish_output.h"

#include "platform/file_io.h"
#include "platform/safe_output.h"

Failed FinishOutput(const ConsolidateResult& r, FileHandle* input, SafeOutput* output,
                    std::string* why) {
  // The reason for a failure inside the filter is the latest one, until a close overwrites it.
  *why = FileError();
  // The input is closed before the output takes its place: it may be the same file.
  const bool inputClosed = FileClose(input);
  if (!inputClosed && !r.readFailed) *why = FileError();
  if (r.readFailed || !inputClosed || r.writeFailed) {
    if (output != nullptr) SafeOutputAbort(output);
    return r.writeFailed ? Failed::Writing : Failed::Reading;
  }
  if (output != nullptr && !SafeOutputCommit(output)) {
    *why = FileError();
    return Failed::Writing;
  }
  return Failed::Nothing;
}
