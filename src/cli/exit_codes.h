// figmerg-cli's exit codes; with several inputs the tool ends with the highest one met.
#pragma once

constexpr int kExitRewritten = 0;  // at least one group line rewritten
constexpr int kExitNoGroups = 1;   // none rewritten: the output is a plain copy
constexpr int kExitUsage = 2;      // a usage error, or an existing output without --force
constexpr int kExitIoFailure = 3;  // a read or write failure; nothing was lost
