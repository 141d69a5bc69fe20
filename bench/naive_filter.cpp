// The group-line filter written the obvious way, one std::string line at a time: the yardstick
// the benchmark holds figmerg-cli against. Reads standard input, writes standard output.
//   naive_filter [--all | --human] < export.obj > consolidated.obj
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

const char* const kHumanParts[] = {
    "abdomen",  "chest",   "genital",  "head",    "hip",     "lCollar", "leftEye", "lFoot",
    "lForeArm", "lHand",   "lIndex1",  "lIndex2", "lIndex3", "lMid1",   "lMid2",   "lMid3",
    "lPinky1",  "lPinky2", "lPinky3",  "lRing1",  "lRing2",  "lRing3",  "lShin",   "lShldr",
    "lThigh",   "lThumb1", "lThumb2",  "lThumb3", "lToe",    "neck",    "rCollar", "rFoot",
    "rForeArm", "rHand",   "rightEye", "rIndex1", "rIndex2", "rIndex3", "rMid1",   "rMid2",
    "rMid3",    "rPinky1", "rPinky2",  "rPinky3", "rRing1",  "rRing2",  "rRing3",  "rShin",
    "rShldr",   "rThigh",  "rThumb1",  "rThumb2", "rThumb3", "rToe",
};

const char kLineEnd[] = "\r\n";
const char kSub = '\x1a';

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsHuman(const std::string& name) {
  for (const char* part : kHumanParts) {
    if (name.size() != std::strlen(part)) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) same = Lower(name[i]) == Lower(part[i]);
    if (same) return true;
  }
  return false;
}

// Writes one line, rewritten if it is a group line the mode takes; ended says whether the input
// line had a line end (only the last line of an input may lack one). Returns whether it was
// rewritten.
bool Emit(const std::string& line, bool ended, bool all) {
  size_t colon = line.find(':');
  bool group = line.size() >= 2 && line[0] == 'g' && line[1] == ' ' && colon != std::string::npos;
  if (group && (all || IsHuman(line.substr(2, colon - 2)))) {
    std::cout << "g Figure_" << line.substr(colon + 1);
    if (ended) std::cout << kLineEnd;
    std::cout << kLineEnd;
    return true;
  }
  std::cout << line;
  if (ended) std::cout << kLineEnd;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  bool all = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--all") == 0) {
      all = true;
    } else if (std::strcmp(argv[i], "--human") == 0) {
      all = false;
    } else {
      std::fprintf(stderr, "usage: naive_filter [--all | --human] < input > output\n");
      return 2;
    }
  }
  std::ios::sync_with_stdio(false);
  // Untied, or every line read would flush the output first: naive, not pathological.
  std::cin.tie(nullptr);

  long long rewritten = 0;
  std::string raw;
  bool more = true;
  while (more && std::getline(std::cin, raw)) {
    bool ended = !std::cin.eof();
    // A SUB byte ends the input, just before it.
    size_t sub = raw.find(kSub);
    if (sub != std::string::npos) {
      raw.resize(sub);
      ended = false;
      more = false;
    }
    if (!raw.empty() && raw.back() == '\r' && more) {
      raw.pop_back();
      ended = true;
    }
    // A CR on its own ends a line too, so one getline line may hold several.
    size_t start = 0;
    for (size_t cr; (cr = raw.find('\r', start)) != std::string::npos; start = cr + 1) {
      rewritten += Emit(raw.substr(start, cr - start), true, all);
    }
    if (start < raw.size() || ended) rewritten += Emit(raw.substr(start), ended, all);
  }

  std::cout.flush();
  if (std::cin.bad() || !std::cout) {
    std::fprintf(stderr, "naive_filter: %s failed\n", std::cin.bad() ? "reading" : "writing");
    return 3;
  }
  return rewritten > 0 ? 0 : 1;
}
