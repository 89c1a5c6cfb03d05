// Anonymous pipe, Win32 back end.
#include "link/pipe.h"
#include <windows.h>

bool pipeCreate(PipeEnds* ends, uint32_t bufferSize) {
  HANDLE r = nullptr, w = nullptr;
  if (!CreatePipe(&r, &w, nullptr, bufferSize)) return false;
  ends->readEnd = reinterpret_cast<intptr_t>(r);
  ends->writeEnd = reinterpret_cast<intptr_t>(w);
  return true;
}

bool pipeWrite(const PipeEnds& ends, const void* data, uint32_t length) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    DWORD n = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(ends.writeEnd), p, length, &n, nullptr) || n == 0)
      return false;
    p += n;
    length -= n;
  }
  return true;
}

bool pipeRead(const PipeEnds& ends, void* data, uint32_t length) {
  char* p = static_cast<char*>(data);
  while (length > 0) {
    DWORD n = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(ends.readEnd), p, length, &n, nullptr) || n == 0)
      return false;
    p += n;
    length -= n;
  }
  return true;
}

void pipeClose(PipeEnds* ends) {
  if (ends->readEnd != -1) CloseHandle(reinterpret_cast<HANDLE>(ends->readEnd));
  if (ends->writeEnd != -1) CloseHandle(reinterpret_cast<HANDLE>(ends->writeEnd));
  ends->readEnd = ends->writeEnd = -1;
}
