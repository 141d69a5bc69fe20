// The output name proposed for an input: its last four characters, normally ".obj", give way to
// "cons.obj", so fig.obj becomes figcons.obj. A name shorter than that gets "cons.obj" appended.
#pragma once
#include <cstddef>

// Whether a name ends in ".obj", ASCII letters compared without case.
bool HasObjEnding(const char* name);

// Writes the proposal for input into out, which holds size bytes. False, with out untouched, when
// the proposal and its NUL do not fit.
bool ProposeOutputName(const char* input, char* out, size_t size);
