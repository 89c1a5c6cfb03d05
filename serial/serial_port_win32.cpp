// Serial port table on COM1 to COM256 through the Win32 communications API.
#include <windows.h>

#include <atomic>

#include <vector>

#include "serial/serial_port.h"
#include "serial/port_table.h"

namespace {

// Touched only by the communication thread, which alone owns the ports.
struct SerialPort {
  HANDLE handle = INVALID_HANDLE_VALUE;
  uint16_t number = 0;
  PortTimings timings{};
  DWORD gone = 0;   // the error of a failed status call during the last read
};
// The ports open now, whichever numbers they have.
std::vector<SerialPort> g_table;
// Read by other threads (qzctl's messages) after the connection request returns.
std::atomic<uint32_t> g_openError[kSerialPortCount];
std::atomic<uint32_t> g_ioError[kSerialPortCount];

SerialPort* findPort(uint16_t port) { return findOpenPort(g_table, port); }
void dropPort(uint16_t port) { dropOpenPort(g_table, port); }

uint16_t openFailed(uint16_t port, DWORD error) {
  g_openError[port].store(static_cast<uint32_t>(error));
  return PORT_OPEN_FAILED;
}

// A fast read: the port's time-outs make ReadFile return at once with what has
// come (set at open), and the read polls the input queue every few milliseconds. It
// ends at the reply's CR, after readInterval of silence once bytes have come, or at
// the total time-out: the line's own ends apart from the first. (Wine does not end
// a ReadFile at the first byte with MAXDWORD interval and multiplier, so that
// Windows shortcut is not used.)
constexpr DWORD kPollMs = 2;

BOOL readUntilCr(SerialPort& slot, uint16_t maxLength, uint8_t* buffer, DWORD* got) {
  const PortTimings& t = slot.timings;
  const ULONGLONG deadline = GetTickCount64() + t.readTotalConstant +
                             static_cast<ULONGLONG>(t.readTotalMultiplier) * maxLength;
  ULONGLONG lastBytes = 0;
  bool sawStx = false;
  *got = 0;
  while (*got < maxLength) {
    ULONGLONG now = GetTickCount64();
    if (now >= deadline || (*got > 0 && now >= lastBytes + t.readInterval)) break;
    if (*got == 0 && readAbortRequested()) break;
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(slot.handle, &errors, &stat)) {
      slot.gone = GetLastError();
      return FALSE;
    }
    if (stat.cbInQue == 0) {
      Sleep(kPollMs);
      continue;
    }
    DWORD n = 0;
    if (!ReadFile(slot.handle, buffer + *got, maxLength - *got, &n, nullptr)) {
      slot.gone = GetLastError();
      return FALSE;
    }
    bool complete = false;
    for (DWORD i = *got; i < *got + n && !complete; ++i) {
      sawStx = sawStx || buffer[i] == 0x02;
      complete = sawStx && buffer[i] == 0x0D;
    }
    *got += n;
    if (n) lastBytes = GetTickCount64();
    if (complete) break;
  }
  return TRUE;
}

// The line's own read, first part: waits for the reply's first byte by polling the
// input queue, so that the wait can be given up for an urgent request. ReadFile
// then reads the reply with the port's time-outs. False when nothing came.
bool waitFirstByte(SerialPort& slot, uint16_t maxLength) {
  const PortTimings& t = slot.timings;
  const ULONGLONG deadline = GetTickCount64() + t.readTotalConstant +
                             static_cast<ULONGLONG>(t.readTotalMultiplier) * maxLength;
  for (;;) {
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(slot.handle, &errors, &stat)) {
      slot.gone = GetLastError();
      return false;
    }
    if (stat.cbInQue > 0) return true;
    if (GetTickCount64() >= deadline || readAbortRequested()) return false;
    Sleep(kPollMs);
  }
}

}  // namespace

