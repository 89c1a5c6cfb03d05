// Text conversion of the definition files' Shift-JIS strings for terminal and JSON output.
#pragma once
#include <string>

// UTF-8 of a terminated Shift-JIS string; null gives "".
std::string sjisToUtf8(const char* text);
