// Serial port table on a POSIX tty or pseudo-terminal: raw 9600 8E1, DTR raised,
// exclusive open, reads that end 50 ms after the last byte.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <atomic>
#include <chrono>

#include <vector>

#include "serial/serial_port.h"
#include "serial/port_table.h"

namespace {

// Touched only by the communication thread, which alone owns the ports.
struct SerialPort {
  int fd = -1;
  uint16_t number = 0;
  PortTimings timings{};
};
// The ports open now, whichever numbers they have.
std::vector<SerialPort> g_table;
// Read by other threads (qzctl's messages) after the connection request returns.
std::atomic<uint32_t> g_openError[kSerialPortCount];
std::atomic<uint32_t> g_ioError[kSerialPortCount];

SerialPort* findPort(uint16_t port) { return findOpenPort(g_table, port); }
void dropPort(uint16_t port) { dropOpenPort(g_table, port); }

uint16_t openFailed(uint16_t port, int error) {
  g_openError[port].store(static_cast<uint32_t>(error));
  return PORT_OPEN_FAILED;
}

speed_t baudConstant(uint32_t baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    default: return B9600;
  }
}

void configure(int fd, const LineSettings& line) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return;
  cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
  tio.c_cflag |= CREAD | CLOCAL;
  tio.c_cflag |= line.dataBits == 7 ? CS7 : CS8;
  if (line.parity == 2) tio.c_cflag |= PARENB;
  if (line.parity == 1) tio.c_cflag |= PARENB | PARODD;
  if (line.stopBits == 2) tio.c_cflag |= CSTOPB;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, baudConstant(line.baudRate));
  cfsetospeed(&tio, baudConstant(line.baudRate));
  tcsetattr(fd, TCSANOW, &tio);
}

int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

uint16_t openPort(uint16_t port, const LineSettings& line, const PortTimings& timings) {
  if (port >= kSerialPortCount) return PORT_BAD_NUMBER;
  if (findPort(port)) return PORT_ALREADY_OPEN;
  g_openError[port].store(0);
  g_ioError[port].store(0);
  int fd = ::open(portDevicePath(port), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return openFailed(port, errno);
  // Only a terminal is a serial line: a plain file or a pipe would swallow the
  // requests as if they had been sent, and no line settings could be applied.
  if (!isatty(fd)) {
    ::close(fd);
    return openFailed(port, ENOTTY);
  }
  // Exclusive like a Windows COM port: the lock is what stops a second opener
  // (TIOCEXCL does not stop root).
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    ::close(fd);
    return openFailed(port, error == EWOULDBLOCK ? EBUSY : error);
  }
  ioctl(fd, TIOCEXCL);
  configure(fd, line);
  tcflush(fd, TCIOFLUSH);
  int dtr = TIOCM_DTR;
  ioctl(fd, TIOCMBIS, &dtr);   // fails harmlessly on a pseudo-terminal
  SerialPort slot;
  slot.fd = fd;
  slot.number = port;
  slot.timings = timings;
  g_table.push_back(slot);
  return PORT_OK;
}

uint16_t closePort(uint16_t port) {
  if (port >= kSerialPortCount) return PORT_BAD_NUMBER;
  SerialPort* slot = findPort(port);
  if (!slot) return PORT_NOT_OPEN;
  int dtr = TIOCM_DTR;
  ioctl(slot->fd, TIOCMBIC, &dtr);
  tcflush(slot->fd, TCIOFLUSH);
  ioctl(slot->fd, TIOCNXCL);
  flock(slot->fd, LOCK_UN);
  ::close(slot->fd);
  dropPort(port);
  return PORT_OK;
}

