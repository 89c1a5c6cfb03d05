// backup and restore: the parameters, the point table and the module's identification
// of one axis in one folder.
#include "cli/qzctl.h"

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
  if (fs::exists(dir, ec)) {
    std::fprintf(stderr, "qzctl %s: %s already exists; a backup goes into a new folder\n", g_command.c_str(),
                 args[1].c_str());
    return EXIT_FILE;
  }
  // Everything is written into a hidden folder beside DIR, which is renamed to DIR
  // only when every file is complete: DIR never holds half a backup.
  fs::path parent = dir.parent_path().empty() ? fs::path(".") : dir.parent_path();
  fs::path temp = parent / ("." + dir.filename().string() + ".partial-" + std::to_string(getpid()));
  if (!fs::create_directory(temp, ec)) {
    std::fprintf(stderr, "qzctl %s: cannot write into %s: %s\n", g_command.c_str(), parent.string().c_str(),
                 ec ? ec.message().c_str() : "a folder of that name is in the way");
    return EXIT_FILE;
  }
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
  if (writeParameterFile(prm.c_str(), &g_parameterTable) != 0)
    return failBackup(temp, fileError("cannot write the parameter file", prm, 0xFFFF));
  if (writePointFile(pnt.c_str(), g_points.points) != 0)
    return failBackup(temp, fileError("cannot write the point file", pnt, 0xFFFF));
  std::string json = (temp / kModuleFile).string();
  {
    std::ofstream f(json, std::ios::binary);
    f << moduleJson(texts);
    if (!f.flush()) return failBackup(temp, fileError("cannot write", json, 0xFFFF));
  }
  fs::rename(temp, dir, ec);
  if (ec) {
    std::fprintf(stderr, "qzctl %s: cannot rename %s to %s: %s\n", g_command.c_str(), temp.string().c_str(),
                 args[1].c_str(), ec.message().c_str());
    return failBackup(temp, EXIT_FILE);
  }
  uint32_t saved = 0;
  for (uint16_t i = 0; i < g_parameterTable.count; ++i) saved += g_parameterTable.entries[i].valueValid ? 1 : 0;
  if (g_opt.json)
    std::printf("{\"backup\":%s,\"parameters\":%u,\"points\":%d}\n", jsonString(args[1]).c_str(), saved, POINT_COUNT);
  else
    printSummary("backup: " + std::to_string(saved) + " parameters and " + std::to_string(POINT_COUNT) +
                     " points of " + texts[2] + " on " + texts[0] + " read into " + args[1],
                 start);
  return EXIT_OK;
}

int cmdRestore(const std::vector<std::string>& args) {
  bool verify = false, force = false;
  std::string dirText;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--verify") verify = true;
    else if (args[i] == "--force") force = true;
    else if (!args[i].empty() && args[i][0] == '-') return usage(("unknown option " + args[i]).c_str());
    else if (dirText.empty()) dirText = args[i];
    else return usage(("unexpected argument " + args[i]).c_str());
  }
  if (dirText.empty()) return usage("expected restore DIR [--verify] [--force]");
  if (int code = loadDefs()) return code;
  fs::path dir(dirText);
  std::string json = (dir / kModuleFile).string(), prm = (dir / kParamsFile).string(),
              pnt = (dir / kPointsFile).string();
  std::ifstream jf(json, std::ios::binary);
  if (!jf) return fileError("cannot read the backup's", json, 0xFFFF);
  std::stringstream js;
  js << jf.rdbuf();
  const std::string module = js.str();
  std::string saved[3];
  for (int k = 0; k < 3; ++k)
    if (!jsonField(module, kTypeKeywords[k], &saved[k])) {
      std::fprintf(stderr, "qzctl %s: %s holds no %s\n", g_command.c_str(), json.c_str(), kTypeKeywords[k]);
      return EXIT_FILE;
    }
  // Both files are read and checked before the port is touched.
  uint16_t line = readParameterFile(prm.c_str(), &g_parameterTable);
  if (line) return fileError("cannot read the parameter file", prm, line);
  std::memset(&g_points, 0, sizeof g_points);
  line = readPointFile(pnt.c_str(), g_points.points);
  if (line) return fileError("cannot read the point file", pnt, line);
  if (!force)
    if (int offenders = countOffenders(g_parameterTable)) {
      printOffenders(g_parameterTable);
      std::fprintf(stderr, "qzctl %s: %d value%s outside the definitions, nothing sent (--force sends the backup)\n",
                   g_command.c_str(), offenders, offenders == 1 ? "" : "s");
      return EXIT_DIFFERS;
    }
  std::string defsHash;
  if (jsonField(module, "sha256", &defsHash) && defsHash != fileSha256(g_opt.defs))
    std::fprintf(stderr, "qzctl %s: note: the backup was made with another definition file than %s\n",
                 g_command.c_str(), g_opt.defs.c_str());

  if (int c = connectModule()) return c;
  auto start = std::chrono::steady_clock::now();
  std::string texts[6];
  if (uint16_t st = readIdTexts(texts)) return exitForStatus(st);
  bool differs = false;
  for (int k = 0; k < 3; ++k) {
    int at = 0;
    while (std::strcmp(kIdItems[at].keyword, kTypeKeywords[k]) != 0) ++at;
    if (texts[at] == saved[k]) continue;
    std::fprintf(stderr, "qzctl %s: %s differs: the module says \"%s\", the backup \"%s\"\n", g_command.c_str(),
                 kTypeKeywords[k], texts[at].c_str(), saved[k].c_str());
    differs = true;
  }
  if (differs && !force) {
    std::fprintf(stderr, "qzctl %s: nothing sent; --force restores onto this module anyway\n", g_command.c_str());
    return EXIT_USAGE;
  }
  Progress pp;
  TransferSink sink = makeSink(&pp);
  uint16_t r = loadParameters(nullptr, g_parameterTable, g_running, sink);
  if (int code = transferExit(r, pp, statusFromLastBox())) return code;
  Progress tp;
  sink = makeSink(&tp);
  r = loadPointTable(nullptr, g_points, g_running, sink);
  if (int code = transferExit(r, tp, statusFromLastBox())) return code;
  uint32_t sent = 0;
  for (uint16_t i = 0; i < g_parameterTable.count; ++i) sent += g_parameterTable.entries[i].valueValid ? 1 : 0;
  if (!g_opt.json)
    printSummary("restore: " + std::to_string(sent) + " parameters and " + std::to_string(POINT_COUNT) +
                     " points of " + dirText + " written to the module",
                 start);
  if (!verify) {
    if (g_opt.json)
      std::printf("{\"restored\":%s,\"parameters\":%u,\"points\":%d}\n", jsonString(dirText).c_str(), sent,
                  POINT_COUNT);
    return EXIT_OK;
  }
  // One JSON document for the whole restore: the verify counts go into it.
  g_verifySilent = g_opt.json;
  int code = paramsVerify(prm);
  size_t paramRows = g_rows.size();
  if (code != EXIT_OK && code != EXIT_DIFFERS) return code;
  int points = pointsVerify(pnt);
  if (points != EXIT_OK && points != EXIT_DIFFERS) return points;
  if (g_opt.json)
    std::printf("{\"restored\":%s,\"parameters\":%u,\"points\":%d,\"parameterDifferences\":%zu,"
                "\"pointDifferences\":%zu}\n",
                jsonString(dirText).c_str(), sent, POINT_COUNT, paramRows, g_rows.size());
  return code == EXIT_DIFFERS || points == EXIT_DIFFERS ? EXIT_DIFFERS : EXIT_OK;
}

}  // namespace qzctl
