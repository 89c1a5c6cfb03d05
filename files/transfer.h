// The six transfers between the data tables and the module: point-table and
// parameter load, save and verify. Each runs its request loop on the caller's
// thread (a dialog's worker or qzctl) and reports through a TransferSink.
#pragma once
#include <atomic>
#include <cstdint>

#include "files/definitions.h"
#include "files/parameter_file.h"
#include "files/point_table.h"
#include "link/prompt.h"
#include "resources/resource.h"

// How a transfer ended.
constexpr uint16_t TRANSFER_COMPLETED = 0;   // every entry handled
constexpr uint16_t TRANSFER_STOPPED = 1;     // a request failed (its box has been shown)
constexpr uint16_t TRANSFER_CANCELLED = 2;   // the running flag was cleared

// The step labels are the strings IDS_LOAD_POINT to IDS_VERIFY_PARAM of
// resource.h; the placeholder ("XXX" or "XXXX") is overwritten by the text the
// sink receives. Id 0 is the empty label. A changed entry names its list by the
// list dialog's template: IDD_SERVO_PARAM_LIST and IDD_OPTION_PARAM_LIST with a
// table index, IDD_POINT_LIST with a point number.
constexpr uint16_t FIRST_OPTION_PARAMETER = 0x800;

// One row of a verify list: five column texts, terminated.
constexpr int VERIFY_COLUMNS = 5;
constexpr int VERIFY_TEXT_SIZE = 128;
struct VerifyRow {
  char columns[VERIFY_COLUMNS][VERIFY_TEXT_SIZE];
};

// Where a transfer reports; every member may be null. Called on the transfer's thread.
struct TransferSink {
  void* context;
  // Progress range 0..maximum, step 1, empty label.
  void (*start)(void* context, uint32_t maximum);
  // Before each entry: advance one step and show label `labelId` with its
  // placeholder overwritten by `placeholder` (labelId 0: empty label, "").
  void (*step)(void* context, uint16_t labelId, const char* placeholder);
  // An entry of the live tables changed.
  void (*changed)(void* context, uint32_t listTemplate, uint32_t rowOrIndex);
  // A verify found a difference.
  void (*row)(void* context, const VerifyRow& row);
};

// Overwrites the first run of 'X' as long as the placeholder in `text` with it
// (no change when there is none); `text` is a terminated byte string.
void composeTransferLabel(char* text, const char* placeholder);
// The list a parameter's row lives in.
uint32_t parameterListFor(uint16_t number);

// Point-table load: request_SET_PT for points 1-50 with speed and position.
uint16_t loadPointTable(OwnerHandle owner, const PointTable& table,
                        const std::atomic<bool>& running, const TransferSink& sink);
// Parameter load: request_WRPARM for every entry with a valid value; an entry
// without one takes a step with an empty label and sends nothing.
uint16_t loadParameters(OwnerHandle owner, const ParameterValues& values,
                        const std::atomic<bool>& running, const TransferSink& sink);
// Point-table save: request_GET_PT for points 1-50 into the table. The caller
// writes the file only on TRANSFER_COMPLETED.
uint16_t savePointTable(OwnerHandle owner, PointTable* table,
                        const std::atomic<bool>& running, const TransferSink& sink);
// Parameter save: request_RDPARM for every definition; a number the module
// rejects (status 2) loses its valid value and is left out of the file.
uint16_t saveParameters(OwnerHandle owner, ParameterTable* table,
                        const std::atomic<bool>& running, const TransferSink& sink);

// What a load sends, fixed before it starts: the live values taken and the file
// read over them, so no list or verify that stores the module's values in the
// live table meanwhile can change it. 0 or the reader's line (nothing shown).
uint16_t readParameterLoadFile(const char* path, const ParameterTable& live, ParameterValues* values);
uint16_t readPointLoadFile(const char* path, const PointTable& live, PointTable* copy);
// The live table takes the values and flags a load holds, as reading the file into
// it would have given; an entry whose number has changed meanwhile is left alone.
void adoptParameterLoad(const ParameterValues& values, ParameterTable* live);

// Reads a point file into the verify buffer (zeroed first); on failure shows the
// point file read box and returns the line (0xFFFF when unreadable).
uint16_t readPointVerifyFile(OwnerHandle owner, const char* path, PointEntry* file);
// readParameterLoadFile; on failure shows the data file read box and returns the line.
uint16_t readParameterVerifyFile(OwnerHandle owner, const char* path,
                                 const ParameterTable& live, ParameterValues* file);

// Point-table verify: reads points 1-50 into the live table and reports a row for
// every point whose speed or position differs from the file's, written with
// `valueFormat` (the copy the dialog took when it opened).
uint16_t verifyPointTable(OwnerHandle owner, PointTable* live, const PointEntry* file,
                          uint16_t valueFormat, const std::atomic<bool>& running,
                          const TransferSink& sink);
// Parameter verify: reads every live definition's value from the module into the
// live table (its valueValid unchanged) and reports a row for each whose file
// value is missing or differs. Numbers the module rejects are skipped.
uint16_t verifyParameters(OwnerHandle owner, ParameterTable* live, const ParameterValues& file,
                          const std::atomic<bool>& running, const TransferSink& sink);

// Row texts, also used by tests and qzctl.
void formatPointVerifyRow(uint16_t number, const PointEntry& module, const PointEntry& file,
                          uint16_t valueFormat, VerifyRow* row);
// `fileValue` null: the file had no value (empty column).
void formatParameterVerifyRow(const ParameterDefinition& def, const int32_t* fileValue,
                              int32_t moduleValue, VerifyRow* row);
