// Entry point of qzsetup.exe; the command line is not read.
#include <windows.h>

#include "shell/shell_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  return runSetupTool(instance, showCommand);
}