uint16_t openPort(uint16_t port, const LineSettings& line, const PortTimings& timings) {
  if (port >= kSerialPortCount) return PORT_BAD_NUMBER;
  if (findPort(port)) return PORT_ALREADY_OPEN;
  g_openError[port].store(0);
  g_ioError[port].store(0);
  char name[16];
  windowsPortName(port, name, sizeof name);
  HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return openFailed(port, GetLastError());

  SetupComm(h, timings.inputQueue, timings.outputQueue);
  PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  COMMTIMEOUTS t{};
  t.ReadIntervalTimeout = timings.readInterval;
  t.ReadTotalTimeoutMultiplier = timings.readTotalMultiplier;
  t.ReadTotalTimeoutConstant = timings.readTotalConstant;
  if (timings.endAtCr) {   // fast reads time themselves: ReadFile returns at once
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 0;
  }
  t.WriteTotalTimeoutMultiplier = timings.writeTotalMultiplier;
  t.WriteTotalTimeoutConstant = timings.writeTotalConstant;
  SetCommTimeouts(h, &t);
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  if (!GetCommState(h, &dcb)) {
    // Not a serial device (Wine hands out a handle for a COM name whose device is
    // missing): treat it as a failed open rather than a port that never answers.
    DWORD error = GetLastError();
    CloseHandle(h);
    return openFailed(port, error ? error : ERROR_NOT_SUPPORTED);
  }
  dcb.BaudRate = line.baudRate;
  dcb.ByteSize = line.dataBits;
  dcb.Parity = line.parity;
  dcb.StopBits = line.stopBits;
  dcb.fBinary = 1;
  dcb.fParity = 1;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  SetCommState(h, &dcb);
  EscapeCommFunction(h, SETDTR);

  SerialPort slot;
  slot.handle = h;
  slot.number = port;
  slot.timings = timings;
  g_table.push_back(slot);
  return PORT_OK;
}

uint16_t closePort(uint16_t port) {
  if (port >= kSerialPortCount) return PORT_BAD_NUMBER;
  SerialPort* slot = findPort(port);
  if (!slot) return PORT_NOT_OPEN;
  SetCommMask(slot->handle, 0);
  EscapeCommFunction(slot->handle, CLRDTR);
  PurgeComm(slot->handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  CloseHandle(slot->handle);
  dropPort(port);
  return PORT_OK;
}

uint16_t readPort(uint16_t port, uint16_t maxLength, uint8_t* buffer, uint16_t* count,
                  uint16_t mode) {
  if (count) *count = 0;
  if (port >= kSerialPortCount) return PORT_BAD_NUMBER;
  SerialPort* found = findPort(port);
  if (!found || found->handle == INVALID_HANDLE_VALUE) return PORT_NOT_OPEN;
  SerialPort& slot = *found;
  DWORD errors = 0;
  COMSTAT stat{};
  if (!ClearCommError(slot.handle, &errors, &stat)) slot.gone = GetLastError();
  DWORD got = 0;
  BOOL ok = FALSE;
  if ((mode == kReadWait || stat.cbInQue >= 1) && slot.timings.endAtCr) {
    ok = readUntilCr(slot, maxLength, buffer, &got);
    PurgeComm(slot.handle, PURGE_RXCLEAR);
  } else if (mode == kReadWait || stat.cbInQue >= 1) {
    if (stat.cbInQue >= 1 || waitFirstByte(slot, maxLength)) {
      ok = ReadFile(slot.handle, buffer, maxLength, &got, nullptr);
      if (!ok) slot.gone = GetLastError();
    }
    // A reply is one burst: whatever arrives after the read has ended (the rest
    // of a reply the module split, or a late answer to an earlier attempt) is
    // thrown away, so it can never be taken for the start of the next reply.
    PurgeComm(slot.handle, PURGE_RXCLEAR);
  }
  // A device that went away (an adapter pulled out) fails its calls: keep why.
  if (slot.gone) g_ioError[port].store(slot.gone);
  slot.gone = 0;
  if (count) *count = static_cast<uint16_t>(got);
  return (ok && got >= 1) ? PORT_OK : PORT_NOTHING_READ;
}

uint16_t writePort(uint16_t port, uint16_t length, const uint8_t* data, uint16_t* count) {
  if (count) *count = 0;
  if (port >= kSerialPortCount) return PORT_BAD_NUMBER;
  SerialPort* found = findPort(port);
  if (!found || found->handle == INVALID_HANDLE_VALUE) return PORT_NOT_OPEN;
  SerialPort& slot = *found;
  DWORD errors = 0;
  COMSTAT stat{};
  ClearCommError(slot.handle, &errors, &stat);
  DWORD sent = 0;
  BOOL ok = WriteFile(slot.handle, data, length, &sent, nullptr);
  if (!ok) g_ioError[port].store(GetLastError());
  if (count) *count = static_cast<uint16_t>(sent);
  return (ok && sent >= 1) ? PORT_OK : PORT_NOTHING_WRITTEN;
}

uint32_t portOpenError(uint16_t port) {
  return port < kSerialPortCount ? g_openError[port].load() : 0;
}

uint32_t portIoError(uint16_t port) { return port < kSerialPortCount ? g_ioError[port].load() : 0; }
