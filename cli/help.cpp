// The usage text of qzctl and of each command.
#include "cli/qzctl.h"

namespace qzctl {

extern const char kHelp[] =
    "usage: qzctl [global options] COMMAND [ARGS]\n"
    "\n"
    "global options\n"
    "  -p, --port PORT     COM1..COM8 on Windows; a device path on Linux (/dev/ttyUSB0, /dev/pts/3).\n"
    "                      Default: $QZ_PORT, else COM1 (Windows) or /dev/ttyS0 (Linux).\n"
    "  -d, --defs FILE     definition file; default ParmDef.cfg in the current directory\n"
    "      --linear        use ParmDefL.cfg instead\n"
    "      --unit U        command unit for speeds and positions: 0.001, 0.01, 0.1 or 1\n"
    "                      (the value format words of the environment settings); default 0.001\n"
    "      --json          machine-readable output on stdout (one JSON document per command)\n"
    "  -q, --quiet         no progress on stderr\n"
    "      --retry N       after a communication failure, close and reopen the port and repeat the\n"
    "                      request up to N times (default 0: report and stop). Only reads and writes\n"
    "                      that are safe to repeat: status, monitors, alarms, parameters, points with\n"
    "                      --position, id, mem read, outputs, servo, brake and stop. Never repeated:\n"
    "                      motions (jog, step, move, home), reset, alarms --clear, mem write and\n"
    "                      points set without --position; a lost reply may hide a command the module\n"
    "                      has carried out, and a relative move sent twice moves the axis twice\n"
    "      --timeout MS    how long each attempt waits for a reply, 100..60000 ms; default 10000,\n"
    "                      the line's own. A silent module is reported after three attempts\n"
    "      --trace FILE    log every frame sent and received, with a millisecond time stamp and its\n"
    "                      direction, as printable text (control bytes as <STX>, <CR>, \\xNN); \"-\" is stderr;\n"
    "                      at exit, the link statistics: requests written, replies read, reads with no\n"
    "                      reply, retries (requests written again after no reply), reopens of --retry,\n"
    "                      failures by status\n"
    "  -h, --help          usage; every command also takes --help\n"
    "\n"
    "commands\n"
    "  status                                  ready, servo, main circuit, alarm\n"
    "  id                                      the six identification texts, in the ID dialog's order\n"
    "  params list [--servo | --option]        every defined parameter the module has: No, name, value, unit\n"
    "  params get PnXXXX\n"
    "  params set PnXXXX VALUE                 VALUE in the definition's own form (kind D decimal with its\n"
    "                                          fraction digits, H/B/N/S hexadecimal); checked like the editors\n"
    "                                          (limits for D and H, a defined choice for S) before sending\n"
    "  params save FILE.PRM                    the parameter save transfer, then the PRM file\n"
    "  params load FILE.PRM [--verify] [--force]  read the PRM file and check it as params check does;\n"
    "                                          any offender: listed, nothing sent, exit 1 (--force sends\n"
    "                                          anyway); then the load transfer; --verify reads back and compares\n"
    "  params verify FILE.PRM                  differing rows as the verify list shows them\n"
    "  params check FILE.PRM                   offline, no port: every value of the file against its\n"
    "                                          definition (limits of D and H, defined choices of S, defined\n"
    "                                          fields of B and N); lists offenders, exit 1 when any\n"
    "  points list | get N | set N --speed S [--position P]   (without --position the module\n"
    "                                          takes the axis's present position: the point is taught)\n"
    "  points save FILE.PNT | load FILE.PNT [--verify] | verify FILE.PNT\n"
    "  monitor motion|inputs|outputs|values [--watch [--count N] [--csv]] [--interval MS]\n"
    "                                          (--csv: one time-stamped row per poll, for recording)\n"
    "                                          motion: state text and the 16 status bits by their labels;\n"
    "                                          inputs/outputs: the three words, each bit by mnemonic and label;\n"
    "                                          values: the seven current values in the value format\n"
    "  alarms [--history] [--clear]            current alarms (RD_ALM QZ) with time stamp, level, code and text\n"
    "                                          as the alarm list shows them; --history reads SV with HST texts;\n"
    "                                          --clear sends CLRALM CURT for that unit\n"
    "  mem read ADDRESS SIZE [--type byte|word|long]   the dump lines exactly as the memory dialog makes them\n"
    "  mem write ADDRESS VALUE [--type byte|word|long]\n"
    "  reset\n"
    "  servo on|off\n"
    "  brake on|off\n"
    "  outputs write W0 W1 W2 [--mask M0 M1 M2]   SETDIS with the mask (default FFFF FFFF FFFF), then WRPORT\n"
    "  outputs release                            SETDIS with three zero words\n"
    "  jog cw|ccw --for MS [--speed S]            FEED__, then STOP__ DEC_ after MS milliseconds (always, also on Ctrl-C)\n"
    "  step +|- [--param 1..4 | --amount A] [--speed S]\n"
    "  move abs|inc TARGET [--speed S]            POSING\n"
    "  move point N                               GOTOPT\n"
    "  move station N [--dir cw|ccw|near] [--speed S]\n"
    "  home [--speed S]\n"
    "  stop [--zero]\n"
    "  motion options: --accel none|lacc|twos|idea, --filter none|exp|bias|mave (default: follow the\n"
    "  parameters), --wait (poll RDMSTS every 100 ms until block end, bit 0 of the motion status\n"
    "  word, whatever the state; then print the command position). --retry never repeats a motion\n"
    "  command; a jog whose FEED__ got no valid reply is stopped (STOP__ DEC_)\n"
    "\n"
    "number forms\n"
    "  ADDRESS, VALUE of mem, W0..W2 and M0..M2: hexadecimal as the memory and output dialogs take them\n"
    "  (\"1234\" or \"0x1234\"); SIZE: decimal, in units of --type; N: decimal point or station number;\n"
    "  TARGET, S, P, A: decimal in the value format of --unit (\"-1.5\" is -1500 with 0.001; with\n"
    "  --unit 1, \"-1000\" is -1000). Without --speed a motion follows the parameter (\"V:PARM\");\n"
    "  with it, the explicit speed is sent (\"V:SET_\" and eight hex digits).\n"
    "\n"
    "exit codes: 0 success, 1 a verify found differences, 2 usage error or invalid value,\n"
    "            3 file error, 4 communication failure, 5 error reply from the module,\n"
    "            6 malformed reply\n"
    "\n"
    "qzctl COMMAND --help shows the help of one command.\n";

namespace {
struct CommandHelp {
  const char* command;
  const char* text;
};

const CommandHelp kCommandHelp[] = {
    {"status", "usage: qzctl status\n  Reads ready, servo, main circuit and alarm (RDSSTS).\n"},
    {"id", "usage: qzctl id\n  Reads the six identification texts (RDDVID) in the ID dialog's order:\n"
           "  SV_TYP, SV_VER, QZ_TYP, QZ_VER, EN_VER, MT_TYP. The first failure ends the command.\n"},
    {"params",
     "usage: qzctl params list [--servo | --option]\n"
     "       qzctl params get PnXXXX\n"
     "       qzctl params set PnXXXX VALUE\n"
     "       qzctl params save FILE.PRM\n"
     "       qzctl params load FILE.PRM [--verify] [--force]\n"
     "       qzctl params verify FILE.PRM\n"
     "       qzctl params check FILE.PRM\n"
     "  list    every defined parameter the module has: No, name, value, unit\n"
     "  set     VALUE in the definition's own form: kind D decimal with its fraction digits,\n"
     "          H/B/N/S hexadecimal; checked against the limits (D, H) or the defined\n"
     "          choices (S) before it is sent; a rejected value exits with 2\n"
     "  save    the save transfer, then the PRM file (written only when the transfer ended)\n"
     "  load    reads the PRM file and checks every value as check does; when any value is\n"
     "          outside its definition it lists them, sends nothing and exits with 1\n"
     "          (--force sends the file anyway); then the load transfer; --verify reads\n"
     "          back and compares\n"
     "  verify  prints the differing rows as the verify list shows them; exit 1 when any\n"
     "  check   offline, no port: every value of the file against its definition; exit 1\n"
     "          when any value is outside its limits, choices or defined fields\n"},
    {"points",
     "usage: qzctl points list | get N | set N --speed S [--position P]\n"
     "       qzctl points save FILE.PNT | load FILE.PNT [--verify] | verify FILE.PNT\n"
     "  N is the point number 1..50; S and P are decimal in the value format of --unit.\n"
     "  Without --position the point is taught: SET_PT goes out without a position and the\n"
     "  module takes the axis's present position as the point's target position.\n"},
    {"monitor",
     "usage: qzctl monitor motion|inputs|outputs|values [--watch [--count N] [--csv]] [--interval MS]\n"
     "  motion   the state text and the 16 status bits by their labels (RDMSTS)\n"
     "  inputs   the three input words, each bit by mnemonic and label (RDPORT INP)\n"
     "  outputs  the three output words, each bit by mnemonic and label (RDPORT OUT)\n"
     "  values   the seven current values in the value format of --unit (RD_MON)\n"
     "  --watch repeats every --interval MS (default 500) until Ctrl-C or --count polls;\n"
     "  --csv prints one time-stamped row per poll.\n"},
    {"alarms",
     "usage: qzctl alarms [--history] [--clear]\n"
     "  Current alarms of the option module (RD_ALM QZ): time stamp, level, code and text.\n"
     "  --history reads the servo's alarm history (RD_ALM SV) with its history texts;\n"
     "  --clear sends CLRALM CURT for that unit instead.\n"},
    {"mem",
     "usage: qzctl mem read ADDRESS SIZE [--type byte|word|long]\n"
     "       qzctl mem write ADDRESS VALUE [--type byte|word|long]\n"
     "  ADDRESS and VALUE are hexadecimal (\"1234\" or \"0x1234\"); SIZE is decimal, in units\n"
     "  of --type (default byte). read prints the dump lines as the memory dialog makes them.\n"},
    {"reset", "usage: qzctl reset\n  Resets the option module (RSTMDL).\n"},
    {"servo", "usage: qzctl servo on|off\n  Servo on or off (SVCTRL).\n"},
    {"brake", "usage: qzctl brake on|off\n  Brake on or off (BKCTRL).\n"},
    {"outputs",
     "usage: qzctl outputs write W0 W1 W2 [--mask M0 M1 M2]\n"
     "       qzctl outputs release\n"
     "  write sends SETDIS with the mask (default FFFF FFFF FFFF), then WRPORT with the words;\n"
     "  release sends SETDIS with three zero words. Words and masks are hexadecimal.\n"},
    {"jog",
     "usage: qzctl jog cw|ccw --for MS [--speed S] [motion options]\n"
     "  FEED__, then STOP__ DEC_ after MS milliseconds; the stop is sent also on Ctrl-C.\n"},
    {"step",
     "usage: qzctl step +|- [--param 1..4 | --amount A] [--speed S] [motion options]\n"
     "  One step (STEP__) of the amount in step parameter 1..4, or of A in the value format.\n"},
    {"move",
     "usage: qzctl move abs|inc TARGET [--speed S] [motion options]   (POSING)\n"
     "       qzctl move point N [motion options]                      (GOTOPT)\n"
     "       qzctl move station N [--dir cw|ccw|near] [--speed S] [motion options]   (GOTOST)\n"
     "  TARGET and S are decimal in the value format of --unit.\n"},
    {"home", "usage: qzctl home [--speed S] [motion options]\n  Homing (HOMING).\n"},
    {"stop", "usage: qzctl stop [--zero]\n  Decelerating stop, or with --zero the immediate stop (STOP__).\n"},
};

const char kMotionOptions[] =
    "motion options: --accel none|lacc|twos|idea, --filter none|exp|bias|mave (default: follow\n"
    "  the parameters), --wait (poll RDMSTS every 100 ms until block end, bit 0 of the motion\n"
    "  status word, whatever the state; then print the command position). Without --speed the\n"
    "  parameter's speed is used (V:PARM). --retry never repeats a motion command: after a\n"
    "  lost reply the axis may already be moving. A jog whose FEED__ got no valid reply is\n"
    "  stopped (STOP__ DEC_).\n";
}  // namespace

const char* commandHelp(const std::string& command) {
  for (const CommandHelp& h : kCommandHelp)
    if (command == h.command) return h.text;
  return nullptr;
}

const char* motionOptionsHelp(const std::string& command) {
  bool motion = command == "jog" || command == "step" || command == "move" || command == "home";
  return motion ? kMotionOptions : "";
}

}  // namespace qzctl
