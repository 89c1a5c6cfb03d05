// Terminals on Linux take UTF-8 as it is.
#include "cli/console.h"

#include <unistd.h>

namespace qzctl {

void prepareConsole() {}
bool stderrIsTerminal() { return isatty(2) != 0; }
bool stdoutIsTerminal() { return isatty(1) != 0; }
}  // namespace qzctl
