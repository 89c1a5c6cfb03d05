// The GUI test bed's driver of the in-process program.
#include "app_driver.h"

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/status_poll.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"
#include "tests/support/sim_fixture.h"

namespace {
std::wstring widen(const std::string& text) {
  wchar_t out[1024];
  utf8ToWide(text.c_str(), out, 1024);
  return out;
}

struct Search {
  const wchar_t* caption;
  bool anyBox;
  HWND found;
};

BOOL CALLBACK findDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  wchar_t caption[256] = {};
  GetWindowTextW(window, caption, 256);
  // Message boxes carry the program's caption and the static text 0xFFFF.
  const wchar_t* wanted = search->anyBox ? L"セットアップツール" : search->caption;
  if (wcscmp(caption, wanted) == 0 && (!search->anyBox || GetDlgItem(window, 0xFFFF))) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK findFileDialog(HWND window, LPARAM data) {
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  // The common file dialogs hold the file name in combo box cmb13 or edit edt1,
  // and the file types in combo box cmb1 (program dialogs may reuse the first ids,
  // and the output port's computed ids take all three: no modeless dialog is one).
  for (HWND slot : g_modelessSlots)
    if (slot == window) return TRUE;
  if ((GetDlgItem(window, 0x47C) || GetDlgItem(window, 0x480)) && GetDlgItem(window, 0x470)) {
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
  }
  return TRUE;
}

HWND findTopDialog(const wchar_t* caption, bool anyBox) {
  Search search{caption, anyBox, nullptr};
  EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void copyFile(const std::string& source, const std::wstring& target) {
  CopyFileW(widen(source).c_str(), target.c_str(), FALSE);
}
}  // namespace

std::wstring makeRunDirectory(const char* rotarySource, const char* linearSource) {
  static int counter = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  wchar_t dir[MAX_PATH];
  // Wine reuses process ids from run to run: take only a directory that is new, so
  // no settings file of an earlier run is read.
  do swprintf(dir, MAX_PATH, L"%lsqzgui_%lu_%d", temp, GetCurrentProcessId(), ++counter);
  while (!CreateDirectoryW(dir, nullptr) && counter < 100000);
  std::wstring base(dir);
  std::string source = QZ_SOURCE_DIR;
  if (rotarySource) copyFile(source + "/" + rotarySource, base + L"\\ParmDef.cfg");
  if (linearSource) copyFile(source + "/" + linearSource, base + L"\\ParmDefL.cfg");
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring exeDir(exe);
  exeDir = exeDir.substr(0, exeDir.find_last_of(L'\\'));
  for (const wchar_t* dll : {L"res_STD.dll", L"res_DBG.dll"})
    CopyFileW((exeDir + L"\\" + dll).c_str(), (base + L"\\" + dll).c_str(), FALSE);
  return base;
}

std::vector<unsigned char> fileBytes(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return bytes;
  int c;
  while ((c = fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
  fclose(f);
  return bytes;
}

void writeTextFile(const std::wstring& path, const char* text) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return;
  fputs(text, f);
  fclose(f);
}

void setMotorTypeValue(int value) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QZ_MMI", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  if (value < 0) {
    RegDeleteValueW(key, L"MotorType");
  } else {
    DWORD v = static_cast<DWORD>(value);
    RegSetValueExW(key, L"MotorType", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), sizeof v);
  }
  RegCloseKey(key);
}

int motorTypeValue() {
  DWORD v = 0, size = sizeof v;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QZ_MMI", L"MotorType", RRF_RT_REG_DWORD, nullptr, &v, &size) !=
      ERROR_SUCCESS)
    return -1;
  return static_cast<int>(v);
}

