// The connection dialog's logic: the line-setting texts it shows and the Connect
// steps (close the old port, open the chosen one); the dialog only moves values.
#pragma once
#include <cstdint>
#include "link/prompt.h"

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

// The Connect button. `selected` is the checked radio's position or -1. Stores it
// as the saved port, closes the previous port when one is open, opens the chosen
// one and sets the current port. 0 on success; otherwise shows string 257 and
// returns 1 (a port outside 0-2 is stored as 0 and fails).
uint16_t connectSelectedPort(OwnerHandle owner, int selected);