uint16_t readPort(uint16_t port, uint16_t maxLength, uint8_t* buffer, uint16_t* count,
                  uint16_t mode) {
  if (count) *count = 0;
  if (port >= kSerialPortCount) return PORT_BAD_NUMBER;
  SerialPort* found = findPort(port);
  if (!found || found->fd < 0) return PORT_NOT_OPEN;
  SerialPort& slot = *found;
  if (mode != kReadWait) {
    int queued = 0;
    if (ioctl(slot.fd, FIONREAD, &queued) != 0 || queued < 1) return PORT_NOTHING_READ;
  }
  const PortTimings& t = slot.timings;
  const int64_t deadline = nowMs() + t.readTotalConstant +
                           static_cast<int64_t>(t.readTotalMultiplier) * maxLength;
  uint16_t got = 0;
  bool failed = false;
  int64_t lastBytes = 0;   // when the last bytes were taken in
  bool sawStx = false;
  while (got < maxLength) {
    int64_t now = nowMs();
    int64_t wait = deadline - now;
    // The silence that ends a read counts from the last bytes, nap included.
    if (got > 0 && wait > lastBytes + t.readInterval - now) wait = lastBytes + t.readInterval - now;
    if (wait <= 0) break;
    // Until the first byte the wait is cut into slices, each ending with the
    // question whether an urgent request wants the line.
    if (got == 0 && readAbortRequested()) break;
    bool sliced = got == 0 && wait > kReadAbortPollMs;
    if (sliced) wait = kReadAbortPollMs;
    pollfd p{slot.fd, POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(wait));
    if (ready < 0) {
      if (errno == EINTR) continue;
      failed = true;
      break;
    }
    if (ready == 0) {
      if (sliced) continue;
      break;   // silence: the interval or the total time-out ended the read
    }
    if (p.revents & (POLLERR | POLLNVAL)) {
      g_ioError[port].store(EIO);
      failed = true;
      break;
    }
    ssize_t n = ::read(slot.fd, buffer + got, maxLength - got);
    if (n > 0) {
      uint16_t before = got;
      got = static_cast<uint16_t>(got + n);
      lastBytes = nowMs();
      if (t.endAtCr) {
        bool complete = false;
        for (uint16_t i = before; i < got && !complete; ++i) {
          sawStx = sawStx || buffer[i] == 0x02;
          complete = sawStx && buffer[i] == 0x0D;
        }
        if (complete) break;
      }
      // Straight back to poll(), which blocks until the next bytes come: the
      // reply's CR and the start of the silence are seen as they happen.
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    // The device is gone (an adapter pulled out): the read fails at once, with
    // the reason kept, rather than waiting out the time-out for nothing.
    if (n < 0 && (errno == ENXIO || errno == ENODEV)) {
      g_ioError[port].store(static_cast<uint32_t>(errno));
      failed = true;
      break;
    }
    // Hang-up (the peer closed a pseudo-terminal; EIO): wait out the time-out as
    // a silent line would, without spinning.
    if (n < 0) g_ioError[port].store(static_cast<uint32_t>(errno));
    if (got > 0) break;
    int64_t left = deadline - nowMs();
    if (left > 0) ::poll(nullptr, 0, static_cast<int>(left < 20 ? left : 20));
  }
  // A reply is one burst: whatever arrives after the read has ended (the rest of
  // a reply the module split, or a late answer to an earlier attempt) is thrown
  // away, so it can never be taken for the start of the next reply.
  tcflush(slot.fd, TCIFLUSH);
  if (count) *count = got;
  return (!failed && got >= 1) ? PORT_OK : PORT_NOTHING_READ;
}

uint16_t writePort(uint16_t port, uint16_t length, const uint8_t* data, uint16_t* count) {
  if (count) *count = 0;
  if (port >= kSerialPortCount) return PORT_BAD_NUMBER;
  SerialPort* found = findPort(port);
  if (!found || found->fd < 0) return PORT_NOT_OPEN;
  SerialPort& slot = *found;
  const int64_t deadline = nowMs() + slot.timings.writeTotalConstant +
                           static_cast<int64_t>(slot.timings.writeTotalMultiplier) * length;
  uint16_t sent = 0;
  while (sent < length) {
    ssize_t n = ::write(slot.fd, data + sent, length - sent);
    if (n > 0) {
      sent = static_cast<uint16_t>(sent + n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      g_ioError[port].store(static_cast<uint32_t>(errno));
      break;
    }
    int64_t left = deadline - nowMs();
    if (left <= 0) break;
    pollfd p{slot.fd, POLLOUT, 0};
    ::poll(&p, 1, static_cast<int>(left));
  }
  if (count) *count = sent;
  return sent >= 1 ? PORT_OK : PORT_NOTHING_WRITTEN;
}

uint32_t portOpenError(uint16_t port) {
  return port < kSerialPortCount ? g_openError[port].load() : 0;
}

uint32_t portIoError(uint16_t port) { return port < kSerialPortCount ? g_ioError[port].load() : 0; }
