// The usage text of qzctl and of each command.
#include "cli/qzctl.h"

namespace qzctl {

extern const char kHelp[] =
    "usage: qzctl [global options] COMMAND [ARGS]\n"
    "\n"
    "global options\n"
    "  -p, --port PORT     COM1..COM256 on Windows; a device path on Linux (/dev/ttyUSB0, /dev/pts/3).\n"
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
    "      --strict-timing every read waits out 50 ms of silence after the reply, as the desktop\n"
    "                      program does; by default a read ends at the reply's CR (faster)\n"
    "      --version       the program version, as the desktop program's version dialog shows it\n"
    "  -h, --help          usage; every command also takes --help\n"
    "\n"
    "commands\n"
    "reading (nothing on the machine changes)\n"
    "  ports                                   the serial ports present (needs no module)\n"
    "  status                                  ready, servo, main circuit, alarm\n"
    "  id                                      the six identification texts, in the ID dialog's order\n"
    "  params list [--servo | --option]        every defined parameter the module has: No, name, value, unit\n"
    "  params get PnXXXX\n"
    "  params set PnXXXX VALUE                 writes one parameter into the module; VALUE in the definition's own form (kind D decimal with its\n"
    "                                          fraction digits, H/B/N/S hexadecimal); checked like the editors\n"
    "                                          (limits for D and H, a defined choice for S) before sending\n"
    "  params save FILE.PRM                    reads every parameter from the module into the PRM file\n"
    "  params load FILE.PRM [--verify] [--force]  writes the file's parameters into the module; first\n"
    "                                          the file is checked as params check does;\n"
    "                                          any offender: listed, nothing sent, exit 1 (--force sends\n"
    "                                          anyway); then the load transfer; --verify reads back and compares\n"
    "  params verify FILE.PRM                  differing rows as the verify list shows them\n"
    "  params check FILE.PRM                   offline, no port: every value of the file against its\n"
    "                                          definition (limits of D and H, defined choices of S, defined\n"
    "                                          fields of B and N); lists offenders, exit 1 when any\n"
    "  params diff A.PRM B.PRM                 offline, no port: the parameters whose values differ\n"
    "                                          between two files, by number; exit 1 when any\n"
    "  points list | get N                     reads the point table or one point\n"
    "  points set N --speed S [--position P]   writes one point into the module (without --position\n"
    "                                          the module takes the axis's present position: taught)\n"
    "  points save FILE.PNT                    reads the point table into the file\n"
    "  points load FILE.PNT [--verify]         writes the file's points into the module\n"
    "  points verify FILE.PNT                  compares the module's points with the file\n"
    "  backup DIR                              reads the whole axis into the new folder DIR:\n"
    "                                          params.PRM, points.PNT and module.json (identification,\n"
    "                                          definition file and its SHA-256, port, date, version);\n"
    "                                          DIR appears only when everything was read\n"
    "  restore DIR [--verify] [--force]        writes a backup's parameters and points into the module;\n"
    "                                          refused (exit 2) when SV_TYP, QZ_TYP or MT_TYP differ from\n"
    "                                          the backup's, or (exit 1) when a value is outside its\n"
    "                                          definition, unless --force; --verify reads both back\n"
    "  monitor motion|inputs|outputs|values [--watch [--count N] [--csv] [--plot FILE.svg]]\n"
    "          [--interval MS]                 reads the module's state; --watch repeats until Ctrl-C\n"
    "                                          (exit 0), redrawn in place on a terminal with a time\n"
    "                                          stamp; --csv: one time-stamped row per poll; --plot\n"
    "                                          (values only): an SVG chart of the watch when it ends\n"
    "                                          motion: state text and the 16 status bits by their labels;\n"
    "                                          inputs/outputs: the three words, each bit by mnemonic and label;\n"
    "                                          values: the seven current values in the value format\n"
    "  alarms [--history] [--clear]            current alarms (RD_ALM QZ) with time stamp, level, code and text\n"
    "                                          as the alarm list shows them; --history reads SV with HST texts;\n"
    "                                          --clear sends CLRALM CURT for that unit\n"
    "  mem read ADDRESS SIZE [--type byte|word|long]   the dump lines exactly as the memory dialog makes them\n"
    "\n"
    "changing the machine's state (the protocol's request in brackets)\n"
    "  mem write ADDRESS VALUE [--type byte|word|long]   writes into the module's memory (WR_MEM)\n"
    "  reset                                      restarts the option module (RSTMDL)\n"
    "  servo on|off                               switches the servo amplifier's motor power (SVCTRL)\n"
    "  brake on|off                               engages or releases the motor's brake: switches\n"
    "                                             the brake command on or off (BKCTRL)\n"
    "  outputs write W0 W1 W2 [--mask M0 M1 M2]   drives the output signals: SETDIS with the mask\n"
    "                                             (default FFFF FFFF FFFF), then WRPORT\n"
    "  outputs release                            gives the outputs back to the module (SETDIS zero)\n"
    "\n"
    "moving the axis: these commands MOVE THE MACHINE\n"
    "  jog cw|ccw --for MS [--speed S]            turns the axis for MS milliseconds (FEED__, then\n"
    "                                             STOP__ DEC_, always, also on Ctrl-C)\n"
    "  step +|- [--param 1..4 | --amount A] [--speed S]   moves the axis one step (STEP__)\n"
    "  move abs|inc TARGET [--speed S]            moves the axis to or by TARGET (POSING)\n"
    "  move point N                               moves the axis to point N of the table (GOTOPT)\n"
    "  move station N [--dir cw|ccw|near] [--speed S]   moves to station N (GOTOST)\n"
    "  home [--speed S]                           moves the axis to its home position (HOMING)\n"
    "  stop [--zero]                              stops the axis, decelerating or at once (STOP__)\n"
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
    {"ports", "usage: qzctl ports\n  Lists the serial ports present, one a line: on Windows the COM names of the\n"
              "  system's device map with their friendly names; on Linux the terminal devices\n"
              "  under /dev/serial/by-id (with the device each names), ttyUSB*, ttyACM* and ttyS*.\n"
              "  --json: {\"ports\":[{\"name\":...,\"description\":...}]}. Opens no port for use.\n"},
    {"status", "usage: qzctl status\n  Reads ready, servo, main circuit and alarm (RDSSTS); changes nothing.\n"},
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
     "       qzctl params diff A.PRM B.PRM\n"
     "  list    reads every defined parameter the module has: No, name, value, unit\n"
     "  set     writes one parameter into the module; VALUE in the definition's own form: kind D decimal with its fraction digits,\n"
     "          H/B/N/S hexadecimal; checked against the limits (D, H) or the defined\n"
     "          choices (S) before it is sent; a rejected value exits with 2\n"
     "  save    reads every parameter from the module, then writes the PRM file (only when\n"
     "          the transfer ended; a file that cannot be written is refused before it starts)\n"
     "  load    writes the file's parameters into the module; first it reads the PRM file and checks every value as check does; when any value is\n"
     "          outside its definition it lists them, sends nothing and exits with 1\n"
     "          (--force sends the file anyway); then the load transfer; --verify reads\n"
     "          back and compares\n"
     "  verify  prints the differing rows as the verify list shows them; exit 1 when any\n"
     "  check   offline, no port: every value of the file against its definition; exit 1\n"
     "          when any value is outside its limits, choices or defined fields\n"
     "  diff    offline, no port: the parameters whose values differ between the files, by\n"
     "          number, with both values and the unit; exit 1 when any\n"},
    {"points",
     "usage: qzctl points list | get N | set N --speed S [--position P]\n"
     "       qzctl points save FILE.PNT | load FILE.PNT [--verify] | verify FILE.PNT\n"
     "  list, get, save and verify read from the module; set and load write into it.\n"
     "  N is the point number 1..50; S and P are decimal in the value format of --unit.\n"
     "  Without --position the point is taught: SET_PT goes out without a position and the\n"
     "  module takes the axis's present position as the point's target position.\n"},
    {"monitor",
     "usage: qzctl monitor motion|inputs|outputs|values [--watch [--count N] [--csv]] [--interval MS]\n"
     "       qzctl monitor values --watch --plot FILE.svg [--count N] [--interval MS]\n"
     "  Reads the module's state; changes nothing.\n"
     "  motion   the state text and the 16 status bits by their labels (RDMSTS)\n"
     "  inputs   the three input words, each bit by mnemonic and label (RDPORT INP)\n"
     "  outputs  the three output words, each bit by mnemonic and label (RDPORT OUT)\n"
     "  values   the seven current values in the value format of --unit (RD_MON)\n"
     "  --watch repeats every --interval MS (default 500) until Ctrl-C (exit 0) or --count\n"
     "  polls; on a terminal it redraws in place under a time stamp. --csv prints one\n"
     "  time-stamped row per poll. --plot writes an SVG chart of the values when the watch\n"
     "  ends: one line per value over a time axis in seconds.\n"},
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
    {"reset", "usage: qzctl reset\n  Restarts the option module (RSTMDL).\n"},
    {"servo", "usage: qzctl servo on|off\n  Switches the motor power of the servo amplifier on or off (SVCTRL).\n"},
    {"brake", "usage: qzctl brake on|off\n"
              "  Switches the module's brake command on or off (BKCTRL ON_/OFF): this engages or\n"
              "  releases the motor's holding brake. With the usual brake that holds while it has\n"
              "  no current, on releases it: a vertical axis can fall while the servo is off.\n"},
    {"backup",
     "usage: qzctl backup DIR\n"
     "  Reads the whole axis from the module into the new folder DIR: params.PRM (as params\n"
     "  save), points.PNT (as points save) and module.json (the six identification texts,\n"
     "  the definition file's name and SHA-256, the port, the date and qzctl's version).\n"
     "  The files are written into a temporary folder first; DIR appears only when\n"
     "  everything was read. An existing DIR is refused (exit 3).\n"},
    {"restore",
     "usage: qzctl restore DIR [--verify] [--force]\n"
     "  Writes a backup's parameters and points into the module. First it reads the\n"
     "  module's identification and refuses (exit 2, naming the text) when SV_TYP, QZ_TYP\n"
     "  or MT_TYP differ from the backup's; a value outside its definition is refused as\n"
     "  params load refuses it (exit 1). --force writes anyway. --verify reads both back\n"
     "  and compares (exit 1 when anything differs).\n"},
    {"outputs",
     "usage: qzctl outputs write W0 W1 W2 [--mask M0 M1 M2]\n"
     "       qzctl outputs release\n"
     "  Drives the module's output signals; release gives them back to the module.\n"
     "  write sends SETDIS with the mask (default FFFF FFFF FFFF), then WRPORT with the words;\n"
     "  release sends SETDIS with three zero words. Words and masks are hexadecimal.\n"},
    {"jog",
     "usage: qzctl jog cw|ccw --for MS [--speed S] [motion options]\n"
     "  MOVES THE AXIS: turns it clockwise or counter-clockwise for MS milliseconds.\n"
     "  FEED__, then STOP__ DEC_ after MS milliseconds; the stop is sent also on Ctrl-C.\n"},
    {"step",
     "usage: qzctl step +|- [--param 1..4 | --amount A] [--speed S] [motion options]\n"
     "  MOVES THE AXIS by one step.\n"
     "  One step (STEP__) of the amount in step parameter 1..4, or of A in the value format.\n"},
    {"move",
     "usage: qzctl move abs|inc TARGET [--speed S] [motion options]   (POSING)\n"
     "       qzctl move point N [motion options]                      (GOTOPT)\n"
     "       qzctl move station N [--dir cw|ccw|near] [--speed S] [motion options]   (GOTOST)\n"
     "  MOVES THE AXIS to or by TARGET, to a point of the table or to a station.\n"
     "  TARGET and S are decimal in the value format of --unit.\n"},
    {"home", "usage: qzctl home [--speed S] [motion options]\n  MOVES THE AXIS to its home position (HOMING).\n"},
    {"stop", "usage: qzctl stop [--zero]\n  Stops the axis: decelerating, or with --zero at once (STOP__).\n"},
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
