// End-to-end harness: runs the Windows build of Varnick under Wine in a
// project-local prefix, with Xvfb for anything that draws, and deals with
// registry values and message boxes through the test tree's vtool.exe.
#pragma once

#include <stdint.h>

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

struct ProgramRun {
  int exitCode = -1;   // -1 when the program did not end in time
  std::vector<std::string> boxes;  // "caption|text|icon" of each box answered
  std::string failure;             // empty when the run went as expected
  std::string errors;              // what the program, or Wine starting it, wrote to standard error
};

// Seconds on a monotonic clock.
double Now();
// The parts of a text between separators.
std::vector<std::string> Split(const std::string& text, char separator);

// A file of the Windows build (varnick.exe, vtool.exe, ...).
std::string WindowsBuildFile(const std::string& name);
// A Linux path as Windows programs in the prefix name it: on drive Z.
std::string DosPath(const std::string& path);

// Starts Xvfb and a persistent wineserver, creating the prefix on first use.
void StartWineSession();
// Ends wineserver and Xvfb; nothing is left running.
void StopWineSession();

// Runs a Windows program under Wine, waits at most timeoutSeconds, and
// returns its exit code (-1 on time-out, after killing it). Output goes to
// *output when given, else through to ours.
int RunWine(const std::vector<std::string>& argv, int timeoutSeconds, std::string* output = nullptr);

// Runs a program that is expected to show `expectedBoxes` message boxes in
// turn; each is reported and answered with OK, after whileBoxIsUp (when
// given) has run with the box still up. A box that nobody expected, or a
// program that does not end, is reported in `failure`.
ProgramRun RunExpectingBoxes(const std::string& program, const std::vector<std::string>& args,
                             int expectedBoxes, int timeoutSeconds = 20,
                             const std::function<void()>& whileBoxIsUp = nullptr);

// Runs a program of the Windows build (or one anywhere, by its Linux path
// from "/") with its standard output and error redirected to files, as a
// script would; their bytes afterwards.
struct ProgramOutput {
  int exitCode = -1;  // -1 when the program did not end in time
  std::string output, errors;
};
// outputPath names the file standard output goes to instead (/dev/full).
ProgramOutput RunRedirected(const std::string& program, const std::vector<std::string>& args,
                            int timeoutSeconds = 30, const std::string& outputPath = "");

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
// Gives ROOT\VARNICK<name>\0000 a location path, as a bus driver would.
void SetFixtureLocation(const std::string& name, const std::string& path);
void ClearFixtureDevices();

extern const char kComArbiter[];

// Varnick's main window, driven from outside as a user drives it ------------

struct ListRow {
  bool checked = false, selected = false, focused = false;
  std::vector<std::string> texts;  // one per column
};

struct ListSnapshot {
  int count = 0, top = 0, perPage = 0, selectedCount = 0, focused = -1;
  std::string status0, status1;
  std::vector<std::string> header;  // titles, "^" or "v" appended on the sorted one
  std::vector<ListRow> rows;
  int RowOf(const std::string& port) const;  // -1 when no row shows it
};

struct WindowInfo {
  std::string caption;
  bool clearEnabled = false, removeEnabled = false;
};

// The stand-ins the tests put into the prefix in place of what Wine lacks
// (tests/tools: devmgr.dll, srclient.dll, msports.dll, wevtapi.dll,
// recorder.exe) record into files under C:\varnick-test. The text of one
// such file, "" when it is missing.
std::string StandInLog(const std::string& name);
void ClearStandInLogs();
// Writes a file under C:\varnick-test (srclient-answer.txt, msports-pause.txt,
// wevtapi-channel.txt).
void WriteStandInFile(const std::string& name, const std::string& text);
// A path of the Linux side for a path below the prefix's drive C.
std::string DriveC(const std::string& path);
// The bytes of the journal (C:\ProgramData\Varnick\journal.csv), "" when
// there is none; ClearJournal removes it and the older one.
std::string JournalText();
void ClearJournal();

// Removes the settings files of the Windows build's programs, so that the
// next start sees none.
void RemoveSettingsFiles();

// Starts a program of the Windows build without waiting for it; ends it
// with WaitForExit (or kills it there).
pid_t StartProgram(const std::string& program, const std::vector<std::string>& args = {});
// The same for a program anywhere, by its Linux path. environment holds
// "NAME=value" entries that replace the harness's own for this program
// (WINEDLLOVERRIDES, WINEDEBUG); what Wine writes to the standard error
// (its debug channels) goes into errorFile when one is named.
pid_t StartProgramAt(const std::string& path, const std::vector<std::string>& args = {},
                     const std::vector<std::string>& environment = {},
                     const std::string& errorFile = "");
// The exit code, or -1 after killing a program that did not end in time.
int WaitForExit(pid_t pid, int timeoutSeconds);
// Waits for the main window; false when it did not appear in time.
bool WaitForMainWindow(WindowInfo* info, int timeoutMilliseconds = 15000);
ListSnapshot ReadList();
// Waits until the list satisfies the test (polling); false on time-out.
bool WaitForList(const std::function<bool(const ListSnapshot&)>& test, ListSnapshot* last,
                 double timeoutSeconds = 10);
// Polls the test until it holds; false on time-out.
bool WaitUntil(const std::function<bool()>& test, double timeoutSeconds = 10);
// Ends the wineserver and starts it again, so that the prefix's screen
// settings (LogPixels) are read afresh; every Wine program ends with it.
void RestartWineServer();
// Runs vtool with these arguments and returns its output; throws on failure.
std::string RunVtool(const std::vector<std::string>& args, int timeoutSeconds = 20);

// Real input through the X server.
void ClickAt(int x, int y, const std::string& modifier = "", int button = 1);
void ClickCell(int row, int column, const std::string& modifier = "");  // column -1: check box
void ClickHeader(int column);
// Keys typed into the main window (SendInput, from inside the prefix), by
// name and separated by spaces: "alt+F4", "Page_Down End".
void PressKeys(const std::string& keys);
void DragFromTo(int x0, int y0, int x1, int y1);

struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
// "window", "client", "list" and "status", in screen coordinates.
std::map<std::string, ScreenRect> WindowRects();

// The name of the pointer's shape as the X server shows it now: Wine gives
// the system's cursors their X names ("left_ptr" for the arrow, "hand2"
// for the hand, "watch" for the busy cursor).
std::string CursorName();
// Moves the pointer there, without a click.
void MoveMouse(int x, int y);

// The whole screen with every window on it, popup menus and dialogs
// included, as a PNG file.
void SaveScreenshot(const std::string& path);
