// params: list, get, set, save, load, verify and the offline check.
#include "cli/qzctl.h"
#include "cli/console.h"

#include <cstdio>
#include <cstring>

#include "files/definitions.h"
#include "files/parameter_file.h"
#include "files/transfer.h"
#include "link/request.h"

namespace qzctl {
namespace {

// Servo and option parameters alike live in the one bank the module has, "NORM";
// any other code would leave the keyword out and the module rejects the request.
constexpr uint8_t kBankNorm = 0;

uint16_t readParam(const ParameterDefinition& def, uint32_t* value) {
  uint16_t echoed = 0;
  return withRetry([&] { return request_RDPARM(nullptr, kBankNorm, def.number, &echoed, value); });
}

ParameterTable g_fileTable;

uint32_t validValues(const ParameterTable& table) {
  uint32_t n = 0;
  for (uint16_t i = 0; i < table.count; ++i) n += table.entries[i].valueValid ? 1 : 0;
  return n;
}

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
  if (!def) {
    std::fprintf(stderr, "qzctl %s: %s is not defined\n", g_command.c_str(), pnName(number).c_str());
    *code = EXIT_USAGE;
  }
  return def;
}

std::string parameterJson(const ParameterDefinition& def, int32_t value) {
  return "{\"number\":" + std::to_string(def.number) + ",\"pn\":" + jsonString(pnName(def.number)) +
         ",\"name\":" + jsonString(toUtf8(def.name)) + ",\"value\":" + std::to_string(value) +
         ",\"text\":" + jsonString(valueText(def, value)) + ",\"unit\":" + jsonString(toUtf8(def.unit)) + "}";
}

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
  std::string json = "[";
  bool first = true;
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
    int32_t v = storedValue(def, raw);
    if (g_opt.json)
      json += std::string(first ? "" : ",") + parameterJson(def, v);
    else
      std::printf("%-7s %s %14s %s\n", pnName(def.number).c_str(), padColumns(toUtf8(def.name), 40).c_str(),
                  valueText(def, v).c_str(), toUtf8(def.unit).c_str());
    first = false;
  }
  progressEnd(p);
  if (g_opt.json) std::printf("%s]\n", json.c_str());
  if (rejected)
    std::fprintf(stderr, "qzctl %s: %d defined parameter%s rejected by the module (RDPARM error reply), not listed\n",
                 g_command.c_str(), rejected, rejected == 1 ? "" : "s");
  return g_running ? EXIT_OK : EXIT_COMM;
}

int cmdParamsGet(const std::vector<std::string>& args) {
  int code = EXIT_OK;
  ParameterDefinition* def = namedDefinition(args, 3, "expected params get PnXXXX", &code);
  if (!def) return code;
  uint16_t number = def->number;
  uint32_t raw = 0;
  uint16_t st = readParam(*def, &raw);
  // A rejected number comes back without a box: say so here.
  if (st == STATUS_ERROR_REPLY)
    std::fprintf(stderr, "qzctl %s: RDPARM error reply, the module rejects %s\n", g_command.c_str(),
                 pnName(number).c_str());
  if (st) return exitForStatus(st);
  int32_t v = storedValue(*def, raw);
  if (g_opt.json)
    std::printf("%s\n", parameterJson(*def, v).c_str());
  else
    std::printf("%s %s %s %s\n", pnName(number).c_str(), toUtf8(def->name).c_str(), valueText(*def, v).c_str(),
                toUtf8(def->unit).c_str());
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
    value = widenStored(static_cast<int32_t>(v), def->size, definitionSigned(*def));
  }
  std::string why = checkValue(*def, value);
  if (!why.empty()) {
    std::fprintf(stderr, "qzctl %s: %s value %s: %s\n", g_command.c_str(), pnName(number).c_str(), args[3].c_str(),
                 why.c_str());
    return EXIT_USAGE;
  }
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
  if (g_opt.json) std::printf("{\"number\":%u,\"pn\":%s,\"value\":%d}\n", number, jsonString(pnName(number)).c_str(), value);
  else std::printf("%s %s\n", pnName(number).c_str(), valueText(*def, value).c_str());
  return EXIT_OK;
}

}  // namespace

