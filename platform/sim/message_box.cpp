#include <string.h>

#include "platform/sim/sim_state.h"

const std::vector<SimMessageBox>& SimMessageBoxes() { return sim.messageBoxes; }

int OsMessageBox(OsWindow owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
  sim.messageBoxes.push_back(SimMessageBox{owner, caption, text, flags});
  return 1;  // IDOK
}

int OsMessageBoxA(OsWindow owner, const char* text, const char* caption, uint32_t flags) {
  std::u16string wideText(text, text + strlen(text)), wideCaption(caption, caption + strlen(caption));
  return OsMessageBox(owner, wideText.c_str(), wideCaption.c_str(), flags);
}

void OsKeepMessageBoxesOnTop(bool) {}
