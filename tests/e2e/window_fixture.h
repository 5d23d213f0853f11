// What the window tests share: a program started, driven and closed as a
// user would, on a ComDB and a settings file the test chose.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/harness.h"

std::string ComDb();  // "TYPE HEX" or "missing"
// Text from a Windows program, its line ends made Unix ones.
std::string NoCarriageReturns(std::string text);
// Waits for a message box, answers it with button (0: leaves it up) and
// returns "caption|text|icon".
std::string Box(int button = 1, int milliseconds = 10000);

class WindowTest : public testing::Test {
 protected:
  // A fresh ComDB, no settings file.
  void Start(const std::string& comDb);
  // Closes a program still open (Alt+F4, exit code 0) and removes ComDB.
  void TearDown() override;

  // Starts the program and waits for its first fill with that many rows.
  ListSnapshot Open(const std::string& program = "varnick.exe", size_t rows = 256);
  // Closes it with Alt+F4; its exit code.
  int Close();
  // Waits for the list to show port's check box in the given state.
  ListSnapshot WaitForCheck(const std::string& port, bool checked);
  // Posts a command id to the main window, as its menu would.
  void Command(int id);

  pid_t pid_ = 0;
  WindowInfo window_;
};
