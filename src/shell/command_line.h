// Splitting the program's command line into arguments by the program's own rules, the same on
// every Windows and C runtime: a quoted program path is one word; blanks and tabs separate the
// other arguments; double quotes group and vanish; \" is a literal quote; nothing is expanded.
#pragma once
#include <string>
#include <vector>

// The words of line, the program name first.
std::vector<std::string> SplitCommandLine(const char* line);

// The longest start of text that fits in limit bytes without cutting a UTF-8 character in two.
std::string CutToFit(const std::string& text, size_t limit);
