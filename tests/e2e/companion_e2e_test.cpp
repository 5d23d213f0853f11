// varnick.com, the console companion, run as a script runs it: with its
// output redirected, it starts varnick.exe from its own folder, hands on the
// argument text and standard handles, and ends with varnick.exe's exit code.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/e2e/harness.h"

namespace {

// A folder of its own holding the build's varnick.com and, when one is
// named, a program of the build as its varnick.exe.
std::string CompanionFolder(const std::string& asProgram) {
  char folder[] = "/tmp/varnick-companion-XXXXXX";
  if (mkdtemp(folder) == nullptr) return "/nonexistent";
  std::string command = "cp '" + WindowsBuildFile("varnick.com") + "' " + folder;
  if (!asProgram.empty()) {
    command += " && cp '" + WindowsBuildFile(asProgram) + "' " + folder + "/varnick.exe";
  }
  EXPECT_EQ(0, system(command.c_str())) << command;
  return folder;
}

TEST(Companion, RelaysArgumentsOutputAndExitCode) {
  ClearFixtureDevices();
  RegSet(kComArbiter, "ComDB", 3, "04" + std::string(62, '0'));  // COM3, which no device holds
  const std::string listing = RunRedirected("varnick.exe", {"/l"}).output;
  ASSERT_NE(std::string::npos, listing.find("\r\n3,COM3,1,,,,,\r\n"));
  // Nothing beside it to start; a recorder of its command line in place of
  // varnick.exe.
  const std::string alone = CompanionFolder("");
  const std::string recorded = CompanionFolder("recorder.exe");
  const struct {
    std::string companion;
    std::vector<std::string> args;
    int exitCode;
    std::string output, errors, recorderLog;
  } cases[] = {
      {"varnick.com", {"/l"}, 0, listing, "", ""},
      {"varnick.com", {"/n", "/c"}, 4, "would free COM3\r\n", "", ""},
      {alone + "/varnick.com", {"/l"}, 255, "",
       "varnick.com: cannot run " + DosPath(alone) + "\\varnick.exe: FILE_NOT_FOUND\r\n", ""},
      // Its program name by full path, then the argument text as Wine made it.
      {recorded + "/varnick.com", {"-l", "a b"}, 0, "", "", "\"" + DosPath(recorded) +
       "\\varnick.exe\" -l \"a b\"|(unset)|varnick.com\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.companion + " " + c.args[0]);
    ClearStandInLogs();
    ProgramOutput run = RunRedirected(c.companion, c.args);
    EXPECT_EQ(c.exitCode, run.exitCode);
    EXPECT_EQ(c.output, run.output);
    EXPECT_EQ(c.errors, run.errors);
    EXPECT_EQ(c.recorderLog, StandInLog("recorder.log"));
  }
  EXPECT_EQ("3 04" + std::string(62, '0'), RegGet(kComArbiter, "ComDB"));
  RegDelete(kComArbiter);
  EXPECT_EQ(0, system(("rm -rf " + alone + " " + recorded).c_str()));
}

}  // namespace
