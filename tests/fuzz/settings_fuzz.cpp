// A settings file edited by hand: every key holding any text, read at any
// screen DPI and start-up show command. Nothing indexes outside its array,
// and a stored structure is taken only when it is whole. The same bytes as
// a whole file, given the settings an elevated close writes: the merge
// writes exactly the length it gives, and a second save changes nothing.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/process.h"
#include "base/profile_text.h"
#include "base/window_geometry.h"
#include "platform/sim/profile_codec.h"
#include "platform/sim/sim.h"
#include "tests/fuzz/fuzz_support.h"
#include "ui/settings_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  SimReset();
  strcpy(iniPath, "C:\\Tools\\varnick.ini");
  const int32_t screenDpi = static_cast<int16_t>(data[0] | data[1] << 8);
  const int32_t showCommand = data[2] % 12;
  static const char* const keys[] = {"ColumnWidths", "WindowPlacement", "DPI", "SortCol",
                                     "SortDir", "ShowDeviceId", "VisualStyles", "ShowVerInCaption",
                                     "ShowLocation"};
  // Values one after the other, separated by zero bytes.
  std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
  size_t at = 0;
  for (const char* key : keys) {
    if (at > text.size()) break;
    size_t end = text.find('\0', at);
    std::string value = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    SimProfileSet(iniPath, "Settings", key, value);
    int32_t whole[7];
    if (DecodeProfileStruct(value.c_str(), whole, sizeof whole)) {
      char again[64];
      EncodeProfileStruct(whole, sizeof whole, again);
      FUZZ_CHECK(strcasecmp(again, value.c_str()) == 0);  // only whole structures are taken
    }
    ParseProfileInt(value.c_str());
    at = end == std::string::npos ? text.size() + 1 : end + 1;
  }
  const ProfileValue values[] = {{"SortCol", "2"}, {"ColumnWidths", "50000000C8"}, {"DPI", "96"}};
  uint64_t length = 0;
  if (MergeProfileSection(text.data(), text.size(), "Settings", values, 3, nullptr, 0, &length)) {
    std::vector<char> merged(length), again(length);
    uint64_t written = 0, secondLength = 0;
    MergeProfileSection(text.data(), text.size(), "Settings", values, 3, merged.data(), length, &written);
    FUZZ_CHECK(written == length);
    FUZZ_CHECK(MergeProfileSection(merged.data(), length, "Settings", values, 3, again.data(), length,
                                   &secondLength));
    FUZZ_CHECK(secondLength == length && again == merged);
  }
  StartupSettings settings = ReadStartupSettings(screenDpi, data[2] & 0x80);
  FUZZ_CHECK(settings.sortColumn >= 0 && settings.sortColumn <= 5);
  if (settings.hasPlacement) {
    StoredPlacement placement = settings.placement;
    AdaptStoredPlacement(&placement, settings.storedDpi, screenDpi, showCommand);
    FUZZ_CHECK(placement.showCmd != 2 || showCommand == 2);
    // Whatever rectangle was stored, the window opens inside the work area.
    const Rect primaryWork = {60, 40, 1920, 1080};
    const Rect nearestWork = {-1280, -1024, 0, -64};
    const Rect normal = {placement.left, placement.top, placement.right, placement.bottom};
    Rect placed = PlacedInWorkArea(normal, primaryWork, nearestWork, kMainWindowMinWidth,
                                   kMainWindowMinHeight);
    FUZZ_CHECK(placed.left >= nearestWork.left - primaryWork.left &&
               placed.top >= nearestWork.top - primaryWork.top &&
               placed.right <= nearestWork.right - primaryWork.left &&
               placed.bottom <= nearestWork.bottom - primaryWork.top);
    FUZZ_CHECK(placed.right - placed.left >= kMainWindowMinWidth &&
               placed.bottom - placed.top >= kMainWindowMinHeight);
  }
  return 0;
}
