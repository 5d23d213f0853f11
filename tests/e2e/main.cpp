// Runs the end-to-end suite inside one Wine session (prefix, wineserver,
// Xvfb), or with --wine-run, one Windows program in that session, passing
// its output and exit code through (the unit tests built for Windows).
#include <gtest/gtest.h>
#include <stdio.h>

#include <exception>

#include "tests/e2e/harness.h"

namespace {

class WineSession : public testing::Environment {
 public:
  void SetUp() override { StartWineSession(); }
  void TearDown() override { StopWineSession(); }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--wine-run") {
    int code = 1;
    try {
      StartWineSession();
      std::vector<std::string> program = {"/usr/lib/wine/wine64"};
      program.insert(program.end(), argv + 2, argv + argc);
      code = RunWine(program, 600);
      if (code == -1) fprintf(stderr, "[harness] %s did not end within 600 s\n", argv[2]);
    } catch (const std::exception& e) {
      fprintf(stderr, "[harness] %s\n", e.what());
    }
    StopWineSession();
    return code == 0 ? 0 : 1;
  }
  testing::InitGoogleTest(&argc, argv);
  testing::AddGlobalTestEnvironment(new WineSession);
  return RUN_ALL_TESTS();
}
