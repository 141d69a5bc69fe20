#include "platform/ui_fake.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "consolidate/ascii.h"

namespace {

int g_mainWindowTag;

struct DialogAnswer {
  bool choose;
  std::string path;
};

std::deque<int> g_boxAnswers;
std::deque<DialogAnswer> g_dialogAnswers;
std::vector<std::string> g_transcript;
void (*g_duringBox)() = nullptr;

std::string OwnerName(Window w) {
  if (w == nullptr) return "none";
  return w == kFakeMainWindow ? "main" : "other";
}

void LowerAll(char* s) {
  for (; *s != '\0'; ++s) *s = LowerAscii(*s);
}

}  // namespace

const Window kFakeMainWindow = &g_mainWindowTag;

void FakeUiReset() {
  g_boxAnswers.clear();
  g_dialogAnswers.clear();
  g_transcript.clear();
  g_duringBox = nullptr;
}

void FakeUiAnswerBox(int answer) {
  g_boxAnswers.push_back(answer);
}

void FakeUiAnswerDialog(const char* path) {
  g_dialogAnswers.push_back(path == nullptr ? DialogAnswer{false, ""} : DialogAnswer{true, path});
}

void FakeUiDuringNextBox(void (*fn)()) {
  g_duringBox = fn;
}

const std::vector<std::string>& FakeUiTranscript() {
  return g_transcript;
}

int ShowBox(Window owner, const char* text, const char* caption, unsigned style) {
  char styleText[16];
  std::snprintf(styleText, sizeof styleText, "0x%x", style);
  g_transcript.push_back("box " + OwnerName(owner) + " \"" + text + "\" \"" + caption + "\" " +
                         styleText);
  if (void (*fn)() = g_duringBox) {
    g_duringBox = nullptr;
    fn();
  }
  // An unscripted box is dismissed with its first button, as OK or Yes would be.
  constexpr int kFirstButton = 1;
  if (g_boxAnswers.empty()) return style == MB_YESNO_ ? IDYES_ : kFirstButton;
  const int answer = g_boxAnswers.front();
  g_boxAnswers.pop_front();
  return answer;
}

int GetFileName(Window wn, char* file, const char* t, const char*, int write, size_t size) {
  g_transcript.push_back(std::string(write != 0 ? "save " : "open ") + OwnerName(wn) + " \"" +
                         file + "\" \"" + t + "\"");
  DialogAnswer answer{false, ""};
  if (!g_dialogAnswers.empty()) {
    answer = g_dialogAnswers.front();
    g_dialogAnswers.pop_front();
  }
  // A path the buffer cannot hold fails as the real dialog does: like a cancel.
  const bool chosen = answer.choose && answer.path.size() < size;
  if (chosen) std::memcpy(file, answer.path.c_str(), answer.path.size() + 1);
  LowerAll(file);
  return chosen ? 1 : 0;
}
