// Serial port table: open, close, read and write by port number (0 = COM1).
// Only the communication thread calls these. Back ends: serial_port_win32.cpp
// (COMn through the Win32 communications API) and serial_port_posix.cpp (a tty
// or pseudo-terminal from the device path table).
#pragma once
#include <cstddef>
#include <cstdint>

// Port numbers 0 to 255 are COM1 to COM256. The table holds only the ports open.
constexpr int kSerialPortCount = 256;

struct LineSettings {
  uint32_t baudRate;
  uint8_t parity;    // 0 none, 1 odd, 2 even (Win32 codes)
  uint8_t stopBits;  // 0 one, 1 one and a half, 2 two (Win32 codes)
  uint8_t dataBits;
};

struct PortTimings {
  uint16_t readInterval;          // ms of silence that ends a read once a byte has come
  uint16_t readTotalConstant;     // ms
  uint16_t writeTotalConstant;    // ms
  uint16_t inputQueue;            // bytes
  uint16_t outputQueue;           // bytes
  uint16_t readTotalMultiplier;   // ms per requested byte
  uint16_t writeTotalMultiplier;  // ms per byte
  // Nonzero: a read also ends as soon as the reply's CR (a CR after an STX) has come,
  // without waiting out readInterval; a reply still incomplete keeps the silence
  // rule. qzctl's fast reads; 0 (the line's own reads) everywhere else.
  uint8_t endAtCr = 0;
};

extern const LineSettings kLineSettings;   // 9600, even, one stop bit, 8 data bits
extern const PortTimings kPortTimings;     // 50, 10000, 10000, 2048, 2048, 1, 1

enum PortResult : uint16_t {
  PORT_OK = 0,
  PORT_BAD_NUMBER = 1,    // above 255
  PORT_ALREADY_OPEN = 2,
  PORT_OPEN_FAILED = 3,
  PORT_NOT_OPEN = 4,
  // 5 is not used: a port in the table always has its device.
  PORT_NOTHING_READ = 6,
  PORT_NOTHING_WRITTEN = 7,
};

constexpr uint16_t kReadWait = 0xFFFF;     // read even if nothing has arrived yet

uint16_t openPort(uint16_t port, const LineSettings& line, const PortTimings& timings);
uint16_t closePort(uint16_t port);
uint16_t readPort(uint16_t port, uint16_t maxLength, uint8_t* buffer, uint16_t* count, uint16_t mode);
uint16_t writePort(uint16_t port, uint16_t length, const uint8_t* data, uint16_t* count);
// The operating system's reason (errno, or GetLastError on Windows) for the last
// PORT_OPEN_FAILED of this port; 0 when its last open succeeded or never failed.
uint32_t portOpenError(uint16_t port);
// The operating system's reason for the last failed read or write of this port
// (a device pulled out: EIO, or Windows' ERROR_BAD_COMMAND and the like); 0 since
// its last open. Kept after the close, so that the failure can still be named.
uint32_t portIoError(uint16_t port);

// Installed by the link: asked while a read still waits for the reply's first byte.
// True makes the read give up at once with nothing read, so that an urgent request
// (a stop) can take the line; a reply already arriving is always read to its end.
using ReadAbortCheck = bool (*)();
void setReadAbortCheck(ReadAbortCheck check);
bool readAbortRequested();
// How often a waiting read asks.
constexpr int kReadAbortPollMs = 20;

// POSIX only: port number n opens the device path set for it (default /dev/ttyS<n>).
// The front end fills it before the port is opened. On Windows the names are
// always COM1 to COM256 and these do nothing.
void setPortDevicePath(uint16_t port, const char* path);
const char* portDevicePath(uint16_t port);

// The Windows device name of a port number: "COM1" to "COM9", and "\\.\COM10"
// upwards (the plain name reaches only COM1 to COM9). "" above 255.
void windowsPortName(uint16_t port, char* out, size_t size);
// "COM12" (or "com12") to 11; -1 for anything else or a number outside 1 to 256.
int parseComName(const char* text);
