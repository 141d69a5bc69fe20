// The run as a user meets it, through the scripted stand-in for boxes and dialogs: each row is a
// conversation (the boxes and dialogs in order) and the files it leaves behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "consolidate/consolidate_file.h"
#include "platform/file_faults.h"
#include "platform/ui_fake.h"
#include "temp_folder.h"

namespace {

using std::string;
using Lines = std::vector<string>;

const string kExport = "v 1 2 3\r\ng hip:1\r\nf 1 2 3\r\ng Box_1:2\r\nf 1 2 3\r\n";
const string kAll = "v 1 2 3\r\ng Figure_1\r\n\r\nf 1 2 3\r\ng Figure_2\r\n\r\nf 1 2 3\r\n";
const string kHuman = "v 1 2 3\r\ng Figure_1\r\n\r\nf 1 2 3\r\ng Box_1:2\r\nf 1 2 3\r\n";
const string kProps = "v 1\ng Box_1:2\nf 1\n";
const string kPropsCopy = "v 1\r\ng Box_1:2\r\nf 1\r\n";

const char kSave[] = "\"file to output consolidated .OBJ mesh to?\"";
const char kMode[] =
    "box none \"consolidate all model parts (yes), or only human parts (no)?\" \"figmerg\" 0x4";

// Replaces every "{d}" with the test's folder.
string In(const TempFolder& d, string s) {
  for (size_t at; (at = s.find("{d}")) != string::npos;) s.replace(at, 3, d.path);
  return s;
}

struct RunCase {
  const char* what;
  const char* input;   // put in `file`, under the folder
  const char* dialog;  // the save dialog's answer, under the folder; null cancels
  int mode;            // the answer to the mode question
  Lines transcript;    // with {d} for the folder
  const char* output;  // the file expected to hold `expected`, or null
  string expected;
  Lines folder;  // every name in the folder afterwards
};

const RunCase kRuns[] = {
    {"all parts",
     "fig.obj",
     "figcons.obj",
     IDYES_,
     {string("save main \"{d}/figcons.obj\" ") + kSave, kMode,
      "box main \"{d}/figcons.obj\" \"I have created this .OBJ mesh file\" 0x0"},
     "figcons.obj",
     kAll,
     {"fig.obj", "figcons.obj", "props.obj"}},
    {"human parts",
     "fig.obj",
     "Human.OBJ",
     IDNO_,
     {string("save main \"{d}/figcons.obj\" ") + kSave, kMode,
      "box main \"{d}/human.obj\" \"I have created this .OBJ mesh file\" 0x0"},
     "human.obj",
     kHuman,
     {"fig.obj", "human.obj", "props.obj"}},
    {"not an obj name",
     "notes.txt",
     "notescons.obj",
     IDYES_,
     {"box main \"{d}/notes.txt\" \"this is not an .OBJ file\" 0x30",
      string("save main \"{d}/notescons.obj\" ") + kSave, kMode,
      "box main \"{d}/notescons.obj\" \"I have created this .OBJ mesh file\" 0x0"},
     "notescons.obj",
     kAll,
     {"fig.obj", "notes.txt", "notescons.obj", "props.obj"}},
    {"case folded obj name",
     "model.Obj",
     "modelcons.obj",
     IDYES_,
     {string("save main \"{d}/modelcons.obj\" ") + kSave, kMode,
      "box main \"{d}/modelcons.obj\" \"I have created this .OBJ mesh file\" 0x0"},
     "modelcons.obj",
     kAll,
     {"fig.obj", "model.Obj", "modelcons.obj", "props.obj"}},
    {"cancel",
     "fig.obj",
     nullptr,
     IDYES_,
     {string("save main \"{d}/figcons.obj\" ") + kSave},
     nullptr,
     "",
     {"fig.obj", "props.obj"}},
    {"question ended without an answer",
     "fig.obj",
     "figcons.obj",
     0,
     {string("save main \"{d}/figcons.obj\" ") + kSave, kMode},
     nullptr,
     "",
     {"fig.obj", "props.obj"}},
    {"props only in human mode",
     "props.obj",
     "propscons.obj",
     IDNO_,
     {string("save main \"{d}/propscons.obj\" ") + kSave, kMode,
      "box main \"{d}/props.obj\" \"this file weren't exported by Poser, or it ain't a mesh file\" "
      "0x30"},
     "propscons.obj",
     kPropsCopy,
     {"fig.obj", "props.obj", "propscons.obj"}},
    {"missing input",
     "gone.obj",
     "gonecons.obj",
     IDYES_,
     {string("save main \"{d}/gonecons.obj\" ") + kSave, kMode,
      "box main \"{d}/gone.obj\" \"I can't read this file\" 0x30"},
     nullptr,
     "",
     {"fig.obj", "props.obj"}},
    {"missing output folder",
     "fig.obj",
     "nowhere/out.obj",
     IDYES_,
     {string("save main \"{d}/figcons.obj\" ") + kSave, kMode,
      "box main \"{d}/nowhere/out.obj\" \"I can't write this file\" 0x30"},
     nullptr,
     "",
     {"fig.obj", "props.obj"}},
    {"input chosen as output",
     "fig.obj",
     "fig.obj",
     IDYES_,
     {string("save main \"{d}/figcons.obj\" ") + kSave, kMode,
      "box main \"{d}/fig.obj\" \"I have created this .OBJ mesh file\" 0x0"},
     "fig.obj",
     kAll,
     {"fig.obj", "props.obj"}},
};

void PrepareFolder(const TempFolder& d) {
  WriteAll(d / "fig.obj", kExport);
  WriteAll(d / "props.obj", kProps);
}

void SetFile(const string& path) {
  ASSERT_LT(path.size(), sizeof file);
  std::strcpy(file, path.c_str());
}

TEST(run_test, conversations_and_files_left_behind) {
  for (const RunCase& c : kRuns) {
    SCOPED_TRACE(c.what);
    TempFolder d;
    PrepareFolder(d);
    if (string(c.input) == "notes.txt" || string(c.input) == "model.Obj") {
      WriteAll(d / c.input, kExport);
    }
    FakeUiReset();
    FakeUiAnswerDialog(c.dialog == nullptr ? nullptr : (d / c.dialog).c_str());
    FakeUiAnswerBox(c.mode);
    SetFile(d / c.input);
    ConsolidateFile(kFakeMainWindow);
    Lines expected;
    for (const string& line : c.transcript) expected.push_back(In(d, line));
    EXPECT_EQ(FakeUiTranscript(), expected);
    if (c.output != nullptr) {
      EXPECT_EQ(ReadAll(d / c.output), c.expected);
    }
    EXPECT_EQ(List(d.path), c.folder);
    EXPECT_EQ(ReadAll(d / "props.obj"), kProps);
    EXPECT_FALSE(RunInProgress());
  }
}

TEST(run_test, short_relative_name_is_warned_and_extended) {
  TempFolder d;
  WriteAll(d / "ab", kExport);
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(d.path.c_str()), 0);
  FakeUiReset();
  FakeUiAnswerDialog("abcons.obj");
  FakeUiAnswerBox(IDYES_);
  SetFile("ab");
  ConsolidateFile(kFakeMainWindow);
  EXPECT_EQ(chdir(cwd), 0);
  EXPECT_EQ(FakeUiTranscript(),
            (Lines{"box main \"ab\" \"this is not an .OBJ file\" 0x30",
                   string("save main \"abcons.obj\" ") + kSave, kMode,
                   "box main \"abcons.obj\" \"I have created this .OBJ mesh file\" 0x0"}));
  EXPECT_EQ(ReadAll(d / "abcons.obj"), kAll);
}

