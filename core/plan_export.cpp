#include "core/plan_export.h"

#include "base/memory.h"
#include "base/text.h"
#include "core/number_plan.h"
#include "core/port_identity.h"
#include "platform/index_sort.h"

// An instance ID that names this port alone: no other present serial port
// has it as its own or an ancestor's.
static bool OwnInstance(const PortDeviceList* devices, const PortDevice* port) {
  for (int32_t i = 0; i < devices->deviceCount; i++) {
    const PortDevice* d = devices->devices[i];
    if (d != port && PresentSerialPort(d) &&
        NamesDeviceOrAncestor(devices, d, port->deviceInstanceId)) {
      return false;
    }
  }
  return true;
}

// A location path that names this port alone.
static bool OwnLocation(const PortDeviceList* devices, const PortDevice* port) {
  const char16_t* path = port->identity != nullptr ? port->identity->locationPath : u"";
  if (path[0] == 0) return false;
  for (int32_t i = 0; i < devices->deviceCount; i++) {
    const PortDevice* d = devices->devices[i];
    if (d != port && PresentSerialPort(d) && d->identity != nullptr &&
        TextCompareAsciiNoCase(d->identity->locationPath, path) == 0) {
      return false;
    }
  }
  return true;
}

// Whether device a's number is below device b's (context: the list).
static bool NumberBefore(const void* context, int32_t a, int32_t b) {
  auto* devices = static_cast<const PortDeviceList*>(context);
  return devices->devices[a]->portNumber < devices->devices[b]->portNumber;
}

void ExportPlan(PortDeviceList* devices, void (*line)(void* context, const char16_t* text),
                void* context) {
  ReadIdentities(devices);
  int32_t count = devices->deviceCount;
  HeapBlock<int32_t> order(2 * count + 1);
  int32_t n = 0;
  for (int32_t i = 0; i < count; i++) {
    if (PresentSerialPort(devices->devices[i])) order[n++] = i;
  }
  SortIndices(order.Get(), order.Get() + n, n, NumberBefore, devices);
  line(context, u"# The number plan of this machine's serial ports, as Varnick exported it:");
  line(context, u"# one rule a line, COMn, then location, instance or hardware, then the identity.");
  char16_t text[kPlanLineUnits + 300];
  int32_t lastPort = 0;
  for (int32_t k = 0; k < n; k++) {
    const PortDevice* d = devices->devices[order[k]];
    TextCopy(text, Units(text), u"# ");
    TextAppendOneLine(text, Units(text), d->deviceText[0] != 0 ? d->deviceText : d->portName);
    line(context, text);
    // Only a rule that names this port alone: applied here, the plan then
    // changes nothing.
    bool byLocation = OwnLocation(devices, d);
    if (d->portNumber == lastPort) {
      TextCopy(text, Units(text), u"# carries the number of the port above: ");
      TextAppend(text, Units(text), d->deviceInstanceId);
    } else if ((!byLocation && !OwnInstance(devices, d)) ||
               !PlanRuleLine(d->portNumber, byLocation ? kPlanLocation : kPlanInstance,
                             byLocation ? d->identity->locationPath : d->deviceInstanceId, text,
                             Units(text))) {
      TextCopy(text, Units(text), u"# no rule can name it: ");
      TextAppendOneLine(text, Units(text), d->deviceInstanceId);
    }
    line(context, text);
    lastPort = d->portNumber;
  }
}

namespace {

struct ExportText {
  HeapBlock<uint8_t>* bytes;
  uint32_t size, capacity;
};

void AppendLine(void* context, const char16_t* text) {
  auto* out = static_cast<ExportText*>(context);
  uint32_t needed = Utf8OfText(text, nullptr, 0) + 2;
  if (out->size + needed > out->capacity) {
    out->capacity = 2 * (out->size + needed) + 256;
    out->bytes->Resize(out->size, out->capacity);
  }
  uint8_t* bytes = out->bytes->Get();
  out->size += Utf8OfText(text, bytes + out->size, out->capacity - out->size);
  bytes[out->size++] = '\r';
  bytes[out->size++] = '\n';
}

}  // namespace

uint32_t ExportPlanText(PortDeviceList* devices, HeapBlock<uint8_t>* text) {
  ExportText out = {text, 0, 0};
  ExportPlan(devices, AppendLine, &out);
  if (text->Get() == nullptr) text->Reset(1);  // no lines: an empty block all the same
  return out.size;
}
