// The operation dialogs' fields as plain values: one table of field descriptors per
// dialog, read by one reader. Showing writes the area's values into texts and
// choices; reading parses the texts into a working copy of the area and commits it
// only when every field that is read is valid. Debug-only fields are skipped
// outside debug mode and replaced by the fixed values. No window code here.
#pragma once
#include <cstddef>
#include <cstdint>

#include "files/settings_areas.h"
#include "resources/resource.h"

// Room for a field's text as typed: longer than any format's width (at most 15),
// so a text cut to the buffer still shows the characters that make it invalid.
constexpr int OPERATION_TEXT_SIZE = 32;

// Results. 0 is success, 1 means the input was valid but there was nothing to do;
// any other value is the IDC_ id of the control whose input was refused, and the
// dialog shows IDS_INVALID_INPUT for it and sends nothing.
constexpr uint16_t OPERATION_OK = 0;
constexpr uint16_t OPERATION_UNCHANGED = 1;
// A radio group or combo selection outside its choices (none checked: -1).
constexpr uint16_t OPERATION_ID_CHOICE = 0xFFFF;

// Format words of the numbers that do not use the value format word.
constexpr uint16_t POINT_NUMBER_FORMAT = 0x0203;       // width 3, unsigned 16-bit
constexpr uint16_t STATION_NUMBER_FORMAT = 0x040A;     // width 10, unsigned 32-bit
constexpr uint16_t CHANGE_NUMBER_FORMAT = 0x0202;      // width 2, unsigned 16-bit (IDC_OP_MS_NUMBER)
constexpr uint16_t INTERVAL_FORMAT = 0x0205;           // width 5, unsigned 16-bit (IDC_OP_INTERVAL)

// The shared block as controls hold it. Radio groups are 0-based indexes as
// GetRadioGroup returns them (-1: none checked), combos CB_GETCURSEL values.
struct CommonControls {
  int accelMode;     // IDC_OP_ACCEL_PARAM = 0, IDC_OP_ACCEL_CHOICE (use IDC_ACCEL_TYPE) = 1
  int accelIndex;    // IDC_ACCEL_TYPE, 0-3
  int filterMode;    // IDC_OP_FILTER_PARAM = 0, IDC_OP_FILTER_CHOICE = 1
  int filterIndex;   // IDC_FILTER_TYPE, 0-3
  int repeat;        // IDC_OP_REPEAT (0/1); unused by the jog dialog
  int stopMode;      // IDC_OP_STOP_DEC = 0, IDC_OP_STOP_ZERO = 1; unused by the jog dialog
};

// The one pair for the shared block of all nine areas (`repeatStop` null for the
// jog dialog). Reading takes the accel/filter choices and the stop mode only in
// debug mode (fixed at follow-the-parameter and deceleration otherwise) and the
// repeat check only when `readRepeat`. Fields it does not take keep their values.
// Returns OPERATION_ID_CHOICE, and changes nothing, when a choice it takes is out
// of range.
void showCommonControls(const AccelFilterFields& accelFilter, const RepeatStopFields* repeatStop,
                        CommonControls* controls);
uint16_t readCommonControls(const CommonControls& controls, bool debugMode, bool readRepeat,
                            AccelFilterFields* accelFilter, RepeatStopFields* repeatStop);

// --- field descriptors ------------------------------------------------------------

enum FieldKind : uint8_t {
  kFieldRadio,   // a radio group, `controlId` its first button; the member a 0-based byte
  kFieldCombo,   // a drop-down list's selection; the member a 0-based byte
  kFieldNumber,  // a value combo's text, parsed with `format`
  kFieldFixed,   // no control: the member always holds `fixed`
};

// When a field is read, or its value combo filled.
enum FieldMode : uint8_t { kAlways, kDebugOnly };
// When `fixed` is written into the member.
enum FixRule : uint8_t { kNoFix, kFixOutsideDebug, kFixAlways };

constexpr uint16_t kValueFormat = 0;   // `format`: the environment's value format word
constexpr int16_t kNoMember = -1;

