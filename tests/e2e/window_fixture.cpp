#include "tests/e2e/window_fixture.h"

#include <algorithm>


std::string ComDb() { return RegGet(kComArbiter, "ComDB"); }

std::string NoCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

std::string Box(int button, int milliseconds) {
  return NoCarriageReturns(RunVtool({"msgbox", std::to_string(milliseconds), std::to_string(button)}));
}

void WindowTest::Start(const std::string& comDb) {
  RemoveSettingsFiles();
  RegDelete(kComArbiter);
  RegSet(kComArbiter, "ComDB", 3, comDb);
}

void WindowTest::TearDown() {
  if (pid_ > 0) {
    EXPECT_EQ(0, Close()) << "the window did not end cleanly";
  }
  RegDelete(kComArbiter);
}

ListSnapshot WindowTest::Open(const std::string& program, size_t rows) {
  pid_ = StartProgram(program);
  EXPECT_TRUE(WaitForMainWindow(&window_)) << program << " showed no main window";
  ListSnapshot list;
  EXPECT_TRUE(WaitForList([&](const ListSnapshot& l) { return l.rows.size() == rows; }, &list))
      << "rows: " << list.rows.size();
  return list;
}

int WindowTest::Close() {
  PressKeys("alt+F4");
  int code = WaitForExit(pid_, 10);
  pid_ = 0;
  return code;
}

ListSnapshot WindowTest::WaitForCheck(const std::string& port, bool checked) {
  ListSnapshot list;
  EXPECT_TRUE(WaitForList(
      [&](const ListSnapshot& l) {
        int row = l.RowOf(port);
        return row >= 0 && l.rows[row].checked == checked;
      },
      &list))
      << port << " never became " << (checked ? "checked" : "unchecked");
  return list;
}

void WindowTest::Command(int id) {
  char hex[16];
  snprintf(hex, sizeof hex, "%x", id);
  RunVtool({"post", "111", hex});
}
