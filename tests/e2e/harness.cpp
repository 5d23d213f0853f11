#include "tests/e2e/harness.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <stdexcept>

extern char** environ;

const char kComArbiter[] = "SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter";

static const char kWineLoader[] = "/usr/lib/wine/wine64";
static const char kWineServer[] = "/usr/lib/wine/wineserver";

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

namespace {

pid_t xvfb = 0;
std::string display;

std::string Setting(const char* variable, const std::string& fallback) {
  const char* value = getenv(variable);
  return value != nullptr && *value != 0 ? value : fallback;
}

std::string PrefixPath() { return Setting("VARNICK_WINEPREFIX", VARNICK_BUILD_ROOT "/wine-prefix"); }


std::vector<std::string> WineEnvironment(const std::vector<std::string>& extraEnvironment = {}) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; e++) {
    if (strncmp(*e, "WINE", 4) != 0 && strncmp(*e, "DISPLAY=", 8) != 0) env.push_back(*e);
  }
  env.push_back("WINEPREFIX=" + PrefixPath());
  env.push_back("WINEDEBUG=-all");
  // No Mono or Gecko: nothing here needs them, and their installers ask.
  // The restore point goes to the test's own srclient.dll, not Wine's stub.
  env.push_back("WINEDLLOVERRIDES=mscoree,mshtml=;srclient=n,b");
  if (!display.empty()) env.push_back("DISPLAY=" + display);
  for (const std::string& entry : extraEnvironment) {
    std::string name = entry.substr(0, entry.find('=') + 1);
    env.erase(std::remove_if(env.begin(), env.end(),
                             [&](const std::string& e) { return e.compare(0, name.size(), name) == 0; }),
              env.end());
    env.push_back(entry);
  }
  return env;
}

// Starts argv with its output into a pipe (when wanted) or a file, in its
// own process group.
pid_t Spawn(const std::vector<std::string>& argv, int* outputFd, bool quiet = false,
            const std::string& errorFile = "", const std::vector<std::string>& environment = {},
            const std::string& outputFile = "") {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> envText = WineEnvironment(environment);
  std::vector<char*> env;
  for (std::string& e : envText) env.push_back(&e[0]);
  env.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  int pipeFds[2] = {-1, -1};
  if (outputFd != nullptr) {
    if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
  } else if (quiet) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  if (quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (!errorFile.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  if (!outputFile.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  int error = posix_spawn(&pid, args[0], &actions, &attributes, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (outputFd != nullptr) {
    close(pipeFds[1]);
    *outputFd = pipeFds[0];
  }
  if (error != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + strerror(error));
  return pid;
}

// Waits for pid, reading its output; -1 when it had to be killed.
int Wait(pid_t pid, int outputFd, double timeoutSeconds, std::string* output,
         bool killOnTimeout = true) {
  double deadline = Now() + timeoutSeconds;
  if (outputFd >= 0) fcntl(outputFd, F_SETFL, O_NONBLOCK);
  for (;;) {
    if (outputFd >= 0) {
      char chunk[4096];
      ssize_t n;
      while ((n = read(outputFd, chunk, sizeof chunk)) > 0) {
        if (output != nullptr) output->append(chunk, static_cast<size_t>(n));
      }
    }
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      if (outputFd >= 0) {
        char chunk[4096];
        ssize_t n;
        while ((n = read(outputFd, chunk, sizeof chunk)) > 0) {
          if (output != nullptr) output->append(chunk, static_cast<size_t>(n));
        }
        close(outputFd);
      }
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (Now() > deadline) {
      if (!killOnTimeout) return -1;
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      if (outputFd >= 0) close(outputFd);
      return -1;
    }
    usleep(10000);
  }
}


bool Exists(const std::string& path) {
  struct stat s;
  return stat(path.c_str(), &s) == 0;
}

void TrimLineEnds(std::string* text) {
  while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
}

std::string Vtool(const std::vector<std::string>& args, int timeoutSeconds = 20) {
  std::vector<std::string> argv = {kWineLoader, WindowsBuildFile("vtool.exe")};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string output;
  int code = RunWine(argv, timeoutSeconds, &output);
  if (code != 0) throw std::runtime_error("vtool " + args[0] + " failed: " + std::to_string(code));
  TrimLineEnds(&output);
  return output;
}

void Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"/usr/bin/xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  int fd = -1;
  if (Wait(Spawn(argv, &fd), fd, 10, nullptr) != 0) throw std::runtime_error("xdotool failed");
}

}  // namespace

std::string RunVtool(const std::vector<std::string>& args, int timeoutSeconds) {
  return Vtool(args, timeoutSeconds);
}

int ListSnapshot::RowOf(const std::string& port) const {
  for (size_t i = 0; i < rows.size(); i++) {
    if (!rows[i].texts.empty() && rows[i].texts[0] == port) return static_cast<int>(i);
  }
  return -1;
}

// The bytes of a file, "" when it is missing.
static std::string FileText(const std::string& path) {
  std::string text;
  FILE* in = fopen(path.c_str(), "rb");
  if (in == nullptr) return text;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, in)) > 0) text.append(chunk, n);
  fclose(in);
  return text;
}

