// The serial ports present on this machine, for the connection dialog and
// `qzctl ports`. Back ends: port_list_win32.cpp (the system's device map with
// friendly names) and port_list_posix.cpp (terminal devices under /dev).
#pragma once
#include <string>
#include <vector>

struct SerialPortInfo {
  std::string name;          // "COM7" on Windows; a device path elsewhere
  std::string description;   // UTF-8: the friendly name, or where a link points; may be empty
};

// Present ports in the order sortSerialPorts gives.
std::vector<SerialPortInfo> listSerialPorts();

// COM names first, by number; then every other name by text with digit runs taken
// as numbers (ttyS2 before ttyS10). A name seen twice is kept once.
void sortSerialPorts(std::vector<SerialPortInfo>* ports);

// Windows friendly names end with the port in brackets ("USB Serial Port (COM7)");
// shown beside the name, that ending is dropped.
std::string friendlyWithoutPortName(const std::string& friendly, const std::string& name);
