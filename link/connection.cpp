// The connection dialog's logic.
#include "link/connection.h"

#include <algorithm>
#include <cstdio>

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

uint16_t connectSelectedPort(OwnerHandle owner, int selected, const SavedPortAccess& saved) {
  uint16_t previous = saved.read();
  uint16_t chosen = selected >= 0 && selected < kSerialPortCount ? static_cast<uint16_t>(selected) : NO_PORT_SELECTED;
  saved.store(chosen);
  if (previous >= kSerialPortCount) previous = 0;
  bool failed = false;
  if (linkFlagTest(LINK_PORT_OPEN) && postConnectionRequest(0, 0, previous) != 0) failed = true;
  if (!failed && chosen >= kSerialPortCount) {
    saved.store(0);
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

std::vector<PortChoice> portChoices(const std::vector<SerialPortInfo>& present, uint16_t saved, int* selected) {
  std::vector<PortChoice> choices;
  for (const SerialPortInfo& info : present) {
    int number = parseComName(info.name.c_str());
    if (number < 0) continue;
    PortChoice choice{static_cast<uint16_t>(number), true, "COM" + std::to_string(number + 1)};
    if (!info.description.empty()) choice.text += "  " + info.description;
    choices.push_back(choice);
  }
  std::stable_sort(choices.begin(), choices.end(), [](const PortChoice& a, const PortChoice& b) { return a.port < b.port; });
  *selected = -1;
  if (saved < 3 || saved >= kSerialPortCount) return choices;
  size_t at = 0;
  while (at < choices.size() && choices[at].port < saved) ++at;
  if (at == choices.size() || choices[at].port != saved)
    choices.insert(choices.begin() + static_cast<std::ptrdiff_t>(at), PortChoice{saved, false, "COM" + std::to_string(saved + 1)});
  *selected = static_cast<int>(at);
  return choices;
}

uint16_t savedPortAtExit(uint16_t saved) { return saved < kSerialPortCount ? saved : 0; }