std::string DriveC(const std::string& path) { return PrefixPath() + "/drive_c/" + path; }

std::string StandInLog(const std::string& name) { return FileText(DriveC("varnick-test/" + name)); }

std::string JournalText() { return FileText(DriveC("ProgramData/Varnick/journal.csv")); }

void ClearJournal() {
  unlink(DriveC("ProgramData/Varnick/journal.csv").c_str());
  unlink(DriveC("ProgramData/Varnick/journal.old.csv").c_str());
  unlink(DriveC("ProgramData/Varnick/journal.lock").c_str());
}

void ClearStandInLogs() {
  for (const char* name :
       {"devmgr.log", "srclient.log", "recorder.log", "srclient-answer.txt", "msports.log",
        "msports-pause.txt", "restart.log", "wevtapi.log", "wevtapi-channel.txt"}) {
    unlink(DriveC(std::string("varnick-test/") + name).c_str());
  }
}

void WriteStandInFile(const std::string& name, const std::string& text) {
  mkdir(DriveC("varnick-test").c_str(), 0755);
  FILE* out = fopen(DriveC("varnick-test/" + name).c_str(), "wb");
  if (out == nullptr) throw std::runtime_error("cannot write " + name);
  fwrite(text.data(), 1, text.size(), out);
  fclose(out);
}

// Copies a file of the Windows build into the prefix.
static void Install(const std::string& name, const std::string& target) {
  std::string command = "cp '" + WindowsBuildFile(name) + "' '" + DriveC(target) + "'";
  if (system(command.c_str()) != 0) throw std::runtime_error("cannot install " + name);
}

// What Wine lacks, stood in for in the test prefix only: the property sheet
// library, the restore point library, the COM port database routines, the
// event log's channel configuration, the system's console, and the
// programs that .msc files and https addresses are handed to.
static void InstallStandIns() {
  mkdir(DriveC("varnick-test").c_str(), 0755);
  Install("devmgr.dll", "windows/system32/devmgr.dll");
  Install("srclient.dll", "windows/system32/srclient.dll");
  // In place of Wine's own, whose routines are stubs that end the caller;
  // Wine prefers its builtin library unless the prefix says otherwise.
  Install("msports.dll", "windows/system32/msports.dll");
  // In place of Wine's own, which reads no channel's configuration.
  Install("wevtapi.dll", "windows/system32/wevtapi.dll");
  Install("recorder.exe", "varnick-test/recorder.exe");
  Install("recorder.exe", "windows/system32/mmc.exe");  // the system's console
  WriteStandInFile("../windows/system32/devmgmt.msc", "console\n");
  const std::string recorder = "\"C:\\varnick-test\\recorder.exe\" \"%1\" %*";
  const std::vector<std::vector<std::string>> keys = {
      {"HKLM\\Software\\Classes\\.msc", "", "mscfile"},
      {"HKLM\\Software\\Classes\\mscfile\\shell\\open\\command", "", recorder},
      {"HKLM\\Software\\Classes\\https\\shell\\open\\command", "", recorder},
      {"HKLM\\Software\\Classes\\http\\shell\\open\\command", "", recorder},
  };
  for (const auto& k : keys) {
    std::string ignored;
    RunWine({kWineLoader, "reg", "add", k[0], "/ve", "/d", k[2], "/f"}, 60, &ignored);
  }
  std::string ignored;
  for (const char* library : {"msports", "wevtapi"}) {
    RunWine({kWineLoader, "reg", "add", "HKCU\\Software\\Wine\\DllOverrides", "/v", library, "/d",
             "native", "/f"},
            60, &ignored);
  }
}

