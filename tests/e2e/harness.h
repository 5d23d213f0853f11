// End-to-end harness: runs the Windows build of Varnick under Wine in a
// project-local prefix, with Xvfb for anything that draws, and deals with
// registry values and message boxes through the test tree's vtool.exe.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct ProgramRun {
  int exitCode = -1;   // -1 when the program did not end in time
  std::vector<std::string> boxes;  // "caption|text|icon" of each box answered
  std::string failure;             // empty when the run went as expected
};

// A file of the Windows build (varnick.exe, vtool.exe, ...).
std::string WindowsBuildFile(const std::string& name);

// Starts Xvfb and a persistent wineserver, creating the prefix on first use.
void StartWineSession();
// Ends wineserver and Xvfb; nothing is left running.
void StopWineSession();

// Runs a Windows program under Wine, waits at most timeoutSeconds, and
// returns its exit code (-1 on time-out, after killing it). Output goes to
// *output when given, else through to ours.
int RunWine(const std::vector<std::string>& argv, int timeoutSeconds, std::string* output = nullptr);

// Runs a program that is expected to show `expectedBoxes` message boxes in
// turn; each is reported and answered with OK. A box that nobody expected,
// or a program that does not end, is reported in `failure`.
ProgramRun RunExpectingBoxes(const std::string& program, const std::vector<std::string>& args,
                             int expectedBoxes, int timeoutSeconds = 20);

// Registry values under HKEY_LOCAL_MACHINE, as hex text.
void RegSet(const std::string& path, const std::string& name, uint32_t type,
            const std::string& hex);
// "TYPE HEX" (type in decimal), or "missing".
std::string RegGet(const std::string& path, const std::string& name);
void RegDelete(const std::string& path);

// Fixture devices ROOT\VARNICK<name>\000N of class ports, modem or mouse,
// with the PortName given ("-" none, "+" COM1, COM2, ... in turn).
void AddFixtureDevice(const std::string& className, const std::string& name,
                      const std::string& portName, const std::string& friendlyName,
                      int count = 1);
void ClearFixtureDevices();

extern const char kComArbiter[];
