// Anonymous pipe, POSIX back end.
#include "link/pipe.h"
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool pipeCreate(PipeEnds* ends, uint32_t bufferSize) {
  int fds[2];
  if (::pipe(fds) != 0) return false;
  ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
#ifdef F_SETPIPE_SZ
  // The default buffer is larger than any channel needs; only ever grow it.
  int current = ::fcntl(fds[1], F_GETPIPE_SZ);
  if (current >= 0 && static_cast<uint32_t>(current) < bufferSize)
    ::fcntl(fds[1], F_SETPIPE_SZ, static_cast<int>(bufferSize));
#endif
  ends->readEnd = fds[0];
  ends->writeEnd = fds[1];
  return true;
}

bool pipeWrite(const PipeEnds& ends, const void* data, uint32_t length) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    ssize_t n = ::write(static_cast<int>(ends.writeEnd), p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= static_cast<uint32_t>(n);
  }
  return true;
}

bool pipeRead(const PipeEnds& ends, void* data, uint32_t length) {
  char* p = static_cast<char*>(data);
  while (length > 0) {
    ssize_t n = ::read(static_cast<int>(ends.readEnd), p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= static_cast<uint32_t>(n);
  }
  return true;
}

void pipeClose(PipeEnds* ends) {
  if (ends->readEnd >= 0) ::close(static_cast<int>(ends->readEnd));
  if (ends->writeEnd >= 0) ::close(static_cast<int>(ends->writeEnd));
  ends->readEnd = ends->writeEnd = -1;
}
