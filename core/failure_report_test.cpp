#include "core/failure_report.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FailureReport, EachFailureReadsAsItsBox) {
  const struct {
    FailureKind kind;
    uint32_t error;
    const char16_t* deviceId;
    int32_t isAdministrator;
    const char16_t* caption;
    const char16_t* text;
  } cases[] = {
      {kDeviceIdUnreadable, 13, u"", 1, u"Varnick", u"INVALID_DATA"},
      {kRemovalNotStarted, 5, u"ROOT\\X", 1, u"Varnick", u"ACCESS_DENIED removing\nROOT\\X"},
      {kRemovalNotStarted, 0, u"ROOT\\X", 1, u"Varnick", u"Device not removed\nROOT\\X"},
      {kRemovalFailed, 5, u"ROOT\\PORTS\\0000", 1, u"Varnick", u"ACCESS_DENIED removing\nROOT\\PORTS\\0000"},
      {kRemovalFailed, 0xE0000219, u"ROOT\\X", 0, u"Varnick", u"ERROR_0xE0000219 removing\nROOT\\X"},
      {kDeviceStillThere, 0, u"ROOT\\X", 1, u"Error", u"Device not removed"},
      {kDeviceStillThere, 0, u"ROOT\\X", 0, u"Error", u"Device not removed, admin privileges are required"},
      {kComDbUnread, 5, u"", 1, u"Varnick", u"ComDB could not be read: ACCESS_DENIED"},
      {kComDbUnwritten, 5, u"", 1, u"Varnick", u"ComDB could not be written: ACCESS_DENIED"},
      {kComDbUnwritten, 0, u"", 1, u"Varnick", u"ComDB could not be written"},
  };
  for (const auto& c : cases) {
    Failure failure = {c.kind, c.error, {}};
    std::u16string id = c.deviceId;
    id.copy(failure.deviceId, id.size());
    const char16_t* caption = nullptr;
    char16_t text[kFailureTextUnits];
    DescribeFailure(failure, c.isAdministrator, &caption, text, kFailureTextUnits);
    EXPECT_EQ(std::u16string(c.caption), caption) << c.kind;
    EXPECT_EQ(std::u16string(c.text), text) << c.kind;
  }
}

}  // namespace
