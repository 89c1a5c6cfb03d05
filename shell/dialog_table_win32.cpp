// The table of dialogs by template id.
#include "shell/dialog_table.h"

#include "editing/editing_dialogs.h"
#include "files/transfer_dialogs.h"
#include "monitor/monitor_dialogs.h"
#include "monitor/signal_dialogs.h"
#include "operation/operation_dialogs.h"
#include "resources/resource.h"
#include "system/system_dialogs.h"

namespace {

// Every dialog the menu opens, in the order of the modeless slots, then the
// modal transfers. A row without a function is a dialog not built yet.
DialogRow g_dialogs[] = {
    {IDD_JOG, createJogDialog, nullptr},
    {IDD_STEP, createStepDialog, nullptr},
    {IDD_POSITIONING, createPositioningDialog, nullptr},
    {IDD_POINT_OPERATION, createPointOperationDialog, nullptr},
    {IDD_STATION, createStationDialog, nullptr},
    {IDD_EXTERNAL_SIGNAL, createExternalSignalDialog, nullptr},
    {IDD_MULTI_SPEED, createMultiSpeedDialog, nullptr},
    {IDD_PASS_POINT, createPassPointDialog, nullptr},
    {IDD_HOMING, createHomingDialog, nullptr},
    {IDD_SERVO_ONOFF, createOnOffDialog, nullptr},
    {IDD_BRAKE_ONOFF, createOnOffDialog, nullptr},
    {IDD_OUTPUT_PORT, createOutputPortDialog, nullptr},
    {IDD_POINT_LIST, createPointListDialog, nullptr},
    {IDD_POINT_SETTING, createPointSettingDialog, nullptr},
    {IDD_SERVO_PARAM_LIST, createParameterListDialog, nullptr},
    {IDD_OPTION_PARAM_LIST, createParameterListDialog, nullptr},
    {IDD_MOTION_MONITOR, createMotionMonitorDialog, nullptr},
    {IDD_INPUT_MONITOR, createSignalMonitorDialog, nullptr},
    {IDD_OUTPUT_MONITOR, createSignalMonitorDialog, nullptr},
    {IDD_VALUE_MONITOR, createValueMonitorDialog, nullptr},
    {IDD_ALARM_MONITOR, createAlarmDialog, nullptr},
    {IDD_ALARM_HISTORY, createAlarmDialog, nullptr},
    {IDD_MODULE_RESET, createModuleResetDialog, nullptr},
    {IDD_IDENTIFICATION, createIdentificationDialog, nullptr},
    {IDD_MEMORY_READ, createMemoryReadDialog, nullptr},
    {IDD_MEMORY_WRITE, createMemoryWriteDialog, nullptr},
    {IDD_POINT_VERIFY, createPointVerifyDialog, nullptr},
    {IDD_PARAM_VERIFY, createParameterVerifyDialog, nullptr},
    {IDD_TRANSFER_LOAD, nullptr, runTransfer},
    {IDD_TRANSFER_SAVE, nullptr, runTransfer},
};

DialogRow* rowOf(uint16_t templateId) {
  for (DialogRow& row : g_dialogs)
    if (row.templateId == templateId) return &row;
  return nullptr;
}

}  // namespace

HWND createModelessDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  DialogRow* row = rowOf(templateId);
  return row && row->create ? row->create(parent, templateId, parameter) : nullptr;
}

INT_PTR runTransferDialog(HWND owner, uint16_t templateId, bool points, const char* path) {
  DialogRow* row = rowOf(templateId);
  return row && row->run ? row->run(owner, templateId, points, path) : -1;
}

ModelessFactory replaceModelessDialog(uint16_t templateId, ModelessFactory factory) {
  DialogRow* row = rowOf(templateId);
  if (!row) return nullptr;
  ModelessFactory before = row->create;
  row->create = factory;
  return before;
}

TransferRunner replaceTransferDialog(uint16_t templateId, TransferRunner runner) {
  DialogRow* row = rowOf(templateId);
  if (!row) return nullptr;
  TransferRunner before = row->run;
  row->run = runner;
  return before;
}
