// points: list, get, set, save, load and verify of the point table.
#include "cli/qzctl.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/point_file.h"
#include "files/transfer.h"
#include "link/request.h"

namespace qzctl {
namespace {

constexpr const char* kPointRow = "{point:3} {speed:14} {position:14}\n";
constexpr const char* kVerifyRow = "{point:3} {moduleSpeed:14} {fileSpeed:14} {modulePosition:14} {filePosition:14}\n";

// Speed and position as numbers in the value format of --unit.
std::vector<Column> speedAndPosition(int32_t speed, int32_t position) {
  std::string s = formatted(g_opt.valueFormat, speed), p = formatted(g_opt.valueFormat, position);
  return {{"speed", s, s}, {"position", p, p}};
}

Record pointRecord(long n, int32_t speed, int32_t position, const char* layout) {
  Record r;
  r.columns = speedAndPosition(speed, position);
  r.columns.insert(r.columns.begin(), num("point", n));
  r.layout = layout;
  return r;
}

std::string pointJson(const PointEntry& e) {
  Record r;
  r.columns = speedAndPosition(static_cast<int32_t>(e.speed), e.position);
  return jsonOf(r);
}

}  // namespace

int pointsVerify(const std::string& path, Record* report) {
  static PointEntry file[POINT_COUNT];
  if (readPointVerifyFile(nullptr, path.c_str(), file)) return EXIT_FILE;
  Progress p;
  TransferSink sink = makeSink(&p);
  g_rows.clear();
  auto start = std::chrono::steady_clock::now();
  uint16_t r = verifyPointTable(nullptr, &g_points, file, g_opt.valueFormat, g_running, sink);
  int code = transferExit(r, p, statusFromLastBox());
  if (code) return code;
  // The text shows the verify list's rows; the JSON the module's and the file's point.
  report->columns = {num("differences", static_cast<long long>(g_rows.size())), num("compared", POINT_COUNT),
                     textOnly("s", g_rows.size() == 1 ? "" : "s"), textOnly("seconds", secondsSince(start))};
  report->layout = layoutText(kVerifyRow, {textOnly("point", "No."), textOnly("moduleSpeed", "module speed"),
                                           textOnly("fileSpeed", "file speed"), textOnly("modulePosition", "module position"),
                                           textOnly("filePosition", "file position")});
  report->listKey = "rows";
  report->footer = "{differences} difference{s} among {compared} points in {seconds} s\n";
  for (const VerifyRow& row : g_rows) {
    long n = std::strtol(row.columns[0], nullptr, 10);
    if (n < 1 || n > POINT_COUNT) continue;
    Record rec;
    rec.columns = {{"point", std::to_string(n), row.columns[0]}, jsonOnly("module", pointJson(g_points.points[n - 1])),
                   jsonOnly("file", pointJson(file[n - 1])), textOnly("moduleSpeed", row.columns[1]),
                   textOnly("fileSpeed", row.columns[2]), textOnly("modulePosition", row.columns[3]),
                   textOnly("filePosition", row.columns[4])};
    rec.layout = kVerifyRow;
    report->rows.push_back(rec);
  }
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
    Record list;
    list.layout = layoutText(kPointRow, {textOnly("point", "No."), textOnly("speed", "speed"), textOnly("position", "position")});
    for (int i = 0; i < POINT_COUNT; ++i) {
      const PointEntry& e = g_points.points[i];
      list.rows.push_back(pointRecord(i + 1, static_cast<int32_t>(e.speed), e.position, kPointRow));
    }
    print(list);
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
    print(pointRecord(n, static_cast<int32_t>(s), static_cast<int32_t>(pos), "{point} {speed} {position}\n"));
    return EXIT_OK;
  }
  if (sub == "save" || sub == "load" || sub == "verify") {
    if (args.size() < 3) return usage("a file name is needed");
    if (args.size() > 3) return unexpectedArgument(args[3]);
    const std::string path = args[2];
    if (sub == "save" && !targetWritable(path)) return EXIT_FILE;
    if (int c = connectModule()) return c;
    Record report;
    if (sub == "verify") return printVerify(pointsVerify(path, &report), report);
    auto start = std::chrono::steady_clock::now();
    Progress p;
    TransferSink sink = makeSink(&p);
    Record summary;
    if (sub == "save") {
      uint16_t r = savePointTable(nullptr, &g_points, g_running, sink);
      if (int code = transferExit(r, p, statusFromLastBox())) return code;
      errno = 0;
      if (writePointFile(path.c_str(), g_points.points) != 0) return writeFailure("cannot write the point file", path, errno);
      summary.columns = {num("saved", POINT_COUNT), str("file", path), textOnly("seconds", secondsSince(start))};
      summary.layout = "points save: {saved} points read from the module into {file} in {seconds} s\n";
      print(summary);
      return EXIT_OK;
    }
    std::memset(&g_points, 0, sizeof g_points);
    uint16_t line = readPointFile(path.c_str(), g_points.points);
    if (line) return fileError("cannot read the point file", path, line);
    uint16_t r = loadPointTable(nullptr, g_points, g_running, sink);
    if (int code = transferExit(r, p, statusFromLastBox())) return code;
    // With --verify the JSON document is the verify's.
    summary.columns = {num("loaded", POINT_COUNT), str("file", path), textOnly("seconds", secondsSince(start))};
    summary.layout = "points load: {loaded} points of {file} written to the module in {seconds} s\n";
    summary.shows = g_opt.verify ? kShowText : kShowBoth;
    print(summary);
    if (g_opt.verify) return printVerify(pointsVerify(path, &report), report);
    return EXIT_OK;
  }
  return usage("unknown points command");
}

}  // namespace qzctl
