// figmerg-cli as a user runs it: names, refusals, in-place runs, links, failures, exit codes and
// messages, each checking the files left behind.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

using std::string;

const string kExport = "v 1 2 3\r\ng hip:1\r\nf 1 2 3\r\ng Box_1:2\r\nf 1 2 3\r\n";
const string kAll = "v 1 2 3\r\ng Figure_1\r\n\r\nf 1 2 3\r\ng Figure_2\r\n\r\nf 1 2 3\r\n";
const string kHuman = "v 1 2 3\r\ng Figure_1\r\n\r\nf 1 2 3\r\ng Box_1:2\r\nf 1 2 3\r\n";
const string kNoGroups = "v 1 2 3\nf 1 2 3\n";

struct Ran {
  int exit;
  string out;
  string err;
};

// Runs the tool in folder with a shell command line's arguments (quoted by the caller).
Ran RunCli(const TempFolder& folder, const string& args, const string& stdinPath = "/dev/null") {
  const string command = "cd '" + folder.path + "' && '" FIGMERG_CLI "' " + args + " < '" +
                         stdinPath + "' > '" + folder.path + ".out' 2> '" + folder.path + ".err'";
  const int status = std::system(command.c_str());
  Ran r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(folder.path + ".out"),
        ReadAll(folder.path + ".err")};
  unlink((folder.path + ".out").c_str());
  unlink((folder.path + ".err").c_str());
  return r;
}

TEST(cli_test, proposed_names_and_reports) {
  struct {
    const char* input;
    const char* output;
  } const kNames[] = {{"fig.obj", "figcons.obj"},
                      {"Scene.OBJ", "Scenecons.obj"},
                      {"mesh.txt", "meshcons.obj"},
                      {"ab", "abcons.obj"},
                      {"with blank.obj", "with blankcons.obj"}};
  for (const auto& n : kNames) {
    SCOPED_TRACE(n.input);
    TempFolder d;
    WriteAll(d / n.input, kExport);
    const Ran r = RunCli(d, string("'") + n.input + "'");
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(ReadAll(d / n.output), kAll);
    EXPECT_EQ(r.out, string("I have created this .OBJ mesh file: ") + n.output +
                         " (2 groups rewritten, 2 figures)\n");
    EXPECT_EQ(r.err, "");
  }
}

TEST(cli_test, modes_streams_and_several_inputs) {
  TempFolder d;
  WriteAll(d / "a.obj", kExport);
  WriteAll(d / "b.obj", kNoGroups);
  Ran r = RunCli(d, "--human a.obj");
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(ReadAll(d / "acons.obj"), kHuman);

  r = RunCli(d, "--all -", d / "a.obj");
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.out, kAll) << "standard input goes to standard output";
  EXPECT_EQ(
      r.err,
      "I have created this .OBJ mesh file: standard output (2 groups rewritten, 2 figures)\n");

  r = RunCli(d, "--human -o - a.obj");
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.out, kHuman);

  r = RunCli(d, "-o fromstdin.obj -", d / "a.obj");
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(ReadAll(d / "fromstdin.obj"), kAll);

  r = RunCli(d, "--force a.obj b.obj");
  EXPECT_EQ(r.exit, 1) << "the highest exit code of the batch";
  EXPECT_EQ(ReadAll(d / "acons.obj"), kAll);
  EXPECT_EQ(ReadAll(d / "bcons.obj"), "v 1 2 3\r\nf 1 2 3\r\n") << "a complete copy all the same";
  EXPECT_EQ(r.err, "this file weren't exported by Poser, or it ain't a mesh file: b.obj\n");
}

TEST(cli_test, usage_errors_change_nothing) {
  const char* const kUsageErrors[] = {
      "",   "--bogus a.obj",        "-o x.obj a.obj b.obj", "--all --human a.obj",
      "-o", "--list -o x.obj a.obj"};
  for (const char* args : kUsageErrors) {
    SCOPED_TRACE(args);
    TempFolder d;
    WriteAll(d / "a.obj", kExport);
    WriteAll(d / "b.obj", kExport);
    const Ran r = RunCli(d, args);
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("figmerg-cli: "), string::npos);
    EXPECT_NE(r.err.find("usage: figmerg-cli"), string::npos);
    EXPECT_EQ(List(d.path), (std::vector<string>{"a.obj", "b.obj"}));
  }
  TempFolder d;
  const Ran help = RunCli(d, "--help");
  EXPECT_EQ(help.exit, 0);
  EXPECT_NE(help.out.find("--human"), string::npos);
  const Ran version = RunCli(d, "--version");
  EXPECT_EQ(version.exit, 0);
  EXPECT_EQ(version.out.rfind("figmerg-cli ", 0), 0u);
}

