// The connection dialog (IDD_CONNECT): choose COM1 to COM3, or any present port under
// "その他" (other), and connect.
#include "link/connect_dialog.h"

#include <string>
#include <vector>

#include "link/connection.h"
#include "link/link_state.h"
#include "resources/resource.h"
#include "serial/serial_port.h"
#include "toolkit/dialog_toolkit.h"

namespace {

constexpr int kOtherPosition = 3;   // "その他" follows the three COM radio buttons

std::wstring wide(const std::string& utf8) {
  int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring out(size > 0 ? static_cast<size_t>(size) : 1, L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), size);
  out.resize(out.size() - 1);
  return out;
}

// Fills the drop-down; the list opens as wide as its longest text so every
// friendly name shows whole.
void fillOtherPorts(HWND dialog, uint16_t saved) {
  HWND combo = GetDlgItem(dialog, IDC_CONNECT_OTHER_PORT);
  int selected = -1;
  std::vector<PortChoice> choices = portChoices(listSerialPorts(), saved, &selected);
  wchar_t* absent = LoadResString(dialog, IDS_PORT_ABSENT);
  HDC dc = GetDC(combo);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(combo, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const PortChoice& choice : choices) {
    std::wstring text = wide(choice.text);
    if (!choice.present && absent) text += std::wstring(L"  ") + absent;
    LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), choice.port);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (extent.cx > widest) widest = extent.cx;
  }
  SelectObject(dc, oldFont);
  ReleaseDC(combo, dc);
  FreeResString(absent);
  RECT box{};
  GetWindowRect(combo, &box);
  LONG margin = 2 * GetSystemMetrics(SM_CXVSCROLL);
  if (widest + margin > box.right - box.left) SendMessageW(combo, CB_SETDROPPEDWIDTH, widest + margin, 0);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// The chosen port number, or -1 when nothing is chosen.
int chosenPort(HWND dialog) {
  int position = GetRadioGroup(dialog, IDC_CONNECT_COM1);
  if (position != kOtherPosition) return position;
  LRESULT index = SendDlgItemMessageW(dialog, IDC_CONNECT_OTHER_PORT, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return -1;
  return static_cast<int>(SendDlgItemMessageW(dialog, IDC_CONNECT_OTHER_PORT, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

}  // namespace

INT_PTR CALLBACK connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CenterDialog(dialog, 0);
      // The shell's access to the saved port stays with the window for Connect.
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      uint16_t saved = reinterpret_cast<const SavedPortAccess*>(lParam)->read();
      fillOtherPorts(dialog, saved);
      SetRadioGroup(dialog, IDC_CONNECT_COM1, saved <= 2 ? saved : saved < kSerialPortCount ? kOtherPosition : -1);
      g_mode.currentPort = saved;
      LineSettingTexts texts = lineSettingTexts();
      SetItemText(dialog, IDC_CONNECT_BAUD, texts.baudRate);
      SetItemText(dialog, IDC_CONNECT_DATA_BITS, texts.dataBits);
      wchar_t* parity = texts.parityStringId ? LoadResString(dialog, texts.parityStringId) : nullptr;
      SetItemTextW(dialog, IDC_CONNECT_PARITY, parity);
      FreeResString(parity);
      SetItemText(dialog, IDC_CONNECT_STOP_BITS, texts.stopBits);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_CONNECT_OTHER_PORT && HIWORD(wParam) == CBN_SELCHANGE) {
        SetRadioGroup(dialog, IDC_CONNECT_COM1, kOtherPosition);   // picking a port is choosing "other"
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_CONNECT_OK) {
        const auto* saved = reinterpret_cast<const SavedPortAccess*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (connectSelectedPort(dialog, chosenPort(dialog), *saved) == 0) EndDialog(dialog, 1);
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
