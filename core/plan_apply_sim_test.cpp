// Making a machine match a plan: each table row a machine, a plan, and
// what the run tells, leaves in ComDB and gives each device as PortName.
#include "core/plan_apply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/memory.h"
#include "platform/sim/sim.h"

namespace {

typedef std::vector<uint8_t> Bytes;

std::string Narrow(const char16_t* text) {
  std::string out;
  for (; *text != 0; text++) out += static_cast<char>(*text);
  return out;
}

std::string Id(const PortDevice* d) { return Narrow(d->deviceInstanceId); }

// What the run told, a line an event.
void Skipped(void* c, const PlanRule& rule) {
  *static_cast<std::string*>(c) += "skip " + std::to_string(rule.line) + "\n";
}
void Blocked(void* c, const PlanBlock& block) {
  char16_t text[600];
  DescribePlanBlock(block, text, 600);
  *static_cast<std::string*>(c) += "block " + Narrow(text) + "\n";
}
void Removed(void* c, const PortDevice* d) { *static_cast<std::string*>(c) += "remove " + Id(d) + "\n"; }
void RemovalFailed(void* c, const Failure&, const PortDevice* d) {
  *static_cast<std::string*>(c) += "remove failed " + Id(d) + "\n";
}
void Grown(void* c, int32_t ports, const Failure* failure) {
  *static_cast<std::string*>(c) += (failure ? "grow failed " : "grow ") + std::to_string(ports) + "\n";
}
void Moved(void* c, const PortDevice* d, int32_t from, int32_t to, const MoveResult& result) {
  *static_cast<std::string*>(c) += "move " + Id(d) + " " + std::to_string(from) + ">" +
                                   std::to_string(to) +
                                   (result.outcome == kMovedRestartNeeded ? " restart" : "") + "\n";
}
void MoveFailed(void* c, const PortDevice* d, int32_t to, const MoveResult& result) {
  *static_cast<std::string*>(c) += "failed " + Id(d) + " >" + std::to_string(to) + " " +
                                   std::to_string(result.outcome) + "\n";
}
void MovedBack(void* c, const PortDevice* d, int32_t from, int32_t to, int32_t ok) {
  *static_cast<std::string*>(c) += "back " + Id(d) + " " + std::to_string(from) + ">" +
                                   std::to_string(to) + (ok ? "" : " not") + "\n";
}
void Waiting(void* c, const PortDevice* d, int32_t from, int32_t to) {
  *static_cast<std::string*>(c) += "wait " + Id(d) + " " + std::to_string(from) + ">" +
                                   std::to_string(to) + "\n";
}

// A plan as Windows PowerShell's ">" writes it: UTF-16LE with its mark.
std::string Utf16(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) bytes += std::string(1, c) + std::string(1, '\0');
  return bytes;
}

const char16_t kHub[] = u"{36fc9e60-c465-11cf-8056-444553540000}";

// A machine: a USB hub, a multiport card, and ports on them.
struct Machine {
  int hub = -1, card = -1;
  std::vector<int> ports;
  Machine() {
    SimDevice h;
    h.classGuid = kHub;
    h.deviceId = u"USB\\ROOT_HUB30\\1";
    h.hasPortName = false;
    h.locationPath = u"HUB";
    hub = SimAddDevice(h);
    SimDevice c = h;
    c.deviceId = u"PCI\\CARD\\1";
    c.locationPath = u"CARD";
    card = SimAddDevice(c);
  }
  int Port(const char16_t* id, const char16_t* portName, const char16_t* location,
           std::function<void(SimDevice*)> change = nullptr) {
    SimDevice d;
    d.classGuid = kSimPortsClass;
    d.deviceId = id;
    d.portName = portName;
    d.locationPath = location;
    d.parent = hub;
    d.friendlyName = std::u16string(u"Port (") + portName + u")";
    std::u16string hardware = id;
    d.hardwareIds = {hardware.substr(0, hardware.rfind(u'\\'))};
    if (change) change(&d);
    int index = SimAddDevice(d);
    ports.push_back(index);
    return index;
  }
};

std::string PortNames(const Machine& machine) {
  std::string names;
  for (int index : machine.ports) {
    names += (names.empty() ? "" : " ") + Narrow(SimDeviceAt(index).portName.c_str());
  }
  return names;
}