int paramsVerify(const std::string& path) {
  uint16_t line = readParameterVerifyFile(nullptr, path.c_str(), g_parameterTable, &g_fileTable);
  if (line) return EXIT_FILE;
  Progress p;
  TransferSink sink = makeSink(&p);
  g_rows.clear();
  auto start = std::chrono::steady_clock::now();
  uint16_t r = verifyParameters(nullptr, &g_parameterTable, g_fileTable, g_running, sink);
  int code = transferExit(r, p, statusFromLastBox());
  if (code) return code;
  if (g_verifySilent) return g_rows.empty() ? EXIT_OK : EXIT_DIFFERS;
  if (!g_opt.json) {
    printVerifyRows(false, p.total, start);
    return g_rows.empty() ? EXIT_OK : EXIT_DIFFERS;
  }
  // The rows name their parameter; the values come from the tables, as numbers.
  std::string json;
  for (const VerifyRow& row : g_rows) {
    uint16_t number = 0;
    parsePn(row.columns[0], &number);
    const ParameterDefinition* live = findDefinition(number);
    const ParameterDefinition* file = findDefinitionIn(&g_fileTable, number);
    if (!live) continue;
    int32_t mv = widenStored(live->value, live->size, definitionSigned(*live));
    bool hasFile = file && file->valueValid;
    int32_t fv = hasFile ? widenStored(file->value, file->size, definitionSigned(*file)) : 0;
    json += std::string(json.empty() ? "" : ",") + "{\"number\":" + std::to_string(number) + ",\"pn\":" +
            jsonString(pnName(number)) + ",\"name\":" + jsonString(toUtf8(live->name)) +
            ",\"file\":" + (hasFile ? std::to_string(fv) : "null") + ",\"module\":" + std::to_string(mv) +
            ",\"fileText\":" + jsonString(hasFile ? valueText(*live, fv) : "") +
            ",\"moduleText\":" + jsonString(valueText(*live, mv)) + ",\"unit\":" + jsonString(toUtf8(live->unit)) + "}";
  }
  std::printf("{\"differences\":%zu,\"compared\":%u,\"rows\":[%s]}\n", g_rows.size(), p.total, json.c_str());
  return g_rows.empty() ? EXIT_OK : EXIT_DIFFERS;
}

namespace {

int cmdParamsFile(const std::vector<std::string>& args) {
  const std::string& sub = args[1];
  if (args.size() < 3) return usage("a file name is needed");
  const std::string path = args[2];
  bool verify = false;
  for (size_t i = 3; i < args.size(); ++i) {
    if (sub == "load" && args[i] == "--verify") verify = true;
    else if (sub == "load" && args[i] == "--force") continue;   // acted on before connecting
    else return unexpectedArgument(args[i]);
  }
  auto start = std::chrono::steady_clock::now();
  if (sub == "save") {
    Progress p;
    TransferSink sink = makeSink(&p);
    uint16_t r = saveParameters(nullptr, &g_parameterTable, g_running, sink);
    int code = transferExit(r, p, statusFromLastBox());
    if (code) return code;
    if (writeParameterFile(path.c_str(), &g_parameterTable) != 0)
      return fileError("cannot write the parameter file", path, 0xFFFF);
    if (g_opt.json) std::printf("{\"saved\":%u,\"file\":%s}\n", p.total, jsonString(path).c_str());
    else printSummary("params save: " + std::to_string(validValues(g_parameterTable)) + " parameters read from the module into " + path, start);
    return EXIT_OK;
  }
  if (sub == "load") {
    uint16_t line = readParameterFile(path.c_str(), &g_parameterTable);
    if (line) return fileError("cannot read the parameter file", path, line);
    Progress p;
    TransferSink sink = makeSink(&p);
    uint16_t r = loadParameters(nullptr, g_parameterTable, g_running, sink);
    int code = transferExit(r, p, statusFromLastBox());
    if (code) return code;
    if (!g_opt.json)
      printSummary("params load: " + std::to_string(validValues(g_parameterTable)) + " parameters of " + path + " written to the module", start);
    if (!verify) {
      if (g_opt.json) std::printf("{\"loaded\":%u,\"file\":%s}\n", p.total, jsonString(path).c_str());
      return EXIT_OK;
    }
    return paramsVerify(path);
  }
  if (sub == "verify") return paramsVerify(path);
  return usage("unknown params command");
}

}  // namespace