struct OperationField {
  uint16_t controlId;      // IDC_ id (0 for kFieldFixed)
  FieldKind kind;
  FieldMode read;          // debug-only fields keep the area's value outside debug mode
  FieldMode fill;          // kFieldNumber: when its combo is filled (at open as well)
  uint8_t choices;         // kFieldRadio/kFieldCombo: how many
  bool opensInRange;       // a stored choice outside `choices` opens and shows as 0
  FixRule fix;             // when `fixed` is written (after reading and at open)
  uint8_t fixed;
  uint16_t offset;         // the member in the area
  uint8_t size;            // its bytes: 1, 2 or 4
  uint16_t format;         // kFieldNumber: format word, or kValueFormat
  int16_t history;         // kFieldNumber: offset of its ValueHistory
  int64_t minimum, maximum;  // kFieldNumber: what is accepted (minimum < 0: a signed member)
  // kFieldNumber: a negative value is refused when it is sent: outside debug mode,
  // or when the choice byte at `sentWhenOffset` holds `sentWhenValue`. kNoMember:
  // the sign is free (positions).
  int16_t sentWhenOffset;
  uint8_t sentWhenValue;
};

constexpr int kMaxOperationFields = 12;

// One dialog's fields and where its shared blocks sit in its area.
struct OperationForm {
  uint16_t templateId;         // IDD_
  uint16_t areaSize;
  uint16_t accelFilterOffset;
  int16_t repeatStopOffset;    // kNoMember: no repeat block (the jog dialog)
  bool repeatInDebugOnly;      // the repeat box is shown and read only in debug mode
  const OperationField* fields;
  int fieldCount;
};

extern const OperationForm kJogForm, kStepForm, kPositioningForm, kPointOperationForm, kStationForm,
    kExternalSignalForm, kMultiSpeedForm, kPassPointForm, kHomingForm;

// What the controls hold: the shared block, and per field of the form (same index)
// a choice or a text.
struct OperationControls {
  CommonControls common;
  int choices[kMaxOperationFields];
  char texts[kMaxOperationFields][OPERATION_TEXT_SIZE];
};

// The field of `form` with control `controlId`, or -1.
int operationFieldIndex(const OperationForm& form, uint16_t controlId);
// Its text / choice in `controls` (null when the form has no such control).
char* operationFieldText(OperationControls* controls, const OperationForm& form, uint16_t controlId);
int* operationFieldChoice(OperationControls* controls, const OperationForm& form, uint16_t controlId);

// At open: outside debug mode write the dialog's fixed values into its area, so the
// controls show what will be sent. In either mode the kFieldFixed members are set
// and a stored choice of a field that opens out of range (the rotation direction)
// becomes 0. The point-table dialog also clears repeat outside debug mode: its
// check box is neither shown nor read there, so a repeat stored in debug mode must
// not start unseen.
void fixOperationArea(const OperationForm& form, void* area, bool debugMode);

// At open, after the fixed values: each value combo the dialog fills in this mode
// gets its current value into its history when the history lacks it (to the
// front, the oldest dropping out of a full one), as UpdateValueHistory does, so
// the list holds what the field shows.
void openValueHistories(const OperationForm& form, void* area, bool debugMode);

// The area's values as the controls show them: numbers written with their format
// (speeds and positions with the environment's value format word), left-aligned.
void showOperationFields(const OperationForm& form, const void* area, const EnvironmentSettings& env,
                         OperationControls* out);

// Reads the controls into a working copy of `area` with the debug-mode rules and
// the fixed values; on success commits the copy (each value read also goes to the
// front of its value history in the area) and returns 0. On failure returns the
// failing control's id and leaves `area` unchanged. The multi-speed working copy
// starts from `*area`, which already holds the table edits.
uint16_t readOperationFields(const OperationForm& form, const OperationControls& in, const EnvironmentSettings& env,
                             bool debugMode, void* area);

// One number from a field's text with its format word (trailing characters past
// the width refuse it). The value is widened from the format's storage.
bool readOperationNumber(const char* text, uint16_t format, int64_t* value);
// A number written for its field, left-aligned without trailing blanks; empty when
// it does not fit the format.
void showOperationNumber(int64_t value, uint16_t format, char out[OPERATION_TEXT_SIZE]);