struct Applying {
  PortReservations reservations = {};
  PortDeviceList* devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
  std::string told;
  PlanResult result = {};
  Applying(const std::string& text, bool dryRun) {
    NumberPlan plan = {};
    PlanError error = {};
    if (!ReadNumberPlan(reinterpret_cast<const uint8_t*>(text.data()),
                        static_cast<uint32_t>(text.size()), &plan, &error)) {
      char16_t why[200];
      DescribePlanError(error, why, 200);
      told = "error " + Narrow(why) + "\n";
      return;
    }
    Load(&reservations);
    Enumerate(devices, kRepairDetail);
    const PlanCallbacks callbacks = {&told,  Skipped, Blocked,   Removed, RemovalFailed,
                                     Grown, Moved,   MoveFailed, MovedBack, Waiting};
    PlanRequest request = {&plan, dryRun, true, nullptr};
    result = ApplyPlan(&reservations, devices, request, callbacks);
    ReleaseNumberPlan(&plan);
  }
  ~Applying() {
    Clear(devices);
    MemFree(devices);
    Clear(&reservations);
  }
};

TEST(Plan, EachPlanGivesItsMovesAndLeavesComDbAndPortNamesSo) {
  const struct {
    const char* name;
    std::function<void(Machine*)> machine;
    Bytes comDb;
    std::string plan;
    std::string told;     // of the real run; the dry run tells the same
    Bytes want;
    std::string portNames;
    std::string dryTold = "";  // where the dry run cannot know (a restart the system asks for)
  } cases[] = {
      {"a socket, by its location",
       [](Machine* m) { m->Port(u"USB\\VID_1&PID_2\\X", u"COM7", u"HUB#USB(3)"); },
       {0x40}, "COM3 location hub#usb(3)\n", "move USB\\VID_1&PID_2\\X 7>3\n", {0x04}, "COM3"},
      {"ports of a multiport card, by the card's path and their place",
       [](Machine* m) {
         m->Port(u"MULTI\\P\\B", u"COM6", u"", [m](SimDevice* d) { d->parent = m->card; });
         m->Port(u"MULTI\\P\\A", u"COM5", u"CARD", [m](SimDevice* d) { d->parent = m->card; });
       },
       {0x30}, "# the card\nCOM1 location CARD#PORT(0)\nCOM2 location CARD#PORT(1)\n",
       "move MULTI\\P\\A 5>1\nmove MULTI\\P\\B 6>2\n", {0x03}, "COM2 COM1"},
      {"an adapter by its instance, through an ancestor",
       [](Machine* m) { m->Port(u"FTDIBUS\\A12345\\0000", u"COM9", u""); },
       {0x00, 0x01}, "COM4 instance usb\\root_hub30\\1\n", "move FTDIBUS\\A12345\\0000 9>4\n",
       {0x08, 0x00}, "COM4"},
      {"by a hardware ID",
       [](Machine* m) { m->Port(u"USB\\VID_9&PID_9\\1", u"COM2", u""); },
       {0x02}, "COM5 hardware USB\\VID_9&PID_9\n", "move USB\\VID_9&PID_9\\1 2>5\n", {0x10}, "COM5"},
      {"a chain: each once its number is free",
       [](Machine* m) {
         m->Port(u"R\\A\\1", u"COM3", u"L1");
         m->Port(u"R\\B\\1", u"COM4", u"L2");
       },
       {0x0C}, "COM4 location L1\nCOM5 location L2\n", "move R\\B\\1 4>5\nmove R\\A\\1 3>4\n",
       {0x18}, "COM4 COM5"},
      {"a cycle: through a free number",
       [](Machine* m) {
         m->Port(u"R\\A\\1", u"COM3", u"L1");
         m->Port(u"R\\B\\1", u"COM4", u"L2");
       },
       {0x0D}, "COM4 location L1\nCOM3 location L2\n",
       "move R\\A\\1 3>2\nmove R\\B\\1 4>3\nmove R\\A\\1 2>4\n", {0x0D}, "COM4 COM3"},
      {"on its number already, and a rule without a device",
       [](Machine* m) { m->Port(u"R\\A\\1", u"COM3", u"L1"); },
       {0x04}, "COM3 location L1\nCOM9 location GONE\n", "skip 2\n", {0x04}, "COM3"},
      {"a ghost of the same socket holds the number: removed",
       [](Machine* m) {
         m->Port(u"R\\OLD\\1", u"COM3", u"", [](SimDevice* d) { d->present = false; });
         m->Port(u"R\\NEW\\1", u"COM8", u"L1");
       },
       {0x84}, "COM3 location L1\n", "remove R\\OLD\\1\nmove R\\NEW\\1 8>3\n", {0x04}, "COM3 COM3"},
      {"a present device the plan leaves holds the number: blocked",
       [](Machine* m) {
         m->Port(u"R\\STAY\\1", u"COM3", u"L9");
         m->Port(u"R\\A\\1", u"COM8", u"L1");
       },
       {0x84}, "COM3 location L1\n", "block line 1: COM3 is held by R\\STAY\\1\n", {0x84}, "COM3 COM8"},
      {"a running driver names the number: blocked",
       [](Machine* m) {
         SimAddLiveName(u"\\Device\\VCP0", u"COM3");
         m->Port(u"R\\A\\1", u"COM8", u"L1");
       },
       {0x84}, "COM3 location L1\n", "block line 1: COM3 is held by \\Device\\VCP0\n", {0x84}, "COM8"},
      {"two ports match one rule: blocked",
       [](Machine* m) {
         m->Port(u"USB\\VID_9&PID_9\\1", u"COM1", u"");
         m->Port(u"USB\\VID_9&PID_9\\2", u"COM2", u"");
       },
       {0x03}, "COM5 hardware USB\\VID_9&PID_9\n",
       "block line 1: more than one serial port matches: USB\\VID_9&PID_9\\1, USB\\VID_9&PID_9\\2\n",
       {0x03}, "COM1 COM2"},
      {"two rules match one device: blocked",
       [](Machine* m) { m->Port(u"R\\A\\1", u"COM1", u"L1"); },
       {0x01}, "COM5 location L1\nCOM6 instance R\\A\\1\n",
       "block lines 1 and 2: two rules match one device: R\\A\\1\n", {0x01}, "COM1"},
      {"a number beyond ComDB: it grows",
       [](Machine* m) { m->Port(u"R\\A\\1", u"COM1", u"L1"); },
       {0x01}, "COM300 location L1\n", "grow 1024\nmove R\\A\\1 1>300\n",
       [] {
         Bytes b(128, 0);
         b[37] = 0x08;
         return b;
       }(),
       "COM300"},
      {"a restart of Windows in a chain: what depends on it waits",
       [](Machine* m) {
         m->Port(u"R\\A\\1", u"COM3", u"L1");
         m->Port(u"R\\B\\1", u"COM4", u"L2", [](SimDevice* d) { d->restartNeeded = true; });
       },
       {0x0C}, "COM4 location L1\nCOM5 location L2\n",
       "move R\\B\\1 4>5 restart\nwait R\\A\\1 3>4\n", {0x1C}, "COM3 COM5",
       "move R\\B\\1 4>5\nmove R\\A\\1 3>4\n"},
      {"two on one number, parted: the number is taken once both have left it",
       [](Machine* m) {
         m->Port(u"R\\A\\1", u"COM3", u"L1");
         m->Port(u"R\\C\\1", u"COM7", u"L3");
         m->Port(u"R\\B\\1", u"COM3", u"L2");
       },
       {0x44}, "COM5 location L1\nCOM3 location L3\nCOM6 location L2\n",
       "move R\\A\\1 3>5\nmove R\\B\\1 3>6\nmove R\\C\\1 7>3\n", {0x34}, "COM5 COM3 COM6"},
      {"a cycle goes through no number a modem names",
       [](Machine* m) {
         m->Port(u"R\\A\\1", u"COM3", u"L1");
         m->Port(u"R\\B\\1", u"COM4", u"L2");
         SimDevice modem;
         modem.classGuid = kSimModemClass;
         modem.deviceId = u"ROOT\\MODEM\\0000";
         modem.hasPortName = false;
         modem.attachedTo = u"COM1";
         modem.present = false;
         SimAddDevice(modem);
       },
       {0x0C}, "COM4 location L1\nCOM3 location L2\n",
       "move R\\A\\1 3>2\nmove R\\B\\1 4>3\nmove R\\A\\1 2>4\n", {0x0C}, "COM4 COM3"},
      {"a line that is no rule: nothing is read",
       [](Machine* m) { m->Port(u"R\\A\\1", u"COM3", u"L1"); },
       {0x04}, "COM4 location L1\nCOM5 socket L2\n", "error line 2: not a rule: socket is no key (location, instance or hardware)\n",
       {0x04}, "COM3"},
      {"a plan written by PowerShell (UTF-16)",
       [](Machine* m) { m->Port(u"R\\A\\1", u"COM3", u"L1"); },
       {0x04}, Utf16("COM4 location L1\r\n"),
       "move R\\A\\1 3>4\n", {0x08}, "COM4"},
  };
  for (const auto& c : cases) {
    for (bool dryRun : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (dryRun ? ", dry run" : ""));
      SimReset();
      SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, c.comDb);
      Machine machine;
      c.machine(&machine);
      std::string before = PortNames(machine);
      // No two ports ever carry one number, not even while one restarts.
      SimDuringRestart([&machine] {
        std::vector<std::u16string> seen;
        for (int index : machine.ports) {
          if (SimDeviceRemoved(index)) continue;
          const std::u16string& name = SimDeviceAt(index).portName;
          EXPECT_EQ(seen.end(), std::find(seen.begin(), seen.end(), name)) << PortNames(machine);
          seen.push_back(name);
        }
      });
      Applying run(c.plan, dryRun);
      std::string told = run.told;
      if (dryRun) {
        EXPECT_EQ(c.comDb, SimRegValue(kComArbiterPath, kComDbName));
        EXPECT_EQ(before, PortNames(machine));
      } else {
        EXPECT_EQ(c.want, SimRegValue(kComArbiterPath, kComDbName));
        EXPECT_EQ(c.portNames, PortNames(machine));
      }
      EXPECT_EQ(dryRun && !c.dryTold.empty() ? c.dryTold : c.told, told);
    }
  }
}

