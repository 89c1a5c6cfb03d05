// Reading one number from a dialog field for the editing dialogs.
#include "editing/field_input.h"

#include <cstring>

#include "files/definitions.h"
#include "protocol/number_format.h"
#include "toolkit/field_text.h"

bool readFieldNumber(const char* text, uint16_t format, int64_t* number) {
  if (text == nullptr) return false;
  size_t length = std::strlen(text);
  for (size_t i = static_cast<size_t>(formatWidth(format)); i < length; ++i)
    if (text[i] != ' ') return false;
  uint32_t raw = 0;
  if (!parseFieldText(text, format, &raw)) return false;
  uint16_t bytes = static_cast<uint16_t>(formatStorageBytes(format));
  bool isSigned = (format & 0x0100) != 0;
  int32_t widened = widenStored(static_cast<int32_t>(raw), bytes, isSigned);
  *number = isSigned ? int64_t(widened) : int64_t(static_cast<uint32_t>(widened));
  return true;
}
