// The five parameter editors (decimal 141, hexadecimal 157, bit 142, selection
// 143, hexadecimal digit 144): one procedure, told apart by the definition's
// kind. What they show and write is decided in parameter_editors.cpp; the
// dialog moves texts and selections and writes the value the module accepts.
#include <windows.h>

#include "editing/editing_dialogs.h"
#include "editing/parameter_editors.h"
#include "editing/parameter_rows.h"
#include "link/request.h"
#include "protocol/number_format.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"

namespace {

// Row i of the bit editor (and, for rows 1-4, of the digit editor).
const int kRowLabels[BIT_EDITOR_ROWS] = {
    IDC_PARAM_LABEL1,  IDC_PARAM_LABEL2,  IDC_PARAM_LABEL3,  IDC_PARAM_LABEL4,
    IDC_PARAM_LABEL5,  IDC_PARAM_LABEL6,  IDC_PARAM_LABEL7,  IDC_PARAM_LABEL8,
    IDC_PARAM_LABEL9,  IDC_PARAM_LABEL10, IDC_PARAM_LABEL11, IDC_PARAM_LABEL12,
    IDC_PARAM_LABEL13, IDC_PARAM_LABEL14, IDC_PARAM_LABEL15, IDC_PARAM_LABEL16};
int rowCombo(int row) { return IDC_PARAM_COMBO1 + row; }

ParameterDefinition* editedDefinition(HWND dialog) {
  return reinterpret_cast<ParameterDefinition*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void fillCombo(HWND dialog, int comboId, int labelId, const ChoiceRow& row) {
  HWND combo = GetDlgItem(dialog, comboId);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  if (labelId != 0) {
    SetItemText(dialog, labelId, row.enabled && row.label ? row.label : "");
    EnableWindow(GetDlgItem(dialog, labelId), row.enabled);
  }
  EnableWindow(combo, row.enabled);
  if (!row.enabled) return;
  for (int c = 0; c < row.choiceCount; ++c) {
    wchar_t wide[128];
    sjisToWide(row.texts[c] ? row.texts[c] : "", wide, 128);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(row.selected), 0);
}

int comboSelection(HWND dialog, int comboId) {
  return static_cast<int>(SendDlgItemMessageW(dialog, comboId, CB_GETCURSEL, 0, 0));
}

void showDefinition(HWND dialog, const ParameterDefinition& def) {
  char number[8];
  parameterNumberText(def.number, number);
  SetItemText(dialog, IDC_PARAM_NUMBER, number);
  SetItemText(dialog, IDC_PARAM_NAME, def.name ? def.name : "");
  switch (def.kind) {
    case 'D':
    case 'H': {
      char text[FIELD_TEXT_SIZE];
      numericEditorText(def, text);
      // As every numeric field: no more characters than the format can read.
      SendDlgItemMessageW(dialog, IDC_PARAM_VALUE, EM_LIMITTEXT, formatWidth(numericEditorFormat(def)), 0);
      SetItemText(dialog, IDC_PARAM_VALUE, text);
      SetItemText(dialog, IDC_PARAM_UNIT, def.unit ? def.unit : "");
      return;
    }
    case 'B': {
      ChoiceRow rows[BIT_EDITOR_ROWS];
      bitEditorRows(def, rows);
      for (int i = 0; i < BIT_EDITOR_ROWS; ++i) fillCombo(dialog, rowCombo(i), kRowLabels[i], rows[i]);
      return;
    }
    case 'N': {
      ChoiceRow rows[DIGIT_EDITOR_ROWS];
      digitEditorRows(def, rows);
      for (int p = 0; p < DIGIT_EDITOR_ROWS; ++p) fillCombo(dialog, rowCombo(p), kRowLabels[p], rows[p]);
      return;
    }
    case 'S': {
      ChoiceRow row;
      selectionEditorRow(def, &row);
      fillCombo(dialog, IDC_PARAM_SELECTION, 0, row);
      return;
    }
    default:
      return;
  }
}

// The value the controls compose, or a result other than EDIT_OK.
uint16_t composeValue(HWND dialog, const ParameterDefinition& def, int32_t* value) {
  switch (def.kind) {
    case 'D':
    case 'H': {
      // Room beyond any format's width, so an over-long text is refused whole
      // rather than read cut.
      char text[4 * FIELD_TEXT_SIZE] = {};
      GetItemTextA(dialog, IDC_PARAM_VALUE, text, sizeof text);
      return readNumericEditor(def, text, value);
    }
    case 'B': {
      int selected[BIT_EDITOR_ROWS];
      for (int i = 0; i < BIT_EDITOR_ROWS; ++i) selected[i] = comboSelection(dialog, rowCombo(i));
      return composeBitValue(def, selected, value);
    }
    case 'N': {
      int selected[DIGIT_EDITOR_ROWS];
      for (int p = 0; p < DIGIT_EDITOR_ROWS; ++p) selected[p] = comboSelection(dialog, rowCombo(p));
      return composeDigitValue(def, selected, value);
    }
    case 'S':
      return selectionEditorValue(def, comboSelection(dialog, IDC_PARAM_SELECTION), value);
    default:
      return EDIT_NOT_EDITABLE;
  }
}

// Writes the new value; only a value the module accepted is stored.
void confirm(HWND dialog, ParameterDefinition* def) {
  int32_t value = 0;
  if (composeValue(dialog, *def, &value) != EDIT_OK) {
    ShowMessage(dialog, IDS_INVALID_INPUT, IDS_CAPTION, MB_OK | MB_ICONERROR);
    return;
  }
  if (request_WRPARM(dialog, 0, def->number, static_cast<uint32_t>(value)) != 0) return;
  def->value = value;
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK parameterEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      CenterDialog(dialog, 0);
      showDefinition(dialog, *reinterpret_cast<ParameterDefinition*>(lParam));
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_PARAM_SET) {
        if (ParameterDefinition* def = editedDefinition(dialog)) confirm(dialog, def);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 2);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR runParameterEditor(HWND owner, ParameterDefinition* def) {
  uint16_t templateId = editorTemplateFor(def->kind);
  if (templateId == 0) return 0;
  return DialogBoxParamW(ResourceInstance(owner), MAKEINTRESOURCEW(templateId), owner, parameterEditorDialogProc,
                         reinterpret_cast<LPARAM>(def));
}
