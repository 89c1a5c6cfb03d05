// The editing subsystem's dialogs as the shell opens them. Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

#include "files/definitions.h"

// Parameter lists: IDD_SERVO_PARAM_LIST and IDD_OPTION_PARAM_LIST share one
// procedure; each template keeps its own column widths and row maps.
HWND createParameterListDialog(HWND parent, uint16_t templateId, LPARAM parameter);
INT_PTR CALLBACK parameterListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Parameter editors: the modal editor of the definition's kind. Returns 1 when the
// module accepted a new value (stored in `def.value`), 2 on cancel, 0 when the
// kind has no editor.
INT_PTR runParameterEditor(HWND owner, ParameterDefinition* def);
INT_PTR CALLBACK parameterEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Point-table list (IDD_POINT_LIST) and point-table setting (IDD_POINT_SETTING),
// both modeless.
HWND createPointListDialog(HWND parent, uint16_t templateId, LPARAM parameter);
INT_PTR CALLBACK pointListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
HWND createPointSettingDialog(HWND parent, uint16_t templateId, LPARAM parameter);
INT_PTR CALLBACK pointSettingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
