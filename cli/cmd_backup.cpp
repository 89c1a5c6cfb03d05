// backup and restore: the parameters, the point table and the module's identification
// of one axis in one folder.
#include "cli/qzctl.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "cli/sha256.h"
#include "files/parameter_file.h"
#include "files/point_file.h"
#include "files/transfer.h"
#include "system/program_version.h"

namespace fs = std::filesystem;

namespace qzctl {
namespace {

constexpr const char* kParamsFile = "params.PRM";
constexpr const char* kPointsFile = "points.PNT";
constexpr const char* kModuleFile = "module.json";

// Item codes of the texts that name the kind of module: a restore onto another kind
// of amplifier, option module or motor is refused.
const char* const kTypeKeywords[3] = {"SV_TYP", "QZ_TYP", "MT_TYP"};

std::string versionNumber() {
  char text[16];
  programVersionText(text);
  std::string s(text + 3);
  return s.substr(s.find_first_not_of(' '));
}

std::string utcNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  gmtime_s(&tm, &t);
#else
  gmtime_r(&t, &tm);
#endif
  char b[32];
  std::strftime(b, sizeof b, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return b;
}

// The string value of "key" in the JSON this command writes; false when absent.
bool jsonField(const std::string& text, const std::string& key, std::string* out) {
  size_t at = text.find(jsonString(key));
  if (at == std::string::npos) return false;
  at = text.find_first_not_of(" \t\r\n", at + key.size() + 2);
  if (at == std::string::npos || text[at] != ':') return false;
  at = text.find_first_not_of(" \t\r\n", at + 1);
  if (at == std::string::npos || text[at] != '"') return false;
  std::string v;
  for (size_t i = at + 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      *out = v;
      return true;
    }
    if (c == '\\' && i + 1 < text.size()) {
      c = text[++i];
      if (c == 'u' && i + 4 < text.size()) {
        v += static_cast<char>(std::strtol(text.substr(i + 1, 4).c_str(), nullptr, 16));
        i += 4;
        continue;
      }
    }
    v += c;
  }
  return false;
}

std::string moduleJson(const std::string texts[6]) {
  std::string out = "{\n  \"tool\": \"qzctl\",\n  \"version\": " + jsonString(versionNumber()) +
                    ",\n  \"date\": " + jsonString(utcNow()) + ",\n  \"port\": " + jsonString(g_opt.port) +
                    ",\n  \"definitions\": {\"file\": " + jsonString(fs::path(g_opt.defs).filename().string()) +
                    ", \"sha256\": " + jsonString(fileSha256(g_opt.defs)) + "},\n  \"identification\": {";
  for (int i = 0; i < 6; ++i)
    out += std::string(i ? ", " : "") + jsonString(kIdItems[i].keyword) + ":" + jsonString(texts[i]);
  return out + "},\n  \"parameters\": " + jsonString(kParamsFile) + ",\n  \"points\": " + jsonString(kPointsFile) +
         "\n}\n";
}

int failBackup(const fs::path& temp, int code) {
  std::error_code ec;
  fs::remove_all(temp, ec);
  return code;
}

}  // namespace

int cmdBackup(const std::vector<std::string>& args) {
  if (args.size() != 2) return usage(args.size() < 2 ? "expected backup DIR" : ("unexpected argument " + args[2]).c_str());
  if (int code = loadDefs()) return code;
  fs::path dir(args[1]);
  std::error_code ec;
  if (fs::exists(dir, ec)) return fail(EXIT_FILE, "%s already exists; a backup goes into a new folder", args[1].c_str());
  // Everything is written into a hidden folder beside DIR, which is renamed to DIR
  // only when every file is complete: DIR never holds half a backup.
  fs::path parent = dir.parent_path().empty() ? fs::path(".") : dir.parent_path();
  fs::path temp = parent / ("." + dir.filename().string() + ".partial-" + std::to_string(getpid()));
  if (!fs::create_directory(temp, ec))
    return fail(EXIT_FILE, "cannot write into %s: %s", parent.string().c_str(),
                ec ? ec.message().c_str() : "a folder of that name is in the way");
  if (int c = connectModule()) return failBackup(temp, c);
  auto start = std::chrono::steady_clock::now();
  std::string texts[6];
  if (uint16_t st = readIdTexts(texts)) return failBackup(temp, exitForStatus(st));
  if (!g_running) return failBackup(temp, EXIT_COMM);

  Progress pp;
  TransferSink sink = makeSink(&pp);
  uint16_t r = saveParameters(nullptr, &g_parameterTable, g_running, sink);
  if (int code = transferExit(r, pp, statusFromLastBox())) return failBackup(temp, code);
  Progress tp;
  sink = makeSink(&tp);
  r = savePointTable(nullptr, &g_points, g_running, sink);
  if (int code = transferExit(r, tp, statusFromLastBox())) return failBackup(temp, code);

  std::string prm = (temp / kParamsFile).string(), pnt = (temp / kPointsFile).string();
  errno = 0;
  if (writeParameterFile(prm.c_str(), &g_parameterTable) != 0)
    return failBackup(temp, writeFailure("cannot write the parameter file", prm, errno));
  errno = 0;
  if (writePointFile(pnt.c_str(), g_points.points) != 0)
    return failBackup(temp, writeFailure("cannot write the point file", pnt, errno));
  std::string json = (temp / kModuleFile).string();
  {
    std::ofstream f(json, std::ios::binary);
    f << moduleJson(texts);
    if (!f.flush()) return failBackup(temp, fileFailure("cannot write", json));
  }
  fs::rename(temp, dir, ec);
  if (ec) {
    return failBackup(temp, fail(EXIT_FILE, "cannot rename %s to %s: %s", temp.string().c_str(), args[1].c_str(),
                                 ec.message().c_str()));
  }
  Record summary;
  summary.columns = {str("backup", args[1]), num("parameters", validValues(g_parameterTable)), num("points", POINT_COUNT),
               textOnly("module", texts[2]), textOnly("amplifier", texts[0]), textOnly("seconds", secondsSince(start))};
  summary.layout = "backup: {parameters} parameters and {points} points of {module} on {amplifier} read into {backup} in {seconds} s\n";
  print(summary);
  return EXIT_OK;
}

