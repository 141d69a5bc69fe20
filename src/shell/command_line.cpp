#include "shell/command_line.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The program name: up to the first blank, or, when it opens with a quote, up to the closing
// quote (and on to the next blank), with no backslash rule, since paths end in backslashes.
const char* ProgramName(const char* p, std::string* name) {
  bool quoted = false;
  for (; *p != '\0'; ++p) {
    if (*p == '"') {
      quoted = !quoted;
    } else if (!quoted && IsBlank(*p)) {
      break;
    } else {
      *name += *p;
    }
  }
  return p;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* line) {
  std::vector<std::string> words(1);
  const char* p = ProgramName(line, &words[0]);
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == '\0') break;
    std::string word;
    bool quoted = false;
    for (; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
      if (p[0] == '\\' && p[1] == '"') {
        word += '"';
        ++p;
      } else if (*p == '"') {
        quoted = !quoted;
      } else {
        word += *p;
      }
    }
    words.push_back(word);
  }
  return words;
}

std::string CutToFit(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  // Back off over continuation bytes (10xxxxxx) so the cut falls between characters.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}