// Why the definition does not allow the value a file gave it; null when it does or
// when the file gave none.
std::string fileValueOffence(const ParameterDefinition& def) {
  if (!def.valueValid) return {};
  return checkValue(def, widenStored(def.value, def.size, definitionSigned(def)));
}

int countOffenders(const ParameterTable& table) {
  int offenders = 0;
  for (uint16_t i = 0; i < table.count; ++i) offenders += !fileValueOffence(table.entries[i]).empty();
  return offenders;
}

// Prints every value of `table` that its definition does not allow, as one list or
// one JSON document; returns how many there are.
int printOffenders(const ParameterTable& table) {
  int offenders = 0;
  std::string json = "[";
  for (uint16_t i = 0; i < table.count; ++i) {
    const ParameterDefinition& def = table.entries[i];
    std::string why = fileValueOffence(def);
    if (why.empty()) continue;
    int32_t v = widenStored(def.value, def.size, definitionSigned(def));
    if (g_opt.json)
      json += std::string(offenders ? "," : "") + "{\"pn\":" + jsonString(pnName(def.number)) + ",\"value\":" +
              std::to_string(v) + ",\"reason\":" + jsonString(why) + "}";
    else
      std::printf("%s %s %s: %s\n", pnName(def.number).c_str(), toUtf8(def.name).c_str(), valueText(def, v).c_str(), why.c_str());
    ++offenders;
  }
  if (g_opt.json) std::printf("{\"offenders\":%d,\"rows\":%s]}\n", offenders, json.c_str());
  else if (offenders == 0) std::printf("all values within their definitions\n");
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
  int differences = 0;
  std::string json;
  for (uint16_t i = 0; i < a.count; ++i) {
    const ParameterDefinition& ea = a.entries[i];
    const ParameterDefinition& eb = b.entries[i];
    if (ea.valueValid == eb.valueValid && (!ea.valueValid || ea.value == eb.value)) continue;
    int32_t va = widenStored(ea.value, ea.size, definitionSigned(ea));
    int32_t vb = widenStored(eb.value, eb.size, definitionSigned(eb));
    std::string unit = toUtf8(ea.unit);
    if (g_opt.json) {
      json += std::string(differences ? "," : "") + "{\"number\":" + std::to_string(ea.number) + ",\"pn\":" +
              jsonString(pnName(ea.number)) + ",\"name\":" + jsonString(toUtf8(ea.name)) +
              ",\"a\":" + (ea.valueValid ? std::to_string(va) : "null") +
              ",\"b\":" + (eb.valueValid ? std::to_string(vb) : "null") +
              ",\"aText\":" + jsonString(ea.valueValid ? valueText(ea, va) : "") +
              ",\"bText\":" + jsonString(eb.valueValid ? valueText(eb, vb) : "") + ",\"unit\":" + jsonString(unit) + "}";
    } else {
      if (differences == 0)
        std::printf("%-7s %s %14s %14s %s\n", "Pn", padColumns("name", 40).c_str(), "A", "B", "unit");
      std::printf("%-7s %s %14s %14s %s\n", pnName(ea.number).c_str(), padColumns(toUtf8(ea.name), 40).c_str(),
                  ea.valueValid ? valueText(ea, va).c_str() : "-", eb.valueValid ? valueText(eb, vb).c_str() : "-",
                  unit.c_str());
    }
    ++differences;
  }
  if (g_opt.json) std::printf("{\"differences\":%d,\"rows\":[%s]}\n", differences, json.c_str());
  else std::printf("%d difference%s\n", differences, differences == 1 ? "" : "s");
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
      // A load sends nothing while any value is outside its definition, unless forced.
      bool force = false;
      for (size_t i = 3; i < args.size(); ++i) {
        if (sub != "load" || (args[i] != "--force" && args[i] != "--verify")) return unexpectedArgument(args[i]);
        force |= args[i] == "--force";
      }
      if (sub == "load" && !force) {
        if (int offenders = countOffenders(*probe)) {
          printOffenders(*probe);
          std::fprintf(stderr, "qzctl %s: %d value%s outside the definitions, nothing sent (--force sends the file)\n",
                       g_command.c_str(), offenders, offenders == 1 ? "" : "s");
          return EXIT_DIFFERS;
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
