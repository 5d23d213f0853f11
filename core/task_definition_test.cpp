#include "core/task_definition.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// What lies between <name> and </name> (the first such element).
std::string Element(const std::string& xml, const std::string& name) {
  size_t open = xml.find("<" + name + ">");
  size_t close = xml.find("</" + name + ">");
  if (open == std::string::npos || close == std::string::npos) return "(missing)";
  return xml.substr(open + name.size() + 2, close - open - name.size() - 2);
}

// The definition holds every setting the task needs, and the paths of the
// protected copies, escaped wherever they come.
TEST(PlanTask, TheDefinitionHoldsEverySetting) {
  const char16_t companion[] = u"C:\\ProgramData\\Varnick & Co\\varnick.com";
  const char16_t plan[] = u"C:\\ProgramData\\Varnick & Co\\plan's.txt";
  uint32_t length = PlanTaskXml(companion, plan, nullptr, 0);
  std::u16string text(length + 1, u'\0');
  EXPECT_EQ(length, PlanTaskXml(companion, plan, &text[0], length + 1));
  text.resize(length);
  std::string xml = Narrow(text);
  const struct {
    const char* element;
    const char* value;
  } settings[] = {
      {"Author", "Varnick"},
      {"SecurityDescriptor", "D:P(A;;FA;;;SY)(A;;FA;;;BA)"},
      {"Delay", "PT2M"},
      {"UserId", "S-1-5-18"},
      {"RunLevel", "HighestAvailable"},
      {"MultipleInstancesPolicy", "Queue"},
      {"DisallowStartIfOnBatteries", "false"},
      {"StopIfGoingOnBatteries", "false"},
      {"ExecutionTimeLimit", "PT10M"},
      {"Command", "C:\\ProgramData\\Varnick &amp; Co\\varnick.com"},
      {"Arguments", "/apply &quot;C:\\ProgramData\\Varnick &amp; Co\\plan&apos;s.txt&quot; /q"},
  };
  for (const auto& s : settings) EXPECT_EQ(s.value, Element(xml, s.element)) << s.element;
  EXPECT_NE(std::string::npos, xml.find("<BootTrigger>"));
  std::string subscription = Element(xml, "Subscription");
  for (const char* part : {"Path=\"Microsoft-Windows-Kernel-PnP/Configuration\"", "EventID=400",
                           "EventID=410", "{4d36e978-e325-11ce-bfc1-08002be10318}"}) {
    EXPECT_NE(std::string::npos, subscription.find(part)) << part;
  }
  EXPECT_EQ(std::string::npos, subscription.find('<')) << "the query is escaped once more";

  // Cut where it does not fit, terminated within its room.
  char16_t small[40];
  EXPECT_EQ(length, PlanTaskXml(companion, plan, small, 40));
  EXPECT_EQ(39u, std::u16string(small).size());
}

}  // namespace
