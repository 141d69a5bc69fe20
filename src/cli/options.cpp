// Parsing figmerg-cli's arguments: options may stand anywhere, "--" ends them, and "-" alone is
// standard input.
#include "cli/options.h"

#include <cstring>

const char kUsage[] =
    "usage: figmerg-cli [--all | --human] [--force] [-o OUTPUT] INPUT...\n"
    "       figmerg-cli --list INPUT...\n"
    "\n"
    "Rewrites the body-part groups of a Poser .OBJ export so that each figure is one group.\n"
    "  --all          rewrite every part group (the default)\n"
    "  --human        rewrite only the groups named after human body parts\n"
    "  -f, --force    replace an output file that already exists\n"
    "  -o OUTPUT      the output file (\"-\" for standard output); one INPUT only\n"
    "  --list         show each figure's groups and props, write nothing\n"
    "  -h, --help     show this help\n"
    "  --version      show the version\n"
    "An INPUT of \"-\" reads standard input and writes standard output unless -o is given.\n"
    "Without -o, fig.obj is written to figcons.obj.\n"
    "Exit codes: 0 groups rewritten, 1 none rewritten (a copy was written),\n"
    "2 usage error or refusal, 3 a read or write failure.\n";

std::string ParseOptions(int argc, const char* const* argv, CliOptions* o) {
  bool sawAll = false;
  bool sawHuman = false;
  bool sawOutput = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (optionsEnded || a[0] != '-' || std::strcmp(a, "-") == 0) {
      o->inputs.push_back(a);
    } else if (std::strcmp(a, "--") == 0) {
      optionsEnded = true;
    } else if (std::strcmp(a, "--all") == 0) {
      sawAll = true;
      o->allParts = true;
    } else if (std::strcmp(a, "--human") == 0) {
      sawHuman = true;
      o->allParts = false;
    } else if (std::strcmp(a, "--force") == 0 || std::strcmp(a, "-f") == 0) {
      o->force = true;
    } else if (std::strcmp(a, "--list") == 0) {
      o->list = true;
    } else if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      o->help = true;
    } else if (std::strcmp(a, "--version") == 0) {
      o->version = true;
    } else if (std::strcmp(a, "-o") == 0 || std::strcmp(a, "--output") == 0) {
      if (i + 1 >= argc) return std::string(a) + " needs a file name";
      if (sawOutput) return "only one -o, please";
      sawOutput = true;
      o->output = argv[++i];
      if (o->output.empty()) return "the output name is empty";
    } else if (std::strncmp(a, "-o", 2) == 0) {
      if (sawOutput) return "only one -o, please";
      sawOutput = true;
      o->output = a + 2;
    } else {
      return std::string("unknown option ") + a;
    }
  }
  if (o->help || o->version) return std::string();
  if (sawAll && sawHuman) return "--all or --human, not both";
  if (o->inputs.empty()) return "no input file given";
  for (const std::string& in : o->inputs) {
    if (in.empty()) return "an input name is empty";
  }
  if (o->list && (sawOutput || o->force || sawAll || sawHuman)) {
    return "--list writes nothing: it takes no -o, --force, --all or --human";
  }
  if (sawOutput && o->inputs.size() > 1) return "-o takes one input only";
  return std::string();
}
