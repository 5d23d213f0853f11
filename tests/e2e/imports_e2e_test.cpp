// varnick.exe runs elevated, often from a downloads folder: no library
// left beside it may be loaded in place of a system one. The import table
// names only the kernel and the C runtime, everything else is bound on
// first use after the search is restricted to the system directory; and
// under Wine, told to prefer a library file it finds, the program loads
// none of those planted beside it, in either mode.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "tests/e2e/window_fixture.h"

namespace {

typedef std::vector<uint8_t> Bytes;

uint32_t U32(const Bytes& b, size_t at) {
  if (at + 4 > b.size()) throw std::runtime_error("PE file too short");
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t U16(const Bytes& b, size_t at) {
  if (at + 2 > b.size()) throw std::runtime_error("PE file too short");
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

// The DLL names of a PE32+ file's import table, lower-cased.
std::set<std::string> ImportedLibraries(const std::string& path) {
  const int directory = 1;
  std::ifstream in(path, std::ios::binary);
  Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  uint32_t pe = U32(b, 0x3C);
  if (U32(b, pe) != 0x00004550) throw std::runtime_error("not a PE file");
  uint16_t sections = U16(b, pe + 6);
  uint16_t optionalSize = U16(b, pe + 20);
  size_t optional = pe + 24;
  if (U16(b, optional) != 0x20B) throw std::runtime_error("not PE32+");
  uint32_t rva = U32(b, optional + 112 + 8 * directory);
  size_t table = optional + optionalSize;
  auto offset = [&](uint32_t r) -> size_t {
    for (uint16_t i = 0; i < sections; i++) {
      size_t s = table + 40 * i;
      uint32_t virtualAddress = U32(b, s + 12), size = std::max(U32(b, s + 8), U32(b, s + 16));
      if (r >= virtualAddress && r < virtualAddress + size) return r - virtualAddress + U32(b, s + 20);
    }
    throw std::runtime_error("address outside every section");
  };
  std::set<std::string> names;
  if (rva == 0) return names;
  for (size_t entry = offset(rva);; entry += 20) {
    uint32_t nameRva = U32(b, entry + 12);
    if (nameRva == 0) break;
    std::string name(reinterpret_cast<const char*>(&b[offset(nameRva)]));
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    names.insert(name);
  }
  return names;
}

TEST(Imports, TheProgramBindsOnlyTheKernelAndTheRuntimeAtStart) {
  const std::set<std::string> kernelAndRuntime = {"kernel32.dll", "msvcrt.dll"};
  const struct {
    const char* program;
    std::set<std::string> libraries;
  } cases[] = {
      {"varnick.exe", kernelAndRuntime},
      {"varnick_restricted.exe", kernelAndRuntime},
      {"varnick_ghosts.exe", kernelAndRuntime},
      {"varnick.com", {"kernel32.dll"}},  // the console companion has no runtime
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(c.libraries, ImportedLibraries(WindowsBuildFile(c.program)));
  }
}

// The names the program binds, and those it loads while it runs.
const char* const kPlanted[] = {
    "advapi32.dll", "cfgmgr32.dll", "comctl32.dll", "comdlg32.dll", "devmgr.dll",
    "gdi32.dll",    "msports.dll",  "ole32.dll",    "oleaut32.dll", "setupapi.dll",
    "shell32.dll",  "shlwapi.dll",  "srclient.dll", "user32.dll",   "uxtheme.dll",
    "version.dll",
};

class PlantedLibraries : public WindowTest {
 protected:
  void SetUp() override {
    Start("02" + std::string(62, '0'));  // COM2 reserved, which nothing holds
    ClearFixtureDevices();
    AddFixtureDevice("ports", "PLANTED", "COM3", "Adapter beside planted libraries");
    folder_ = VARNICK_BUILD_ROOT "/e2e-copies/downloads";
    std::string command = "rm -rf '" + folder_ + "' && mkdir -p '" + folder_ + "' && cp '" +
                          WindowsBuildFile("varnick.exe") + "' '" + folder_ + "/'";
    for (const char* name : kPlanted) {
      command += " && cp '" + WindowsBuildFile("planted.dll") + "' '" + folder_ + "/" + name + "'";
    }
    ASSERT_EQ(0, system(command.c_str()));
    ClearStandInLogs();
    unlink(DriveC("varnick-test/planted.log").c_str());
    // Wine would otherwise take its own builtin library whatever lies beside
    // the program; told to prefer a file it finds, it searches as Windows
    // does. Not ole32: Wine's own imm32 binds it on first use by the plain
    // search, which Windows never does for one of its known libraries.
    std::string overrides;
    for (const char* name : kPlanted) {
      if (strcmp(name, "ole32.dll") == 0) continue;
      overrides += std::string(overrides.empty() ? "" : ",") + std::string(name, strlen(name) - 4);
    }
    environment_ = {"WINEDLLOVERRIDES=mscoree,mshtml=;srclient=n,b;" + overrides + "=n,b",
                    "WINEDEBUG=+loaddll"};
  }
  void TearDown() override {
    WindowTest::TearDown();
    ClearFixtureDevices();
  }
  // The planted libraries a run loaded, as Wine's loader reports them and
  // as they report themselves. ("builtin" is Wine's own code, whatever
  // path it names.)
  std::string LoadedFromFolder(const std::string& log) {
    std::string found;
    for (const std::string& line : Split(log, '\n')) {
      if (line.find("Loaded") != std::string::npos && line.find(": native") != std::string::npos &&
          strcasestr(line.c_str(), "e2e-copies\\\\downloads\\\\") != nullptr &&
          strcasestr(line.c_str(), "varnick.exe") == nullptr) {
        found += line + "\n";
      }
    }
    return found + StandInLog("planted.log");
  }
  std::string folder_;
  std::vector<std::string> environment_;
};

TEST_F(PlantedLibraries, NoneIsLoadedInWindowMode) {
  std::string log = folder_ + "/loader.log";
  pid_ = StartProgramAt(folder_ + "/varnick.exe", {}, environment_, log);
  ASSERT_TRUE(WaitForMainWindow(&window_));
  ListSnapshot list;
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.rows.size() == 256; }, &list));
  Command(40210);  // the theme switch loads its library
  Command(40210);
  ClickCell(list.RowOf("COM3"), 2);
  Command(40503);  // a property sheet: devmgr.dll
  ASSERT_TRUE(WaitUntil([] { return !StandInLog("devmgr.log").empty(); }));
  RunVtool({"close", "Test sheet"});
  WriteStandInFile("srclient-answer.txt", "ok");
  Command(40102);  // a restore point: srclient.dll
  RunVtool({"msgbox", "10000"});
  Command(40300);  // the About box
  RunVtool({"about", "5000"});
  RunVtool({"keysto", "About Varnick", "Return"});
  Command(40105);  // the Save dialog: comdlg32.dll
  ASSERT_TRUE(WaitUntil([] { return !RunVtool({"windows", "Export Number Plan"}).empty(); }, 20));
  RunVtool({"close", "Export Number Plan"});
  ASSERT_EQ(0, Close());
  std::ifstream in(log);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(std::string::npos, text.find("Loaded")) << "the loader reported nothing";
  EXPECT_EQ("", LoadedFromFolder(text));
}

TEST_F(PlantedLibraries, NoneIsLoadedInBatchMode) {
  std::string log = folder_ + "/loader.log";
  pid_t pid = StartProgramAt(folder_ + "/varnick.exe", {"/c"}, environment_, log);
  EXPECT_EQ(0, WaitForExit(pid, 30));
  std::ifstream in(log);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(std::string::npos, text.find("Loaded")) << "the loader reported nothing";
  EXPECT_EQ("", LoadedFromFolder(text));
  EXPECT_EQ("3 " + std::string(64, '0'), ComDb());  // the repair ran: COM2 freed
  // through the system directory's msports.dll, not the one beside it
  EXPECT_NE(std::string::npos, StandInLog("msports.log").find("varnick.exe|release 2|0"));
}

}  // namespace
