// Every file operation of a run made to fail in turn, from the first to the last: each run ends
// either with the complete output in place, or with exit code 3, a message, the earlier output
// untouched and no temporary file left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/consolidate_path.h"
#include "platform/file_faults.h"
#include "temp_folder.h"

namespace {

TEST(fault_sweep_test, every_failing_operation_is_reported_and_loses_nothing) {
  std::string input;
  // Several reads and writes, and a part name long enough to go to a scratch file.
  while (input.size() < 700 * 1024) input += "v 1 2 3\r\ng hip:1\r\nf 1 2 3\r\n";
  input += "g " + std::string(100 * 1024, 'n') + "\r\n";
  TempFolder d;
  WriteAll(d / "fig.obj", input);
  WriteAll(d / "out.obj", "the earlier output");
  CliOptions o;
  o.force = true;
  o.output = d / "out.obj";

  const std::string expected = [&] {
    TempFolder clean;
    CliOptions once = o;
    once.output = clean / "out.obj";
    testing::internal::CaptureStdout();
    EXPECT_EQ(ConsolidatePath(d / "fig.obj", once), 0);
    testing::internal::GetCapturedStdout();
    return ReadAll(clean / "out.obj");
  }();

  long long failed = 0;
  for (long long nth = 1;; ++nth) {
    SCOPED_TRACE("failing operation " + std::to_string(nth));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    FileFailNth(nth);
    const int exit = ConsolidatePath(d / "fig.obj", o);
    const bool reached = FileOperationCount() >= nth;
    FileFailNth(0);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(List(d.path), (std::vector<std::string>{"fig.obj", "out.obj"}));
    if (exit == 0) {
      // Only an operation whose failure loses nothing may pass: the scratch file's close.
      EXPECT_TRUE(ReadAll(d / "out.obj") == expected) << "a run reported as done is complete";
      WriteAll(d / "out.obj", "the earlier output");
      if (!reached) break;
      continue;
    }
    ++failed;
    EXPECT_EQ(exit, 3);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err.rfind("figmerg-cli: can't ", 0), 0u) << err;
    EXPECT_EQ(ReadAll(d / "out.obj"), "the earlier output");
  }
  EXPECT_GT(failed, 8) << "the sweep reached the reads, writes, scratch file, sync and rename";
}

}  // namespace
