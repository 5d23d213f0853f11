#include "core/task_definition.h"

#include "base/text.h"

const char16_t kPlanTaskName[] = u"Varnick number plan";
const char16_t kPlanTaskAuthor[] = u"Varnick";
const char16_t kPlanTaskSddl[] = u"D:P(A;;FA;;;SY)(A;;FA;;;BA)";

namespace {

// Text appended to a buffer that may be absent, counting what it needs.
struct Xml {
  char16_t* text;
  uint32_t units;
  uint32_t length;

  void Put(char16_t c) {
    if (text != nullptr && length + 1 < units) {
      text[length] = c;
      text[length + 1] = 0;
    }
    length++;
  }
  void Raw(const char16_t* s) {
    for (; *s != 0; s++) Put(*s);
  }
  // A path or other text of the machine's inside an element or an
  // attribute: the characters XML gives a meaning escaped.
  void Escaped(const char16_t* s) {
    for (; *s != 0; s++) {
      switch (*s) {
        case u'&': Raw(u"&amp;"); break;
        case u'<': Raw(u"&lt;"); break;
        case u'>': Raw(u"&gt;"); break;
        case u'"': Raw(u"&quot;"); break;
        case u'\'': Raw(u"&apos;"); break;
        default: Put(*s);
      }
    }
  }
};

// The event query, itself XML, escaped once more as the subscription's
// text. Event 400 names the device's setup class, in either case; event
// 410 may not, and is taken whatever its class.
const char16_t kSubscription[] =
    u"&lt;QueryList&gt;&lt;Query Id=\"0\" Path=\"Microsoft-Windows-Kernel-PnP/Configuration\"&gt;"
    u"&lt;Select Path=\"Microsoft-Windows-Kernel-PnP/Configuration\"&gt;"
    u"*[System[EventID=400]] and *[EventData[Data[@Name='ClassGuid']="
    u"'{4d36e978-e325-11ce-bfc1-08002be10318}' or Data[@Name='ClassGuid']="
    u"'{4D36E978-E325-11CE-BFC1-08002BE10318}']]&lt;/Select&gt;"
    u"&lt;Select Path=\"Microsoft-Windows-Kernel-PnP/Configuration\"&gt;"
    u"*[System[EventID=410]]&lt;/Select&gt;&lt;/Query&gt;&lt;/QueryList&gt;";

}  // namespace

uint32_t PlanTaskXml(const char16_t* companion, const char16_t* plan, char16_t* text,
                     uint32_t units) {
  Xml xml = {text, units, 0};
  if (text != nullptr && units != 0) text[0] = 0;
  xml.Raw(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
          u"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
          u"  <RegistrationInfo>\r\n    <Author>");
  xml.Raw(kPlanTaskAuthor);
  xml.Raw(u"</Author>\r\n"
          u"    <Description>Gives every serial port the number the plan kept with Varnick gives "
          u"it: at start-up, and whenever a device is configured or started.</Description>\r\n"
          u"    <SecurityDescriptor>");
  xml.Raw(kPlanTaskSddl);
  xml.Raw(u"</SecurityDescriptor>\r\n"
          u"  </RegistrationInfo>\r\n"
          u"  <Triggers>\r\n"
          u"    <BootTrigger>\r\n      <Enabled>true</Enabled>\r\n      <Delay>PT2M</Delay>\r\n"
          u"    </BootTrigger>\r\n"
          u"    <EventTrigger>\r\n      <Enabled>true</Enabled>\r\n      <Subscription>");
  xml.Raw(kSubscription);
  xml.Raw(u"</Subscription>\r\n    </EventTrigger>\r\n"
          u"  </Triggers>\r\n"
          u"  <Principals>\r\n    <Principal id=\"System\">\r\n"
          u"      <UserId>S-1-5-18</UserId>\r\n      <RunLevel>HighestAvailable</RunLevel>\r\n"
          u"    </Principal>\r\n  </Principals>\r\n"
          u"  <Settings>\r\n"
          u"    <MultipleInstancesPolicy>Queue</MultipleInstancesPolicy>\r\n"
          u"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
          u"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
          u"    <ExecutionTimeLimit>PT10M</ExecutionTimeLimit>\r\n"
          u"    <Enabled>true</Enabled>\r\n"
          u"  </Settings>\r\n"
          u"  <Actions Context=\"System\">\r\n    <Exec>\r\n      <Command>");
  xml.Escaped(companion);
  xml.Raw(u"</Command>\r\n      <Arguments>/apply &quot;");
  xml.Escaped(plan);
  xml.Raw(u"&quot; /q</Arguments>\r\n    </Exec>\r\n  </Actions>\r\n</Task>\r\n");
  return xml.length;
}