void startApp(AppRun& run, const std::wstring& directory) {
  SetCurrentDirectoryW(directory.c_str());
  run.ended = false;
  run.thread = std::thread([&run] {
    run.threadId = GetCurrentThreadId();
    run.exitCode = runSetupTool(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    run.ended = true;
  });
}

bool waitAppEnd(AppRun& run, int timeoutMs) {
  for (int waited = 0; !run.ended && waited < timeoutMs; waited += 50) Sleep(50);
  if (!run.ended) return false;
  if (run.thread.joinable()) run.thread.join();
  return true;
}

HWND mainWindow(int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    HWND window = FindWindowW(MAIN_WINDOW_CLASS, nullptr);
    if (window && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

HWND waitDialog(const wchar_t* caption, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (HWND dialog = findTopDialog(caption, false)) {
      Sleep(100);   // let it finish its initialisation
      return dialog;
    }
    Sleep(50);
  }
  return nullptr;
}

HWND waitMessageBox(std::wstring* text, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (HWND box = findTopDialog(nullptr, true)) {
      Sleep(100);
      if (text) *text = controlText(box, 0xFFFF);
      return box;
    }
    Sleep(50);
  }
  return nullptr;
}

HWND waitFileDialog(int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    HWND found = nullptr;
    EnumWindows(findFileDialog, reinterpret_cast<LPARAM>(&found));
    if (found) {
      Sleep(300);
      return found;
    }
    Sleep(50);
  }
  return nullptr;
}

void chooseInFileDialog(HWND dialog, const std::wstring& path) {
  int id = GetDlgItem(dialog, 0x47C) ? 0x47C : 0x480;
  // A dialog still finishing its start-up under load can drop the first press:
  // press again while it is still up and enabled (a question it asks disables it).
  for (int attempt = 0; attempt < 5; ++attempt) {
    setControlText(dialog, id, path.c_str());
    clickButton(dialog, IDOK);
    for (int waited = 0; waited < 2000; waited += 50) {
      if (!IsWindow(dialog) || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog)) return;
      Sleep(50);
    }
  }
}

HWND startAndWaitConnect(AppRun& run, const std::wstring& directory) {
  startApp(run, directory);
  return waitDialog(L"接続");
}

bool startWithoutConnecting(AppRun& run, const std::wstring& directory) {
  HWND connect = startAndWaitConnect(run, directory);
  if (!connect) return false;
  clickButton(connect, IDCANCEL);
  return waitGone(connect);
}

bool startConnected(AppRun& run, const std::wstring& directory) {
  HWND connect = startAndWaitConnect(run, directory);
  if (!connect) return false;
  clickButton(connect, IDC_CONNECT_OK);
  return waitGone(connect) && waitFor([] { return statusPollingActive(); }, 10000);
}

bool closeWithYes(AppRun& run) {
  // A test that stopped half-way can leave a file dialog up, which holds the
  // main window modal: cancel it first so the close can be asked.
  for (int tries = 0; tries < 3; ++tries) {
    HWND files = nullptr;
    EnumWindows(findFileDialog, reinterpret_cast<LPARAM>(&files));
    if (!files) break;
    clickButton(files, IDCANCEL);
    waitGone(files, 2000);
  }
  postCommand(IDM_CLOSE);
  HWND box = waitMessageBox(nullptr);
  if (!box) return false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    clickButton(box, IDYES);
    if (waitGone(box, 2000)) break;
  }
  return waitAppEnd(run);
}

bool noDialog(const wchar_t* caption, int forMs) {
  for (int waited = 0; waited < forMs; waited += 50) {
    if (findTopDialog(caption, caption == nullptr)) return false;
    Sleep(50);
  }
  return true;
}

std::wstring controlText(HWND dialog, int id) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(GetDlgItem(dialog, id), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                      5000, nullptr);
  return text;
}

void setControlText(HWND dialog, int id, const wchar_t* text) {
  SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                      nullptr);
}

void clickButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool isChecked(HWND dialog, int id) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_BLOCK, 5000, &result);
  return result == BST_CHECKED;
}

