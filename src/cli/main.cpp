// figmerg-cli: the consolidation of Poser body-part groups for the command line and for batches.
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/consolidate_path.h"
#include "cli/exit_codes.h"
#include "cli/list_groups.h"
#include "cli/options.h"

int main(int argc, char** argv) {
#ifdef SIGPIPE
  // A closed pipe downstream is a write failure to report, not a reason to die silently.
  signal(SIGPIPE, SIG_IGN);
#endif
  CliOptions o;
  const std::string error = ParseOptions(argc, argv, &o);
  if (!error.empty()) {
    std::fprintf(stderr, "figmerg-cli: %s\n%s", error.c_str(), kUsage);
    return kExitUsage;
  }
  if (o.help) {
    std::fputs(kUsage, stdout);
    return kExitRewritten;
  }
  if (o.version) {
    std::printf("figmerg-cli %s\n", FIGMERG_VERSION);
    return kExitRewritten;
  }
  int worst = kExitRewritten;
  for (const std::string& in : o.inputs) {
    worst = std::max(worst, o.list ? ListGroups(in) : ConsolidatePath(in, o));
  }
  return worst;
}
