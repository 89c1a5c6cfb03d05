// params: list, get, set, save, load, verify and the offline check.
#include "cli/qzctl.h"
#include "cli/console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/definition_value.h"
#include "files/definitions.h"
#include "files/parameter_file.h"
#include "files/transfer.h"
#include "link/request.h"

namespace qzctl {
namespace {

// Servo and option parameters alike live in the one bank the module has, "NORM";
// any other code would leave the keyword out and the module rejects the request.
constexpr uint8_t kBankNorm = 0;

// Text layouts of one parameter: a row of the list, the line of get.
constexpr const char* kListRow = "{pn:-7} {name:<40} {text:14} {unit}\n";
constexpr const char* kGetLine = "{pn} {name} {text} {unit}\n";
constexpr const char* kVerifyRow = "{pn:-8} {name:<40} {fileText:14} {moduleText:14} {unit}\n";
constexpr const char* kDiffRow = "{pn:-7} {name:<40} {aText:14} {bText:14} {unit}\n";

uint16_t readParam(const ParameterDefinition& def, uint32_t* value) {
  uint16_t echoed = 0;
  return withRetry([&] { return request_RDPARM(nullptr, kBankNorm, def.number, &echoed, value); });
}

ParameterTable g_fileTable;
ParameterValues g_fileValues;

const char* plural(size_t n) { return n == 1 ? "" : "s"; }

// The definition named by args[2] when args has `count` words, else null with the
// exit code in *code.
ParameterDefinition* namedDefinition(const std::vector<std::string>& args, size_t count, const char* form,
                                     int* code) {
  uint16_t number;
  if (args.size() != count || !parsePn(args[2], &number)) {
    *code = usage(form);
    return nullptr;
  }
  ParameterDefinition* def = findDefinition(number);
  if (!def) *code = fail(EXIT_USAGE, "%s is not defined", pnName(number).c_str());
  return def;
}

Record parameterRecord(const ParameterDefinition& def, int32_t value, const char* layout) {
  Record r;
  r.columns = {num("number", def.number), str("pn", pnName(def.number)), str("name", toUtf8(def.name)),
               num("value", value), str("text", valueText(def, value)), str("unit", toUtf8(def.unit))};
  r.layout = layout;
  return r;
}

// Rows print as they are read; the JSON array follows when the list is complete.
int cmdParamsList(const std::vector<std::string>& args) {
  bool servo = true, option = true;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--servo") option = false;
    else if (args[i] == "--option") servo = false;
    else return unexpectedArgument(args[i]);
  }
  Progress p;
  p.terminal = stderrIsTerminal();
  p.total = g_parameterTable.count;
  Record list;
  list.shows = kShowJson;
  int rejected = 0;
  for (uint16_t i = 0; i < g_parameterTable.count && g_running; ++i) {
    const ParameterDefinition& def = g_parameterTable.entries[i];
    bool isServo = def.number < FIRST_OPTION_PARAMETER;
    if ((isServo && !servo) || (!isServo && !option)) continue;
    char label[8];
    std::snprintf(label, sizeof label, "%04X", def.number);
    progressStep(&p, IDS_SAVE_PARAM, label);
    uint32_t raw = 0;
    uint16_t echoed = 0;
    uint16_t st = request_RDPARM(nullptr, kBankNorm, def.number, &echoed, &raw);
    if (st == STATUS_ERROR_REPLY) {   // not on this module: left out, but counted
      ++rejected;
      continue;
    }
    if (st) {
      traceNoteStatus(st);
      progressEnd(p);
      return exitForStatus(st);
    }
    Record row = parameterRecord(def, storedValue(def, raw), kListRow);
    row.shows = kShowText;
    print(row);
    list.rows.push_back(row);
  }
  progressEnd(p);
  print(list);
  if (rejected)
    note("%d defined parameter%s rejected by the module (RDPARM error reply), not listed", rejected,
         plural(static_cast<size_t>(rejected)));
  return g_running ? EXIT_OK : EXIT_COMM;
}

int cmdParamsGet(const std::vector<std::string>& args) {
  int code = EXIT_OK;
  ParameterDefinition* def = namedDefinition(args, 3, "expected params get PnXXXX", &code);
  if (!def) return code;
  uint32_t raw = 0;
  uint16_t st = readParam(*def, &raw);
  // A rejected number comes back without a box: say so here.
  if (st == STATUS_ERROR_REPLY) note("RDPARM error reply, the module rejects %s", pnName(def->number).c_str());
  if (st) return exitForStatus(st);
  print(parameterRecord(*def, storedValue(*def, raw), kGetLine));
  return EXIT_OK;
}

int cmdParamsSet(const std::vector<std::string>& args) {
  int code = EXIT_OK;
  ParameterDefinition* def = namedDefinition(args, 4, "expected params set PnXXXX VALUE", &code);
  if (!def) return code;
  uint16_t number = def->number;
  int32_t value = 0;
  if (def->kind == 'D') {
    if (!parseFormatted(def->format, args[3], &value)) return badDecimal(pnName(number).c_str(), def->format, args[3]);
  } else {
    uint32_t v;
    if (!parseHex(args[3], &v)) return usage("invalid hexadecimal value");
    if (def->size < 4 && v >> (8 * def->size)) return usage("value too wide for the parameter");
    value = storedValue(*def, v);
  }
  std::string why = checkValue(*def, value);
  if (!why.empty()) return fail(EXIT_USAGE, "%s value %s: %s", pnName(number).c_str(), args[3].c_str(), why.c_str());
  // A 1- or 2-byte value goes into the low bytes; the upper ones are sent as the
  // module holds them, since it compares them with its own.
  uint32_t sent = static_cast<uint32_t>(value);
  if (def->size < 4) {
    uint32_t held = 0;
    if (uint16_t st = readParam(*def, &held)) return exitForStatus(st);
    uint32_t mask = def->size == 1 ? 0xFFu : 0xFFFFu;
    sent = (held & ~mask) | (sent & mask);
  }
  uint16_t st = withRetry([&] { return request_WRPARM(nullptr, kBankNorm, number, sent); });
  if (st) return exitForStatus(st);
  Record r;
  r.columns = {num("number", number), str("pn", pnName(number)), num("value", value),
               textOnly("text", valueText(*def, value))};
  r.layout = "{pn} {text}\n";
  print(r);
  return EXIT_OK;
}

}  // namespace

