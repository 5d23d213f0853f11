// The number plan in the window under Wine, as a user works it: the
// File menu's two commands, the system's Save and Open dialogs typed into,
// the preview, and OK. The moves run in varnick_ghosts.exe, whose device
// restarts Wine's stub would refuse are recorded instead.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "tests/e2e/window_fixture.h"

namespace {

const char kSocketA[] = "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(1)";
const char kSocketB[] = "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)";

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Types the path into the file dialog with that caption and presses Enter.
void ChooseInFileDialog(const std::string& caption, const std::string& path) {
  ASSERT_TRUE(WaitUntil([&] { return !RunVtool({"windows", caption}).empty(); }, 20)) << caption;
  usleep(500000);  // the dialog has its name box focused
  RunVtool({"keysto", caption, "Home", "shift+End"});
  RunVtool({"textto", caption, DosPath(path)});
  RunVtool({"keysto", caption, "Return"});
  ASSERT_TRUE(WaitUntil([&] { return RunVtool({"windows", caption}).empty(); }, 10)) << caption;
}

class PlanCommands : public WindowTest {
 protected:
  void SetUp() override {
    ClearFixtureDevices();
    AddFixtureDevice("ports", "PLANA", "COM9", "Plan Adapter A");
    AddFixtureDevice("ports", "PLANB", "COM10", "Plan Adapter B");
    SetFixtureLocation("PLANA", kSocketA);
    SetFixtureLocation("PLANB", kSocketB);
    Start("0003" + std::string(60, '0'));  // COM9 and COM10 reserved
  }
  void TearDown() override {
    WindowTest::TearDown();
    ClearFixtureDevices();
  }
};

// This machine's plan exported, its two rules swapped, and applied: the
// preview lists the three moves a swap takes, and OK makes them.
TEST_F(PlanCommands, AnExportedPlanSwappedIsPreviewedAndApplied) {
  const std::string exported = VARNICK_BUILD_ROOT "/test-logs/plan-exported.txt";
  const std::string swapped = VARNICK_BUILD_ROOT "/test-logs/plan-swapped.txt";
  unlink(exported.c_str());
  Open("varnick_ghosts.exe");
  Command(40203);  // the Location column
  ListSnapshot list;
  ASSERT_TRUE(WaitForList(
      [](const ListSnapshot& l) {
        return l.header.size() == 5 && l.rows[l.RowOf("COM9")].texts[4] == kSocketA;
      },
      &list));

  Command(40105);
  ChooseInFileDialog("Export Number Plan", exported);
  ASSERT_TRUE(WaitUntil([&] { return FileText(exported).find("COM10") != std::string::npos; }));
  const std::string text = FileText(exported);
  EXPECT_NE(std::string::npos, text.find("# Plan Adapter A\r\nCOM9 location " + std::string(kSocketA) + "\r\n"))
      << text;
  EXPECT_NE(std::string::npos, text.find("# Plan Adapter B\r\nCOM10 location " + std::string(kSocketB) + "\r\n"))
      << text;
  EXPECT_EQ(" Number plan written to " + DosPath(exported), ReadList().status1);

  std::ofstream(swapped, std::ios::binary) << "COM10 location " << kSocketA << "\r\nCOM9 location "
                                           << kSocketB << "\r\n";
  Command(40106);
  ChooseInFileDialog("Open Number Plan", swapped);
  ASSERT_TRUE(WaitUntil([] { return !RunVtool({"windows", "Apply Number Plan"}).empty(); }));
  usleep(500000);
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/plan-preview.png");
  // COM1 is Wine's serial port, in use: COM2 is the free number the swap
  // goes through.
  EXPECT_EQ("OK 1\n"
            "would move COM9 ROOT\\VARNICKPLANA\\0000 to COM2\n"
            "would move COM10 ROOT\\VARNICKPLANB\\0000 to COM9\n"
            "would move COM2 ROOT\\VARNICKPLANA\\0000 to COM10",
            NoCarriageReturns(RunVtool({"listbox", "Apply Number Plan", "1031"})));
  RunVtool({"keysto", "Apply Number Plan", "Return"});
  ASSERT_TRUE(WaitForList(
      [](const ListSnapshot& l) {
        return l.rows[l.RowOf("COM9")].texts[4] == kSocketB &&
               l.rows[l.RowOf("COM10")].texts[4] == kSocketA;
      },
      &list));
  EXPECT_EQ("Plan Adapter B", list.rows[list.RowOf("COM9")].texts[2]);
  EXPECT_EQ("Plan Adapter A", list.rows[list.RowOf("COM10")].texts[2]);
  EXPECT_EQ(" Number plan applied", list.status1);
  EXPECT_TRUE(RunVtool({"windows", "Apply Number Plan"}).empty());
  EXPECT_EQ("3 0003" + std::string(60, '0'), ComDb());  // COM2 given back
  EXPECT_EQ(0, Close());
}

}  // namespace
