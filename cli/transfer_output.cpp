// Progress of transfers and lists on stderr, and the verify rows on stdout.
#include "cli/qzctl.h"
#include "cli/console.h"

#include <cstdio>

namespace qzctl {
namespace {

void progressStart(void* ctx, uint32_t maximum) {
  auto* p = static_cast<Progress*>(ctx);
  p->total = maximum;
  p->count = 0;
}

void collectRow(void*, const VerifyRow& row) { g_rows.push_back(row); }

}  // namespace

std::vector<VerifyRow> g_rows;
bool g_verifySilent = false;

void progressStep(void* ctx, uint16_t labelId, const char* placeholder) {
  auto* p = static_cast<Progress*>(ctx);
  ++p->count;
  if (g_opt.quiet) return;
  std::string label;
  if (labelId == IDS_LOAD_PARAM || labelId == IDS_SAVE_PARAM || labelId == IDS_VERIFY_PARAM)
    label = std::string("Pn") + (placeholder ? placeholder : "");
  else if (labelId != 0)
    label = std::string("No.") + (placeholder ? placeholder : "");
  if (p->terminal)
    std::fprintf(stderr, "\r%s %u/%u %s   ", g_command.c_str(), p->count, p->total, label.c_str());
  else
    std::fprintf(stderr, "%s %u/%u %s\n", g_command.c_str(), p->count, p->total, label.c_str());
  std::fflush(stderr);
}

void progressEnd(const Progress& p) {
  if (!g_opt.quiet && p.terminal) std::fprintf(stderr, "\n");
}

TransferSink makeSink(Progress* p) {
  p->terminal = stderrIsTerminal();
  return TransferSink{p, progressStart, progressStep, nullptr, collectRow};
}

int transferExit(uint16_t result, const Progress& p, uint16_t lastStatus) {
  progressEnd(p);
  if (result == TRANSFER_CANCELLED) {
    std::fprintf(stderr, "qzctl %s: interrupted after %u of %u entries\n", g_command.c_str(), p.count, p.total);
    return EXIT_COMM;
  }
  if (result == TRANSFER_STOPPED) {
    uint16_t status = lastStatus ? lastStatus : static_cast<uint16_t>(STATUS_COMM_FAILURE);
    traceNoteStatus(status);
    return exitForStatus(status);
  }
  return EXIT_OK;
}

void printVerifyRows(bool points, uint32_t compared, std::chrono::steady_clock::time_point start) {
  if (points) std::printf("%3s %14s %14s %14s %14s\n", "No.", "module speed", "file speed", "module position", "file position");
  else std::printf("%-8s %s %14s %14s %s\n", "Pn", padColumns("name", 40).c_str(), "file", "module", "unit");
  for (const VerifyRow& r : g_rows) {
    if (points)
      std::printf("%3s %14s %14s %14s %14s\n", r.columns[0], r.columns[1], r.columns[2], r.columns[3], r.columns[4]);
    else
      std::printf("%-8s %s %14s %14s %s\n", toUtf8(r.columns[0]).c_str(), padColumns(toUtf8(r.columns[1]), 40).c_str(),
                  toUtf8(r.columns[2]).c_str(), toUtf8(r.columns[3]).c_str(), toUtf8(r.columns[4]).c_str());
  }
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%zu difference%s among %u %s in %.1f s\n", g_rows.size(), g_rows.size() == 1 ? "" : "s", compared,
              points ? "points" : "parameters", s);
}

void printSummary(const std::string& what, std::chrono::steady_clock::time_point start) {
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s in %.1f s\n", what.c_str(), s);
}

}  // namespace qzctl
