// One input through the filter into its output, with the checks and reports of figmerg-cli.
#include "cli/consolidate_path.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "cli/exit_codes.h"
#include "cli/progress.h"
#include "consolidate/consolidate.h"
#include "consolidate/finish_output.h"
#include "consolidate/output_name.h"
#include "platform/file_io.h"
#include "platform/safe_output.h"

namespace {

constexpr char kStdinName[] = "standard input";
constexpr char kStdoutName[] = "standard output";

const char* Plural(long long n) {
  return n == 1 ? "" : "s";
}

int Fail(int code, const char* what, const std::string& name, const char* why) {
  std::fprintf(stderr, "figmerg-cli: can't %s %s: %s\n", what, name.c_str(), why);
  return code;
}

bool IsExistingFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

long long SizeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size)
                                                             : 0;
}

std::string OutputFor(const std::string& input, const CliOptions& o) {
  if (!o.output.empty()) return o.output;
  if (input == "-") return "-";
  std::string out(input.size() + sizeof "cons.obj", '\0');
  ProposeOutputName(input.c_str(), &out[0], out.size());
  out.resize(out.find('\0'));
  return out;
}

}  // namespace

int ConsolidatePath(const std::string& in, const CliOptions& o) {
  const bool fromStdin = in == "-";
  const std::string out = OutputFor(in, o);
  const bool toStdout = out == "-";
  const std::string inName = fromStdin ? kStdinName : in;
  const std::string outName = toStdout ? kStdoutName : out;

  FileHandle* input = fromStdin ? FileStdin() : FileOpenRead(in.c_str());
  if (input == nullptr) return Fail(kExitIoFailure, "read", inName, FileError());
  if (!toStdout && !o.force && IsExistingFile(out)) {
    FileClose(input);
    std::fprintf(stderr, "figmerg-cli: %s already exists; --force replaces it\n", out.c_str());
    return kExitUsage;
  }
  SafeOutput* safe = nullptr;
  if (!toStdout) {
    safe = SafeOutputOpen(out.c_str());
    if (safe == nullptr) {
      const std::string why = FileError();
      FileClose(input);
      return Fail(kExitIoFailure, "write", outName, why.c_str());
    }
  }
  FileHandle* output = toStdout ? FileStdout() : SafeOutputFile(safe);

  Progress progress;
  const Source source = ProgressSource(&progress, FileSource(input), inName, SizeOf(in));
  const ConsolidateResult r = Consolidate(source, FileSink(output), o.allParts);
  EndProgress(&progress);

  std::string why;
  switch (FinishOutput(r, input, safe, &why)) {
    case Failed::Reading:
      return Fail(kExitIoFailure, "read", inName, why.c_str());
    case Failed::Writing:
      return Fail(kExitIoFailure, "write", outName, why.c_str());
    case Failed::Nothing:
      break;
  }
  if (r.rewritten == 0) {
    std::fprintf(stderr, "this file weren't exported by Poser, or it ain't a mesh file: %s\n",
                 inName.c_str());
    return kExitNoGroups;
  }
  std::fprintf(toStdout ? stderr : stdout,
               "I have created this .OBJ mesh file: %s (%lld group%s rewritten, %lld figure%s)\n",
               outName.c_str(), r.rewritten, Plural(r.rewritten), r.figures, Plural(r.figures));
  return kExitRewritten;
}
