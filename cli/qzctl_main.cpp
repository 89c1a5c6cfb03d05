// qzctl: command-line companion for scripted commissioning over the module link.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/qzctl.h"
#include "cli/trace.h"
#include "files/definitions.h"
#include "link/link.h"
#include "system/program_version.h"

namespace qzctl {

Options g_opt;
std::string g_command;
std::atomic<bool> g_running{true};
PointTable g_points;
}  // namespace qzctl

using namespace qzctl;

namespace {
void onInterrupt(int) { g_running = false; }

// Takes --verify (and with `force`, --force) out of the words from `first` on: the
// options of params load, points load and restore, read here once for all three.
void takeLoadOptions(std::vector<std::string>* words, size_t first, bool force) {
  for (size_t i = first; i < words->size();) {
    std::string& w = (*words)[i];
    if (w == "--verify") g_opt.verify = true;
    else if (force && w == "--force") g_opt.force = true;
    else {
      ++i;
      continue;
    }
    words->erase(words->begin() + static_cast<long>(i));
  }
}
}  // namespace

int main(int argc, char** argv) {
  prepareConsole();
  std::vector<std::string> rest;
  const char* env = std::getenv("QZ_PORT");
#ifdef _WIN32
  g_opt.port = env && *env ? env : "COM1";
#else
  g_opt.port = env && *env ? env : "/dev/ttyS0";
#endif
  g_opt.defs = "ParmDef.cfg";
  g_command = "qzctl";
  bool help = false;
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "-p" || a == "--port") { if (!value(&g_opt.port)) return usage("--port needs a value"); }
    else if (a == "-d" || a == "--defs") { if (!value(&g_opt.defs)) return usage("--defs needs a value"); }
    else if (a == "--linear") g_opt.defs = "ParmDefL.cfg";
    else if (a == "--unit") {
      if (!value(&v)) return usage("--unit needs a value");
      if (v == "0.001") g_opt.valueFormat = VALUE_FORMAT_0_001;
      else if (v == "0.01") g_opt.valueFormat = VALUE_FORMAT_0_01;
      else if (v == "0.1") g_opt.valueFormat = VALUE_FORMAT_0_1;
      else if (v == "1") g_opt.valueFormat = VALUE_FORMAT_1;
      else return usage("--unit must be 0.001, 0.01, 0.1 or 1");
    }
    else if (a == "--json") g_opt.json = true;
    else if (a == "-q" || a == "--quiet") g_opt.quiet = true;
    else if (a == "--retry") {
      long n;
      if (!value(&v) || !parseDecimal(v, 0, 100, &n)) return usage("--retry needs a count 0..100");
      g_opt.retry = static_cast<int>(n);
    }
    else if (a == "--trace") { if (!value(&g_opt.trace)) return usage("--trace needs a file"); }
    else if (a == "--timeout") {
      long n;
      if (!value(&v) || !parseDecimal(v, 100, 60000, &n)) return usage("--timeout needs milliseconds 100..60000");
      g_opt.timeoutMs = static_cast<uint16_t>(n);
    }
    else if (a == "--strict-timing") g_opt.strictTiming = true;
    else if (a == "--version") {
      char text[16];
      programVersionText(text);
      std::printf("qzctl %s\n", text);
      return EXIT_OK;
    }
    else if (a == "-h" || a == "--help") help = true;
    else if (!a.empty() && a[0] == '-') return usage(("unknown option " + a).c_str());
    else break;
  }
  for (; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") help = true;
    else if (a == "--json") g_opt.json = true;
    else if (a == "-q" || a == "--quiet") g_opt.quiet = true;
    else rest.push_back(a);
  }
  if (help && !rest.empty()) {
    if (const char* text = commandHelp(rest[0])) {
      std::fputs(text, stdout);
      std::fputs(motionOptionsHelp(rest[0]), stdout);
      return EXIT_OK;
    }
  }
  if (help || rest.empty()) {
    std::fputs(kHelp, help ? stdout : stderr);
    return help ? EXIT_OK : EXIT_USAGE;
  }
  g_command = rest[0] + (rest.size() > 1 && rest[1][0] != '-' ? " " + rest[1] : "");
  installCliPrompt();
  if (!g_opt.trace.empty() && !traceOpen(g_opt.trace)) return fail(EXIT_FILE, "cannot open the trace file %s", g_opt.trace.c_str());
  attemptNotesOpen(g_opt.port);
  std::signal(SIGINT, onInterrupt);

  // A load's options follow its file name; a restore's may stand anywhere.
  bool load = rest.size() > 1 && rest[1] == "load";
  if (rest[0] == "restore") takeLoadOptions(&rest, 1, true);
  else if (rest[0] == "params" && load) takeLoadOptions(&rest, 3, true);
  else if (rest[0] == "points" && load) takeLoadOptions(&rest, 3, false);

  int code;
  const std::string& c = rest[0];
  if (c == "status") code = rest.size() == 1 ? (connectModule() ? EXIT_COMM : cmdStatus()) : unexpectedArgument(rest[1]);
  else if (c == "ports") code = rest.size() == 1 ? cmdPorts() : unexpectedArgument(rest[1]);
  else if (c == "id") code = rest.size() == 1 ? (connectModule() ? EXIT_COMM : cmdId()) : unexpectedArgument(rest[1]);
  else if (c == "params") code = cmdParams(rest);
  else if (c == "points") code = cmdPoints(rest);
  else if (c == "outputs") code = cmdOutputs(rest);
  else if (c == "home" || c == "move" || c == "step" || c == "jog") code = cmdMotion(rest);
  else if (c == "monitor") code = cmdMonitor(rest);
  else if (c == "alarms") code = cmdAlarms(rest);
  else if (c == "mem") code = cmdMem(rest);
  else if (c == "backup") code = cmdBackup(rest);
  else if (c == "restore") code = cmdRestore(rest);
  else code = cmdSimple(rest);

  if (linkRunning()) linkShutdown();
  traceClose();
  return code;
}