uint16_t loadParameterTable(const TransferSink& sink) {
  static ParameterValues values;
  takeParameterValues(g_parameterTable, &values);
  return loadParameters(nullptr, values, g_running, sink);
}

int paramsVerify(const std::string& path, Record* report) {
  uint16_t line = readParameterVerifyFile(nullptr, path.c_str(), g_parameterTable, &g_fileValues);
  if (line) return EXIT_FILE;
  Progress p;
  TransferSink sink = makeSink(&p);
  g_rows.clear();
  auto start = std::chrono::steady_clock::now();
  uint16_t r = verifyParameters(nullptr, &g_parameterTable, g_fileValues, g_running, sink);
  int code = transferExit(r, p, statusFromLastBox());
  if (code) return code;
  // The text shows the verify list's rows; the JSON the values from the tables, as numbers.
  report->columns = {num("differences", static_cast<long long>(g_rows.size())), num("compared", p.total),
                     textOnly("s", plural(g_rows.size())), textOnly("seconds", secondsSince(start))};
  report->layout = layoutText(kVerifyRow, {textOnly("pn", "Pn"), textOnly("name", "name"), textOnly("fileText", "file"),
                                           textOnly("moduleText", "module"), textOnly("unit", "unit")});
  report->listKey = "rows";
  report->footer = "{differences} difference{s} among {compared} parameters in {seconds} s\n";
  for (const VerifyRow& row : g_rows) {
    uint16_t number = 0;
    parsePn(row.columns[0], &number);
    const ParameterDefinition* live = findDefinition(number);
    if (!live) continue;
    const ParameterValue* file = findParameterValue(g_fileValues, number);
    int32_t mv = definitionValue(*live);
    bool hasFile = file && file->valid;
    int32_t fv = hasFile ? widenStored(file->value, live->size, definitionSigned(*live)) : 0;
    Record r;
    r.columns = {jsonOnly("number", std::to_string(number)),
                 {"pn", jsonString(pnName(number)), toUtf8(row.columns[0])},
                 {"name", jsonString(toUtf8(live->name)), toUtf8(row.columns[1])},
                 jsonOnly("file", hasFile ? std::to_string(fv) : "null"),
                 jsonOnly("module", std::to_string(mv)),
                 {"fileText", jsonString(hasFile ? valueText(*live, fv) : ""), toUtf8(row.columns[2])},
                 {"moduleText", jsonString(valueText(*live, mv)), toUtf8(row.columns[3])},
                 {"unit", jsonString(toUtf8(live->unit)), toUtf8(row.columns[4])}};
    r.layout = kVerifyRow;
    report->rows.push_back(r);
  }
  return g_rows.empty() ? EXIT_OK : EXIT_DIFFERS;
}

