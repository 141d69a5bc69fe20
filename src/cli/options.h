// The command line of figmerg-cli, parsed into plain data.
#pragma once
#include <string>
#include <vector>

struct CliOptions {
  bool allParts = true;
  bool force = false;
  bool list = false;
  bool help = false;
  bool version = false;
  std::string output;  // empty: each input's proposed name, or standard output for "-"
  std::vector<std::string> inputs;
};

// Parses argv. Returns an empty string on success, else the usage error to show.
std::string ParseOptions(int argc, const char* const* argv, CliOptions* o);

extern const char kUsage[];