int cmdRestore(const std::vector<std::string>& args) {
  std::string dirText;
  for (size_t i = 1; i < args.size(); ++i) {
    if (!args[i].empty() && args[i][0] == '-') return usage(("unknown option " + args[i]).c_str());
    else if (dirText.empty()) dirText = args[i];
    else return usage(("unexpected argument " + args[i]).c_str());
  }
  if (dirText.empty()) return usage("expected restore DIR [--verify] [--force]");
  if (int code = loadDefs()) return code;
  fs::path dir(dirText);
  std::string json = (dir / kModuleFile).string(), prm = (dir / kParamsFile).string(),
              pnt = (dir / kPointsFile).string();
  // module.json has no lines: the reason alone says why it cannot be read.
  std::ifstream jf(json, std::ios::binary);
  if (!jf) return fileFailure("cannot read the backup's", json);
  std::stringstream js;
  js << jf.rdbuf();
  const std::string module = js.str();
  std::string saved[3];
  for (int k = 0; k < 3; ++k)
    if (!jsonField(module, kTypeKeywords[k], &saved[k])) return fail(EXIT_FILE, "%s holds no %s", json.c_str(), kTypeKeywords[k]);
  // Both files are read and checked before the port is touched.
  uint16_t line = readParameterFile(prm.c_str(), &g_parameterTable);
  if (line) return fileError("cannot read the parameter file", prm, line);
  std::memset(&g_points, 0, sizeof g_points);
  line = readPointFile(pnt.c_str(), g_points.points);
  if (line) return fileError("cannot read the point file", pnt, line);
  if (!g_opt.force)
    if (int offenders = countOffenders(g_parameterTable)) {
      printOffenders(g_parameterTable);
      return fail(EXIT_DIFFERS, "%d value%s outside the definitions, nothing sent (--force sends the backup)",
                  offenders, offenders == 1 ? "" : "s");
    }
  std::string defsHash;
  if (jsonField(module, "sha256", &defsHash) && defsHash != fileSha256(g_opt.defs))
    note("note: the backup was made with another definition file than %s", g_opt.defs.c_str());

  if (int c = connectModule()) return c;
  auto start = std::chrono::steady_clock::now();
  std::string texts[6];
  if (uint16_t st = readIdTexts(texts)) return exitForStatus(st);
  bool differs = false;
  for (int k = 0; k < 3; ++k) {
    int at = 0;
    while (std::strcmp(kIdItems[at].keyword, kTypeKeywords[k]) != 0) ++at;
    if (texts[at] == saved[k]) continue;
    note("%s differs: the module says \"%s\", the backup \"%s\"", kTypeKeywords[k], texts[at].c_str(), saved[k].c_str());
    differs = true;
  }
  if (differs && !g_opt.force) return fail(EXIT_USAGE, "nothing sent; --force restores onto this module anyway");
  Progress pp;
  TransferSink sink = makeSink(&pp);
  uint16_t r = loadParameterTable(sink);
  if (int code = transferExit(r, pp, statusFromLastBox())) return code;
  Progress tp;
  sink = makeSink(&tp);
  r = loadPointTable(nullptr, g_points, g_running, sink);
  if (int code = transferExit(r, tp, statusFromLastBox())) return code;
  // With --verify the text goes on with both verify lists, and the one JSON document
  // follows them with their counts.
  Record summary;
  summary.columns = {str("restored", dirText), num("parameters", validValues(g_parameterTable)), num("points", POINT_COUNT),
                     textOnly("seconds", secondsSince(start))};
  summary.layout = "restore: {parameters} parameters and {points} points of {restored} written to the module in {seconds} s\n";
  summary.shows = g_opt.verify ? kShowText : kShowBoth;
  print(summary);
  if (!g_opt.verify) return EXIT_OK;
  Record params, points;
  int code = paramsVerify(prm, &params);
  if (code != EXIT_OK && code != EXIT_DIFFERS) return code;
  params.shows = kShowText;
  print(params);
  int pointCode = pointsVerify(pnt, &points);
  if (pointCode != EXIT_OK && pointCode != EXIT_DIFFERS) return pointCode;
  points.shows = kShowText;
  print(points);
  summary.columns.push_back(num("parameterDifferences", static_cast<long long>(params.rows.size())));
  summary.columns.push_back(num("pointDifferences", static_cast<long long>(points.rows.size())));
  summary.shows = kShowJson;
  print(summary);
  return code == EXIT_DIFFERS || pointCode == EXIT_DIFFERS ? EXIT_DIFFERS : EXIT_OK;
}

}  // namespace qzctl