// A cycle of three goes through a free number in four moves. Whichever of
// them fails, every move made before it is moved back: ComDB, PortName and
// the friendly names are as they were.
TEST(Plan, ACycleThatFailsAtAnyStepLeavesEverythingAsItWas) {
  const std::string plan = "COM4 location L1\nCOM5 location L2\nCOM3 location L3\n";
  for (int failing = 1; failing <= 4; failing++) {
    SCOPED_TRACE(failing);
    SimReset();
    const Bytes comDb = {0x1C};  // 3, 4, 5
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, comDb);
    Machine machine;
    machine.Port(u"R\\A\\1", u"COM3", u"L1");
    machine.Port(u"R\\B\\1", u"COM4", u"L2");
    machine.Port(u"R\\C\\1", u"COM5", u"L3");
    SimFailRestart(failing);
    Applying run(plan, false);
    EXPECT_EQ(kMoveFailedUndone, run.result.failedMove);
    EXPECT_TRUE(run.result.movedBack);
    size_t backs = 0;
    for (size_t at = run.told.find("back "); at != std::string::npos; at = run.told.find("back ", at + 1)) {
      backs++;
    }
    EXPECT_EQ(static_cast<size_t>(failing - 1), backs) << run.told;  // each move made is moved back
    EXPECT_EQ(comDb, SimRegValue(kComArbiterPath, kComDbName)) << run.told;
    EXPECT_EQ("COM3 COM4 COM5", PortNames(machine)) << run.told;
    for (int index : machine.ports) {
      const SimDevice& d = SimDeviceAt(index);
      EXPECT_EQ(u"Port (" + d.portName + u")", d.friendlyName);
    }
  }
}

