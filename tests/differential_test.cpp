// The fast filter against the plain reference model, on random inputs built from the bytes that
// matter (line ends, SUB, NUL, 'g', blanks, colons, part names), fed in random chunk sizes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "filter_harness.h"
#include "reference_filter.h"

namespace {

const std::string kPieces[] = {"g ",        "g",       " ",
                               ":",         "\r",      "\n",
                               "\r\n",      "\x1a",    std::string(1, '\0'),
                               "hip",       "HIP",     "lForeArm",
                               "Box_1",     "1",       "v 1 2 3",
                               "f 1/2 3/4", "G",       "x",
                               "\t",        "rightEye"};

std::string RandomInput(std::mt19937& random) {
  std::string s;
  const size_t pieces = random() % 60;
  for (size_t i = 0; i < pieces; ++i) {
    const size_t k = random() % (sizeof kPieces / sizeof kPieces[0]);
    s += kPieces[k];
    // Now and then a stretch long enough to cross a chunk or the hold for a part name.
    if (random() % 200 == 0) s += std::string(random() % 3 == 0 ? 70000 : 300, 'a' + random() % 3);
  }
  // A rarer SUB keeps most inputs running to their end.
  if (random() % 4 != 0) {
    for (char& c : s) {
      if (c == '\x1a') c = 'z';
    }
  }
  return s;
}

TEST(differential_test, fast_filter_matches_the_reference) {
  std::mt19937 random(20261211);
  for (int i = 0; i < 4000; ++i) {
    const std::string input = RandomInput(random);
    const bool allParts = i % 2 == 0;
    const ReferenceResult expected = ReferenceConsolidate(input, allParts);
    const Chunks chunks = i % 3 == 0 ? Chunks::OneByte : Chunks::Random;
    const FilterRun got = RunFilter(input, allParts, chunks, static_cast<uint32_t>(i));
    ASSERT_EQ(got.output, expected.output) << "input #" << i << " (" << input.size() << " bytes)";
    ASSERT_EQ(got.result.rewritten, expected.rewritten) << "input #" << i;
  }
}

TEST(differential_test, large_export_matches_the_reference) {
  // Whole buffers of CR LF mesh lines exercise the vector scan; a few LF-only and CR-only
  // stretches and group lines at every offset exercise its ways out.
  std::mt19937 random(7);
  std::string input;
  while (input.size() < 3 * 1024 * 1024) {
    const unsigned r = random() % 100;
    if (r < 3) {
      input += "g hip:" + std::to_string(random() % 5) + "\r\n";
    } else if (r < 5) {
      input += "g Box_1:2\n";
    } else if (r < 6) {
      input += "v 1 2 3\r";
    } else if (r < 7) {
      input += "vt 0.5 0.25\n";
    } else {
      input += "v 0.123 4.5678 " + std::to_string(random()) + "\r\n";
    }
  }
  for (bool allParts : {true, false}) {
    const ReferenceResult expected = ReferenceConsolidate(input, allParts);
    for (Chunks chunks : {Chunks::Whole, Chunks::Random}) {
      const FilterRun got = RunFilter(input, allParts, chunks, 3);
      ASSERT_EQ(got.output, expected.output);
      ASSERT_EQ(got.result.rewritten, expected.rewritten);
    }
  }
}

}  // namespace
