// Messages on stderr in place of the desktop program's boxes, and the exit codes.
#include "cli/qzctl.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "files/definitions.h"
#include "files/file_error.h"
#include "link/link_state.h"
#include "link/prompt.h"
#include "link/request.h"
#include "protocol/number_format.h"
#include "resources/resource.h"
#include "serial/serial_port.h"

namespace qzctl {
namespace {

uint16_t g_lastBoxText = 0;   // string id of the last message, for the exit code

std::string deviceFailure(uint16_t port) {
  uint32_t reason = portIoError(port);
  if (reason == 0) return "";
#ifdef _WIN32
  return "; " + g_opt.port + " failed (system error " + std::to_string(reason) + ")";
#else
  return "; " + g_opt.port + " failed (" + std::strerror(static_cast<int>(reason)) + ")";
#endif
}

// Messages the core would show in a box, in English on stderr; never answers Yes.
uint16_t cliShowMessage(OwnerHandle, uint16_t textId, const char* extra, uint16_t, uint32_t) {
  const char* text = "message";
  switch (textId) {
    case IDS_COMM_ERROR: text = "communication failure, no valid reply from the module"; break;
    case IDS_ERROR_REPLY: text = "error reply from the module"; break;
    case IDS_BAD_REPLY_FORMAT: text = "malformed reply from the module"; break;
    case IDS_PORT_INIT_FAILED: text = "cannot open the port"; break;
    case IDS_DEFINITION_READ_FAILED: text = "cannot read the definition file"; break;
    case IDS_DATA_READ_FAILED: text = "cannot read the parameter file"; break;
    case IDS_DATA_WRITE_FAILED: text = "cannot write the parameter file"; break;
    case IDS_POINT_READ_FAILED: text = "cannot read the point file"; break;
    case IDS_POINT_WRITE_FAILED: text = "cannot write the point file"; break;
    default: break;
  }
  std::string more;
  for (const char* p = extra; p && *p; ++p) more += (*p == '\n') ? ' ' : *p;
  // A device that failed (an adapter pulled out) is named with the system's reason.
  if (textId == IDS_COMM_ERROR) more += deviceFailure(g_mode.currentPort);
  note("%s%s", text, more.c_str());
  return ANSWER_NO;
}

void cliStatusChanged() {}
void cliNotify(uint32_t, uintptr_t, intptr_t) {}

uint16_t recordingShow(OwnerHandle o, uint16_t textId, const char* extra, uint16_t c, uint32_t s) {
  g_lastBoxText = textId;
  return cliShowMessage(o, textId, extra, c, s);
}
const PromptInterface kRecordingPrompt = {recordingShow, cliStatusChanged, cliNotify};

bool fileMissing(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f) {
    std::fclose(f);
    return false;
  }
  return errno == ENOENT;
}

void vnote(const char* format, va_list args) {
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, format, again);
  va_end(again);
  std::string text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  std::fprintf(stderr, "qzctl %s: %s\n", g_command.c_str(), text.c_str());
}

}  // namespace

void note(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vnote(format, args);
  va_end(args);
}

int fail(int code, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vnote(format, args);
  va_end(args);
  return code;
}

void installCliPrompt() { setPromptInterface(&kRecordingPrompt); }

int exitForStatus(uint16_t status) {
  switch (status) {
    case STATUS_OK: return EXIT_OK;
    case STATUS_ERROR_REPLY: return EXIT_ERROR_REPLY;
    case STATUS_MALFORMED: return EXIT_MALFORMED;
    default: return EXIT_COMM;
  }
}

int usage(const char* why) {
  if (why) note("%s (see qzctl --help)", why);
  return EXIT_USAGE;
}

int unexpectedArgument(const std::string& word) {
  bool option = word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9');
  return usage(((option ? "unknown option " : "unexpected argument ") + word).c_str());
}

int badDecimal(const char* what, uint16_t format, const std::string& text) {
  int fraction = (format & FMT_FRACTION_MASK) >> 4;
  int width = formatWidth(format);
  size_t point = text.find('.');
  std::string why;
  if (point != std::string::npos && static_cast<int>(text.size() - point - 1) > fraction)
    why = fraction == 0 ? "a whole number is expected, no fraction digits"
                        : "at most " + std::to_string(fraction) + " fraction digit" + (fraction == 1 ? "" : "s") +
                              " allowed";
  else if (static_cast<int>(text.size()) > width)
    why = "at most " + std::to_string(width) + " characters with sign and point allowed";
  else if (text.find_first_not_of("+-.0123456789") != std::string::npos || text.find_first_of("0123456789") == std::string::npos)
    why = "not a decimal number";
  else
    why = "does not fit the value's size";
  return fail(EXIT_USAGE, "%s %s: %s", what, text.c_str(), why.c_str());
}

uint16_t statusFromLastBox() {
  if (g_lastBoxText == IDS_ERROR_REPLY) return STATUS_ERROR_REPLY;
  if (g_lastBoxText == IDS_BAD_REPLY_FORMAT) return STATUS_MALFORMED;
  return STATUS_COMM_FAILURE;
}

namespace {

// The system's reason why `path` cannot be opened for reading; empty when it can.
std::string openReason(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f) {
    std::fclose(f);
    return {};
  }
  return std::strerror(errno);
}

std::string lineText(const std::string& path, uint16_t line) {
  char text[12];
  formatFileErrorLine(line, text);
  if (line != 0xFFFF) return ": line " + std::to_string(line) + " (" + text + ")";
  std::string reason = openReason(path);
  return ": " + (reason.empty() ? std::string("empty or unreadable") : reason) + " (" + text + ")";
}

}  // namespace

int loadDefs() {
  clearDefinitions();
  uint16_t line = loadDefinitions(g_opt.defs.c_str());
  if (line != 0) {
    std::string hint;
    if (line == 0xFFFF && fileMissing(g_opt.defs))
      hint = "; name the definition file with --defs FILE (or --linear for ParmDefL.cfg)";
    return fail(EXIT_FILE, "cannot read the definition file %s%s%s", g_opt.defs.c_str(),
                lineText(g_opt.defs, line).c_str(), hint.c_str());
  }
  return EXIT_OK;
}

int fileError(const char* what, const std::string& path, uint16_t line) {
  return fail(EXIT_FILE, "%s %s%s", what, path.c_str(), lineText(path, line).c_str());
}

int fileFailure(const char* what, const std::string& path) {
  std::string reason = openReason(path);
  return fail(EXIT_FILE, "%s %s: %s", what, path.c_str(), reason.empty() ? "empty or unreadable" : reason.c_str());
}

int writeFailure(const char* what, const std::string& path, int error) {
  return fail(EXIT_FILE, "%s %s: %s", what, path.c_str(), error ? std::strerror(error) : "not written");
}

bool targetWritable(const std::string& path) {
  // An existing file is opened for update, which leaves it as it is; a new one is
  // made and removed again.
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  bool existed = f != nullptr;
  if (!f && errno == ENOENT) f = std::fopen(path.c_str(), "wb");
  if (!f) {
    note("cannot write %s: %s; nothing read from the module", path.c_str(), std::strerror(errno));
    return false;
  }
  std::fclose(f);
  if (!existed) std::remove(path.c_str());
  return true;
}

}  // namespace qzctl
