// The data file error box: text by kind, "LINE:" with the line in hexadecimal.
#include "files/file_error.h"
#include <cstdio>
#include "resources/resource.h"

void formatFileErrorLine(uint16_t line, char* out) {
  if (line == 0xFFFF) std::snprintf(out, 10, "LINE:xxxx");
  else std::snprintf(out, 10, "LINE:%04X", line);
}

void showFileError(OwnerHandle owner, uint16_t kind, uint16_t line) {
  char lineText[10];
  formatFileErrorLine(line, lineText);
  const uint32_t style = PROMPT_OK | PROMPT_ICON_ERROR;
  switch (kind) {
    case FILE_ERROR_DEFINITION_READ:
      promptMessage(owner, IDS_DEFINITION_READ_FAILED, lineText, IDS_CAPTION, style);
      break;
    case FILE_ERROR_DATA_READ:
      promptMessage(owner, IDS_DATA_READ_FAILED, lineText, IDS_CAPTION, style);
      break;
    case FILE_ERROR_DATA_WRITE:   // the system's default caption
      promptMessage(owner, IDS_DATA_WRITE_FAILED, nullptr, 0, style);
      break;
    case FILE_ERROR_POINT_READ:
      promptMessage(owner, IDS_POINT_READ_FAILED, lineText, IDS_CAPTION, style);
      break;
    case FILE_ERROR_POINT_WRITE:
      promptMessage(owner, IDS_POINT_WRITE_FAILED, nullptr, IDS_CAPTION, style);
      break;
    default:
      break;
  }
}
