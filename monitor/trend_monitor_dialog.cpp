// The trend monitor (IDD_TREND_MONITOR): up to four current values over a scrolling
// window, each in a band of its own, read back to back and recorded from the
// opening; a cursor, pause, fixed limits, and the recording saved as CSV or the
// view as SVG. What it shows is computed in monitor/trend_view.*; this file draws.
#include <windows.h>
#include <commdlg.h>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <vector>

#include "files/file_error.h"
#include "files/guarded_file.h"
#include "files/settings.h"
#include "link/link_state.h"
#include "monitor/monitor_dialogs.h"
#include "monitor/shared_monitor_dialog.h"
#include "monitor/trend_chart.h"
#include "monitor/trend_plot.h"
#include "monitor/trend_recorder.h"
#include "monitor/trend_view.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/field_text.h"
#include "toolkit/file_dialog.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

const wchar_t kCsvFilter[] = L"CSV files {*.CSV}\0*.CSV\0";
const wchar_t kSvgFilter[] = L"SVG files {*.SVG}\0*.SVG\0";
constexpr int kDefaultValues[kTrendMaxTraces] = {0, 1, 2, 4};   // positions, deviation, torque

struct TrendMonitorState {
  PollingMonitor monitor;
  std::shared_ptr<TrendRecorder> recorder;
  TrendViewState view;   // read and changed on the user-interface thread only
  uint16_t valueFormat = 0;
  bool debugMode = false;
  int cursorX = -1;   // the mouse in plot pixels; -1 when it is not over the plot
  bool tracking = false;
  SIZE minimum{};      // the template's size: the dialog gets no smaller
  SIZE plotMargin{};   // the plot's distance to the right and bottom edges
  HBITMAP picture = nullptr;   // the plot drawn off screen, then copied in one go
  SIZE pictureSize{};
  std::vector<TrendPoint> points;   // one band's line, reused from frame to frame
  wchar_t titles[kTrendValues][48] = {};   // "name [unit]" as the bands show it
  char titlesUtf8[kTrendValues][64] = {};
  char units[kTrendValues][16] = {};
  wchar_t timeAxis[32] = {};
  ~TrendMonitorState() {
    if (picture) DeleteObject(picture);
  }
};


// Names and units as the current value monitor shows them: positions in the
// command unit, the torque in %, the two debug monitors without one.
void loadTitles(HWND dialog, TrendMonitorState* s) {
  LoadStringW(ResourceInstance(dialog), IDS_TREND_TIME_AXIS, s->timeAxis, 32);
  for (int v = 0; v < kTrendValues; ++v) {
    const char* unit = v < 4 ? positionUnitLabel() : v == 4 ? "[%]" : "";
    std::snprintf(s->units[v], sizeof s->units[v], "%s", unit);
    wchar_t name[32] = {};
    LoadStringW(ResourceInstance(dialog), IDS_TREND_VALUE0 + v, name, 32);
    wchar_t wideUnit[16] = {};
    utf8ToWide(s->units[v], wideUnit, 16);
    std::swprintf(s->titles[v], 48, *wideUnit ? L"%ls %ls" : L"%ls", name, wideUnit);
    wideToUtf8(name, s->titlesUtf8[v], sizeof s->titlesUtf8[v]);
  }
}

void fillCombos(HWND dialog, TrendMonitorState* s) {
  wchar_t text[32] = {};
  for (int band = 0; band < kTrendMaxTraces; ++band) {
    HWND combo = GetDlgItem(dialog, IDC_TREND_TRACE0 + band);
    LoadStringW(ResourceInstance(dialog), IDS_TREND_NONE, text, 32);
    SendMessageW(combo, CB_SETITEMDATA, SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)), -1);
    for (int v = 0; v < kTrendValues; ++v) {
      if (!trendValueTraceable(v, s->debugMode)) continue;
      LoadStringW(ResourceInstance(dialog), IDS_TREND_VALUE0 + v, text, 32);
      LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      SendMessageW(combo, CB_SETITEMDATA, item, v);
      if (v == kDefaultValues[band]) SendMessageW(combo, CB_SETCURSEL, item, 0);
    }
    s->view.bands[band].value = kDefaultValues[band];
  }
  HWND window = GetDlgItem(dialog, IDC_TREND_WINDOW);
  for (int w = 0; w < kTrendWindowCount; ++w) {
    LoadStringW(ResourceInstance(dialog), IDS_TREND_WINDOW0 + w, text, 32);
    SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SendMessageW(window, CB_SETCURSEL, 0, 0);
}

