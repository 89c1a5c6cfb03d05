// Look-ups in the table of dialogs.
#include "toolkit/dialog_rows.h"

int dialogRowOfCommand(uint32_t command) {
  for (int i = 0; i < kDialogRowCount; ++i)
    if (kDialogRows[i].command == command) return i;
  return -1;
}

int slotOfTemplate(uint32_t templateId) {
  for (const DialogRow& row : kDialogRows)
    if (row.templateId == templateId) return row.windowSlot;
  return -1;
}

int slotOfCommand(uint32_t command) {
  int index = dialogRowOfCommand(command);
  return index < 0 ? -1 : kDialogRows[index].windowSlot;
}

int repeatRunSlotOf(uint32_t templateId) {
  for (const DialogRow& row : kDialogRows)
    if (row.templateId == templateId) return row.runSlot;
  return -1;
}
