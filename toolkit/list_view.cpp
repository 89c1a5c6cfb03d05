// List view helpers on the common control's own messages.
#include "toolkit/list_view.h"

#include <windows.h>
#include <commctrl.h>

#include "toolkit/dialog_toolkit.h"

namespace {
constexpr int kCellChars = 512;
}

void ListViewSetup(HWND list, HWND dialog, const UINT* stringIds, const ColumnWidths& widths,
                   uint32_t rightAligned, bool gridLines) {
  DWORD style = LVS_EX_FULLROWSELECT | (gridLines ? LVS_EX_GRIDLINES : 0);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, style, style);
  for (int c = 0; c < widths.count && c < kMaxListColumns; ++c) {
    wchar_t* title = LoadResString(dialog, stringIds[c]);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = (rightAligned >> c) & 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = widths.widths[c];
    column.pszText = title ? title : const_cast<wchar_t*>(L"");
    column.iSubItem = c;
    SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    FreeResString(title);
  }
}

void ListViewKeepWidths(HWND list, ColumnWidths* widths) {
  if (!list || !IsWindow(list)) return;
  for (int c = 0; c < widths->count && c < kMaxListColumns; ++c) {
    int w = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
    if (w > 0) widths->widths[c] = w;
  }
}

void ListViewSetCell(HWND list, int row, int column, const wchar_t* text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text ? text : L"");
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void ListViewSetCellBytes(HWND list, int row, int column, const char* text) {
  wchar_t wide[kCellChars];
  sjisToWide(text ? text : "", wide, kCellChars);
  ListViewSetCell(list, row, column, wide);
}

int ListViewAppendRow(HWND list, const wchar_t* const* texts, int count) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = ListViewRowCount(list);
  item.pszText = const_cast<wchar_t*>(count > 0 && texts[0] ? texts[0] : L"");
  int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return -1;
  for (int c = 1; c < count; ++c) ListViewSetCell(list, row, c, texts[c]);
  return row;
}

int ListViewAppendRowBytes(HWND list, const char* const* texts, int count) {
  static_assert(kMaxListColumns <= 8);
  wchar_t wide[kMaxListColumns][kCellChars];
  const wchar_t* pointers[kMaxListColumns];
  if (count > kMaxListColumns) count = kMaxListColumns;
  for (int c = 0; c < count; ++c) {
    sjisToWide(texts[c] ? texts[c] : "", wide[c], kCellChars);
    pointers[c] = wide[c];
  }
  return ListViewAppendRow(list, pointers, count);
}

int ListViewRowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int ListViewSelectedRow(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListViewClear(HWND list) { SendMessageW(list, LVM_DELETEALLITEMS, 0, 0); }