void redraw(HWND dialog) { InvalidateRect(GetDlgItem(dialog, IDC_TREND_PLOT), nullptr, FALSE); }

// The recording's size under the buttons: samples kept and the time they span.
void showCount(HWND dialog, TrendMonitorState* s) {
  uint32_t count = 0, seconds = 0;
  {
    std::lock_guard<std::mutex> guard(s->recorder->lock);
    const TrendRecord& r = s->recorder->record;
    count = r.count;
    if (r.count) seconds = (trendSample(r, r.count - 1).ms - trendSample(r, 0).ms) / 1000;
  }
  wchar_t format[64] = {}, text[96] = {};
  LoadStringW(ResourceInstance(dialog), IDS_TREND_COUNT, format, 64);
  std::swprintf(text, 96, format, count, seconds);
  SetItemTextW(dialog, IDC_TREND_COUNT, text);
}

// Draws off screen and copies the picture in one go, so a frame never flickers.
void paintPlot(HWND dialog, const DRAWITEMSTRUCT* item, TrendMonitorState* s) {
  int width = item->rcItem.right - item->rcItem.left, height = item->rcItem.bottom - item->rcItem.top;
  if (width <= 0 || height <= 0) return;
  if (!s->picture || s->pictureSize.cx != width || s->pictureSize.cy != height) {
    if (s->picture) DeleteObject(s->picture);
    s->picture = CreateCompatibleBitmap(item->hDC, width, height);
    s->pictureSize = {width, height};
    if (!s->picture) return;
  }
  HDC memory = CreateCompatibleDC(item->hDC);
  HGDIOBJ oldBitmap = SelectObject(memory, s->picture);
  HGDIOBJ oldFont = SelectObject(memory, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  {
    std::lock_guard<std::mutex> guard(s->recorder->lock);
    TrendPlotInput input{&s->view, s->valueFormat, s->cursorX, {}, s->timeAxis, &s->points};
    for (int v = 0; v < kTrendValues; ++v) input.titles[v] = s->titles[v];
    drawTrendPlot(memory, width, height, s->recorder->record, input);
  }
  BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldFont);
  SelectObject(memory, oldBitmap);
  DeleteDC(memory);
}

// The mouse over the dialog: over the plot it places the cursor.
void trackMouse(HWND dialog, LPARAM position, TrendMonitorState* s) {
  HWND plot = GetDlgItem(dialog, IDC_TREND_PLOT);
  POINT p{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  MapWindowPoints(dialog, plot, &p, 1);
  RECT area;
  GetClientRect(plot, &area);
  int x = PtInRect(&area, p) ? p.x : -1;
  if (!s->tracking) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, dialog, 0};
    s->tracking = TrackMouseEvent(&track) != FALSE;
  }
  if (x == s->cursorX) return;
  s->cursorX = x;
  redraw(dialog);
}

