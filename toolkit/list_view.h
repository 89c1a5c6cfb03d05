// List view helpers every list dialog uses: columns from the string table, column
// widths kept for the rest of the run, rows appended and rewritten from UTF-16 or
// Shift-JIS texts, the selected row. Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

constexpr int kMaxListColumns = 8;

// A dialog's column widths in pixels; filled with the initial widths and kept in a
// static of the dialog's file, so the next opening reuses what the user dragged.
struct ColumnWidths {
  int count;
  int widths[kMaxListColumns];
};

// Full-row selection (and grid lines when asked), then one column per string id,
// with `rightAligned` naming the columns whose texts are right-aligned (bit n).
void ListViewSetup(HWND list, HWND dialog, const UINT* stringIds, const ColumnWidths& widths,
                   uint32_t rightAligned, bool gridLines);
// Reads the current widths back into `widths` (before the dialog is destroyed).
void ListViewKeepWidths(HWND list, ColumnWidths* widths);
// Appends a row; texts are UTF-16 (null texts are empty). Returns the row index or -1.
int ListViewAppendRow(HWND list, const wchar_t* const* texts, int count);
// Sets one cell; Shift-JIS or ASCII bytes (converted with code page 932).
void ListViewSetCellBytes(HWND list, int row, int column, const char* text);
void ListViewSetCell(HWND list, int row, int column, const wchar_t* text);
// Appends a row of Shift-JIS or ASCII byte texts.
int ListViewAppendRowBytes(HWND list, const char* const* texts, int count);
int ListViewRowCount(HWND list);
// The first selected row, or -1.
int ListViewSelectedRow(HWND list);
void ListViewClear(HWND list);
