// figmerg-cli --list. Reads the input once and keeps one entry per distinct figure and prop, never
// a line: names and figure texts are kept up to a display length and told apart by a hash of
// their whole text.
#include "cli/list_groups.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cli/exit_codes.h"
#include "consolidate/consolidate.h"
#include "consolidate/scan.h"
#include "consolidate/text_hash.h"
#include "platform/file_io.h"

namespace {

constexpr size_t kChunkBytes = 256 * 1024;
constexpr size_t kShownBytes = 200;  // longer names are shown cut, marked with "..."

struct Text {
  std::string shown;
  size_t length = 0;
  uint64_t hash = kTextHashStart;

  void Add(char c) {
    if (shown.size() < kShownBytes) shown += c;
    ++length;
    hash = HashByte(hash, c);
  }
  std::string Display() const { return length > shown.size() ? shown + "..." : shown; }
  // A key for the whole text: the hash, with the length folded in.
  uint64_t Key() const { return HashByte(hash ^ length, '\0'); }
};

struct Figure {
  std::string text;
  long long groups = 0;
  long long human = 0;
  std::vector<std::string> props;
  std::unordered_set<uint64_t> propKeys;
};

enum class At { LineStart, SawG, Name, Figure, Other };

struct Listing {
  At at = At::LineStart;
  bool skipLF = false;
  Text name;
  Text figure;
  std::vector<Figure> figures;
  std::unordered_map<uint64_t, size_t> byKey;
};

void EndGroupLine(Listing& l) {
  auto found = l.byKey.find(l.figure.Key());
  if (found == l.byKey.end()) {
    found = l.byKey.emplace(l.figure.Key(), l.figures.size()).first;
    l.figures.emplace_back();
    l.figures.back().text = l.figure.Display();
  }
  Figure& f = l.figures[found->second];
  ++f.groups;
  // A name longer than the shown length is longer than every human part name.
  if (l.name.length == l.name.shown.size() && IsHumanPart(l.name.shown)) {
    ++f.human;
  } else if (f.propKeys.insert(l.name.Key()).second) {
    f.props.push_back(l.name.Display());
  }
}

void EndLine(Listing& l) {
  if (l.at == At::Figure) EndGroupLine(l);
  l.at = At::LineStart;
}

// Returns false when a SUB ended the input.
bool Scan(Listing& l, const char* p, const char* end) {
  for (; p < end; ++p) {
    const char c = *p;
    if (l.skipLF) {
      l.skipLF = false;
      if (c == kLF) continue;
    }
    if (c == kSUB) return false;
    if (c == kCR || c == kLF) {
      EndLine(l);
      l.skipLF = c == kCR;
      continue;
    }
    switch (l.at) {
      case At::LineStart:
        l.at = c == 'g' ? At::SawG : At::Other;
        break;
      case At::SawG:
        l.at = c == ' ' ? At::Name : At::Other;
        l.name = Text();
        break;
      case At::Name:
        if (c == ':') {
          l.at = At::Figure;
          l.figure = Text();
        } else {
          l.name.Add(c);
        }
        break;
      case At::Figure:
        l.figure.Add(c);
        break;
      case At::Other:
        p = FindLineEnd(p, end) - 1;
        break;
    }
  }
  return true;
}

// Names are shown as they stand in the file, NUL bytes included.
void PrintBytes(const std::string& s) {
  std::fwrite(s.data(), 1, s.size(), stdout);
}

void Print(const std::string& name, const Listing& l) {
  long long groups = 0;
  for (const Figure& f : l.figures) groups += f.groups;
  std::printf("%s: %zu figure%s, %lld part group%s\n", name.c_str(), l.figures.size(),
              l.figures.size() == 1 ? "" : "s", groups, groups == 1 ? "" : "s");
  for (const Figure& f : l.figures) {
    std::fputs("  figure ", stdout);
    PrintBytes(f.text);
    std::printf(": %lld group%s, %lld human part%s\n", f.groups, f.groups == 1 ? "" : "s", f.human,
                f.human == 1 ? "" : "s");
    for (const std::string& prop : f.props) {
      std::fputs("    prop ", stdout);
      PrintBytes(prop);
      std::fputc('\n', stdout);
    }
  }
}

}  // namespace

int ListGroups(const std::string& path) {
  const bool fromStdin = path == "-";
  const std::string name = fromStdin ? "standard input" : path;
  FileHandle* in = fromStdin ? FileStdin() : FileOpenRead(path.c_str());
  if (in == nullptr) {
    std::fprintf(stderr, "figmerg-cli: can't read %s: %s\n", name.c_str(), FileError());
    return kExitIoFailure;
  }
  std::unique_ptr<char[]> buf(new char[kChunkBytes]);
  Listing l;
  bool failed = false;
  for (;;) {
    const long long n = FileRead(in, buf.get(), kChunkBytes);
    if (n < 0) failed = true;
    if (n <= 0 || !Scan(l, buf.get(), buf.get() + n)) break;
  }
  if (!failed) EndLine(l);
  if (!FileClose(in)) failed = true;
  if (failed) {
    std::fprintf(stderr, "figmerg-cli: can't read %s: %s\n", name.c_str(), FileError());
    return kExitIoFailure;
  }
  Print(name, l);
  if (l.figures.empty()) {
    std::fprintf(stderr, "this file weren't exported by Poser, or it ain't a mesh file: %s\n",
                 name.c_str());
    return kExitNoGroups;
  }
  return kExitRewritten;
}