void applyLimits(HWND dialog, int band, TrendMonitorState* s, bool fromClick) {
  TrendBand& b = s->view.bands[band];
  if (!IsDlgButtonChecked(dialog, IDC_TREND_FIXED0 + band)) {
    b.fixed = false;
    redraw(dialog);
    return;
  }
  char low[32] = {}, high[32] = {};
  GetItemTextA(dialog, IDC_TREND_LOW0 + band, low, sizeof low);
  GetItemTextA(dialog, IDC_TREND_HIGH0 + band, high, sizeof high);
  if (fromClick && !*low && !*high && b.value >= 0) {
    // Both empty: the band keeps the scale it has now.
    {
      std::lock_guard<std::mutex> guard(s->recorder->lock);
      const TrendRecord& r = s->recorder->record;
      uint32_t from = 0, to = 0;
      trendViewSpan(r, s->view, &from, &to);
      b.limits = trendValueRange(r, trendWindow(r, from, to), b.value, s->valueFormat);
    }
    wchar_t number[64];
    trendScaleText(s->valueFormat, b.limits.lo, number, 64);
    SetItemTextW(dialog, IDC_TREND_LOW0 + band, number);
    trendScaleText(s->valueFormat, b.limits.hi, number, 64);
    SetItemTextW(dialog, IDC_TREND_HIGH0 + band, number);
    b.fixed = true;
  } else if (trendParseLimits(low, high, &b.limits)) {
    b.fixed = true;
  } else if (fromClick) {
    // Refused: the band stays automatic until two fitting limits are given.
    CheckDlgButton(dialog, IDC_TREND_FIXED0 + band, BST_UNCHECKED);
    b.fixed = false;
    ShowMessage(dialog, IDS_TREND_BAD_LIMITS, IDS_CAPTION, MB_OK | MB_ICONEXCLAMATION);
  }
  redraw(dialog);
}

// The values a CSV holds: every one the dialog may trace.
int csvTraces(TrendMonitorState* s, TrendTrace* traces) {
  int n = 0;
  for (int v = 0; v < kTrendValues; ++v)
    if (trendValueTraceable(v, s->debugMode)) traces[n++] = {v, s->titlesUtf8[v], s->units[v]};
  return n;
}

void save(HWND dialog, TrendMonitorState* s, bool svg) {
  char path[PATH_BYTES] = {};
  std::snprintf(path, sizeof path, svg ? "trend.svg" : "trend.csv");
  if (!chooseFileName(dialog, 1, path, svg ? L"svg" : L"csv", svg ? kSvgFilter : kCsvFilter, kSaveFileFlags)) return;
  // A copy, so the worker goes on recording while the file is written.
  TrendRecord copy;
  TrendViewState view = s->view;
  {
    std::lock_guard<std::mutex> guard(s->recorder->lock);
    copy = s->recorder->record;
  }
  TrendTrace traces[kTrendValues];
  int n = 0;
  uint16_t result;
  if (svg) {
    for (const TrendBand& band : view.bands)
      if (band.value >= 0) traces[n++] = {band.value, s->titlesUtf8[band.value], s->units[band.value]};
    uint32_t from = 0, to = 0;
    trendViewSpan(copy, view, &from, &to);
    result = saveTrendSvg(path, copy, from, to, traces, n, s->valueFormat);
  } else {
    n = csvTraces(s, traces);
    result = saveTrendCsv(path, copy, traces, n, s->valueFormat);
  }
  if (result != FILE_OK) showFileError(dialog, FILE_ERROR_DATA_WRITE, result);
}

void onCommand(HWND dialog, WPARAM wParam, TrendMonitorState* s) {
  int id = LOWORD(wParam), code = HIWORD(wParam);
  if (id >= IDC_TREND_TRACE0 && id < IDC_TREND_TRACE0 + kTrendMaxTraces && code == CBN_SELCHANGE) {
    HWND combo = GetDlgItem(dialog, id);
    LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    s->view.bands[id - IDC_TREND_TRACE0].value = static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, item, 0));
    redraw(dialog);
  } else if (id >= IDC_TREND_FIXED0 && id < IDC_TREND_FIXED0 + kTrendMaxTraces && code == BN_CLICKED) {
    applyLimits(dialog, id - IDC_TREND_FIXED0, s, true);
  } else if (id >= IDC_TREND_LOW0 && id < IDC_TREND_HIGH0 + kTrendMaxTraces && code == EN_CHANGE) {
    applyLimits(dialog, (id - IDC_TREND_LOW0) % kTrendMaxTraces, s, false);
  } else if (id == IDC_TREND_WINDOW && code == CBN_SELCHANGE) {
    s->view.window = static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
    redraw(dialog);
  } else if (id == IDC_TREND_PAUSE && code == BN_CLICKED) {
    {
      std::lock_guard<std::mutex> guard(s->recorder->lock);
      trendSetPaused(&s->view, s->recorder->record, !s->view.paused);
    }
    wchar_t label[32] = {};
    LoadStringW(ResourceInstance(dialog), s->view.paused ? IDS_TREND_RESUME : IDS_TREND_PAUSE, label, 32);
    SetItemTextW(dialog, IDC_TREND_PAUSE, label);
    redraw(dialog);
  } else if ((id == IDC_TREND_SAVE_CSV || id == IDC_TREND_SAVE_SVG) && code == BN_CLICKED) {
    save(dialog, s, id == IDC_TREND_SAVE_SVG);
  }
}

