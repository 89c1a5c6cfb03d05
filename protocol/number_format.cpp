// formatNumber and parseNumber: fixed-width number text described by one format word.
#include "protocol/number_format.h"

#include <cstring>

namespace {

int radixOf(uint16_t format) {
  int code = (format & FMT_RADIX_MASK) >> 12;
  switch (code) {
    case 2: return 2;
    case 3: return 8;
    case 4: return 16;
    default: return 10;   // 0, 1 and the unused codes 5 to 7
  }
}

int storageOf(uint16_t format) { return (format & FMT_STORAGE_MASK) >> 8; }

int64_t fetchValue(int storage, const void* value) {
  switch (storage) {
    case 0: { uint8_t v; std::memcpy(&v, value, 1); return v; }
    case 1: { int8_t v; std::memcpy(&v, value, 1); return v; }
    case 2: { uint16_t v; std::memcpy(&v, value, 2); return v; }
    case 3: { int16_t v; std::memcpy(&v, value, 2); return v; }
    case 5: { int32_t v; std::memcpy(&v, value, 4); return v; }
    default: { uint32_t v; std::memcpy(&v, value, 4); return v; }   // 4, and 6/7 read as 32-bit
  }
}

void fill(char* out, int width, char c) { std::memset(out, c, static_cast<size_t>(width)); }

}  // namespace

uint16_t formatNumber(uint16_t format, const void* value, char* out) {
  const int width = formatWidth(format);
  const int fraction = (format & FMT_FRACTION_MASK) >> 4;
  const int radix = radixOf(format);
  const int storage = storageOf(format);
  if (width == 0) return FORMAT_OK;
  fill(out, width, ' ');

  int64_t v = fetchValue(storage, value);
  char sign = 0;
  const bool isSigned = (storage & 1) != 0 && storage <= 5;
  uint64_t magnitude;
  if (isSigned && v < 0) {
    sign = '-';
    magnitude = static_cast<uint64_t>(-v);
  } else {
    magnitude = static_cast<uint64_t>(v);
    if ((format & 0x1000) && magnitude != 0) sign = '+';
  }

  // Digits are produced least significant first into the end of a scratch buffer.
  char text[40];
  int start = sizeof text;   // text occupies [start, sizeof text)
  int digits = 0;
  bool done = false;
  for (int step = 0; step < width; ++step) {
    int d = static_cast<int>(magnitude % static_cast<uint64_t>(radix));
    magnitude /= static_cast<uint64_t>(radix);
    text[--start] = static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10);
    ++digits;
    if (fraction > 0 && digits == fraction && width - step >= 2) {
      text[--start] = '.';
      if (magnitude == 0) {
        text[--start] = '0';
        done = true;
        break;
      }
    }
    if (magnitude == 0 && digits >= fraction) {
      done = true;
      break;
    }
  }
  if (!done && magnitude != 0) {
    fill(out, width, '*');
    return FORMAT_TOO_MANY_DIGITS;
  }
  int length = static_cast<int>(sizeof text) - start;
  if (length > width) {
    fill(out, width, '*');
    return FORMAT_TOO_LONG;
  }
  if (sign) {
    if (length + 1 > width) {
      fill(out, width, '*');
      return FORMAT_TOO_LONG;
    }
    text[--start] = sign;
    ++length;
  }

  if (format & FMT_ZERO_FILL) {
    fill(out, width, '0');
    int body = start;
    if (sign) {
      out[0] = sign;
      ++body;
    }
    int bodyLength = static_cast<int>(sizeof text) - body;
    std::memcpy(out + width - bodyLength, text + body, static_cast<size_t>(bodyLength));
  } else if (format & FMT_LEFT) {
    std::memcpy(out, text + start, static_cast<size_t>(length));
  } else {
    std::memcpy(out + width - length, text + start, static_cast<size_t>(length));
  }
  return FORMAT_OK;
}

uint16_t parseNumber(uint16_t format, const char* text, void* result) {
  const int width = formatWidth(format);
  const int fraction = (format & FMT_FRACTION_MASK) >> 4;
  const int radix = radixOf(format);
  const int storage = storageOf(format);

  // Magnitudes beyond 32 bits fit no storage; the value is held at a ceiling
  // above every limit so that no digit string, however long, can wrap into range.
  constexpr uint64_t kCeiling = uint64_t(1) << 33;
  char sign = 0;
  bool point = false;
  int fractionLeft = fraction;
  uint64_t magnitude = 0;
  auto shiftIn = [&](int digit) {
    magnitude = magnitude * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
    if (magnitude > kCeiling) magnitude = kCeiling;
  };
  for (int i = 0; i < width; ++i) {
    char c = text[i];
    if (c == '+' || c == '-') {
      if (sign) return PARSE_SECOND_SIGN;
      sign = c;
      continue;
    }
    if (c == '.') {
      if (fraction == 0) return PARSE_POINT_NOT_ALLOWED;
      if (point) return PARSE_SECOND_POINT;
      point = true;
      continue;
    }
    if (c == ' ' || c == '\0') continue;
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return PARSE_BAD_CHARACTER;
    if (d >= radix) return PARSE_BAD_CHARACTER;
    if (point) {
      // More fraction digits than the format holds have no meaning: refuse them.
      if (fractionLeft == 0) return PARSE_BAD_CHARACTER;
      --fractionLeft;
    }
    shiftIn(d);
  }
  for (int i = 0; i < fractionLeft; ++i) shiftIn(0);
  const int64_t value = sign == '-' ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);

  int64_t low = 0, high = 0;
  switch (storage) {
    case 0: high = 255; break;
    case 1: low = -128; high = 127; break;
    case 2: high = 65535; break;
    case 3: low = -32768; high = 32767; break;
    case 5: low = -2147483648LL; high = 2147483647LL; break;
    default: high = 4294967295LL; break;   // 4, and 6/7 stored as 32-bit unsigned
  }
  if (value < low || value > high) return PARSE_OUT_OF_RANGE;
  switch (storage) {
    case 0: case 1: { uint8_t v = static_cast<uint8_t>(value); std::memcpy(result, &v, 1); break; }
    case 2: case 3: { uint16_t v = static_cast<uint16_t>(value); std::memcpy(result, &v, 2); break; }
    default: { uint32_t v = static_cast<uint32_t>(value); std::memcpy(result, &v, 4); break; }
  }
  return PARSE_OK;
}