void checkRadio(HWND dialog, int id, int firstId, int lastId) {
  for (int i = firstId; i <= lastId; ++i)
    SendMessageTimeoutW(GetDlgItem(dialog, i), BM_SETCHECK, i == id ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_BLOCK,
                        5000, nullptr);
}

void postCommand(int command) { PostMessageW(FindWindowW(MAIN_WINDOW_CLASS, nullptr), WM_COMMAND, command, 0); }

bool waitGone(HWND window, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return true;
    Sleep(50);
  }
  return false;
}

COLORREF statusFieldColour(int field) {
  RECT rect{};
  SendMessageTimeoutW(g_statusBar, SB_GETRECT, field, reinterpret_cast<LPARAM>(&rect), SMTO_BLOCK, 5000, nullptr);
  POINT point{rect.left + 4, (rect.top + rect.bottom) / 2};
  ClientToScreen(g_statusBar, &point);
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

namespace {
void saveScreenRect(RECT rect, const char* name) {
  char dir[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("QZ_SCREENSHOT_DIR", dir, MAX_PATH)) return;
  Sleep(300);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + stride * height;
  std::string path = std::string(dir) + "\\" + name + ".bmp";
  if (FILE* f = fopen(path.c_str(), "wb")) {
    fwrite(&file, sizeof file, 1, f);
    fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
    fwrite(bits, stride, height, f);
    fclose(f);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}
}  // namespace

void saveScreenshot(HWND window, const char* name) {
  RECT rect;
  GetWindowRect(window, &rect);
  saveScreenRect(rect, name);
}

void saveScreenshotWithList(HWND dialog, const char* name) {
  RECT rect, list;
  GetWindowRect(dialog, &rect);
  HWND combo = nullptr;
  for (HWND child = GetWindow(dialog, GW_CHILD); child && !combo; child = GetWindow(child, GW_HWNDNEXT)) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(child, &info) && info.hwndList && IsWindowVisible(info.hwndList)) {
      combo = child;
      GetWindowRect(info.hwndList, &list);
      UnionRect(&rect, &rect, &list);
    }
  }
  saveScreenRect(rect, name);
}

namespace {
// The qzsim scripts/wine-tests started (control port 0 when there is none).
uint16_t simControl() {
  static SimProcess running;
  static bool found = startSim(running);
  return found ? running.control : 0;
}
}  // namespace

bool sim(const char* line) { return simCommand(simControl(), line); }

// ---- Modeless dialogs by template, combos, list views, strings, qzsim replies
#include "shell/shell_state.h"
#include "toolkit/dialog_toolkit.h"

HWND waitModeless(uint16_t templateId, int timeoutMs) {
  int slot = slotOfTemplate(templateId);
  if (slot < 0) return nullptr;
  for (int waited = 0; waited <= timeoutMs; waited += 50) {
    HWND dialog = g_modelessSlots[slot];
    if (dialog && IsWindowVisible(dialog)) return dialog;
    Sleep(50);
  }
  return nullptr;
}

void selectComboItem(HWND dialog, int comboId, int index) {
  SendMessageTimeoutW(GetDlgItem(dialog, comboId), CB_SETCURSEL, index, 0, SMTO_BLOCK, 5000, nullptr);
}

int comboSelection(HWND dialog, int comboId) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, comboId), CB_GETCURSEL, 0, 0, SMTO_BLOCK, 5000, &result);
  return static_cast<int>(static_cast<LRESULT>(result));
}

std::wstring comboItemText(HWND dialog, int comboId, int index) {
  wchar_t text[256] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, comboId), CB_GETLBTEXTLEN, index, 0, SMTO_BLOCK, 5000, &length);
  if (static_cast<LRESULT>(length) < 0 || length >= 256) return L"";
  SendMessageTimeoutW(GetDlgItem(dialog, comboId), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                      5000, nullptr);
  return text;
}

