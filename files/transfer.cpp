// Transfer loops that load the tables into the module and save the module's
// values into them, and the label and list helpers all six transfers share.
#include "files/transfer.h"

#include <cstdio>
#include <cstring>

#include "files/parameter_file.h"
#include "files/point_file.h"
#include "link/request.h"

void composeTransferLabel(char* text, const char* placeholder) {
  size_t want = std::strlen(placeholder);
  if (want == 0) return;
  for (char* p = text; *p != '\0'; ++p) {
    size_t run = 0;
    while (p[run] == 'X') ++run;
    if (run >= want) {
      std::memcpy(p, placeholder, want);
      return;
    }
    if (run > 0) p += run - 1;
  }
}

uint32_t parameterListFor(uint16_t number) {
  return number < FIRST_OPTION_PARAMETER ? IDD_SERVO_PARAM_LIST : IDD_OPTION_PARAM_LIST;
}

// Placeholder texts: point numbers decimal in 3 characters, parameter numbers as
// four upper-case hexadecimal digits.
static void pointPlaceholder(int number, char out[8]) { std::snprintf(out, 8, "%3d", number); }
static void parameterPlaceholder(uint16_t number, char out[8]) {
  std::snprintf(out, 8, "%04X", static_cast<unsigned>(number));
}

static void sinkStart(const TransferSink& sink, uint32_t maximum) {
  if (sink.start) sink.start(sink.context, maximum);
}
static void sinkStep(const TransferSink& sink, uint16_t labelId, const char* placeholder) {
  if (sink.step) sink.step(sink.context, labelId, placeholder);
}
static void sinkChanged(const TransferSink& sink, uint32_t list, uint32_t rowOrIndex) {
  if (sink.changed) sink.changed(sink.context, list, rowOrIndex);
}

uint16_t loadPointTable(OwnerHandle owner, const PointTable& table,
                        const std::atomic<bool>& running, const TransferSink& sink) {
  sinkStart(sink, POINT_COUNT);
  for (int number = 1; number <= POINT_COUNT; ++number) {
    if (!running.load()) return TRANSFER_CANCELLED;
    char label[8];
    pointPlaceholder(number, label);
    sinkStep(sink, IDS_LOAD_POINT, label);
    const PointEntry& entry = table.points[number - 1];
    // Position source 4: the request carries the target position.
    if (request_SET_PT(owner, static_cast<uint16_t>(number), entry.speed, 4,
                       static_cast<uint32_t>(entry.position)) != 0)
      return TRANSFER_STOPPED;
    if (!running.load()) return TRANSFER_CANCELLED;
    sinkChanged(sink, IDD_POINT_LIST, static_cast<uint32_t>(number));
  }
  return TRANSFER_COMPLETED;
}

uint16_t loadParameters(OwnerHandle owner, const ParameterValues& values,
                        const std::atomic<bool>& running, const TransferSink& sink) {
  uint16_t count = values.count > MAX_DEFINITIONS ? MAX_DEFINITIONS : values.count;
  sinkStart(sink, count);
  for (uint16_t index = 0; index < count; ++index) {
    if (!running.load()) return TRANSFER_CANCELLED;
    const ParameterValue& def = values.entries[index];
    if (!def.valid) {
      sinkStep(sink, 0, "");
      continue;
    }
    char label[8];
    parameterPlaceholder(def.number, label);
    sinkStep(sink, IDS_LOAD_PARAM, label);
    if (request_WRPARM(owner, 0, def.number, static_cast<uint32_t>(def.value)) != 0)
      return TRANSFER_STOPPED;
    if (!running.load()) return TRANSFER_CANCELLED;
    sinkChanged(sink, parameterListFor(def.number), index);
  }
  return TRANSFER_COMPLETED;
}

uint16_t readParameterLoadFile(const char* path, const ParameterTable& live, ParameterValues* values) {
  takeParameterValues(live, values);
  return readParameterValues(path, live, values);
}

uint16_t readPointLoadFile(const char* path, const PointTable& live, PointTable* copy) {
  *copy = live;
  return readPointFile(path, copy->points);
}

void adoptParameterLoad(const ParameterValues& values, ParameterTable* live) {
  uint16_t count = values.count > MAX_DEFINITIONS ? MAX_DEFINITIONS : values.count;
  for (uint16_t k = 0; k < count && k < live->count; ++k) {
    if (live->entries[k].number != values.entries[k].number) continue;
    live->entries[k].value = values.entries[k].value;
    live->entries[k].valueValid = values.entries[k].valid;
  }
}

uint16_t savePointTable(OwnerHandle owner, PointTable* table,
                        const std::atomic<bool>& running, const TransferSink& sink) {
  sinkStart(sink, POINT_COUNT);
  for (int number = 1; number <= POINT_COUNT; ++number) {
    if (!running.load()) return TRANSFER_CANCELLED;
    char label[8];
    pointPlaceholder(number, label);
    sinkStep(sink, IDS_SAVE_POINT, label);
    uint32_t speed = 0, position = 0;
    if (request_GET_PT(owner, static_cast<uint16_t>(number), &speed, &position) != 0)
      return TRANSFER_STOPPED;
    // Cancelled while the request ran: the tables may belong to someone else by now.
    if (!running.load()) return TRANSFER_CANCELLED;
    table->points[number - 1].speed = speed;
    table->points[number - 1].position = static_cast<int32_t>(position);
    sinkChanged(sink, IDD_POINT_LIST, static_cast<uint32_t>(number));
  }
  return TRANSFER_COMPLETED;
}

uint16_t saveParameters(OwnerHandle owner, ParameterTable* table,
                        const std::atomic<bool>& running, const TransferSink& sink) {
  uint16_t count = table->count > MAX_DEFINITIONS ? MAX_DEFINITIONS : table->count;
  sinkStart(sink, count);
  for (uint16_t index = 0; index < count; ++index) {
    if (!running.load()) return TRANSFER_CANCELLED;
    ParameterDefinition& def = table->entries[index];
    char label[8];
    parameterPlaceholder(def.number, label);
    sinkStep(sink, IDS_SAVE_PARAM, label);
    uint16_t echoed = 0;
    uint32_t value = 0;
    uint16_t status = request_RDPARM(owner, 0, def.number, &echoed, &value);
    // Cancelled while the request ran: the definitions may have been replaced.
    if (!running.load()) return TRANSFER_CANCELLED;
    if (status == 2) {
      // The module has no such parameter: it is left out of the file.
      def.valueValid = 0;
      continue;
    }
    if (status != 0) return TRANSFER_STOPPED;
    def.value = static_cast<int32_t>(value);
    def.valueValid = 1;
    sinkChanged(sink, parameterListFor(def.number), index);
  }
  return TRANSFER_COMPLETED;
}
