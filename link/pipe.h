// Anonymous pipe carrying fixed-size records between threads of this process.
// Back ends: pipe_posix.cpp (pipe(2)) and pipe_win32.cpp (CreatePipe).
#pragma once
#include <cstdint>

struct PipeEnds {
  intptr_t readEnd = -1;
  intptr_t writeEnd = -1;
};

// Creates the pipe with room for at least `bufferSize` bytes; true on success.
bool pipeCreate(PipeEnds* ends, uint32_t bufferSize);
// Writes or reads exactly `length` bytes; true when all of them went through.
bool pipeWrite(const PipeEnds& ends, const void* data, uint32_t length);
bool pipeRead(const PipeEnds& ends, void* data, uint32_t length);
void pipeClose(PipeEnds* ends);
