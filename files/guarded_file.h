// Guarded file access: every file operation of the program under one process-wide lock.
#pragma once
#include <cstdint>

// The operating system's handle of an open file (a descriptor on POSIX, a HANDLE on
// Windows), or FILE_NONE.
using FileHandle = intptr_t;
constexpr FileHandle FILE_NONE = -1;

// Location codes: where a plain file name is looked for.
constexpr int16_t LOCATION_AS_GIVEN = 0;     // the name unchanged
constexpr int16_t LOCATION_REMOVABLE = 1;    // root of the n-th removable drive (Windows)
constexpr int16_t LOCATION_FIXED = 2;        // root of the n-th fixed drive (Windows)
constexpr int16_t LOCATION_CDROM = 3;        // root of the n-th CD-ROM drive (Windows)
constexpr int16_t LOCATION_NETWORK = 4;      // root of the n-th network drive (Windows)
constexpr int16_t LOCATION_CURRENT_DIR = -1; // current directory
constexpr int16_t LOCATION_WINDOWS_DIR = -2; // Windows directory (Windows)
constexpr int16_t LOCATION_TEMP_DIR = -15;   // temporary directory
constexpr int16_t LOCATION_SYSTEM_DIR = -16; // system directory (Windows)

// Bytes of a resolved UTF-8 path, NUL included: room for any path of 260 UTF-16
// units (at most 3 bytes each), so a Japanese path a file dialog returns fits.
constexpr int FILE_PATH_MAX = 1024;

// Status codes.
constexpr uint16_t FILE_OK = 0;
constexpr uint16_t FILE_BAD_LOCATION = 3;    // location code not known (here)
constexpr uint16_t FILE_NO_DRIVE = 4;        // no drive of that type with that index
constexpr uint16_t FILE_BAD_DIRECTORY = 5;   // directory query failed or path too long
constexpr uint16_t FILE_OPEN_FAILED = 0x8000;
constexpr uint16_t FILE_NO_HANDLE = 0x8001;
constexpr uint16_t FILE_SEEK_FAILED = 0x8002;
constexpr uint16_t FILE_READ_FAILED = 0x8003;
constexpr uint16_t FILE_READ_NOTHING = 0x8004;
constexpr uint16_t FILE_WRITE_FAILED = 0x8005;
constexpr uint16_t FILE_WRITE_NOTHING = 0x8006;
constexpr uint16_t FILE_NOT_FOUND = 0x8007;

// The file lock. Created once at start-up (again while it exists does nothing) and
// closed at shutdown; operations work without it too, serialised all the same.
void fileLockCreate();
void fileLockClose();

// Resolves `name` against a location into `path` (FILE_PATH_MAX bytes).
uint16_t resolveFilePath(int16_t location, uint16_t drive, const char* name, char* path);

// Opens an existing file or creates an empty one (never truncates), read and write.
FileHandle openFile(int16_t location, uint16_t drive, const char* name, uint16_t* status);
// Seeks to recordSize * index and reads or writes recordSize * count bytes. A short
// read (more than 0 bytes) is success; *done says how many bytes moved.
uint16_t readAt(FileHandle file, uint32_t recordSize, uint32_t index, uint32_t count,
                void* buffer, uint32_t* done);
uint16_t writeAt(FileHandle file, uint32_t recordSize, uint32_t index, uint32_t count,
                 const void* buffer, uint32_t* done);
uint16_t closeFile(FileHandle file);
// 1 when the resolved name is an existing file, else 0 (status FILE_NOT_FOUND or the
// resolution error). Creates nothing.
uint16_t fileExists(int16_t location, uint16_t drive, const char* name, uint16_t* status);

// Whole-file helpers every reader and writer of the program uses; each is one
// operation under the lock.
//
// Reads an existing file whole into a new buffer of size + 1 bytes (the extra byte
// is 0); opens it for reading only, shared with other readers, so read-only files
// and files another program reads are read too. Never creates the file. FILE_NOT_FOUND when it does not exist,
// FILE_READ_NOTHING when it is empty. Free the buffer with freeFileData.
uint16_t readWholeFile(int16_t location, uint16_t drive, const char* name, char** data,
                       uint32_t* size);
void freeFileData(char* data);
// Writes `size` bytes to a temporary file beside the target and renames it over
// the target only when everything was written and flushed: a failed write leaves
// the old file as it was, and no bytes of a longer old file remain.
uint16_t replaceWholeFile(int16_t location, uint16_t drive, const char* name,
                          const void* data, uint32_t size);