namespace {

int cmdParamsFile(const std::vector<std::string>& args) {
  const std::string& sub = args[1];
  if (args.size() < 3) return usage("a file name is needed");
  const std::string path = args[2];
  if (args.size() > 3) return unexpectedArgument(args[3]);
  auto start = std::chrono::steady_clock::now();
  Record summary;
  if (sub == "save") {
    Progress p;
    TransferSink sink = makeSink(&p);
    uint16_t r = saveParameters(nullptr, &g_parameterTable, g_running, sink);
    int code = transferExit(r, p, statusFromLastBox());
    if (code) return code;
    errno = 0;
    if (writeParameterFile(path.c_str(), &g_parameterTable) != 0)
      return writeFailure("cannot write the parameter file", path, errno);
    summary.columns = {num("saved", p.total), str("file", path), textOnly("count", std::to_string(validValues(g_parameterTable))),
                       textOnly("seconds", secondsSince(start))};
    summary.layout = "params save: {count} parameters read from the module into {file} in {seconds} s\n";
    print(summary);
    return EXIT_OK;
  }
  if (sub == "load") {
    uint16_t line = readParameterFile(path.c_str(), &g_parameterTable);
    if (line) return fileError("cannot read the parameter file", path, line);
    Progress p;
    TransferSink sink = makeSink(&p);
    uint16_t r = loadParameterTable(sink);
    int code = transferExit(r, p, statusFromLastBox());
    if (code) return code;
    // With --verify the JSON document is the verify's.
    summary.columns = {num("loaded", p.total), str("file", path), textOnly("count", std::to_string(validValues(g_parameterTable))),
                       textOnly("seconds", secondsSince(start))};
    summary.layout = "params load: {count} parameters of {file} written to the module in {seconds} s\n";
    summary.shows = g_opt.verify ? kShowText : kShowBoth;
    print(summary);
    if (!g_opt.verify) return EXIT_OK;
  }
  if (sub == "load" || sub == "verify") {
    Record report;
    return printVerify(paramsVerify(path, &report), report);
  }
  return usage("unknown params command");
}

}  // namespace

// Why the definition does not allow the value a file gave it; null when it does or
// when the file gave none.
std::string fileValueOffence(const ParameterDefinition& def) {
  if (!def.valueValid) return {};
  return checkValue(def, definitionValue(def));
}

int countOffenders(const ParameterTable& table) {
  int offenders = 0;
  for (uint16_t i = 0; i < table.count; ++i) offenders += !fileValueOffence(table.entries[i]).empty();
  return offenders;
}

// Prints every value of `table` that its definition does not allow; returns how many
// there are.
int printOffenders(const ParameterTable& table) {
  Record r;
  r.listKey = "rows";
  for (uint16_t i = 0; i < table.count; ++i) {
    const ParameterDefinition& def = table.entries[i];
    std::string why = fileValueOffence(def);
    if (why.empty()) continue;
    int32_t v = definitionValue(def);
    Record row;
    row.columns = {str("pn", pnName(def.number)), textOnly("name", toUtf8(def.name)),
                   {"value", std::to_string(v), valueText(def, v)}, str("reason", why)};
    row.layout = "{pn} {name} {value}: {reason}\n";
    r.rows.push_back(row);
  }
  int offenders = static_cast<int>(r.rows.size());
  r.columns = {num("offenders", offenders)};
  r.footer = offenders ? "" : "all values within their definitions\n";
  print(r);
  return offenders;
}

