// The one table of the dialogs the main window opens, portable part: per dialog
// its template, the menu command that opens it, modal or modeless, its window
// slot and its repeat-run slot. The creation functions are the shell's
// (shell/dialog_table.h), one per row in this order. It sits in toolkit/ so every
// dialog folder may read it, and native tests check it against the resource script.
#pragma once
#include <array>
#include <cstdint>

#include "resources/resource.h"

enum class DialogKind : uint8_t { kModeless, kModal };

constexpr int8_t kNoSlot = -1;
// The 29 modeless dialogs hold the main window's slots 0 to 28; the nine operation
// dialogs hold repeat runs 0 to 8.
constexpr int MODELESS_SLOT_COUNT = 29;
constexpr int kRepeatRunSlots = 9;

struct DialogRow {
  uint16_t templateId;
  uint16_t command;      // the menu command that opens it
  DialogKind kind;
  int8_t windowSlot;     // modeless: the main window's slot; kNoSlot when modal
  int8_t runSlot;        // operation dialogs: their repeat run; kNoSlot otherwise
  bool points;           // transfers and verifies: the point-table variant
};

// A transfer dialog opens in a parameter and a point-table variant, one row each.
inline constexpr DialogRow kDialogRows[] = {
    {IDD_JOG, IDM_JOG, DialogKind::kModeless, 0, 0, false},
    {IDD_STEP, IDM_STEP, DialogKind::kModeless, 1, 1, false},
    {IDD_POSITIONING, IDM_POSITIONING, DialogKind::kModeless, 2, 2, false},
    {IDD_POINT_OPERATION, IDM_POINT_OPERATION, DialogKind::kModeless, 3, 3, false},
    {IDD_STATION, IDM_STATION, DialogKind::kModeless, 4, 4, false},
    {IDD_EXTERNAL_SIGNAL, IDM_EXTERNAL_SIGNAL, DialogKind::kModeless, 5, 5, false},
    {IDD_MULTI_SPEED, IDM_MULTI_SPEED, DialogKind::kModeless, 6, 6, false},
    {IDD_PASS_POINT, IDM_PASS_POINT, DialogKind::kModeless, 7, 7, false},
    {IDD_HOMING, IDM_HOMING, DialogKind::kModeless, 8, 8, false},
    {IDD_SERVO_ONOFF, IDM_SERVO_ONOFF, DialogKind::kModeless, 9, kNoSlot, false},
    {IDD_BRAKE_ONOFF, IDM_BRAKE_ONOFF, DialogKind::kModeless, 10, kNoSlot, false},
    {IDD_OUTPUT_PORT, IDM_OUTPUT_PORT, DialogKind::kModeless, 11, kNoSlot, false},
    {IDD_POINT_LIST, IDM_POINT_LIST, DialogKind::kModeless, 12, kNoSlot, false},
    {IDD_POINT_SETTING, IDM_POINT_SETTING, DialogKind::kModeless, 13, kNoSlot, false},
    {IDD_SERVO_PARAM_LIST, IDM_SERVO_PARAM_LIST, DialogKind::kModeless, 14, kNoSlot, false},
    {IDD_OPTION_PARAM_LIST, IDM_OPTION_PARAM_LIST, DialogKind::kModeless, 15, kNoSlot, false},
    {IDD_MOTION_MONITOR, IDM_MOTION_MONITOR, DialogKind::kModeless, 16, kNoSlot, false},
    {IDD_INPUT_MONITOR, IDM_INPUT_MONITOR, DialogKind::kModeless, 17, kNoSlot, false},
    {IDD_OUTPUT_MONITOR, IDM_OUTPUT_MONITOR, DialogKind::kModeless, 18, kNoSlot, false},
    {IDD_VALUE_MONITOR, IDM_VALUE_MONITOR, DialogKind::kModeless, 19, kNoSlot, false},
    {IDD_ALARM_MONITOR, IDM_ALARM_MONITOR, DialogKind::kModeless, 20, kNoSlot, false},
    {IDD_ALARM_HISTORY, IDM_ALARM_HISTORY, DialogKind::kModeless, 21, kNoSlot, false},
    {IDD_MODULE_RESET, IDM_MODULE_RESET, DialogKind::kModeless, 22, kNoSlot, false},
    {IDD_IDENTIFICATION, IDM_IDENTIFICATION, DialogKind::kModeless, 23, kNoSlot, false},
    {IDD_MEMORY_READ, IDM_MEMORY_READ, DialogKind::kModeless, 24, kNoSlot, false},
    {IDD_MEMORY_WRITE, IDM_MEMORY_WRITE, DialogKind::kModeless, 25, kNoSlot, false},
    {IDD_POINT_VERIFY, IDM_VERIFY_POINTS, DialogKind::kModeless, 26, kNoSlot, true},
    {IDD_PARAM_VERIFY, IDM_VERIFY_PARAMS, DialogKind::kModeless, 27, kNoSlot, false},
    {IDD_TREND_MONITOR, IDM_TREND_MONITOR, DialogKind::kModeless, 28, kNoSlot, false},
    {IDD_CONNECT, IDM_CONNECT, DialogKind::kModal, kNoSlot, kNoSlot, false},
    {IDD_ENVIRONMENT, IDM_ENVIRONMENT, DialogKind::kModal, kNoSlot, kNoSlot, false},
    {IDD_VERSION, IDM_VERSION, DialogKind::kModal, kNoSlot, kNoSlot, false},
    {IDD_TRANSFER_LOAD, IDM_LOAD_POINTS, DialogKind::kModal, kNoSlot, kNoSlot, true},
    {IDD_TRANSFER_LOAD, IDM_LOAD_PARAMS, DialogKind::kModal, kNoSlot, kNoSlot, false},
    {IDD_TRANSFER_SAVE, IDM_SAVE_POINTS, DialogKind::kModal, kNoSlot, kNoSlot, true},
    {IDD_TRANSFER_SAVE, IDM_SAVE_PARAMS, DialogKind::kModal, kNoSlot, kNoSlot, false},
};
constexpr int kDialogRowCount = static_cast<int>(std::size(kDialogRows));

// The menu commands that open no dialog of their own.
inline constexpr uint16_t kPlainCommands[] = {IDM_DATA_FILE_SELECT, IDM_CLOSE, IDM_LOAD_ROTARY_DEFS,
                                              IDM_LOAD_LINEAR_DEFS};

// Row index of a menu command, -1 when none.
int dialogRowOfCommand(uint32_t command);
// Window slot of a template id or of a menu command, -1 when none.
int slotOfTemplate(uint32_t templateId);
int slotOfCommand(uint32_t command);
// Repeat run of an operation dialog's template, -1 when it has none.
int repeatRunSlotOf(uint32_t templateId);

// The modeless dialogs by window slot, drawn from the rows.
struct ModelessSlotEntry {
  uint16_t templateId;
  uint16_t command;
};
constexpr std::array<ModelessSlotEntry, MODELESS_SLOT_COUNT> modelessSlots() {
  std::array<ModelessSlotEntry, MODELESS_SLOT_COUNT> slots{};
  for (const DialogRow& row : kDialogRows)
    if (row.windowSlot >= 0 && row.windowSlot < MODELESS_SLOT_COUNT) slots[row.windowSlot] = {row.templateId, row.command};
  return slots;
}
inline constexpr std::array<ModelessSlotEntry, MODELESS_SLOT_COUNT> ModelessSlotTable = modelessSlots();
