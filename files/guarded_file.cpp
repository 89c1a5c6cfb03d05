// Guarded file access: the process-wide file lock and every file operation under it.
#include "files/guarded_file.h"
#include <cstring>
#include <mutex>
#include <new>
#include "files/file_backend.h"

namespace {
// A function-local static would do as well; a plain global keeps it visible. The
// mutex exists from the start, so an operation before fileLockCreate is still safe.
std::mutex g_fileLock;

uint16_t resolveLocked(int16_t location, uint16_t drive, const char* name, char* path) {
  if (!name) return FILE_OPEN_FAILED;
  if (location == LOCATION_AS_GIVEN) {
    size_t length = std::strlen(name);
    if (length >= FILE_PATH_MAX) return FILE_BAD_DIRECTORY;
    std::memcpy(path, name, length + 1);
    return FILE_OK;
  }
  return backendResolve(location, drive, name, path);
}

// Moves the whole of `length` bytes, looping over short transfers.
uint16_t transfer(FileHandle file, uint64_t offset, void* buffer, uint64_t length,
                  bool writing, uint32_t* done) {
  if (done) *done = 0;
  if (file == FILE_NONE) return FILE_NO_HANDLE;
  if (!backendSeek(file, offset)) return FILE_SEEK_FAILED;
  uint64_t moved = 0;
  while (moved < length) {
    uint64_t left = length - moved;
    uint32_t chunk = left > 0x40000000u ? 0x40000000u : static_cast<uint32_t>(left);
    uint32_t step = 0;
    char* at = static_cast<char*>(buffer) + moved;
    bool ok = writing ? backendWrite(file, at, chunk, &step) : backendRead(file, at, chunk, &step);
    if (!ok) {
      if (done) *done = static_cast<uint32_t>(moved);
      if (writing) return FILE_WRITE_FAILED;
      return moved > 0 ? FILE_OK : FILE_READ_FAILED;   // a short read is success
    }
    if (step == 0) break;
    moved += step;
  }
  if (done) *done = static_cast<uint32_t>(moved);
  if (moved == 0 && length > 0) return writing ? FILE_WRITE_NOTHING : FILE_READ_NOTHING;
  if (writing && moved < length) return FILE_WRITE_FAILED;
  return FILE_OK;
}
}  // namespace

void fileLockCreate() {}   // the mutex is static; nothing to make
void fileLockClose() {}

uint16_t resolveFilePath(int16_t location, uint16_t drive, const char* name, char* path) {
  std::lock_guard<std::mutex> hold(g_fileLock);
  return resolveLocked(location, drive, name, path);
}

FileHandle openFile(int16_t location, uint16_t drive, const char* name, uint16_t* status) {
  std::lock_guard<std::mutex> hold(g_fileLock);
  char path[FILE_PATH_MAX];
  uint16_t result = resolveLocked(location, drive, name, path);
  FileHandle file = FILE_NONE;
  if (result == FILE_OK) {
    file = backendOpen(path, OpenMode::ReadWrite);
    if (file == FILE_NONE) result = FILE_OPEN_FAILED;
  }
  if (status) *status = result;
  return file;
}

uint16_t readAt(FileHandle file, uint32_t recordSize, uint32_t index, uint32_t count,
                void* buffer, uint32_t* done) {
  if (file == FILE_NONE) {
    if (done) *done = 0;
    return FILE_NO_HANDLE;
  }
  std::lock_guard<std::mutex> hold(g_fileLock);
  return transfer(file, uint64_t(recordSize) * index, buffer, uint64_t(recordSize) * count,
                  false, done);
}

uint16_t writeAt(FileHandle file, uint32_t recordSize, uint32_t index, uint32_t count,
                 const void* buffer, uint32_t* done) {
  if (file == FILE_NONE) {
    if (done) *done = 0;
    return FILE_NO_HANDLE;
  }
  std::lock_guard<std::mutex> hold(g_fileLock);
  return transfer(file, uint64_t(recordSize) * index, const_cast<void*>(buffer),
                  uint64_t(recordSize) * count, true, done);
}

uint16_t closeFile(FileHandle file) {
  if (file == FILE_NONE) return FILE_NO_HANDLE;
  std::lock_guard<std::mutex> hold(g_fileLock);
  backendClose(file);
  return FILE_OK;
}

uint16_t fileExists(int16_t location, uint16_t drive, const char* name, uint16_t* status) {
  std::lock_guard<std::mutex> hold(g_fileLock);
  char path[FILE_PATH_MAX];
  uint16_t result = resolveLocked(location, drive, name, path);
  uint16_t found = 0;
  if (result == FILE_OK) {
    if (backendIsFile(path)) found = 1;
    else result = FILE_NOT_FOUND;
  }
  if (status) *status = result;
  return found;
}

uint16_t readWholeFile(int16_t location, uint16_t drive, const char* name, char** data,
                       uint32_t* size) {
  *data = nullptr;
  *size = 0;
  std::lock_guard<std::mutex> hold(g_fileLock);
  char path[FILE_PATH_MAX];
  uint16_t result = resolveLocked(location, drive, name, path);
  if (result != FILE_OK) return result;
  if (!backendIsFile(path)) return FILE_NOT_FOUND;
  FileHandle file = backendOpen(path, OpenMode::Read);
  if (file == FILE_NONE) return FILE_OPEN_FAILED;
  uint64_t length = 0;
  if (!backendSize(file, &length)) {
    backendClose(file);
    return FILE_READ_FAILED;
  }
  if (length == 0) {
    backendClose(file);
    return FILE_READ_NOTHING;
  }
  if (length >= 0xFFFFFFFFu) {   // more than any of our files can be
    backendClose(file);
    return FILE_READ_FAILED;
  }
  char* buffer = new (std::nothrow) char[length + 1];
  if (!buffer) {
    backendClose(file);
    return FILE_READ_FAILED;
  }
  uint32_t got = 0;
  result = transfer(file, 0, buffer, length, false, &got);
  backendClose(file);
  if (result != FILE_OK) {
    delete[] buffer;
    return result;
  }
  buffer[got] = 0;
  *data = buffer;
  *size = got;
  return FILE_OK;
}

void freeFileData(char* data) { delete[] data; }

uint16_t replaceWholeFile(int16_t location, uint16_t drive, const char* name,
                          const void* data, uint32_t size) {
  std::lock_guard<std::mutex> hold(g_fileLock);
  char path[FILE_PATH_MAX];
  uint16_t result = resolveLocked(location, drive, name, path);
  if (result != FILE_OK) return result;
  // The temporary file sits beside the target so the rename stays on one volume.
  char temporary[FILE_PATH_MAX + 8];
  size_t length = std::strlen(path);
  if (length + 5 >= FILE_PATH_MAX) return FILE_BAD_DIRECTORY;
  std::memcpy(temporary, path, length);
  std::memcpy(temporary + length, ".$qz", 5);
  FileHandle file = backendOpen(temporary, OpenMode::Replace);
  if (file == FILE_NONE) return FILE_OPEN_FAILED;
  uint32_t written = 0;
  result = transfer(file, 0, const_cast<void*>(data), size, true, &written);
  if (result == FILE_OK && !backendFlush(file)) result = FILE_WRITE_FAILED;
  backendClose(file);
  if (result == FILE_OK && !backendReplace(temporary, path)) result = FILE_WRITE_FAILED;
  if (result != FILE_OK) backendRemove(temporary);
  return result;
}
