// The filter's behaviour, case by case, in both modes, each case fed whole, one byte at a time and
// in random chunks.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "consolidate/consolidate.h"
#include "consolidate/human_parts.h"
#include "consolidate/scan.h"
#include "filter_harness.h"

namespace {

using std::string;

struct Case {
  const char* what;
  string input;
  string all;  // the output in all-parts mode
  long long allCount;
  string human;  // the output in human-parts mode
  long long humanCount;
};

// A string literal with its NUL bytes kept.
template <size_t N>
string Bytes(const char (&s)[N]) {
  return string(s, N - 1);
}

const string kLong300(300, 'x');
const string kHold(70000, 'n');  // a part name longer than the filter keeps in memory

const Case kCases[] = {
    {"empty input", "", "", 0, "", 0},
    {"human part", "g hip:1\n", "g Figure_1\r\n\r\n", 1, "g Figure_1\r\n\r\n", 1},
    {"prop", "g Box_1:2\n", "g Figure_2\r\n\r\n", 1, "g Box_1:2\r\n", 0},
    {"case folded part", "g Head:3\ng HIP:3\n", "g Figure_3\r\n\r\ng Figure_3\r\n\r\n", 2,
     "g Figure_3\r\n\r\ng Figure_3\r\n\r\n", 2},
    {"two blanks", "g  hip:3\n", "g Figure_3\r\n\r\n", 1, "g  hip:3\r\n", 0},
    {"no colon", "g hip\n", "g hip\r\n", 0, "g hip\r\n", 0},
    {"empty figure", "g hip:\n", "g Figure_\r\n\r\n", 1, "g Figure_\r\n\r\n", 1},
    {"first colon splits", "g hip:Figure 1:x\n", "g Figure_Figure 1:x\r\n\r\n", 1,
     "g Figure_Figure 1:x\r\n\r\n", 1},
    {"not a group line", "G hip:1\ng\thip:1\ngroup:1\ng\n\n",
     "G hip:1\r\ng\thip:1\r\ngroup:1\r\ng\r\n\r\n", 0,
     "G hip:1\r\ng\thip:1\r\ngroup:1\r\ng\r\n\r\n", 0},
    {"mesh lines", "v 1 2 3\nvt 0 1\nvn 0 0 1\nf 1/1 2/2 3/3\nusemtl skin\n# c:1\n",
     "v 1 2 3\r\nvt 0 1\r\nvn 0 0 1\r\nf 1/1 2/2 3/3\r\nusemtl skin\r\n# c:1\r\n", 0,
     "v 1 2 3\r\nvt 0 1\r\nvn 0 0 1\r\nf 1/1 2/2 3/3\r\nusemtl skin\r\n# c:1\r\n", 0},
    {"CR LF stays", "v 1\r\ng hip:1\r\nf 1\r\n", "v 1\r\ng Figure_1\r\n\r\nf 1\r\n", 1,
     "v 1\r\ng Figure_1\r\n\r\nf 1\r\n", 1},
    {"lone CR ends a line", "v 1\rg hip:1\rf 1\r", "v 1\r\ng Figure_1\r\n\r\nf 1\r\n", 1,
     "v 1\r\ng Figure_1\r\n\r\nf 1\r\n", 1},
    {"CR CR LF is two line ends", "v 1\r\r\nv 2\n", "v 1\r\n\r\nv 2\r\n", 0, "v 1\r\n\r\nv 2\r\n",
     0},
    {"LF CR is two line ends", "v 1\n\rv 2", "v 1\r\n\r\nv 2", 0, "v 1\r\n\r\nv 2", 0},
    {"SUB ends the input", "v 1\ng hip:1\x1ag chest:1\n", "v 1\r\ng Figure_1\r\n", 1,
     "v 1\r\ng Figure_1\r\n", 1},
    {"SUB in a body line", "v 1\x1a\n", "v 1", 0, "v 1", 0},
    {"SUB after CR", "g hip:1\r\x1a\n", "g Figure_1\r\n\r\n", 1, "g Figure_1\r\n\r\n", 1},
    {"SUB at the start", "\x1ag hip:1\n", "", 0, "", 0},
    {"final group line without a line end", "v 1\ng hip:1", "v 1\r\ng Figure_1\r\n", 1,
     "v 1\r\ng Figure_1\r\n", 1},
    {"final vertex line without a line end", "g hip:1\nv 1", "g Figure_1\r\n\r\nv 1", 1,
     "g Figure_1\r\n\r\nv 1", 1},
    {"final g alone", "v 1\ng", "v 1\r\ng", 0, "v 1\r\ng", 0},
    {"final g and blank", "v 1\ng ", "v 1\r\ng ", 0, "v 1\r\ng ", 0},
    {"final name without colon", "g hip", "g hip", 0, "g hip", 0},
    {"long line copied whole", "v " + kLong300 + "\n", "v " + kLong300 + "\r\n", 0,
     "v " + kLong300 + "\r\n", 0},
    {"long group line rewritten whole", "g hip:" + kLong300 + "\n",
     "g Figure_" + kLong300 + "\r\n\r\n", 1, "g Figure_" + kLong300 + "\r\n\r\n", 1},
    {"long line never split", "v " + string(253, 'x') + "g hip:1\n",
     "v " + string(253, 'x') + "g hip:1\r\n", 0, "v " + string(253, 'x') + "g hip:1\r\n", 0},
    {"long part name", "g " + kLong300 + ":1\n", "g Figure_1\r\n\r\n", 1,
     "g " + kLong300 + ":1\r\n", 0},
    {"part name beyond the hold", "g " + kHold + ":7\n", "g Figure_7\r\n\r\n", 1,
     "g " + kHold + ":7\r\n", 0},
    {"no colon beyond the hold", "g " + kHold + "\nv 1\n", "g " + kHold + "\r\nv 1\r\n", 0,
     "g " + kHold + "\r\nv 1\r\n", 0},
    {"no colon beyond the hold at the end", "g " + kHold, "g " + kHold, 0, "g " + kHold, 0},
    {"NUL is ordinary", Bytes("v 1\0 2\ng hi\0p:1\ng hip:\0\n"),
     Bytes("v 1\0 2\r\ng Figure_1\r\n\r\ng Figure_\0\r\n\r\n"), 2,
     Bytes("v 1\0 2\r\ng hi\0p:1\r\ng Figure_\0\r\n\r\n"), 1},
    {"every human part name", "g lForeArm:1\ng rightEye:1\ng rToe:1\ng abdomen:1\n",
     "g Figure_1\r\n\r\ng Figure_1\r\n\r\ng Figure_1\r\n\r\ng Figure_1\r\n\r\n", 4,
     "g Figure_1\r\n\r\ng Figure_1\r\n\r\ng Figure_1\r\n\r\ng Figure_1\r\n\r\n", 4},
    {"near misses of part names", "g hi:1\ng hipp:1\ng lForeArms:1\ng hip :1\n",
     "g Figure_1\r\n\r\ng Figure_1\r\n\r\ng Figure_1\r\n\r\ng Figure_1\r\n\r\n", 4,
     "g hi:1\r\ng hipp:1\r\ng lForeArms:1\r\ng hip :1\r\n", 0},
    {"blank lines", "\n\r\n\r", "\r\n\r\n\r\n", 0, "\r\n\r\n\r\n", 0},
    {"group line after a group line", "g hip:1\r\ng chest:2\r\n",
     "g Figure_1\r\n\r\ng Figure_2\r\n\r\n", 2, "g Figure_1\r\n\r\ng Figure_2\r\n\r\n", 2},
};

const Chunks kAllChunkings[] = {Chunks::Whole, Chunks::OneByte, Chunks::Random};

TEST(filter_test, cases_in_both_modes_and_every_chunking) {
  for (const Case& c : kCases) {
    for (Chunks chunks : kAllChunkings) {
      SCOPED_TRACE(std::string(c.what) + ", chunking " + std::to_string(static_cast<int>(chunks)));
      const FilterRun all = RunFilter(c.input, true, chunks);
      EXPECT_EQ(all.output, c.all);
      EXPECT_EQ(all.result.rewritten, c.allCount);
      const FilterRun human = RunFilter(c.input, false, chunks);
      EXPECT_EQ(human.output, c.human);
      EXPECT_EQ(human.result.rewritten, c.humanCount);
      EXPECT_FALSE(all.result.readFailed || all.result.writeFailed);
    }
  }
}

TEST(filter_test, counts_distinct_figures) {
  const FilterRun run = RunFilter("g hip:1\ng chest:1\ng Box:2\ng hip:1 \ng hip:", true);
  EXPECT_EQ(run.result.rewritten, 5);
  EXPECT_EQ(run.result.figures, 4);  // "1", "2", "1 " and ""
}

TEST(filter_test, read_error_is_reported) {
  int calls = 0;
  auto failSecond = [](void* ctx, char* buf, size_t) -> long long {
    int* n = static_cast<int*>(ctx);
    if (++*n > 1) return -1;
    buf[0] = 'v';
    return 1;
  };
  std::string out;
  auto append = [](void* ctx, const char* b, size_t n) {
    static_cast<std::string*>(ctx)->append(b, n);
    return true;
  };
  const ConsolidateResult r = Consolidate(Source{&calls, failSecond}, Sink{&out, append}, true);
  EXPECT_TRUE(r.readFailed);
  EXPECT_FALSE(r.writeFailed);
}

TEST(filter_test, write_error_stops_the_filter) {
  std::string input;
  for (int i = 0; i < 100000; ++i) input += "v 1 2 3\r\ng hip:1\r\n";
  struct Counted {
    const std::string* text;
    size_t at;
    int reads;
  } source{&input, 0, 0};
  auto read = [](void* ctx, char* buf, size_t cap) -> long long {
    Counted* s = static_cast<Counted*>(ctx);
    ++s->reads;
    const size_t n = std::min(cap, s->text->size() - s->at);
    std::copy(s->text->data() + s->at, s->text->data() + s->at + n, buf);
    s->at += n;
    return static_cast<long long>(n);
  };
  auto fail = [](void*, const char*, size_t) { return false; };
  const ConsolidateResult r = Consolidate(Source{&source, read}, Sink{nullptr, fail}, true);
  EXPECT_TRUE(r.writeFailed);
  EXPECT_FALSE(r.readFailed);
  EXPECT_LT(source.at, input.size()) << "nothing more is read once the output failed";
}

TEST(human_parts_test, table_and_lookup) {
  size_t count = 0;
  size_t longest = 0;
  for (const char* const* e = mangroups; *e != nullptr; ++e) {
    ++count;
    longest = std::max(longest, std::string(*e).size());
    EXPECT_TRUE(IsHumanPart(*e)) << *e;
  }
  EXPECT_EQ(count, kHumanPartCount);
  EXPECT_EQ(longest, kLongestHumanPart);
  struct {
    const char* name;
    bool human;
  } const kNames[] = {{"HIP", true},     {"lforearm", true}, {"RIGHTEYE", true},
                      {"hip ", false},   {" hip", false},    {"", false},
                      {"Box_1", false},  {"hi", false},      {"h\xc3\xadp", false},
                      {"lThigh1", false}};
  for (const auto& n : kNames) EXPECT_EQ(IsHumanPart(n.name), n.human) << n.name;
  EXPECT_FALSE(IsHumanPart(std::string_view("hip\0", 4)));
}

}  // namespace

namespace {

// Every loop of the body scan gives the answer a byte-by-byte reading gives.
TEST(scan_test, vector_loops_agree_with_plain_reading) {
  std::mt19937 random(11);
  const char kBytes[] = {'\r', '\n', '\x1a', 'g', ' ', 'v', '1', ':'};
  for (int i = 0; i < 20000; ++i) {
    std::string text(1 + random() % 100, 'x');
    for (char& c : text) {
      if (random() % 4 == 0) c = kBytes[random() % sizeof kBytes];
    }
    text[0] = 'v';
    const char* p = text.data();
    const char* end = p + text.size();
    const char* plain = end;
    for (const char* j = p + 1; j < end; ++j) {
      const bool loneCR = *j == '\r' && (j + 1 == end || j[1] != '\n');
      const bool workLF = *j == '\n' && (j[-1] != '\r' || j + 1 == end || j[1] == 'g');
      if (*j == '\x1a' || loneCR || workLF) {
        plain = j;
        break;
      }
    }
    ASSERT_EQ(ScanBodyWith(p, end, false) - p, plain - p) << text;
    ASSERT_EQ(ScanBodyWith(p, end, true) - p, plain - p) << text;
  }
}

}  // namespace
