// libFuzzer target: the fast filter against the plain reference model, in both modes, with the
// input handed over whole and in chunk sizes drawn from a seed the fuzzer also chooses.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "filter_harness.h"
#include "reference_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint32_t seed = data[0];
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  for (bool allParts : {true, false}) {
    const ReferenceResult expected = ReferenceConsolidate(input, allParts);
    for (Chunks chunks : {Chunks::Whole, Chunks::Random}) {
      const FilterRun got = RunFilter(input, allParts, chunks, seed);
      if (got.output != expected.output || got.result.rewritten != expected.rewritten) abort();
    }
  }
  return 0;
}
