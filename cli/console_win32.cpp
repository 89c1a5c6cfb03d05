// The Windows console shows UTF-8 only with its output code page switched to it.
#include "cli/console.h"

#include <windows.h>
#include <io.h>

namespace qzctl {

void prepareConsole() { SetConsoleOutputCP(CP_UTF8); }
bool stderrIsTerminal() { return _isatty(2) != 0; }
}  // namespace qzctl
