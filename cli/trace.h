// Frame trace for --trace: printable frames with time stamps and the link statistics at exit.
#pragma once
#include <cstdint>
#include <string>

// Opens the trace ("-" is stderr) and hooks the framing layer; false if the file cannot be opened.
bool traceOpen(const std::string& path);
// A request's final status (0 ok), and a closing and reopening of the port before
// a request is repeated (the repeated frame itself is counted as a retry).
void traceNoteStatus(uint16_t status);
void traceNoteReopen();
// From now on every read that brings no reply says so on stderr, as a message of the
// command: "no reply from PORT (RDSSTS), attempt 1 of 3".
void attemptNotesOpen(const std::string& port);
// Writes the statistics, unhooks and closes (also the attempt notes).
void traceClose();
// One frame as printable text: control bytes as <STX>, <CR>, others outside 0x20..0x7E as \xNN.
std::string tracePrintable(const uint8_t* data, uint16_t length);
