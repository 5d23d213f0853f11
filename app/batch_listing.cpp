// The batch face of the listing: a line of column names, then the ports
// and the devices that carry them, as CSV.
#include "app/batch_face.h"
#include "app/output.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/listing.h"
#include "core/port_identity.h"
#include "platform/index_sort.h"

namespace {

bool ListingGoesOn() { return !OsInterruptRequested() && !OutputFailed(); }

void WriteListingLine(int32_t port, int32_t reserved, const PortDevice* device) {
  char16_t line[kListingLineUnits];
  ListingLine(kCsv, port, reserved, device, line, Units(line));
  WriteLine(kOsStandardOutput, line);
}

// Device i of the list, or for deviceCount + k its live name k.
const PortDevice* RecordOf(const PortDeviceList* devices, int32_t i) {
  return i < devices->deviceCount ? devices->devices[i] : &devices->liveNames[i - devices->deviceCount];
}

// Whether record a's number is below record b's (context: the list).
bool NumberBefore(const void* context, int32_t a, int32_t b) {
  auto* devices = static_cast<const PortDeviceList*>(context);
  return RecordOf(devices, a)->portNumber < RecordOf(devices, b)->portNumber;
}

}  // namespace

// One line a port that ComDB covers, and one more for each further device
// that carries its number, under a line of column names; then every
// device whose number lies beyond those ports (or is none), in the order
// of its number, as not reserved.
void WriteBatchListing(BatchRun* run, const PortReservations* reservations,
                       PortDeviceList* devices) {
  ReadIdentities(devices);
  char16_t line[kListingLineUnits];
  ListingHeader(kCsv, line, Units(line));
  WriteLine(kOsStandardOutput, line);
  for (int32_t p = 1; p <= reservations->portCount && ListingGoesOn(); p++) {
    int32_t reserved = reservations->reservedFlags[p - 1];
    const PortDevice* chosen = FindHolder(devices, p);
    WriteListingLine(p, reserved, chosen);
    for (int32_t i = 0; i < devices->deviceCount; i++) {
      const PortDevice* d = devices->devices[i];
      if (d != chosen && d->portNumber == p) WriteListingLine(p, reserved, d);
    }
  }
  // The devices beyond, in the order of their numbers, inventory order
  // among equals; then a live name there that no device carries. Index i
  // stands for device i, deviceCount + k for live name k.
  int32_t records = devices->deviceCount + devices->liveNameCount;
  HeapBlock<int32_t> beyond(2 * records + 1);
  int32_t n = 0;
  for (int32_t i = 0; i < records; i++) {
    const PortDevice* d = RecordOf(devices, i);
    if (d->liveName && FindByPort(devices, d->portNumber) != nullptr) continue;
    if (d->portNumber < 1 || d->portNumber > reservations->portCount) beyond[n++] = i;
  }
  SortIndices(beyond.Get(), beyond.Get() + n, n, NumberBefore, devices);
  for (int32_t k = 0; k < n && ListingGoesOn(); k++) {
    const PortDevice* d = RecordOf(devices, beyond[k]);
    WriteListingLine(d->portNumber, 0, d);
  }
  // What could be read is listed all the same. No box: a listing piped to
  // a script must never wait for a click.
  if (!InventoryBuilt(devices)) {
    WriteLine(kOsStandardError, u"The device list could not be read whole; devices may be missing");
  }
  if (reservations->storedValueUnread) {
    WriteLine(kOsStandardError, u"ComDB could not be read whole; reserved numbers may show as free");
  }
  if (!InventoryBuilt(devices) || reservations->storedValueUnread) NoteCode(run, kExitNotRead);
}
