// The connection dialog's logic.
#include "link/connection.h"

#include <cstdio>

#include "files/settings.h"
#include "link/link.h"
#include "link/link_state.h"
#include "serial/serial_port.h"
#include "resources/resource.h"

LineSettingTexts lineSettingTexts() {
  LineSettingTexts texts{};
  std::snprintf(texts.baudRate, sizeof texts.baudRate, "%u", static_cast<unsigned>(kLineSettings.baudRate));
  std::snprintf(texts.dataBits, sizeof texts.dataBits, "%u", static_cast<unsigned>(kLineSettings.dataBits));
  static const uint16_t parities[] = {IDS_PARITY_NONE, IDS_PARITY_ODD, IDS_PARITY_EVEN};
  texts.parityStringId = kLineSettings.parity < 3 ? parities[kLineSettings.parity] : 0;
  static const char* const stops[] = {"1", "1.5", "2"};
  texts.stopBits = kLineSettings.stopBits < 3 ? stops[kLineSettings.stopBits] : "";
  return texts;
}

uint16_t connectSelectedPort(OwnerHandle owner, int selected) {
  uint16_t previous = savedPort();
  uint16_t chosen = selected >= 0 && selected <= 2 ? static_cast<uint16_t>(selected) : NO_PORT_SELECTED;
  setSavedPort(chosen);
  if (previous > 2) previous = 0;
  bool failed = false;
  if (linkFlagTest(LINK_PORT_OPEN) && postConnectionRequest(0, 0, previous) != 0) failed = true;
  if (!failed && chosen > 2) {
    setSavedPort(0);
    failed = true;
  }
  if (!failed && postConnectionRequest(1, 1, chosen) != 0) failed = true;
  if (failed) {
    promptMessage(owner, IDS_PORT_INIT_FAILED, nullptr, IDS_CAPTION, PROMPT_OK | PROMPT_ICON_ERROR);
    return 1;
  }
  g_mode.currentPort = chosen;
  return 0;
}
