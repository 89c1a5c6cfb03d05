// Platform back end of guarded file access (guarded_file_posix.cpp / _win32.cpp).
// Called only by guarded_file.cpp with the file lock held.
#pragma once
#include <cstdint>
#include "files/guarded_file.h"

// Location codes that need the platform (everything but 0); path has FILE_PATH_MAX bytes.
uint16_t backendResolve(int16_t location, uint16_t drive, const char* name, char* path);
enum class OpenMode : uint8_t {
  Read,        // an existing file, reading only; other readers may hold it too
  ReadWrite,   // an existing file or a new empty one, read and write, not shared
  Replace,     // a new or emptied file, read and write, not shared (temporary files)
};
FileHandle backendOpen(const char* path, OpenMode mode);
bool backendSeek(FileHandle file, uint64_t offset);
// false on failure; *done gets the bytes moved (0 at end of file).
bool backendRead(FileHandle file, void* buffer, uint32_t length, uint32_t* done);
bool backendWrite(FileHandle file, const void* buffer, uint32_t length, uint32_t* done);
bool backendSize(FileHandle file, uint64_t* size);
bool backendFlush(FileHandle file);
void backendClose(FileHandle file);
bool backendIsFile(const char* path);
// Renames `from` over `to`, replacing it.
bool backendReplace(const char* from, const char* to);
void backendRemove(const char* path);
