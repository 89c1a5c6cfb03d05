// Progress of transfers and lists on stderr, and how a transfer ends.
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

// A terminal shows the entry in hand in one line, redrawn; a log (stderr redirected)
// gets none of them, only the summary on stdout and any failure.
void progressStep(void* ctx, uint16_t labelId, const char* placeholder) {
  auto* p = static_cast<Progress*>(ctx);
  ++p->count;
  if (g_opt.quiet || !p->terminal) return;
  std::string label;
  if (labelId == IDS_LOAD_PARAM || labelId == IDS_SAVE_PARAM || labelId == IDS_VERIFY_PARAM)
    label = std::string("Pn") + (placeholder ? placeholder : "");
  else if (labelId != 0)
    label = std::string("No.") + (placeholder ? placeholder : "");
  std::fprintf(stderr, "\r%s %u/%u %s   ", g_command.c_str(), p->count, p->total, label.c_str());
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
  if (result == TRANSFER_CANCELLED) return fail(EXIT_COMM, "interrupted after %u of %u entries", p.count, p.total);
  if (result == TRANSFER_STOPPED) {
    uint16_t status = lastStatus ? lastStatus : static_cast<uint16_t>(STATUS_COMM_FAILURE);
    traceNoteStatus(status);
    return exitForStatus(status);
  }
  return EXIT_OK;
}

int printVerify(int code, const Record& report) {
  if (code == EXIT_OK || code == EXIT_DIFFERS) print(report);
  return code;
}

}  // namespace qzctl
