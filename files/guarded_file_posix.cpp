// Guarded file access back end (POSIX): descriptors, the current and temporary
// directories; the drive and Windows directory codes mean nothing here.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "files/file_backend.h"

namespace {
uint16_t joinPath(const char* directory, bool addSeparator, const char* name, char* path) {
  int written = std::snprintf(path, FILE_PATH_MAX, "%s%s%s", directory, addSeparator ? "/" : "",
                              name);
  if (written < 0 || written >= FILE_PATH_MAX) return FILE_BAD_DIRECTORY;
  return FILE_OK;
}
}  // namespace

uint16_t backendResolve(int16_t location, uint16_t, const char* name, char* path) {
  if (location == LOCATION_CURRENT_DIR) {
    char directory[FILE_PATH_MAX];
    if (!getcwd(directory, sizeof directory)) return FILE_BAD_DIRECTORY;
    return joinPath(directory, true, name, path);
  }
  if (location == LOCATION_TEMP_DIR) {
    // Like the Windows temporary directory, the prefix ends in a separator.
    const char* directory = std::getenv("TMPDIR");
    if (!directory || !*directory) directory = "/tmp";
    size_t length = std::strlen(directory);
    return joinPath(directory, directory[length - 1] != '/', name, path);
  }
  return FILE_BAD_LOCATION;
}

FileHandle backendOpen(const char* path, OpenMode mode) {
  int flags = O_CLOEXEC;
  if (mode == OpenMode::Read) flags |= O_RDONLY;
  else flags |= O_RDWR | O_CREAT;
  if (mode == OpenMode::Replace) flags |= O_TRUNC;
  int fd;
  do fd = ::open(path, flags, 0644);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return FILE_NONE;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return FILE_NONE;
  }
  // Readers share the file; a writer has it alone, and a second open of it in
  // another process is refused.
  if (flock(fd, (mode == OpenMode::Read ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    ::close(fd);
    return FILE_NONE;
  }
  return fd;
}

bool backendSeek(FileHandle file, uint64_t offset) {
  return lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool backendRead(FileHandle file, void* buffer, uint32_t length, uint32_t* done) {
  ssize_t got;
  do got = ::read(static_cast<int>(file), buffer, length);
  while (got < 0 && errno == EINTR);
  *done = got > 0 ? static_cast<uint32_t>(got) : 0;
  return got >= 0;
}

bool backendWrite(FileHandle file, const void* buffer, uint32_t length, uint32_t* done) {
  ssize_t put;
  do put = ::write(static_cast<int>(file), buffer, length);
  while (put < 0 && errno == EINTR);
  *done = put > 0 ? static_cast<uint32_t>(put) : 0;
  return put >= 0;
}

bool backendSize(FileHandle file, uint64_t* size) {
  struct stat info;
  if (fstat(static_cast<int>(file), &info) != 0) return false;
  *size = static_cast<uint64_t>(info.st_size);
  return true;
}

bool backendFlush(FileHandle file) { return fsync(static_cast<int>(file)) == 0; }

void backendClose(FileHandle file) { ::close(static_cast<int>(file)); }

bool backendIsFile(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

bool backendReplace(const char* from, const char* to) { return std::rename(from, to) == 0; }

void backendRemove(const char* path) { ::unlink(path); }