void RemoveSettingsFiles() {
  for (const char* name : {"varnick.ini", "varnick_restricted.ini", "varnick_ghosts.ini"}) {
    unlink(WindowsBuildFile(name).c_str());
  }
}

pid_t StartProgram(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> argv = {kWineLoader, WindowsBuildFile(program)};
  argv.insert(argv.end(), args.begin(), args.end());
  return Spawn(argv, nullptr);
}

pid_t StartProgramAt(const std::string& path, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment, const std::string& errorFile) {
  std::vector<std::string> argv = {kWineLoader, path};
  argv.insert(argv.end(), args.begin(), args.end());
  return Spawn(argv, nullptr, false, errorFile, environment);
}

int WaitForExit(pid_t pid, int timeoutSeconds) { return Wait(pid, -1, timeoutSeconds, nullptr); }

bool WaitForMainWindow(WindowInfo* info, int timeoutMilliseconds) {
  std::vector<std::string> argv = {kWineLoader, WindowsBuildFile("vtool.exe"), "window",
                                   std::to_string(timeoutMilliseconds)};
  std::string output;
  if (RunWine(argv, timeoutMilliseconds / 1000 + 20, &output) != 0) return false;
  TrimLineEnds(&output);
  std::vector<std::string> parts = Split(output, '|');
  if (parts.size() < 4) return false;
  info->caption = parts[0];
  info->clearEnabled = parts[1] == "1";
  info->removeEnabled = parts[2] == "1";
  return true;
}

ListSnapshot ReadList() {
  std::string output = Vtool({"list"});
  output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
  std::vector<std::string> lines = Split(output, '\n');
  ListSnapshot list;
  if (lines.size() < 3) throw std::runtime_error("vtool list gave too little: " + output);
  std::vector<std::string> numbers = Split(lines[0], '|');
  if (numbers.size() != 5) throw std::runtime_error("vtool list: bad first line " + lines[0]);
  list.count = std::stoi(numbers[0]);
  list.top = std::stoi(numbers[1]);
  list.perPage = std::stoi(numbers[2]);
  list.selectedCount = std::stoi(numbers[3]);
  list.focused = std::stoi(numbers[4]);
  std::vector<std::string> status = Split(lines[1], '|');
  list.status0 = status[0];
  list.status1 = status.size() > 1 ? status[1] : "";
  list.header = Split(lines[2], '|');
  for (size_t i = 3; i < lines.size(); i++) {
    if (lines[i].empty()) continue;
    std::vector<std::string> fields = Split(lines[i], '|');
    if (fields.size() < 5) throw std::runtime_error("vtool list: bad row " + lines[i]);
    ListRow row;
    row.checked = fields[1] == "1";
    row.selected = fields[2] == "1";
    row.focused = fields[3] == "1";
    row.texts.assign(fields.begin() + 4, fields.end());
    list.rows.push_back(row);
  }
  return list;
}

bool WaitForList(const std::function<bool(const ListSnapshot&)>& test, ListSnapshot* last,
                 double timeoutSeconds) {
  double deadline = Now() + timeoutSeconds;
  for (;;) {
    *last = ReadList();
    if (test(*last)) return true;
    if (Now() > deadline) return false;
    usleep(50000);
  }
}

bool WaitUntil(const std::function<bool()>& test, double timeoutSeconds) {
  double deadline = Now() + timeoutSeconds;
  for (;;) {
    if (test()) return true;
    if (Now() > deadline) return false;
    usleep(50000);
  }
}

