// The group-line filter: rewrites each body-part group line "g part:figure" of a Poser export as
// "g Figure_figure", copies every other line, and writes every line end as CR LF.
#pragma once
#include <cstddef>
#include <string_view>

// Where the filter reads from; ctx belongs to the caller.
struct Source {
  void* ctx;
  // Fills up to cap bytes of buf. Returns the count, 0 at the end of the input, -1 on an error.
  long long (*read)(void* ctx, char* buf, size_t cap);
};

// Where the filter writes to; ctx belongs to the caller.
struct Sink {
  void* ctx;
  // Takes all len bytes. False on an error; the filter then writes nothing more.
  bool (*write)(void* ctx, const char* buf, size_t len);
};

struct ConsolidateResult {
  long long rewritten = 0;   // group lines written in rewritten form
  long long figures = 0;     // distinct figure texts among them
  bool readFailed = false;   // the input stopped with an error: the output is incomplete
  bool writeFailed = false;  // a write, or the scratch file for a long line, failed
};

// The human body-part names, ending with a null entry.
extern const char* const mangroups[];

// Whether name is one of the human body-part names, ASCII letters compared without case.
bool IsHumanPart(std::string_view name);

// Streams input to output. allParts rewrites every group line with a colon; otherwise only those
// whose part name IsHumanPart. Neither stream is opened or closed here.
ConsolidateResult Consolidate(Source input, Sink output, bool allParts);

// Source and Sink over the platform's files.
struct FileHandle;
Source FileSource(FileHandle* f);
Sink FileSink(FileHandle* f);