int comboIndexOfData(HWND dialog, int comboId, LPARAM data) {
  for (int i = 0, n = comboCount(dialog, comboId); i < n; ++i) {
    DWORD_PTR value = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, comboId), CB_GETITEMDATA, i, 0, SMTO_BLOCK, 5000, &value);
    if (static_cast<LPARAM>(value) == data) return i;
  }
  return -1;
}

void showComboList(HWND dialog, int comboId, bool show) {
  SendMessageTimeoutW(GetDlgItem(dialog, comboId), CB_SHOWDROPDOWN, show, 0, SMTO_BLOCK, 5000, nullptr);
  Sleep(200);
}

int comboCount(HWND dialog, int comboId) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, comboId), CB_GETCOUNT, 0, 0, SMTO_BLOCK, 5000, &result);
  return static_cast<int>(static_cast<LRESULT>(result));
}

std::vector<std::vector<std::wstring>> listViewRows(HWND list, int columns) {
  std::vector<std::vector<std::wstring>> rows;
  DWORD_PTR count = 0;
  SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_BLOCK, 5000, &count);
  for (int r = 0; r < static_cast<int>(count); ++r) {
    std::vector<std::wstring> row;
    for (int c = 0; c < columns; ++c) {
      // The list lives in this process, so the item record can be passed as is.
      wchar_t text[256] = {};
      LVITEMW item{};
      item.iSubItem = c;
      item.pszText = text;
      item.cchTextMax = 256;
      SendMessageTimeoutW(list, LVM_GETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item), SMTO_BLOCK, 5000, nullptr);
      row.push_back(text);
    }
    rows.push_back(row);
  }
  return rows;
}

void selectListRow(HWND list, int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageTimeoutW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item), SMTO_BLOCK, 5000, nullptr);
}

std::wstring resourceText(UINT id) {
  wchar_t* block = LoadResString(mainWindow(), id);
  std::wstring text = block ? block : L"";
  FreeResString(block);
  return text;
}

bool simReply(const char* line, std::string* reply) { return simCommand(simControl(), line, reply); }

long simPosition() {
  std::string reply;
  simReply("GET MOTION", &reply);
  size_t at = reply.find("pos=");
  return at == std::string::npos ? -1 : std::strtol(reply.c_str() + at + 4, nullptr, 10);
}

// ---- Signal output and system dialogs: real clicks, captionless dialogs, boxes
void pressButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

