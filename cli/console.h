// The terminal qzctl writes to, behind one interface for both platforms.
#pragma once

namespace qzctl {
// Lets the console show the UTF-8 texts qzctl prints (names, labels, alarm texts).
void prepareConsole();
bool stderrIsTerminal();
bool stdoutIsTerminal();
}  // namespace qzctl