TEST(cli_test, existing_output_needs_force) {
  TempFolder d;
  WriteAll(d / "fig.obj", kExport);
  WriteAll(d / "figcons.obj", "precious");
  Ran r = RunCli(d, "fig.obj");
  EXPECT_EQ(r.exit, 2);
  EXPECT_EQ(r.err, "figmerg-cli: figcons.obj already exists; --force replaces it\n");
  EXPECT_EQ(ReadAll(d / "figcons.obj"), "precious");

  chmod((d / "figcons.obj").c_str(), 0640);
  r = RunCli(d, "-f fig.obj");
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(ReadAll(d / "figcons.obj"), kAll);
  struct stat st;
  ASSERT_EQ(stat((d / "figcons.obj").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file keeps its permissions";
  EXPECT_EQ(List(d.path), (std::vector<string>{"fig.obj", "figcons.obj"}));
}

TEST(cli_test, input_as_its_own_output_with_force) {
  TempFolder d;
  WriteAll(d / "fig.obj", kExport);
  Ran r = RunCli(d, "-o fig.obj fig.obj");
  EXPECT_EQ(r.exit, 2);
  EXPECT_EQ(ReadAll(d / "fig.obj"), kExport);
  r = RunCli(d, "--force -o fig.obj fig.obj");
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(ReadAll(d / "fig.obj"), kAll);
  EXPECT_EQ(List(d.path), std::vector<string>{"fig.obj"});
}

TEST(cli_test, symlinked_output_is_followed) {
  TempFolder d;
  WriteAll(d / "fig.obj", kExport);
  mkdir((d / "real").c_str(), 0755);
  WriteAll(d / "real/target.obj", "old");
  ASSERT_EQ(symlink("real/target.obj", (d / "link.obj").c_str()), 0);
  const Ran r = RunCli(d, "--force -o link.obj fig.obj");
  EXPECT_EQ(r.exit, 0);
  struct stat st;
  ASSERT_EQ(lstat((d / "link.obj").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
  EXPECT_EQ(ReadAll(d / "real/target.obj"), kAll);
  EXPECT_EQ(List(d / "real"), std::vector<string>{"target.obj"});
}

TEST(cli_test, devices_are_written_directly) {
  TempFolder d;
  WriteAll(d / "fig.obj", kExport);
  const Ran r = RunCli(d, "-o /dev/null fig.obj");
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.out,
            "I have created this .OBJ mesh file: /dev/null (2 groups rewritten, 2 figures)\n");
}

TEST(cli_test, failures_name_the_file_and_the_reason) {
  struct {
    const char* what;
    const char* args;
    int exit;
    const char* err;
  } const kFailures[] = {
      {"missing input", "missing.obj", 3,
       "figmerg-cli: can't read missing.obj: No such file or directory\n"},
      {"folder as input", "folder.obj", 3, "figmerg-cli: can't read folder.obj: Is a directory\n"},
      {"missing output folder", "-o nowhere/out.obj fig.obj", 3,
       "figmerg-cli: can't write nowhere/out.obj: No such file or directory\n"},
      {"folder as output", "--force -o folder.obj fig.obj", 3,
       "figmerg-cli: can't write folder.obj: Is a directory\n"},
  };
  for (const auto& f : kFailures) {
    SCOPED_TRACE(f.what);
    TempFolder d;
    WriteAll(d / "fig.obj", kExport);
    mkdir((d / "folder.obj").c_str(), 0755);
    const Ran r = RunCli(d, f.args);
    EXPECT_EQ(r.exit, f.exit);
    EXPECT_EQ(r.err, f.err);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(List(d.path), (std::vector<string>{"fig.obj", "folder.obj"})) << "nothing created";
    EXPECT_EQ(List(d / "folder.obj"), std::vector<string>{});
  }
}

TEST(cli_test, full_disk_leaves_the_old_output) {
  TempFolder d;
  const string disk = d / "disk";
  mkdir(disk.c_str(), 0755);
  if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "mounting a small tmpfs needs root";
  }
  string big;
  while (big.size() < 200 * 1024) big += kExport;
  WriteAll(d / "fig.obj", big);
  WriteAll(disk + "/out.obj", "the earlier output");
  const Ran r = RunCli(d, "--force -o disk/out.obj fig.obj");
  EXPECT_EQ(r.exit, 3);
  EXPECT_EQ(r.err, "figmerg-cli: can't write disk/out.obj: No space left on device\n");
  EXPECT_EQ(ReadAll(disk + "/out.obj"), "the earlier output");
  EXPECT_EQ(List(disk), std::vector<string>{"out.obj"}) << "no temporary file is left";
  umount(disk.c_str());
}

TEST(cli_test, list_shows_figures_and_props) {
  TempFolder d;
  WriteAll(d / "fig.obj", kExport + "g chest:1\r\ng Box_2:1\r\ng Box_1:2\n");
  const Ran r = RunCli(d, "--list fig.obj");
  EXPECT_EQ(r.exit, 0);
  EXPECT_EQ(r.out,
            "fig.obj: 2 figures, 5 part groups\n"
            "  figure 1: 3 groups, 2 human parts\n"
            "    prop Box_2\n"
            "  figure 2: 2 groups, 0 human parts\n"
            "    prop Box_1\n");
  EXPECT_EQ(List(d.path), std::vector<string>{"fig.obj"});
  WriteAll(d / "plain.obj", kNoGroups);
  const Ran none = RunCli(d, "--list plain.obj");
  EXPECT_EQ(none.exit, 1);
  EXPECT_EQ(none.err, "this file weren't exported by Poser, or it ain't a mesh file: plain.obj\n");
}

}  // namespace

namespace {

// The progress line appears for a large input only when standard error is a terminal; `script`
// gives the tool one.
TEST(cli_test, progress_only_for_large_input_at_a_terminal) {
  if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
  TempFolder d;
  string big;
  while (big.size() < 65 * 1024 * 1024) big += kExport;
  WriteAll(d / "big.obj", big);
  WriteAll(d / "small.obj", kExport);
  const auto atTerminal = [&](const string& input) {
    const string command = "cd '" + d.path + "' && script -qec \"'" FIGMERG_CLI "' --force " +
                           input + " 2>&1 >/dev/null\" /dev/null > '" + d.path + ".tty'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const string shown = ReadAll(d.path + ".tty");
    unlink((d.path + ".tty").c_str());
    return shown;
  };
  EXPECT_NE(atTerminal("big.obj").find("figmerg-cli: big.obj 100%"), string::npos);
  EXPECT_EQ(atTerminal("small.obj").find('%'), string::npos);
  const Ran piped = RunCli(d, "--force big.obj");
  EXPECT_EQ(piped.err.find('%'), string::npos) << "no progress into a pipe or a file";
}

}  // namespace