TEST(run_test, longest_input_path_gets_its_proposal) {
  TempFolder d;
  string name = d.path + "/";
  name += string(kFileBytes - 1 - name.size() - 4, 'x') + ".obj";
  ASSERT_EQ(name.size(), kFileBytes - 1);
  WriteAll(name, kExport);
  FakeUiReset();
  FakeUiAnswerDialog(nullptr);
  SetFile(name);
  ConsolidateFile(kFakeMainWindow);
  const string proposal = name.substr(0, name.size() - 4) + "cons.obj";
  EXPECT_EQ(FakeUiTranscript(), (Lines{"save main \"" + proposal + "\" " + kSave}));
  EXPECT_EQ(string(out), proposal);
}

void StartSecondRun() {
  // What the window does for a menu command or a drop while the mode question is open.
  if (RunInProgress()) {
    RefuseSecondRun(kFakeMainWindow);
  } else {
    ConsolidateFile(kFakeMainWindow);
  }
}

TEST(run_test, second_run_is_refused_while_the_question_is_open) {
  TempFolder d;
  PrepareFolder(d);
  FakeUiReset();
  FakeUiAnswerDialog((d / "figcons.obj").c_str());
  FakeUiDuringNextBox(StartSecondRun);
  FakeUiAnswerBox(IDYES_);
  SetFile(d / "fig.obj");
  ConsolidateFile(kFakeMainWindow);
  EXPECT_EQ(
      FakeUiTranscript(),
      (Lines{In(d, string("save main \"{d}/figcons.obj\" ") + kSave), kMode,
             "box main \"one file at a time please\" \"figmerg\" 0x30",
             In(d, "box main \"{d}/figcons.obj\" \"I have created this .OBJ mesh file\" 0x0")}));
  EXPECT_EQ(ReadAll(d / "figcons.obj"), kAll);
  EXPECT_EQ(string(file), d / "fig.obj");
}

TEST(run_test, every_failing_file_operation_is_told_and_loses_nothing) {
  TempFolder d;
  string big;
  while (big.size() < 600 * 1024) big += kExport;
  WriteAll(d / "fig.obj", big);
  long long told = 0;
  for (long long nth = 1;; ++nth) {
    SCOPED_TRACE("failing operation " + std::to_string(nth));
    WriteAll(d / "out.obj", "the earlier output");
    FakeUiReset();
    FakeUiAnswerDialog((d / "out.obj").c_str());
    FakeUiAnswerBox(IDYES_);
    SetFile(d / "fig.obj");
    FileFailNth(nth);
    ConsolidateFile(kFakeMainWindow);
    const bool reached = FileOperationCount() >= nth;
    FileFailNth(0);
    const Lines& t = FakeUiTranscript();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(List(d.path), (Lines{"fig.obj", "out.obj"})) << "no temporary file is left";
    if (t[2] == In(d, "box main \"{d}/out.obj\" \"I have created this .OBJ mesh file\" 0x0")) {
      const size_t copies = big.size() / kExport.size();
      EXPECT_EQ(ReadAll(d / "out.obj").size(), copies * kAll.size()) << "complete when told so";
      if (!reached) break;
      continue;
    }
    ++told;
    EXPECT_TRUE(t[2] == In(d, "box main \"{d}/out.obj\" \"I can't write this file\" 0x30") ||
                t[2] == In(d, "box main \"{d}/fig.obj\" \"I can't read this file\" 0x30"))
        << t[2];
    EXPECT_EQ(ReadAll(d / "out.obj"), "the earlier output");
  }
  EXPECT_GT(told, 6);
}

}  // namespace
