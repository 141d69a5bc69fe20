// A deliberately plain model of the filter for the tests: the whole text in memory, split into
// lines, each line judged on its own. Slow and obvious, so the fast filter can be checked by it.
#pragma once
#include <string>

struct ReferenceResult {
  std::string output;
  long long rewritten = 0;
};

ReferenceResult ReferenceConsolidate(const std::string& input, bool allParts);
