// Drives the real desktop program in-process: its start-up and message loop run on
// a thread of their own; tests find its windows, press buttons, read texts and
// answer message boxes, and script qzsim through its control port.
#pragma once
#include <windows.h>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/wait.h"

struct AppRun {
  std::thread thread;
  DWORD threadId = 0;
  int exitCode = -1;
  bool ended = false;
  // A test that failed half-way leaves the program to end with the process.
  ~AppRun() {
    if (thread.joinable()) thread.detach();
  }
};

// A fresh working directory under %TEMP% holding the shipped definition files
// (or the given ones) and both resource libraries. Returns its path.
std::wstring makeRunDirectory(const char* rotarySource = "data/ParmDef.cfg",
                              const char* linearSource = "data/ParmDefL.cfg");
void writeTextFile(const std::wstring& path, const char* text);
std::vector<unsigned char> fileBytes(const std::wstring& path);   // empty when unreadable
// A settings file in `directory` with only the saved port (0 = COM1) and the
// default value format set.
void writeSettingsWithPort(const std::wstring& directory, uint16_t port);
void setMotorTypeValue(int value);   // -1 deletes the value
int motorTypeValue();                // -1 when absent

// Starts the program with `directory` as its current directory.
void startApp(AppRun& run, const std::wstring& directory);
// Waits for the program's thread to end (true) or gives up after timeoutMs.
bool waitAppEnd(AppRun& run, int timeoutMs = 20000);
HWND mainWindow(int timeoutMs = 10000);

// A visible top-level dialog of the program's threads whose caption is `caption`.
HWND waitDialog(const wchar_t* caption, int timeoutMs = 10000);
// Any message box (text of its static 0xFFFF), and its text.
HWND waitMessageBox(std::wstring* text, int timeoutMs = 10000);
// The open or save dialog of the common dialog library, and a file chosen in it.
HWND waitFileDialog(int timeoutMs = 10000);
void chooseInFileDialog(HWND dialog, const std::wstring& path);
// Starts the program and waits for its connection dialog.
HWND startAndWaitConnect(AppRun& run, const std::wstring& directory);
// Starts the program and cancels the connection dialog (true when it went).
bool startWithoutConnecting(AppRun& run, const std::wstring& directory);
// Starts the program, connects on the preselected port and waits for the status
// poll (true when it runs).
bool startConnected(AppRun& run, const std::wstring& directory);
// Closes the program through its menu, answering Yes (true when it ended).
bool closeWithYes(AppRun& run);
bool noDialog(const wchar_t* caption, int forMs);
std::wstring controlText(HWND dialog, int id);
void setControlText(HWND dialog, int id, const wchar_t* text);
void clickButton(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
void checkRadio(HWND dialog, int id, int firstId, int lastId);
void postCommand(int command);
bool waitGone(HWND window, int timeoutMs = 10000);

// The colour at the middle of a status-bar field, read from the screen.
COLORREF statusFieldColour(int field);
// Saves what the window shows as a BMP into QZ_SCREENSHOT_DIR (when set).
void saveScreenshot(HWND window, const char* name);

// A command to the qzsim scripts/wine-tests started; true on OK.
bool sim(const char* line);

// ---- Modeless dialogs by template, combos, list views, strings, qzsim replies
// The open modeless dialog of that template (from the main window's slots), or
// null when none opened within timeoutMs.
HWND waitModeless(uint16_t templateId, int timeoutMs = 10000);
void selectComboItem(HWND dialog, int comboId, int index);
int comboSelection(HWND dialog, int comboId);
int comboCount(HWND dialog, int comboId);
std::wstring comboItemText(HWND dialog, int comboId, int index);
int comboIndexOfData(HWND dialog, int comboId, LPARAM data);   // -1 when no item has it
void showComboList(HWND dialog, int comboId, bool show);
// The dialog together with an open drop-down list that reaches out of it.
void saveScreenshotWithList(HWND dialog, const char* name);
// Every row of a list view as its column texts.
std::vector<std::vector<std::wstring>> listViewRows(HWND list, int columns);
void selectListRow(HWND list, int row);
// A string-table text of the program's resources.
std::wstring resourceText(UINT id);
// A qzsim control command's answer lines (before OK); false on ERR.
bool simReply(const char* line, std::string* reply);
// The axis position qzsim reports ("state=... pos=N"), -1 when it does not say.
long simPosition();

// ---- Signal output and system dialogs: real clicks, captionless dialogs, boxes
// Clicks the control as a person would (BM_CLICK, posted): a check box toggles.
void pressButton(HWND dialog, int id);
// A visible dialog without a caption holding control `controlId`, or null.
HWND waitUntitledDialog(int controlId, int timeoutMs = 10000);
// Answers the next message box (OK, or No when it asks) and returns its text;
// empty when none came within timeoutMs.
std::wstring answerMessageBox(int timeoutMs);
// qzsim's log of received requests.
std::string simRequestLog();

// ---- Monitors: lamps read from the screen, texts that follow the module
// The screen colour at (x, y) of a control's client area, with its dialog raised
// to the top first so nothing covers it.
COLORREF controlPixel(HWND dialog, int id, int x, int y);
// Waits until the control shows `text`: true, or false after timeoutMs.
bool waitControlText(HWND dialog, int id, const std::wstring& text, int timeoutMs = 5000);

// ---- Parameter lists and editors
// The list once its worker has read every definition (progress bar hidden), or
// null after a minute.
HWND openCompleteList(int command, uint16_t templateId);
// The list row showing that parameter number ("Pn0100"), or -1.
int rowOfNumber(HWND list, const wchar_t* number);
// Opens the editor of the row through the edit button (or a double-click).
HWND openEditor(HWND listDialog, const wchar_t* number, const wchar_t* caption, bool doubleClick);

// ---- File transfers and repeats (the transfer tests and the soak)
// How often `what` occurs in `text` (a request log).
size_t countOf(const std::string& text, const std::string& what);
// Chooses `path` in the file dialog the command opens; a save over an existing
// file answers the overwrite question with Yes. False when a dialog did not come.
bool runFileCommand(int command, const std::wstring& path, bool overwrite = false);
// Waits until a modal transfer of that caption opened and ended: false when it is
// still up after timeoutMs.
bool waitTransferEnd(const wchar_t* caption, int timeoutMs = 30000);
// Opens the verify and waits for the finished list (progress bar hidden), saving
// a screenshot when `shot` is given; null when it did not open or finish in timeoutMs.
HWND verifyToEnd(int command, uint16_t templateId, const std::wstring& path, const char* shot,
                 int timeoutMs = 30000);
bool closeVerify(HWND dialog);
// A repeat of 10 units at 6000 units a minute in the positioning dialog.
void startPositioningRepeat(HWND dialog);
