// The native stand-in for message boxes and file dialogs: it answers from a script and keeps a
// transcript of every box and dialog, so a test reads like the conversation a user has.
#pragma once
#include <string>
#include <vector>

#include "platform/ui.h"

// The window handle the tests pass as the main window; the transcript calls it "main".
extern const Window kFakeMainWindow;

// Forgets the script and the transcript.
void FakeUiReset();

// Queues the answer to the next message box (an IDYES_ or any other button number).
void FakeUiAnswerBox(int answer);

// Queues the next dialog's answer: choose path, or cancel when path is null.
void FakeUiAnswerDialog(const char* path);

// Runs fn when the next message box opens, before it is answered (a drop or a menu command
// arriving while the box is open).
void FakeUiDuringNextBox(void (*fn)());

// One line per box or dialog, in order:
//   box <owner> "<text>" "<caption>" <style>
//   open|save <owner> "<initial name>" "<caption>"
const std::vector<std::string>& FakeUiTranscript();
