// Guarded file access back end (Windows): file handles, drive roots and the
// Windows, system, temporary and current directories. Paths are UTF-8.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include "files/file_backend.h"

namespace {
// Room for a path of FILE_PATH_MAX units and the \\?\UNC\ prefix.
constexpr int kSystemPathMax = FILE_PATH_MAX + 16;

// The UTF-8 path as Windows is given it. A path of MAX_PATH units or more opens
// only with the \\?\ prefix, which takes the path literally, so it is made full
// (no relative parts, backslashes only) first.
bool toSystemPath(const char* path, wchar_t* out) {
  wchar_t wide[kSystemPathMax];
  int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, wide, FILE_PATH_MAX);
  if (units <= 0) return false;
  if (units - 1 < MAX_PATH || std::wcsncmp(wide, L"\\\\?\\", 4) == 0) {
    std::wmemcpy(out, wide, units);
    return true;
  }
  wchar_t full[kSystemPathMax];
  DWORD length = GetFullPathNameW(wide, FILE_PATH_MAX, full, nullptr);
  if (length == 0 || length >= FILE_PATH_MAX) return false;
  bool share = full[0] == L'\\' && full[1] == L'\\';
  int written = std::swprintf(out, kSystemPathMax, L"%ls%ls", share ? L"\\\\?\\UNC\\" : L"\\\\?\\",
                              share ? full + 2 : full);
  return written > 0 && written < kSystemPathMax;
}

bool toUtf8(const wchar_t* text, char* out, int capacity) {
  return WideCharToMultiByte(CP_UTF8, 0, text, -1, out, capacity, nullptr, nullptr) > 0;
}

uint16_t joinPath(const wchar_t* directory, bool addSeparator, const char* name, char* path) {
  char prefix[FILE_PATH_MAX * 3];
  if (!toUtf8(directory, prefix, sizeof prefix)) return FILE_BAD_DIRECTORY;
  int written = std::snprintf(path, FILE_PATH_MAX, "%s%s%s", prefix, addSeparator ? "\\" : "",
                              name);
  if (written < 0 || written >= FILE_PATH_MAX) return FILE_BAD_DIRECTORY;
  return FILE_OK;
}

UINT driveTypeOf(int16_t location) {
  switch (location) {
    case LOCATION_REMOVABLE: return DRIVE_REMOVABLE;
    case LOCATION_FIXED: return DRIVE_FIXED;
    case LOCATION_CDROM: return DRIVE_CDROM;
    default: return DRIVE_REMOTE;
  }
}
}  // namespace

uint16_t backendResolve(int16_t location, uint16_t drive, const char* name, char* path) {
  wchar_t directory[FILE_PATH_MAX];
  switch (location) {
    case LOCATION_REMOVABLE:
    case LOCATION_FIXED:
    case LOCATION_CDROM:
    case LOCATION_NETWORK: {
      // Walk the drives present from A: and take the n-th of the wanted type.
      DWORD present = GetLogicalDrives();
      uint16_t seen = 0;
      for (int letter = 0; letter < 26; ++letter) {
        if (!(present & (1u << letter))) continue;
        wchar_t root[4] = {wchar_t(L'A' + letter), L':', L'\\', 0};
        if (GetDriveTypeW(root) != driveTypeOf(location)) continue;
        if (seen++ == drive) return joinPath(root, false, name, path);
      }
      return FILE_NO_DRIVE;
    }
    case LOCATION_CURRENT_DIR: {
      DWORD n = GetCurrentDirectoryW(FILE_PATH_MAX, directory);
      if (n == 0 || n >= FILE_PATH_MAX) return FILE_BAD_DIRECTORY;
      return joinPath(directory, true, name, path);
    }
    case LOCATION_WINDOWS_DIR: {
      UINT n = GetWindowsDirectoryW(directory, FILE_PATH_MAX);
      if (n == 0 || n >= FILE_PATH_MAX) return FILE_BAD_DIRECTORY;
      return joinPath(directory, true, name, path);
    }
    case LOCATION_TEMP_DIR: {
      DWORD n = GetTempPathW(FILE_PATH_MAX, directory);   // ends in a backslash
      if (n == 0 || n >= FILE_PATH_MAX) return FILE_BAD_DIRECTORY;
      return joinPath(directory, false, name, path);
    }
    case LOCATION_SYSTEM_DIR: {
      UINT n = GetSystemDirectoryW(directory, FILE_PATH_MAX);
      if (n == 0 || n >= FILE_PATH_MAX) return FILE_BAD_DIRECTORY;
      return joinPath(directory, true, name, path);
    }
    default:
      return FILE_BAD_LOCATION;
  }
}

FileHandle backendOpen(const char* path, OpenMode mode) {
  wchar_t wide[kSystemPathMax];
  if (!toSystemPath(path, wide)) return FILE_NONE;
  bool reading = mode == OpenMode::Read;
  DWORD disposition = mode == OpenMode::Replace ? CREATE_ALWAYS : reading ? OPEN_EXISTING : OPEN_ALWAYS;
  // Readers ask for read access only and share it, so read-only files and files
  // other programs are reading open too; writers have the file alone.
  HANDLE file = CreateFileW(wide, reading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                            reading ? FILE_SHARE_READ : 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return FILE_NONE;
  return reinterpret_cast<FileHandle>(file);
}

bool backendSeek(FileHandle file, uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(reinterpret_cast<HANDLE>(file), to, nullptr, FILE_BEGIN) != 0;
}

bool backendRead(FileHandle file, void* buffer, uint32_t length, uint32_t* done) {
  DWORD got = 0;
  BOOL ok = ReadFile(reinterpret_cast<HANDLE>(file), buffer, length, &got, nullptr);
  *done = ok ? got : 0;
  return ok != 0;
}

bool backendWrite(FileHandle file, const void* buffer, uint32_t length, uint32_t* done) {
  DWORD put = 0;
  BOOL ok = WriteFile(reinterpret_cast<HANDLE>(file), buffer, length, &put, nullptr);
  *done = ok ? put : 0;
  return ok != 0;
}

bool backendSize(FileHandle file, uint64_t* size) {
  LARGE_INTEGER length;
  if (!GetFileSizeEx(reinterpret_cast<HANDLE>(file), &length)) return false;
  *size = static_cast<uint64_t>(length.QuadPart);
  return true;
}

bool backendFlush(FileHandle file) {
  return FlushFileBuffers(reinterpret_cast<HANDLE>(file)) != 0;
}

void backendClose(FileHandle file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

bool backendIsFile(const char* path) {
  wchar_t wide[kSystemPathMax];
  if (!toSystemPath(path, wide)) return false;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(wide, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool backendReplace(const char* from, const char* to) {
  wchar_t wideFrom[kSystemPathMax], wideTo[kSystemPathMax];
  if (!toSystemPath(from, wideFrom) || !toSystemPath(to, wideTo)) return false;
  return MoveFileExW(wideFrom, wideTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void backendRemove(const char* path) {
  wchar_t wide[kSystemPathMax];
  if (toSystemPath(path, wide)) DeleteFileW(wide);
}