static std::pair<std::string, std::string> PointOf(const std::vector<std::string>& args) {
  std::vector<std::string> xy = Split(Vtool(args), ' ');
  if (xy.size() != 2) throw std::runtime_error("no point for " + args[0]);
  return {xy[0], xy[1]};
}

void ClickAt(int x, int y, const std::string& modifier, int button) {
  std::vector<std::string> args = {"mousemove", std::to_string(x), std::to_string(y)};
  if (!modifier.empty()) args.insert(args.end(), {"keydown", modifier});
  args.insert(args.end(), {"click", std::to_string(button)});
  if (!modifier.empty()) args.insert(args.end(), {"keyup", modifier});
  Xdotool(args);
  // Two clicks close together would make a double click.
  usleep(600000);
}

void ClickCell(int row, int column, const std::string& modifier) {
  auto p = PointOf({"point", std::to_string(row), std::to_string(column)});
  ClickAt(std::stoi(p.first), std::stoi(p.second), modifier);
}

void ClickHeader(int column) {
  auto p = PointOf({"hpoint", std::to_string(column)});
  ClickAt(std::stoi(p.first), std::stoi(p.second));
}

void PressKeys(const std::string& keys) {
  std::vector<std::string> args = {"keys"};
  for (const std::string& key : Split(keys, ' ')) args.push_back(key);
  Vtool(args);
  usleep(300000);
}

void DragFromTo(int x0, int y0, int x1, int y1) {
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  Xdotool({"mousemove", std::to_string(x0), std::to_string(y0), "mousedown", "1", "sleep", "0.2",
           "mousemove", std::to_string((x0 + x1) / 2), std::to_string((y0 + y1) / 2), "sleep",
           "0.2", "mousemove", std::to_string(x1), std::to_string(y1), "sleep", "0.2", "mouseup",
           "1"});
  usleep(500000);
}

std::map<std::string, ScreenRect> WindowRects() {
  std::map<std::string, ScreenRect> rects;
  std::string output = Vtool({"rects"});
  output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
  for (const std::string& line : Split(output, '\n')) {
    std::vector<std::string> f = Split(line, ' ');
    if (f.size() != 5) continue;
    rects[f[0]] = {std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3]), std::stoi(f[4])};
  }
  return rects;
}

std::string CursorName() {
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) throw std::runtime_error("cannot open the display");
  std::string name = "(none)";
  XFixesCursorImage* cursor = XFixesGetCursorImage(x);
  if (cursor != nullptr) {
    if (cursor->atom != 0) {
      char* text = XGetAtomName(x, cursor->atom);
      name = text;
      XFree(text);
    }
    XFree(cursor);
  }
  XCloseDisplay(x);
  return name;
}

void MoveMouse(int x, int y) {
  Xdotool({"mousemove", std::to_string(x), std::to_string(y)});
  usleep(300000);
}

static std::string ShellOutput(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
  pclose(pipe);
  return output;
}

// Under Xvfb without a window manager the root window shows a window that
// Wine mapped over another one as black, while the window itself holds its
// picture: every top-level window is laid over the root's picture in
// stacking order.
void SaveScreenshot(const std::string& path) {
  std::string command = "xwd -root -display " + display + " | convert xwd:- '" + path + "'";
  if (system(command.c_str()) != 0) throw std::runtime_error("screenshot failed");
  std::vector<std::string> windows;  // topmost first
  // Lines of "0xID (name): (class)  WxH+X+Y  +X+Y".
  for (const std::string& line : Split(ShellOutput("xwininfo -root -children -display " + display), '\n')) {
    std::vector<std::string> tokens;
    for (const std::string& t : Split(line, ' ')) {
      if (!t.empty()) tokens.push_back(t);
    }
    if (tokens.empty() || tokens[0].compare(0, 2, "0x") != 0) continue;
    for (const std::string& t : tokens) {
      int w, h, x, y;
      char end;
      if (sscanf(t.c_str(), "%dx%d%d%d%c", &w, &h, &x, &y, &end) == 4 && w > 1 && h > 1) {
        windows.push_back(tokens[0] + " +" + std::to_string(x) + "+" + std::to_string(y));
        break;
      }
    }
  }
  for (size_t i = windows.size(); i-- > 0;) {
    std::vector<std::string> f = Split(windows[i], ' ');
    std::string overlay = "xwd -id " + f[0] + " -display " + display + " 2>/dev/null | convert '" +
                          path + "' xwd:- -geometry " + f[1] + " -composite '" + path + "'";
    if (system(overlay.c_str()) != 0) continue;  // the window went meanwhile
  }
}

