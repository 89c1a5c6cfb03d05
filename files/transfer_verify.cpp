// Verify transfers: the module's points and parameters compared with a file, and
// the texts of the rows the verify lists show.
#include <cstdio>
#include <cstring>

#include "files/file_error.h"
#include "files/parameter_file.h"
#include "files/point_file.h"
#include "files/transfer.h"
#include "link/request.h"
#include "protocol/number_format.h"

// formatNumber's W characters (at most 15), terminated.
static void formatValue(uint16_t format, int32_t value, char* out) {
  char text[16] = {};
  formatNumber(format, &value, text);   // reads the low bytes of its storage width
  std::memcpy(out, text, sizeof(text));
}

void formatPointVerifyRow(uint16_t number, const PointEntry& module, const PointEntry& file,
                          uint16_t valueFormat, VerifyRow* row) {
  std::memset(row, 0, sizeof(*row));
  std::snprintf(row->columns[0], VERIFY_TEXT_SIZE, "%3u", static_cast<unsigned>(number));
  formatValue(valueFormat, static_cast<int32_t>(module.speed), row->columns[1]);
  formatValue(valueFormat, static_cast<int32_t>(file.speed), row->columns[2]);
  formatValue(valueFormat, module.position, row->columns[3]);
  formatValue(valueFormat, file.position, row->columns[4]);
}

static bool hasOwnFormat(const ParameterDefinition& def) { return def.kind == 'D' || def.kind == 'H'; }

void formatParameterVerifyRow(const ParameterDefinition& def, const int32_t* fileValue,
                              int32_t moduleValue, VerifyRow* row) {
  std::memset(row, 0, sizeof(*row));
  std::snprintf(row->columns[0], VERIFY_TEXT_SIZE, "Pn%04X", static_cast<unsigned>(def.number));
  copyPoolText(def.name, row->columns[1], VERIFY_TEXT_SIZE);
  uint16_t format = hasOwnFormat(def) ? def.format : hex4;
  if (fileValue != nullptr) formatValue(format, *fileValue, row->columns[2]);
  formatValue(format, moduleValue, row->columns[3]);
  if (hasOwnFormat(def)) copyPoolText(def.unit, row->columns[4], VERIFY_TEXT_SIZE);
}

// Values are compared in the bytes the module holds (1, 2 or 4): a file value read
// as a sign-extended 16-bit number equals the module's unextended reply.
static bool sameStored(int32_t a, int32_t b, uint16_t size) {
  uint32_t mask = size == 1 ? 0xFFu : size == 2 ? 0xFFFFu : 0xFFFFFFFFu;
  return (static_cast<uint32_t>(a) & mask) == (static_cast<uint32_t>(b) & mask);
}

uint16_t readPointVerifyFile(OwnerHandle owner, const char* path, PointEntry* file) {
  std::memset(file, 0, sizeof(PointEntry) * POINT_COUNT);
  uint16_t line = readPointFile(path, file);
  if (line != 0) showFileError(owner, FILE_ERROR_POINT_READ, line);
  return line;
}

uint16_t readParameterVerifyFile(OwnerHandle owner, const char* path,
                                 const ParameterTable& live, ParameterValues* file) {
  uint16_t line = readParameterLoadFile(path, live, file);
  if (line != 0) showFileError(owner, FILE_ERROR_DATA_READ, line);
  return line;
}

uint16_t verifyPointTable(OwnerHandle owner, PointTable* live, const PointEntry* file,
                          uint16_t valueFormat, const std::atomic<bool>& running,
                          const TransferSink& sink) {
  if (sink.start) sink.start(sink.context, POINT_COUNT);
  for (int number = 1; number <= POINT_COUNT; ++number) {
    if (!running.load()) return TRANSFER_CANCELLED;
    char label[8];
    std::snprintf(label, sizeof(label), "%3d", number);
    if (sink.step) sink.step(sink.context, IDS_VERIFY_POINT, label);
    uint32_t speed = 0, position = 0;
    if (request_GET_PT(owner, static_cast<uint16_t>(number), &speed, &position) != 0)
      return TRANSFER_STOPPED;
    // Cancelled while the request ran: the dialog and its buffers may be gone.
    if (!running.load()) return TRANSFER_CANCELLED;
    PointEntry module{speed, static_cast<int32_t>(position)};
    live->points[number - 1] = module;
    if (sink.changed) sink.changed(sink.context, IDD_POINT_LIST, static_cast<uint32_t>(number));
    const PointEntry& fromFile = file[number - 1];
    if (module.speed != fromFile.speed || module.position != fromFile.position) {
      VerifyRow row;
      formatPointVerifyRow(static_cast<uint16_t>(number), module, fromFile, valueFormat, &row);
      if (sink.row) sink.row(sink.context, row);
    }
  }
  return TRANSFER_COMPLETED;
}

// The file's entry for `number`: the same index as the live table's when the
// definitions are those the file was read against.
static const ParameterValue* fileEntry(const ParameterValues& file, uint16_t index, uint16_t number) {
  if (index < file.count && index < MAX_DEFINITIONS && file.entries[index].number == number)
    return &file.entries[index];
  return findParameterValue(file, number);
}

uint16_t verifyParameters(OwnerHandle owner, ParameterTable* live, const ParameterValues& file,
                          const std::atomic<bool>& running, const TransferSink& sink) {
  uint16_t count = live->count > MAX_DEFINITIONS ? MAX_DEFINITIONS : live->count;
  if (sink.start) sink.start(sink.context, count);
  for (uint16_t index = 0; index < count; ++index) {
    if (!running.load()) return TRANSFER_CANCELLED;
    ParameterDefinition& def = live->entries[index];
    char label[8];
    std::snprintf(label, sizeof(label), "%04X", static_cast<unsigned>(def.number));
    if (sink.step) sink.step(sink.context, IDS_VERIFY_PARAM, label);
    uint16_t echoed = 0;
    uint32_t value = 0;
    uint16_t status = request_RDPARM(owner, 0, def.number, &echoed, &value);
    // Cancelled while the request ran: the definitions may have been replaced.
    if (!running.load()) return TRANSFER_CANCELLED;
    if (status == 2) continue;   // the module has no such parameter: no row
    if (status != 0) return TRANSFER_STOPPED;
    int32_t moduleValue = static_cast<int32_t>(value);
    def.value = moduleValue;
    if (sink.changed) sink.changed(sink.context, parameterListFor(def.number), index);

    const ParameterValue* fromFile = fileEntry(file, index, def.number);
    bool fileHasValue = fromFile != nullptr && fromFile->valid;
    if (fileHasValue && sameStored(fromFile->value, moduleValue, def.size)) continue;
    VerifyRow row;
    formatParameterVerifyRow(def, fileHasValue ? &fromFile->value : nullptr, moduleValue, &row);
    if (sink.row) sink.row(sink.context, row);
  }
  return TRANSFER_COMPLETED;
}
