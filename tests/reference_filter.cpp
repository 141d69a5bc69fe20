#include "reference_filter.h"

#include <cctype>
#include <vector>

namespace {

const char* const kHumanParts[] = {
    "abdomen",  "chest",   "genital",  "head",    "hip",     "lcollar", "lefteye", "lfoot",
    "lforearm", "lhand",   "lindex1",  "lindex2", "lindex3", "lmid1",   "lmid2",   "lmid3",
    "lpinky1",  "lpinky2", "lpinky3",  "lring1",  "lring2",  "lring3",  "lshin",   "lshldr",
    "lthigh",   "lthumb1", "lthumb2",  "lthumb3", "ltoe",    "neck",    "rcollar", "rfoot",
    "rforearm", "rhand",   "righteye", "rindex1", "rindex2", "rindex3", "rmid1",   "rmid2",
    "rmid3",    "rpinky1", "rpinky2",  "rpinky3", "rring1",  "rring2",  "rring3",  "rshin",
    "rshldr",   "rthigh",  "rthumb1",  "rthumb2", "rthumb3", "rtoe",
};

bool IsHuman(const std::string& name) {
  std::string folded;
  for (char c : name) folded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  for (const char* part : kHumanParts) {
    if (folded == part) return true;
  }
  return false;
}

struct Line {
  std::string text;
  bool ended;
};

std::vector<Line> SplitLines(std::string input) {
  const size_t sub = input.find('\x1a');
  if (sub != std::string::npos) input.resize(sub);
  std::vector<Line> lines;
  std::string current;
  for (size_t i = 0; i < input.size(); ++i) {
    const char c = input[i];
    if (c == '\r' || c == '\n') {
      lines.push_back({current, true});
      current.clear();
      if (c == '\r' && i + 1 < input.size() && input[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back({current, false});
  return lines;
}

}  // namespace

ReferenceResult ReferenceConsolidate(const std::string& input, bool allParts) {
  ReferenceResult r;
  for (const Line& line : SplitLines(input)) {
    const std::string& t = line.text;
    const size_t colon = t.find(':');
    const bool group = t.size() >= 2 && t[0] == 'g' && t[1] == ' ' && colon != std::string::npos;
    if (group && (allParts || IsHuman(t.substr(2, colon - 2)))) {
      r.output += "g Figure_" + t.substr(colon + 1) + (line.ended ? "\r\n\r\n" : "\r\n");
      ++r.rewritten;
    } else {
      r.output += t + (line.ended ? "\r\n" : "");
    }
  }
  return r;
}