void init(HWND dialog, TrendMonitorState* s) {
  CenterDialog(dialog, 0);
  s->valueFormat = environmentSettings().valueFormat;
  s->debugMode = g_mode.debugMode.load() != 0;
  loadTitles(dialog, s);
  fillCombos(dialog, s);
  RECT window, client, plot;
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  GetWindowRect(GetDlgItem(dialog, IDC_TREND_PLOT), &plot);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&plot), 2);
  s->minimum = {window.right - window.left, window.bottom - window.top};
  s->plotMargin = {client.right - plot.right, client.bottom - plot.bottom};
  s->recorder = std::make_shared<TrendRecorder>();
  trendRecorderStart(s->recorder.get());
  showCount(dialog, s);
  auto poll = std::make_shared<MonitorPoll>();
  poll->read = readCurrentValues;
  poll->backToBack = true;
  poll->keep = trendRecorderKeep;
  poll->sink = s->recorder;
  startPolling(dialog, &s->monitor, std::move(poll));
}

// The plot takes whatever the dialog gains; the controls on the left stay.
void resize(HWND dialog, int width, int height, TrendMonitorState* s) {
  HWND plot = GetDlgItem(dialog, IDC_TREND_PLOT);
  RECT r;
  GetWindowRect(plot, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  int w = width - s->plotMargin.cx - r.left, h = height - s->plotMargin.cy - r.top;
  MoveWindow(plot, r.left, r.top, w > 1 ? w : 1, h > 1 ? h : 1, TRUE);
}

INT_PTR CALLBACK trendMonitorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  TrendMonitorState* state = dialogState<TrendMonitorState>(dialog);
  switch (message) {
    case WM_INITDIALOG:
      state = attachDialogState(dialog, new TrendMonitorState);
      init(dialog, state);
      return TRUE;
    case UM_WORKER_NOTICE:
      if (!state) return TRUE;
      if (wParam == MONITOR_FAILED) {
        closePolling(dialog, IDD_TREND_MONITOR, &state->monitor);
      } else {
        showCount(dialog, state);
        if (!state->view.paused) redraw(dialog);
      }
      return TRUE;
    case WM_DRAWITEM:
      if (state && wParam == IDC_TREND_PLOT) paintPlot(dialog, reinterpret_cast<DRAWITEMSTRUCT*>(lParam), state);
      return TRUE;
    case WM_MOUSEMOVE:
      if (state) trackMouse(dialog, lParam, state);
      return TRUE;
    case WM_MOUSELEAVE:
      if (state) {
        state->tracking = false;
        state->cursorX = -1;
        redraw(dialog);
      }
      return TRUE;
    case WM_SIZE:
      if (state && wParam != SIZE_MINIMIZED) resize(dialog, LOWORD(lParam), HIWORD(lParam), state);
      return TRUE;
    case WM_GETMINMAXINFO:
      if (state) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {state->minimum.cx, state->minimum.cy};
      return TRUE;
    case WM_COMMAND:
      if (!state) return FALSE;
      if (LOWORD(wParam) == IDCANCEL) {
        closePolling(dialog, IDD_TREND_MONITOR, &state->monitor);
        return TRUE;
      }
      onCommand(dialog, wParam, state);
      return TRUE;
    case WM_NCDESTROY:
      freeDialogState<TrendMonitorState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND createTrendMonitorDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, trendMonitorProc, parameter);
}
