// Runs the filter over strings, with the input handed over in chosen chunk sizes so that chunk
// boundaries can land anywhere.
#pragma once
#include <cstdint>
#include <string>

#include "consolidate/consolidate.h"

// How the input arrives: whole, one byte at a time, or in random sizes from a seed.
enum class Chunks { Whole, OneByte, Random };

struct FilterRun {
  std::string output;
  ConsolidateResult result;
};

FilterRun RunFilter(const std::string& input, bool allParts, Chunks chunks = Chunks::Whole,
                    uint32_t seed = 1);
