// The Windows console shows UTF-8 only with its output code page switched to it.
#include "cli/console.h"

#include <windows.h>
#include <io.h>

namespace qzctl {

// The watching monitor redraws in place with terminal escape sequences, which
// the console takes once its virtual terminal processing is on.
void prepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode))
    SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}
bool stderrIsTerminal() { return _isatty(2) != 0; }
bool stdoutIsTerminal() { return _isatty(1) != 0; }
}  // namespace qzctl
