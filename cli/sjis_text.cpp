// Shift-JIS to UTF-8 for parameter names and alarm texts: iconv on Linux, code page 932 on Windows.
#include "cli/sjis_text.h"

#include <cstring>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

std::string sjisToUtf8(const char* text) {
  if (!text || !*text) return std::string();
  size_t length = std::strlen(text);
#ifdef _WIN32
  int wide = MultiByteToWideChar(932, 0, text, static_cast<int>(length), nullptr, 0);
  if (wide <= 0) return std::string(text);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(932, 0, text, static_cast<int>(length), w.data(), wide);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
#else
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string out(length * 3 + 4, '\0');
  char* in = const_cast<char*>(text);
  size_t inLeft = length;
  char* dst = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1)) break;
    // A byte that is not Shift-JIS: keep it visible as "?" and go on.
    if (outLeft == 0) break;
    *dst++ = '?';
    --outLeft;
    ++in;
    --inLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
#endif
}
