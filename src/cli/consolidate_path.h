// figmerg-cli's job for one input: the output name, the refusal to replace without --force, the
// filter, the safe replacement of the output, and the report.
#pragma once
#include <string>

#include "cli/options.h"

// Consolidates in ("-" for standard input) as o says, reports on standard output and standard
// error, and returns the exit code for this input.
int ConsolidatePath(const std::string& in, const CliOptions& o);
