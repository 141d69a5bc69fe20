// A one-line progress display on standard error for long inputs, shown only to a person at a
// terminal: scripts and logs get nothing.
#pragma once
#include <string>

#include "consolidate/consolidate.h"

struct Progress {
  Source inner;
  std::string name;
  long long total = 0;  // bytes expected; 0 when no display is shown
  long long done = 0;
  int shownPercent = -1;
};

// Starts the display for an input of total bytes when it is large and standard error is a
// terminal. The returned Source reads through p, which must outlive it.
Source ProgressSource(Progress* p, Source inner, const std::string& name, long long total);

// Clears the display line, if one was shown.
void EndProgress(Progress* p);