namespace {
struct UntitledSearch {
  int controlId;
  HWND found;
};

BOOL CALLBACK findUntitled(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<UntitledSearch*>(data);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if (GetWindowTextLengthW(window) == 0 && GetDlgItem(window, search->controlId)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND waitUntitledDialog(int controlId, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 20) {
    UntitledSearch search{controlId, nullptr};
    EnumWindows(findUntitled, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(20);
  }
  return nullptr;
}

std::wstring answerMessageBox(int timeoutMs) {
  std::wstring text;
  HWND box = waitMessageBox(&text, timeoutMs);
  if (!box) return L"";
  // Pressed again while the box is still up: a press can be lost while the box
  // is still settling.
  for (int attempt = 0; attempt < 3; ++attempt) {
    clickButton(box, GetDlgItem(box, IDNO) ? IDNO : IDOK);
    if (waitGone(box, 2000)) break;
  }
  return text;
}

std::string simRequestLog() { return simLog(simControl()); }

// ---- Monitors: lamps read from the screen, texts that follow the module
COLORREF controlPixel(HWND dialog, int id, int x, int y) {
  SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  HWND control = GetDlgItem(dialog, id);
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Sleep(150);
  POINT at{x, y};
  ClientToScreen(control, &at);
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

bool waitControlText(HWND dialog, int id, const std::wstring& text, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 50) {
    if (controlText(dialog, id) == text) return true;
    Sleep(50);
  }
  return false;
}

// The list once its worker has read every definition (progress bar hidden).
HWND openCompleteList(int command, uint16_t templateId) {
  postCommand(command);
  HWND dialog = waitModeless(templateId);
  if (!dialog) return nullptr;
  for (int waited = 0; waited < 60000; waited += 100) {
    if (!IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS))) return dialog;
    Sleep(100);
  }
  return nullptr;
}

int rowOfNumber(HWND list, const wchar_t* number) {
  auto rows = listViewRows(list, 1);
  for (size_t r = 0; r < rows.size(); ++r)
    if (rows[r][0] == number) return static_cast<int>(r);
  return -1;
}

// Opens the editor of the row through the edit button (or a double-click).
HWND openEditor(HWND listDialog, const wchar_t* number, const wchar_t* caption, bool doubleClick) {
  HWND list = GetDlgItem(listDialog, IDC_LIST);
  int row = rowOfNumber(list, number);
  if (row < 0) return nullptr;
  selectListRow(list, row);
  if (doubleClick) {
    // Posted, as the list does, so the test is free while the editor is open;
    // the record outlives the message.
    static NMHDR header;
    header = NMHDR{list, IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
    PostMessageW(listDialog, WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&header));
    HWND editor = waitDialog(caption);
    return editor;
  }
  clickButton(listDialog, IDC_PARAM_LIST_EDIT);
  return waitDialog(caption);
}

void writeSettingsWithPort(const std::wstring& directory, uint16_t port) {
  std::vector<unsigned char> block(1653, 0);
  block[0] = static_cast<unsigned char>(port & 0xFF);
  block[1] = static_cast<unsigned char>(port >> 8);
  block[6] = 0x3C;
  block[7] = 0x05;
  FILE* f = _wfopen((directory + L"\\SetData.cfg").c_str(), L"wb");
  if (!f) return;
  fwrite(block.data(), 1, block.size(), f);
  fclose(f);
}

// ---- File transfers and repeats
size_t countOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

namespace {
// The file dialog's own question (its caption, not the program's): a visible
// dialog with a message text and a Yes button.
BOOL CALLBACK findQuestion(HWND window, LPARAM data) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (wcscmp(className, L"#32770") == 0 && IsWindowVisible(window) && GetDlgItem(window, 0xFFFF) &&
      GetDlgItem(window, IDYES)) {
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

bool runFileCommand(int command, const std::wstring& path, bool overwrite) {
  postCommand(command);
  HWND files = waitFileDialog();
  if (!files) return false;
  chooseInFileDialog(files, path);
  if (!overwrite) return true;
  HWND box = nullptr;
  waitFor([&] { return EnumWindows(findQuestion, reinterpret_cast<LPARAM>(&box)), box != nullptr; }, 10000, 50);
  if (!box) return false;
  clickButton(box, IDYES);
  return true;
}

bool waitTransferEnd(const wchar_t* caption, int timeoutMs) {
  HWND dialog = waitDialog(caption, 3000);
  return !dialog || waitGone(dialog, timeoutMs);
}

HWND verifyToEnd(int command, uint16_t templateId, const std::wstring& path, const char* shot, int timeoutMs) {
  if (!runFileCommand(command, path)) return nullptr;
  HWND dialog = waitModeless(templateId);
  if (!dialog) return nullptr;
  HWND bar = GetDlgItem(dialog, IDC_TRANSFER_PROGRESS);
  for (int waited = 0; waited < timeoutMs && IsWindowVisible(bar); waited += 50) Sleep(50);
  if (IsWindowVisible(bar)) return nullptr;
  if (shot) saveScreenshot(dialog, shot);
  return dialog;
}

bool closeVerify(HWND dialog) {
  clickButton(dialog, IDCANCEL);
  return waitGone(dialog);
}

void startPositioningRepeat(HWND dialog) {
  setControlText(dialog, IDC_OP_POSITION, L"10.000");
  setControlText(dialog, IDC_OP_SPEED, L"6000.000");
  SendMessageW(GetDlgItem(dialog, IDC_OP_REPEAT), BM_SETCHECK, BST_CHECKED, 0);
  clickButton(dialog, IDC_OP_START);
}
