// The connection dialog's logic: the line-setting texts it shows and the Connect
// steps (close the old port, open the chosen one); the dialog only moves values.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "link/prompt.h"
#include "serial/port_list.h"

constexpr uint16_t NO_PORT_SELECTED = 0xFFFF;

// Texts of the fixed line settings: baud rate, data bits, the parity's string id
// (0 when the code has none) and the stop bits ("" when the code has none).
struct LineSettingTexts {
  char baudRate[12];
  char dataBits[4];
  uint16_t parityStringId;
  const char* stopBits;
};
LineSettingTexts lineSettingTexts();

// The saved port as the layer above keeps it (the settings block): read as the
// port to close, stored as the port chosen. The shell hands it to the dialog.
struct SavedPortAccess {
  uint16_t (*read)();
  void (*store)(uint16_t port);
};

// The Connect button. `selected` is the chosen port number (0 = COM1) or -1. Stores
// it as the saved port, closes the previous port when one is open, opens the chosen
// one and sets the current port. 0 on success; otherwise shows IDS_PORT_INIT_FAILED
// and returns 1 (no port chosen is stored as 0 and fails).
uint16_t connectSelectedPort(OwnerHandle owner, int selected, const SavedPortAccess& saved);

// The "other" drop-down: the present COM ports in number order, and the saved port
// when it is 3 or above and absent now (present false), in its place by number.
// `selected` is the saved port's entry, -1 when a radio button stands for it.
struct PortChoice {
  uint16_t port;
  bool present;
  std::string text;   // "COM7  USB Serial Port", or "COM7" without a friendly name
};
std::vector<PortChoice> portChoices(const std::vector<SerialPortInfo>& present, uint16_t saved, int* selected);

// The saved port as written at exit: any port number is kept; "none chosen" becomes COM1.
uint16_t savedPortAtExit(uint16_t saved);