std::string DosPath(const std::string& path) {
  std::string dos = "Z:" + path;
  std::replace(dos.begin(), dos.end(), '/', '\\');
  return dos;
}

std::string WindowsBuildFile(const std::string& name) {
  return Setting("VARNICK_WINDOWS_BUILD", VARNICK_BUILD_ROOT "/windows") + "/" + name;
}

int RunWine(const std::vector<std::string>& argv, int timeoutSeconds, std::string* output) {
  int fd = -1;
  pid_t pid = Spawn(argv, output != nullptr ? &fd : nullptr);
  return Wait(pid, fd, timeoutSeconds, output);
}

ProgramOutput RunRedirected(const std::string& program, const std::vector<std::string>& args,
                            int timeoutSeconds, const std::string& outputPath) {
  std::vector<std::string> argv = {kWineLoader,
                                   program[0] == '/' ? program : WindowsBuildFile(program)};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string out =
      outputPath.empty() ? VARNICK_BUILD_ROOT "/test-logs/redirected-output.txt" : outputPath;
  const std::string err = VARNICK_BUILD_ROOT "/test-logs/redirected-errors.txt";
  ProgramOutput run;
  run.exitCode = Wait(Spawn(argv, nullptr, false, err, {}, out), -1, timeoutSeconds, nullptr);
  if (outputPath.empty()) run.output = FileText(out);  // /dev/full reads as endless zeros
  run.errors = FileText(err);
  if (run.exitCode > 0 && !run.errors.empty()) {
    fprintf(stderr, "[harness] %s ended with %d, saying: %s\n", program.c_str(), run.exitCode,
            run.errors.c_str());
  }
  return run;
}

// Wine's mount manager names /dev/ttyS0 COM1 at each start of the prefix,
// as a running serial driver would (\Device\Serial0 in SERIALCOMM), on
// every machine that has one. So that every test machine shows the same,
// the value is set here too: COM1 is in use wherever the tests run.
static void NameComOneInUse() {
  std::string ignored;
  RunWine({kWineLoader, "reg", "add", "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM", "/v",
           "\\Device\\Serial0", "/d", "COM1", "/f"},
          60, &ignored);
}

