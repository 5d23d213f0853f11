// varnick.com, the console companion, run as a script runs it: with its
// output redirected, it starts varnick.exe from its own folder, hands on the
// argument text and standard handles, and ends with varnick.exe's exit code.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "tests/e2e/harness.h"

namespace {

// A folder of its own holding the build's varnick.com and, when one is
// named, a program of the build as its varnick.exe.
std::string CompanionFolder(const std::string& asProgram, const std::string& name = "companion") {
  std::string folder = "/tmp/varnick-" + name + "-XXXXXX";
  if (mkdtemp(&folder[0]) == nullptr) return "/nonexistent";
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
  ASSERT_NE(std::string::npos, listing.find("\r\n3,COM3,1,,,,,,,,\r\n"));
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
      // A tab after its name, as a console hands it on: the argument text
      // begins behind it.
      {"vtool.exe", {"exec", "20000", DosPath(recorded) + "\\varnick.com\t/c"}, 0, "", "",
       "\"" + DosPath(recorded) + "\\varnick.exe\" /c|(unset)|varnick.com\n"},
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

// Its own line is encoded as varnick.exe encodes its output: redirected, in
// the output code page of the console it runs in (866 here, which has the
// Cyrillic letter but not "é": "?"), and UTF-8 without a console.
TEST(Companion, ItsErrorLineIsInTheConsolesCodePageOrUtf8WithoutOne) {
  const std::string alone = CompanionFolder("", "companion-Пé");
  const std::string line =
      "varnick.com: cannot run " + DosPath(alone) + "\\varnick.exe: FILE_NOT_FOUND\r\n";
  std::string in866 = line;
  in866.replace(in866.find("П"), std::string("П").size(), "\x8f");
  in866.replace(in866.find("é"), std::string("é").size(), "?");
  // Under a terminal, Wine gives cmd a console whose code page chcp sets.
  const std::string errors = VARNICK_BUILD_ROOT "/test-logs/companion-866.txt";
  unlink(errors.c_str());
  std::string console, written;
  EXPECT_EQ(255, RunWine({"/usr/bin/script", "-qec",
                          "/usr/lib/wine/wine64 cmd /c \"chcp 866 >nul & " + DosPath(alone) +
                              "\\varnick.com /l 2> " + DosPath(errors) + "\"",
                          "/dev/null"},
                         60, &console));
  RunWine({"/bin/cat", errors}, 10, &written);
  EXPECT_EQ(in866, written) << console;

  ProgramOutput plain = RunRedirected(alone + "/varnick.com", {"/l"});
  EXPECT_EQ(255, plain.exitCode);
  EXPECT_EQ(line, plain.errors);
  EXPECT_EQ(0, system(("rm -rf " + alone).c_str()));
}

}  // namespace