namespace {

// params diff A.PRM B.PRM: offline, every defined parameter whose value differs
// between the files or is in only one of them.
int cmdParamsDiff(const std::vector<std::string>& args) {
  if (args.size() != 4) return usage("expected params diff A.PRM B.PRM");
  static ParameterTable a, b;
  std::memcpy(&a, &g_parameterTable, sizeof a);
  std::memcpy(&b, &g_parameterTable, sizeof b);
  if (uint16_t line = readParameterFile(args[2].c_str(), &a)) return fileError("cannot read the parameter file", args[2], line);
  if (uint16_t line = readParameterFile(args[3].c_str(), &b)) return fileError("cannot read the parameter file", args[3], line);
  Record r;
  r.listKey = "rows";
  for (uint16_t i = 0; i < a.count; ++i) {
    const ParameterDefinition& ea = a.entries[i];
    const ParameterDefinition& eb = b.entries[i];
    if (ea.valueValid == eb.valueValid && (!ea.valueValid || ea.value == eb.value)) continue;
    int32_t va = definitionValue(ea);
    int32_t vb = definitionValue(eb);
    std::string aText = ea.valueValid ? valueText(ea, va) : "", bText = eb.valueValid ? valueText(eb, vb) : "";
    Record row;
    row.columns = {num("number", ea.number), str("pn", pnName(ea.number)), str("name", toUtf8(ea.name)),
                   jsonOnly("a", ea.valueValid ? std::to_string(va) : "null"),
                   jsonOnly("b", eb.valueValid ? std::to_string(vb) : "null"),
                   {"aText", jsonString(aText), ea.valueValid ? aText : "-"},
                   {"bText", jsonString(bText), eb.valueValid ? bText : "-"}, str("unit", toUtf8(ea.unit))};
    row.layout = kDiffRow;
    r.rows.push_back(row);
  }
  size_t differences = r.rows.size();
  r.columns = {num("differences", static_cast<long long>(differences)), textOnly("s", plural(differences))};
  if (differences)
    r.layout = layoutText(kDiffRow, {textOnly("pn", "Pn"), textOnly("name", "name"), textOnly("aText", "A"),
                                     textOnly("bText", "B"), textOnly("unit", "unit")});
  r.footer = "{differences} difference{s}\n";
  print(r);
  return differences ? EXIT_DIFFERS : EXIT_OK;
}

int cmdParamsCheck(const std::vector<std::string>& args) {
  if (args.size() != 3) return usage("expected params check FILE.PRM");
  uint16_t line = readParameterFile(args[2].c_str(), &g_parameterTable);
  if (line) return fileError("cannot read the parameter file", args[2], line);
  return printOffenders(g_parameterTable) ? EXIT_DIFFERS : EXIT_OK;
}

}  // namespace

int cmdParams(const std::vector<std::string>& args) {
  if (args.size() < 2) return usage("params needs a subcommand");
  const std::string& sub = args[1];
  if (int code = loadDefs()) return code;
  if (sub == "check") return cmdParamsCheck(args);
  if (sub == "diff") return cmdParamsDiff(args);
  if (sub == "list") { if (int c = connectModule()) return c; return cmdParamsList(args); }
  if (sub == "get") { if (int c = connectModule()) return c; return cmdParamsGet(args); }
  if (sub == "set") { if (int c = connectModule()) return c; return cmdParamsSet(args); }
  if (sub == "save" || sub == "load" || sub == "verify") {
    if (sub != "save" && args.size() >= 3) {
      // A broken file is reported before the port is touched.
      ParameterTable* probe = &g_fileTable;
      std::memcpy(probe, &g_parameterTable, sizeof g_parameterTable);
      uint16_t line = readParameterFile(args[2].c_str(), probe);
      if (line) return fileError("cannot read the parameter file", args[2], line);
      if (args.size() > 3) return unexpectedArgument(args[3]);
      // A load sends nothing while any value is outside its definition, unless forced.
      if (sub == "load" && !g_opt.force) {
        if (int offenders = countOffenders(*probe)) {
          printOffenders(*probe);
          return fail(EXIT_DIFFERS, "%d value%s outside the definitions, nothing sent (--force sends the file)",
                      offenders, plural(static_cast<size_t>(offenders)));
        }
      }
    }
    // A file that cannot be written is found before the transfer, not after it.
    if (sub == "save" && args.size() >= 3 && !targetWritable(args[2])) return EXIT_FILE;
    if (int c = connectModule()) return c;
    return cmdParamsFile(args);
  }
  return usage("unknown params command");
}

}  // namespace qzctl