void StartWineSession() {
  // Pictures and loader logs go here, whoever runs the suite.
  mkdir(VARNICK_BUILD_ROOT "/test-logs", 0755);
  if (xvfb == 0) {
    // Any free display; Xvfb holds a lock file for the one it takes.
    for (int n = 91; n < 160 && xvfb == 0; n++) {
      if (Exists("/tmp/.X" + std::to_string(n) + "-lock")) continue;
      display = ":" + std::to_string(n);
      xvfb = Spawn({"/usr/bin/Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                   nullptr, true);
      std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
      for (int i = 0; i < 500 && !Exists(socket); i++) usleep(10000);
      if (!Exists(socket)) {
        kill(xvfb, SIGKILL);
        waitpid(xvfb, nullptr, 0);
        xvfb = 0;
      }
    }
    if (xvfb == 0) throw std::runtime_error("Xvfb did not start");
  }
  if (!Exists(PrefixPath() + "/system.reg")) {
    fprintf(stderr, "[harness] creating the Wine prefix %s\n", PrefixPath().c_str());
    if (RunWine({kWineLoader, "wineboot", "-i"}, 300, nullptr) != 0 ||
        RunWine({kWineServer, "-w"}, 300, nullptr) != 0) {
      throw std::runtime_error("cannot create the Wine prefix");
    }
  }
  // A persistent server keeps every later program start fast.
  int fd = -1;
  Wait(Spawn({kWineServer, "-p"}, &fd), fd, 30, nullptr);
  // No window manager runs: Wine draws the captions and frames itself.
  std::string ignored;
  RunWine({kWineLoader, "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Decorated",
           "/d", "N", "/f"},
          60, &ignored);
  InstallStandIns();
  NameComOneInUse();
}

void RestartWineServer() {
  int fd = -1;
  Wait(Spawn({kWineServer, "-k"}, &fd), fd, 30, nullptr);
  Wait(Spawn({kWineServer, "-w"}, &fd), fd, 30, nullptr);
  Wait(Spawn({kWineServer, "-p"}, &fd), fd, 30, nullptr);
  NameComOneInUse();
}

void StopWineSession() {
  int fd = -1;
  Wait(Spawn({kWineServer, "-k"}, &fd), fd, 30, nullptr);
  if (xvfb != 0) {
    kill(xvfb, SIGTERM);
    if (Wait(xvfb, -1, 5, nullptr) < 0) kill(xvfb, SIGKILL);
    xvfb = 0;
  }
}

ProgramRun RunExpectingBoxes(const std::string& program, const std::vector<std::string>& args,
                             int expectedBoxes, int timeoutSeconds,
                             const std::function<void()>& whileBoxIsUp) {
  ProgramRun run;
  std::vector<std::string> argv = {kWineLoader, WindowsBuildFile(program)};
  argv.insert(argv.end(), args.begin(), args.end());
  // Its lines are not what is tested here, but they name what went wrong
  // when a run ends unexpectedly, Wine's own start-up failures included.
  const std::string err = VARNICK_BUILD_ROOT "/test-logs/boxed-run-errors.txt";
  pid_t pid = Spawn(argv, nullptr, true, err);
  for (int i = 0; i < expectedBoxes; i++) {
    std::string box;
    const std::string button = whileBoxIsUp ? "0" : "1";
    int code =
        RunWine({kWineLoader, WindowsBuildFile("vtool.exe"), "msgbox", "10000", button}, 20, &box);
    TrimLineEnds(&box);
    std::string which = "message box " + std::to_string(i + 1) + " of " + std::to_string(expectedBoxes);
    if (code == 1) {
      run.failure = which + " did not appear within 10 s";
      break;
    }
    if (code != 0) {
      // The tool itself failed; say what it saw, since it may have answered the box.
      run.failure = which + ": vtool msgbox ended with code " + std::to_string(code) +
                    (box.empty() ? " and reported nothing" : " after reporting \"" + box + "\"");
      break;
    }
    run.boxes.push_back(box);
    if (whileBoxIsUp) {
      whileBoxIsUp();
      std::string again;
      RunWine({kWineLoader, WindowsBuildFile("vtool.exe"), "msgbox", "1000"}, 20, &again);
    }
  }
  run.exitCode = Wait(pid, -1, timeoutSeconds, nullptr, false);
  run.errors = FileText(err);
  if (run.exitCode > 0 && !run.errors.empty()) {
    fprintf(stderr, "[harness] %s ended with %d, saying: %s\n", program.c_str(), run.exitCode,
            run.errors.c_str());
  }
  if (run.exitCode == -1) {
    if (run.failure.empty()) {
      run.failure = program + " did not end within " + std::to_string(timeoutSeconds) + " s";
    }
    // Name what held it up, if a box did, before the program is killed.
    try {
      run.failure += "; unexpected message box: " + Vtool({"msgbox", "500"});
    } catch (const std::exception&) {
    }
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  return run;
}

void RegSet(const std::string& path, const std::string& name, uint32_t type,
            const std::string& hex) {
  Vtool({"regset", path, name, std::to_string(type), hex.empty() ? "-" : hex});
}

std::string RegGet(const std::string& path, const std::string& name) {
  return Vtool({"regget", path, name});
}

void RegDelete(const std::string& path) { Vtool({"regdel", path}); }

void AddFixtureDevice(const std::string& className, const std::string& name,
                      const std::string& portName, const std::string& friendlyName, int count) {
  Vtool({"devadd", className, name, portName, friendlyName, std::to_string(count)}, 600);
}

void SetFixtureLocation(const std::string& name, const std::string& path) {
  Vtool({"devlocation", name, path});
}

void ClearFixtureDevices() { Vtool({"devclear"}, 600); }
