// The program's version as the text "Ver" and its number in the version format.
#include "system/program_version.h"

#include "protocol/number_format.h"

void programVersionText(char* out) {
  out[0] = 'V';
  out[1] = 'e';
  out[2] = 'r';
  uint16_t version = PROGRAM_VERSION;
  if (formatNumber(PROGRAM_VERSION_FORMAT, &version, out + 3) != FORMAT_OK) {
    out[3] = 0;
    return;
  }
  out[3 + formatWidth(PROGRAM_VERSION_FORMAT)] = 0;
}
