// qzctl's shared state and the pieces its commands have in common: options, exit
// codes, messages, number parsing, progress and the retrying request call.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "cli/output.h"
#include "cli/trace.h"
#include "files/definitions.h"
#include "files/point_table.h"
#include "files/settings.h"
#include "files/transfer.h"
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"

namespace qzctl {

constexpr int EXIT_OK = 0, EXIT_DIFFERS = 1, EXIT_USAGE = 2, EXIT_FILE = 3, EXIT_COMM = 4,
              EXIT_ERROR_REPLY = 5, EXIT_MALFORMED = 6;

struct Options {
  std::string port;
  std::string defs;
  uint16_t valueFormat = VALUE_FORMAT_0_001;
  bool json = false;
  bool quiet = false;
  int retry = 0;
  std::string trace;
  uint16_t timeoutMs = 10000;   // wait for a reply per attempt: the line's own 10 s
  bool strictTiming = false;    // every read ends only after 50 ms of silence, as the desktop's
  // The load and restore options, taken out of the command's words once (main).
  bool verify = false;          // read back and compare after the load
  bool force = false;           // send values outside their definitions, or onto another module type
};

struct Progress {
  uint32_t total = 0;
  uint32_t count = 0;
  bool terminal = false;
};

extern Options g_opt;
extern std::string g_command;        // shown in every message
extern std::atomic<bool> g_running;  // cleared by Ctrl-C
extern PointTable g_points;
extern std::vector<VerifyRow> g_rows;
extern const char kHelp[];

// messages.cpp
// "qzctl COMMAND: " and the formatted text on stderr, one line.
void note(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A note that ends the command: returns `code`, for "return fail(EXIT_FILE, ...)".
int fail(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
void installCliPrompt();
int exitForStatus(uint16_t status);
int usage(const char* why);
// "unknown option --x" or "unexpected argument x"; the usage exit code.
int unexpectedArgument(const std::string& word);
// Says why `text` is no decimal of the value format (fraction digits, width, range)
// and returns the usage exit code; `what` names the value.
int badDecimal(const char* what, uint16_t format, const std::string& text);
uint16_t statusFromLastBox();   // the status behind the last message the core showed
int loadDefs();
// "WHAT PATH: line 69 (LINE:0045)", or for an unreadable file the system's reason:
// a data or definition file read line by line, as the desktop program's box says it.
int fileError(const char* what, const std::string& path, uint16_t line);
// "WHAT PATH: " and the system's reason, for a file with no lines to count.
int fileFailure(const char* what, const std::string& path);
// "WHAT PATH: " and why a data file written whole was not: `error` is the errno the
// write left (cleared before it), 0 when the system gave none.
int writeFailure(const char* what, const std::string& path, int error);
// True when `path` can be written (an existing file is not changed); else says why.
bool targetWritable(const std::string& path);

// connect.cpp
int connectModule();

// cmd_system.cpp: the six identification items in the ID dialog's order (servo
// amplifier, module, encoder, motor); the request carries the item's keyword code,
// which is not its place in this order.
struct IdItem {
  uint8_t code;
  const char* keyword;
};
extern const IdItem kIdItems[6];
// Reads the six texts as UTF-8; the status of the first failure, which ends it.
uint16_t readIdTexts(std::string texts[6]);

// help.cpp: the help of one command (null when it has none) and, for motion
// commands, the common motion options ("" otherwise).
const char* commandHelp(const std::string& command);
const char* motionOptionsHelp(const std::string& command);

// values.cpp
bool parseFormatted(uint16_t format, const std::string& text, int32_t* out);
std::string formatted(uint16_t format, int32_t value);
bool parseHex(std::string text, uint32_t* out);
bool parseDecimal(const std::string& text, long lo, long hi, long* out);
bool parsePn(const std::string& text, uint16_t* number);
std::string toUtf8(const char* text);
std::string pnName(uint16_t number);
std::string valueText(const ParameterDefinition& def, int32_t value);
// A value the module sent for the definition, widened by its size and sign.
int32_t storedValue(const ParameterDefinition& def, uint32_t raw);
// How many definitions of the table have a value (from a file or the module).
uint32_t validValues(const ParameterTable& table);
// Why the definition does not allow the value (its limits named with the unit);
// empty when it does.
std::string checkValue(const ParameterDefinition& def, int32_t value);
int keywordIndex(const std::string& word, std::initializer_list<const char*> names);

// transfer_output.cpp: progress on stderr, redrawn in one line on a terminal and left
// out otherwise (a log gets the summary only); the exit code of a transfer.
void progressStep(void* ctx, uint16_t labelId, const char* placeholder);
void progressEnd(const Progress& p);
TransferSink makeSink(Progress* p);
int transferExit(uint16_t result, const Progress& p, uint16_t lastStatus);
// Prints a verify's report when the verify ran to its end (exit 0 or 1); returns `code`.
int printVerify(int code, const Record& report);

// Sends every valid value of g_parameterTable (params load, restore).
uint16_t loadParameterTable(const TransferSink& sink);

// cmd_params.cpp, cmd_points.cpp: verify of the module against a file into `report`
// (the differing rows and their count; exit 1 when any differ); the values of a read
// file its definitions do not allow.
int paramsVerify(const std::string& path, Record* report);
int pointsVerify(const std::string& path, Record* report);
int countOffenders(const ParameterTable& table);
int printOffenders(const ParameterTable& table);   // listed on stdout; returns how many

// The commands; args[0] is the command word.
int cmdStatus();
int cmdId();
int cmdPorts();   // the serial ports present; opens none of them for use
int cmdParams(const std::vector<std::string>& args);
int cmdPoints(const std::vector<std::string>& args);
int cmdOutputs(const std::vector<std::string>& args);
int cmdMotion(const std::vector<std::string>& args);
int cmdMonitor(const std::vector<std::string>& args);
int cmdAlarms(const std::vector<std::string>& args);
int cmdMem(const std::vector<std::string>& args);
int cmdSimple(const std::vector<std::string>& args);
int cmdBackup(const std::vector<std::string>& args);
int cmdRestore(const std::vector<std::string>& args);

// Runs one request that is safe to repeat: a read, or a write of a value or state
// (parameter, point with its position, outputs, servo, brake, stop). A
// communication failure reopens the port and repeats it, up to --retry times.
template <typename F>
uint16_t withRetry(F call) {
  uint16_t status = call();
  for (int attempt = 0; status == STATUS_COMM_FAILURE && attempt < g_opt.retry; ++attempt) {
    if (!g_opt.quiet) note("retry %d of %d", attempt + 1, g_opt.retry);
    traceNoteReopen();
    postConnectionRequest(0, 1, g_mode.currentPort);
    if (postConnectionRequest(1, 1, g_mode.currentPort) != 0) continue;
    status = call();
  }
  traceNoteStatus(status);
  return status;
}

// Runs one request that --retry never repeats: motion commands, the module reset,
// alarm clearing, memory writes and teaching a point. A lost reply does not mean the
// module missed the request; repeating a relative move would move the axis twice.
template <typename F>
uint16_t withoutRetry(const char* name, F call) {
  uint16_t status = call();
  if (status == STATUS_COMM_FAILURE && g_opt.retry > 0)
    note("%s not repeated, the module may have carried it out", name);
  traceNoteStatus(status);
  return status;
}

}  // namespace qzctl
