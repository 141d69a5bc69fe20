// The Windows program's own command-line splitting, as a table of lines and the words they give.
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;

TEST(command_line_test, splits_by_the_programs_rules) {
  struct {
    const char* line;
    Words words;
  } const kLines[] = {
      {"figmerg.exe", {"figmerg.exe"}},
      {"figmerg.exe fig.obj", {"figmerg.exe", "fig.obj"}},
      {"figmerg.exe  \t fig.obj \t", {"figmerg.exe", "fig.obj"}},
      {"\"C:\\Program Files\\figmerg.exe\"", {"C:\\Program Files\\figmerg.exe"}},
      {"\"C:\\Program Files\\figmerg.exe\" fig.obj", {"C:\\Program Files\\figmerg.exe", "fig.obj"}},
      {"\"C:\\My Tools\\\" x", {"C:\\My Tools\\", "x"}},
      {"figmerg.exe \"C:\\My Meshes\\fig.obj\"", {"figmerg.exe", "C:\\My Meshes\\fig.obj"}},
      {"figmerg.exe a.obj b.obj", {"figmerg.exe", "a.obj", "b.obj"}},
      {"figmerg.exe C:\\My\" \"Meshes\\fig.obj", {"figmerg.exe", "C:\\My Meshes\\fig.obj"}},
      {"figmerg.exe \"tab\there\"", {"figmerg.exe", "tab\there"}},
      {"figmerg.exe \"unclosed quote  runs", {"figmerg.exe", "unclosed quote  runs"}},
      {"figmerg.exe say\\\"hi\\\"", {"figmerg.exe", "say\"hi\""}},
      {"figmerg.exe C:\\dir\\fig.obj", {"figmerg.exe", "C:\\dir\\fig.obj"}},
      {"figmerg.exe C:\\dir\\\\ x", {"figmerg.exe", "C:\\dir\\\\", "x"}},
      {"figmerg.exe *.obj ?.obj", {"figmerg.exe", "*.obj", "?.obj"}},
      {"figmerg.exe \"\"", {"figmerg.exe", ""}},
      {"figmerg.exe caf\xc3\xa9-\xe6\xb5\x8b.obj", {"figmerg.exe", "caf\xc3\xa9-\xe6\xb5\x8b.obj"}},
      {"", {""}},
  };
  for (const auto& l : kLines) {
    SCOPED_TRACE(l.line);
    EXPECT_EQ(SplitCommandLine(l.line), l.words);
  }
}

TEST(command_line_test, every_argument_is_counted) {
  std::string line = "figmerg.exe";
  for (int i = 0; i < 300; ++i) line += " a" + std::to_string(i);
  const Words words = SplitCommandLine(line.c_str());
  EXPECT_EQ(words.size(), 301u);
  EXPECT_EQ(words[1], "a0");
}

TEST(command_line_test, cut_keeps_whole_characters) {
  EXPECT_EQ(CutToFit("abc", 5), "abc");
  EXPECT_EQ(CutToFit("abcdef", 3), "abc");
  EXPECT_EQ(CutToFit("ab\xc3\xa9", 3), "ab") << "never half of a two-byte character";
  EXPECT_EQ(CutToFit("a\xe6\xb5\x8b", 3), "a");
  EXPECT_EQ(CutToFit("a\xe6\xb5\x8b", 4), "a\xe6\xb5\x8b");
}

}  // namespace