// What waits for Windows to restart is no move made: a failure later in
// the run moves back only what was made, and takes back a move that waits
// for the restart without one, the driver still naming its old number.
TEST(Plan, AFailureMovesBackOnlyWhatWasMadeAsItWas) {
  SimReset();
  const Bytes comDb = {0x5C};  // 3, 4, 5, 7
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, comDb);
  Machine machine;
  auto live = [](SimDevice* d) {
    d->namesLive = true;
    d->kernelName = u"\\Device\\Serial" + d->portName.substr(3);
  };
  machine.Port(u"R\\B\\1", u"COM4", u"L2", [&live](SimDevice* d) {
    live(d);
    d->restartNeeded = true;
  });
  machine.Port(u"R\\A\\1", u"COM3", u"L1", live);
  machine.Port(u"R\\C\\1", u"COM7", u"L3", [&live](SimDevice* d) {
    live(d);
    d->restartError = 5;
  });
  Applying run("COM6 location L2\nCOM4 location L1\nCOM8 location L3\n", false);
  EXPECT_EQ(
      "move R\\B\\1 4>6 restart\nwait R\\A\\1 3>4\nfailed R\\C\\1 >8 9\nback R\\B\\1 6>4\n",
      run.told);
  EXPECT_TRUE(run.result.movedBack);
  EXPECT_EQ(comDb, SimRegValue(kComArbiterPath, kComDbName));
  EXPECT_EQ("COM4 COM3 COM7", PortNames(machine));
  EXPECT_EQ(u"COM4", SimLiveName(u"\\Device\\Serial4"));
}

}  // namespace
