// The creation functions of the table of dialogs.
#include "shell/dialog_table.h"

#include <windows.h>
#include <array>

#include "editing/editing_dialogs.h"
#include "files/environment_dialog.h"
#include "files/transfer_dialogs.h"
#include "link/connect_dialog.h"
#include "monitor/monitor_dialogs.h"
#include "monitor/signal_dialogs.h"
#include "operation/operation_dialogs.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"
#include "system/system_dialogs.h"
#include "toolkit/dialog_toolkit.h"

namespace {

using Functions = std::array<DialogFunctions, kDialogRowCount>;

// Row for row with kDialogRows.
constexpr Functions kFunctions = {{
    {IDD_JOG, createJogDialog, nullptr, nullptr},
    {IDD_STEP, createStepDialog, nullptr, nullptr},
    {IDD_POSITIONING, createPositioningDialog, nullptr, nullptr},
    {IDD_POINT_OPERATION, createPointOperationDialog, nullptr, nullptr},
    {IDD_STATION, createStationDialog, nullptr, nullptr},
    {IDD_EXTERNAL_SIGNAL, createExternalSignalDialog, nullptr, nullptr},
    {IDD_MULTI_SPEED, createMultiSpeedDialog, nullptr, nullptr},
    {IDD_PASS_POINT, createPassPointDialog, nullptr, nullptr},
    {IDD_HOMING, createHomingDialog, nullptr, nullptr},
    {IDD_SERVO_ONOFF, createOnOffDialog, nullptr, nullptr},
    {IDD_BRAKE_ONOFF, createOnOffDialog, nullptr, nullptr},
    {IDD_OUTPUT_PORT, createOutputPortDialog, nullptr, nullptr},
    {IDD_POINT_LIST, createPointListDialog, nullptr, nullptr},
    {IDD_POINT_SETTING, createPointSettingDialog, nullptr, nullptr},
    {IDD_SERVO_PARAM_LIST, createParameterListDialog, nullptr, nullptr},
    {IDD_OPTION_PARAM_LIST, createParameterListDialog, nullptr, nullptr},
    {IDD_MOTION_MONITOR, createMotionMonitorDialog, nullptr, nullptr},
    {IDD_INPUT_MONITOR, createSignalMonitorDialog, nullptr, nullptr},
    {IDD_OUTPUT_MONITOR, createSignalMonitorDialog, nullptr, nullptr},
    {IDD_VALUE_MONITOR, createValueMonitorDialog, nullptr, nullptr},
    {IDD_ALARM_MONITOR, createAlarmDialog, nullptr, nullptr},
    {IDD_ALARM_HISTORY, createAlarmDialog, nullptr, nullptr},
    {IDD_MODULE_RESET, createModuleResetDialog, nullptr, nullptr},
    {IDD_IDENTIFICATION, createIdentificationDialog, nullptr, nullptr},
    {IDD_MEMORY_READ, createMemoryReadDialog, nullptr, nullptr},
    {IDD_MEMORY_WRITE, createMemoryWriteDialog, nullptr, nullptr},
    {IDD_POINT_VERIFY, createPointVerifyDialog, nullptr, nullptr},
    {IDD_PARAM_VERIFY, createParameterVerifyDialog, nullptr, nullptr},
    {IDD_TREND_MONITOR, createTrendMonitorDialog, nullptr, nullptr},
    {IDD_CONNECT, nullptr, connectDialogProc, nullptr},
    {IDD_ENVIRONMENT, nullptr, environmentDialogProc, nullptr},
    {IDD_VERSION, nullptr, versionDialogProc, nullptr},
    {IDD_TRANSFER_LOAD, nullptr, nullptr, runTransfer},
    {IDD_TRANSFER_LOAD, nullptr, nullptr, runTransfer},
    {IDD_TRANSFER_SAVE, nullptr, nullptr, runTransfer},
    {IDD_TRANSFER_SAVE, nullptr, nullptr, runTransfer},
}};

// Every row has its template's function, of its kind.
constexpr bool inStepWithRows() {
  for (int i = 0; i < kDialogRowCount; ++i) {
    const DialogFunctions& f = kFunctions[i];
    bool modeless = kDialogRows[i].kind == DialogKind::kModeless;
    if (f.templateId != kDialogRows[i].templateId) return false;
    if (modeless != (f.create != nullptr) || modeless == (f.procedure != nullptr || f.run != nullptr)) return false;
  }
  return true;
}
static_assert(inStepWithRows(), "one creation function per row of kDialogRows, in its order");

Functions g_functions = kFunctions;

// Puts `with` in every row of the template; returns the function it replaced.
template <class Function>
Function replaceFunction(uint16_t templateId, Function DialogFunctions::*member, Function with) {
  Function before = nullptr;
  for (DialogFunctions& f : g_functions)
    if (f.templateId == templateId) {
      before = f.*member;
      f.*member = with;
    }
  return before;
}

}  // namespace

HWND createModelessDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  for (const DialogFunctions& f : g_functions)
    if (f.templateId == templateId && f.create) return f.create(parent, templateId, parameter);
  return nullptr;
}

INT_PTR runModalDialog(HWND owner, uint16_t templateId, LPARAM parameter) {
  for (const DialogFunctions& f : g_functions)
    if (f.templateId == templateId && f.procedure)
      return DialogBoxParamW(ResourceInstance(owner), MAKEINTRESOURCEW(templateId), owner, f.procedure, parameter);
  return -1;
}

INT_PTR runTransferDialog(HWND owner, uint16_t templateId, bool points, const char* path) {
  for (const DialogFunctions& f : g_functions)
    if (f.templateId == templateId && f.run) return f.run(owner, templateId, points, path);
  return -1;
}

ModelessFactory replaceModelessDialog(uint16_t templateId, ModelessFactory factory) {
  return replaceFunction(templateId, &DialogFunctions::create, factory);
}

TransferRunner replaceTransferDialog(uint16_t templateId, TransferRunner runner) {
  return replaceFunction(templateId, &DialogFunctions::run, runner);
}
