// points: list, get, set, save, load and verify of the point table.
#include "cli/qzctl.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/point_file.h"
#include "files/transfer.h"
#include "link/request.h"

namespace qzctl {
namespace {

// Speed and position as JSON numbers in the value format of --unit.
std::string pointJson(const PointEntry& e) {
  return "{\"speed\":" + formatted(g_opt.valueFormat, static_cast<int32_t>(e.speed)) +
         ",\"position\":" + formatted(g_opt.valueFormat, e.position) + "}";
}

}  // namespace

int pointsVerify(const std::string& path) {
  static PointEntry file[POINT_COUNT];
  if (readPointVerifyFile(nullptr, path.c_str(), file)) return EXIT_FILE;
  Progress p;
  TransferSink sink = makeSink(&p);
  g_rows.clear();
  auto start = std::chrono::steady_clock::now();
  uint16_t r = verifyPointTable(nullptr, &g_points, file, g_opt.valueFormat, g_running, sink);
  int code = transferExit(r, p, statusFromLastBox());
  if (code) return code;
  if (g_verifySilent) return g_rows.empty() ? EXIT_OK : EXIT_DIFFERS;
  if (!g_opt.json) {
    printVerifyRows(true, POINT_COUNT, start);
    return g_rows.empty() ? EXIT_OK : EXIT_DIFFERS;
  }
  std::string json;
  for (const VerifyRow& row : g_rows) {
    long n = std::strtol(row.columns[0], nullptr, 10);
    if (n < 1 || n > POINT_COUNT) continue;
    const PointEntry& m = g_points.points[n - 1];
    const PointEntry& f = file[n - 1];
    json += std::string(json.empty() ? "" : ",") + "{\"point\":" + std::to_string(n) + ",\"module\":" +
            pointJson(m) + ",\"file\":" + pointJson(f) + "}";
  }
  std::printf("{\"differences\":%zu,\"compared\":%d,\"rows\":[%s]}\n", g_rows.size(), POINT_COUNT, json.c_str());
  return g_rows.empty() ? EXIT_OK : EXIT_DIFFERS;
}

int cmdPoints(const std::vector<std::string>& args) {
  if (args.size() < 2) return usage("points needs a subcommand");
  const std::string& sub = args[1];
  if ((sub == "load" || sub == "verify") && args.size() >= 3) {
    static PointEntry probe[POINT_COUNT];
    uint16_t line = readPointFile(args[2].c_str(), probe);
    if (line) return fileError("cannot read the point file", args[2], line);
  }
  if (sub == "list") {
    if (args.size() != 2) return unexpectedArgument(args[2]);
    if (int c = connectModule()) return c;
    Progress p;
    TransferSink sink = makeSink(&p);
    uint16_t r = savePointTable(nullptr, &g_points, g_running, sink);
    if (int code = transferExit(r, p, statusFromLastBox())) return code;
    if (g_opt.json) std::printf("[");
    else std::printf("%3s %14s %14s\n", "No.", "speed", "position");
    for (int i = 0; i < POINT_COUNT; ++i) {
      const PointEntry& e = g_points.points[i];
      if (g_opt.json)
        std::printf("%s{\"point\":%d,\"speed\":%s,\"position\":%s}", i ? "," : "", i + 1,
                    formatted(g_opt.valueFormat, static_cast<int32_t>(e.speed)).c_str(),
                    formatted(g_opt.valueFormat, e.position).c_str());
      else
        std::printf("%3d %14s %14s\n", i + 1, formatted(g_opt.valueFormat, static_cast<int32_t>(e.speed)).c_str(),
                    formatted(g_opt.valueFormat, e.position).c_str());
    }
    if (g_opt.json) std::printf("]\n");
    return EXIT_OK;
  }
  if (sub == "get" || sub == "set") {
    long n;
    if (args.size() < 3 || !parseDecimal(args[2], 1, POINT_COUNT, &n)) return usage("point number 1..50 expected");
    bool haveSpeed = false, havePos = false;
    int32_t speed = 0, position = 0;
    if (sub == "set") {
      for (size_t i = 3; i < args.size(); ++i) {
        if (i + 1 >= args.size()) return usage("option needs a value");
        if (args[i] == "--speed") { ++i; if (!parseFormatted(g_opt.valueFormat, args[i], &speed)) return badDecimal("speed", g_opt.valueFormat, args[i]); if (speed < 0) return usage("a speed is not negative"); haveSpeed = true; }
        else if (args[i] == "--position") { ++i; if (!parseFormatted(g_opt.valueFormat, args[i], &position)) return badDecimal("position", g_opt.valueFormat, args[i]); havePos = true; }
        else return unexpectedArgument(args[i]);
      }
      if (!haveSpeed) return usage("points set needs --speed");
    } else if (args.size() != 3) return unexpectedArgument(args[3]);
    if (int c = connectModule()) return c;
    uint16_t point = static_cast<uint16_t>(n);
    if (sub == "set") {
      // Without --position the position is left out of SET_PT, and the module
      // takes the axis's present position as the point's target (teaching).
      // Teaching is not repeated by --retry: the axis may have moved in between.
      auto setPoint = [&] {
        return request_SET_PT(nullptr, point, static_cast<uint32_t>(speed), havePos ? kExplicitValueCode : 0,
                              static_cast<uint32_t>(position));
      };
      uint16_t st = havePos ? withRetry(setPoint) : withoutRetry("SET_PT", setPoint);
      if (st) return exitForStatus(st);
    }
    uint32_t s = 0, pos = 0;
    uint16_t st = withRetry([&] { return request_GET_PT(nullptr, point, &s, &pos); });
    if (st) return exitForStatus(st);
    std::string ss = formatted(g_opt.valueFormat, static_cast<int32_t>(s));
    std::string ps = formatted(g_opt.valueFormat, static_cast<int32_t>(pos));
    if (g_opt.json) std::printf("{\"point\":%ld,\"speed\":%s,\"position\":%s}\n", n, ss.c_str(), ps.c_str());
    else std::printf("%ld %s %s\n", n, ss.c_str(), ps.c_str());
    return EXIT_OK;
  }
  if (sub == "save" || sub == "load" || sub == "verify") {
    if (args.size() < 3) return usage("a file name is needed");
    bool verify = sub == "load" && args.size() == 4 && args[3] == "--verify";
    if (args.size() > 3 && !verify) return unexpectedArgument(args[3]);
    const std::string path = args[2];
    if (sub == "save" && !targetWritable(path)) return EXIT_FILE;
    if (int c = connectModule()) return c;
    if (sub == "verify") return pointsVerify(path);
    auto start = std::chrono::steady_clock::now();
    Progress p;
    TransferSink sink = makeSink(&p);
    if (sub == "save") {
      uint16_t r = savePointTable(nullptr, &g_points, g_running, sink);
      if (int code = transferExit(r, p, statusFromLastBox())) return code;
      if (writePointFile(path.c_str(), g_points.points) != 0) return fileError("cannot write the point file", path, 0xFFFF);
      if (g_opt.json) std::printf("{\"saved\":%d,\"file\":%s}\n", POINT_COUNT, jsonString(path).c_str());
      else printSummary("points save: " + std::to_string(POINT_COUNT) + " points read from the module into " + path, start);
      return EXIT_OK;
    }
    std::memset(&g_points, 0, sizeof g_points);
    uint16_t line = readPointFile(path.c_str(), g_points.points);
    if (line) return fileError("cannot read the point file", path, line);
    uint16_t r = loadPointTable(nullptr, g_points, g_running, sink);
    if (int code = transferExit(r, p, statusFromLastBox())) return code;
    if (!g_opt.json)
      printSummary("points load: " + std::to_string(POINT_COUNT) + " points of " + path + " written to the module", start);
    if (verify) return pointsVerify(path);
    if (g_opt.json) std::printf("{\"loaded\":%d,\"file\":%s}\n", POINT_COUNT, jsonString(path).c_str());
    return EXIT_OK;
  }
  return usage("unknown points command");
}

}  // namespace qzctl
