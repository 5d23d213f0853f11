#include "ui/move_targets.h"

#include <gtest/gtest.h>

#include <string>

// What each number says, and which may be chosen: a free or a stale one,
// never one a device holds, present or not, nor the device's own.
TEST(MoveTargets, EachNumberSaysWhatHoldsIt) {
  PortDevice device = {}, present = {}, gone = {}, removed = {}, live = {};
  device.deviceNode = present.deviceNode = gone.deviceNode = 1;
  live.liveName = 1;
  std::u16string(u"\\Device\\Serial0").copy(live.kernelName, 259);
  std::u16string(u"Adapter (COM3)").copy(present.deviceText, 255);
  std::u16string(u"ROOT\\GONE").copy(gone.deviceInstanceId, 259);
  gone.problemCode = kProblemNotPresent;
  const struct {
    int32_t reserved;
    const PortDevice* holder;
    const char16_t* text;
    int32_t choosable;
  } cases[] = {
      {0, nullptr, u"COM7\tfree", 1},
      {1, nullptr, u"COM7\treserved, no device", 1},
      {1, &removed, u"COM7\treserved, no device", 1},
      {1, &present, u"COM7\tused by Adapter (COM3)", 0},
      {0, &gone, u"COM7\tused by ROOT\\GONE (not present)", 0},
      {1, &device, u"COM7\tthis device", 0},
      {1, &live, u"COM7\tin use by \\Device\\Serial0", 0},
  };
  for (const auto& c : cases) {
    char16_t text[64];
    EXPECT_EQ(c.choosable, DescribeMoveTarget(7, c.reserved, c.holder, &device, text, 64));
    EXPECT_EQ(std::u16string(c.text), std::u16string(text));
  }
}
