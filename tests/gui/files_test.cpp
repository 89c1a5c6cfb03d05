// Where the program finds its files: the start directory whatever the file dialogs
// did, paths of Japanese folders beyond 260 bytes of UTF-8, read-only files; and
// the status bar without a size grip. A stand-in load dialog records that the
// chosen data file was read.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "app_driver.h"
#include "files/definitions.h"
#include "files/settings.h"
#include "files/transfer.h"
#include "resources/resource.h"
#include "shell/dialog_table.h"
#include "shell/shell_win32.h"

namespace {
int g_loads = 0;
TransferRunner g_realLoad = nullptr;

// Counts a parameter load whose file reads, as the real load's first step does.
INT_PTR standInLoad(HWND, uint16_t, bool points, const char* path) {
  static ParameterValues copy;
  if (!points && readParameterLoadFile(path, g_parameterTable, &copy) == 0) ++g_loads;
  return 1;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring copyOfSample(const std::wstring& folder) {
  CreateDirectoryW(folder.c_str(), nullptr);
  wchar_t source[MAX_PATH];
  utf8ToWide(QZ_SOURCE_DIR "/data/Sample.PRM", source, MAX_PATH);
  std::wstring target = folder + L"\\Sample.PRM";
  CopyFileW(source, target.c_str(), FALSE);
  return target;
}

// Loads the parameter file through the File menu's open dialog; succeeds when the
// stand-in load dialog was reached (the file read) and no box came up.
::testing::AssertionResult loadParameters(const std::wstring& path) {
  int before = g_loads;
  postCommand(IDM_LOAD_PARAMS);
  HWND files = waitFileDialog();
  if (!files) return ::testing::AssertionFailure() << "no file dialog";
  chooseInFileDialog(files, path);
  for (int waited = 0; waited < 5000 && g_loads == before; waited += 50) Sleep(50);
  std::wstring text;
  if (HWND box = waitMessageBox(&text, 300)) {
    char shown[1024];
    wideToUtf8(text.c_str(), shown, sizeof shown);
    clickButton(box, IDOK);
    return ::testing::AssertionFailure() << "box: " << shown;
  }
  if (g_loads != before + 1) return ::testing::AssertionFailure() << "the file was not read";
  return ::testing::AssertionSuccess();
}

void setInterval(const wchar_t* text) {
  postCommand(IDM_ENVIRONMENT);
  HWND dialog = waitDialog(L"環境設定");
  ASSERT_NE(dialog, nullptr);
  setControlText(dialog, IDC_ENV_INTERVAL, text);
  clickButton(dialog, IDC_ENV_SET);
  ASSERT_TRUE(waitGone(dialog));
}

uint16_t intervalIn(const std::vector<unsigned char>& block) { return block[2] | (block[3] << 8); }

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    g_loads = 0;
    g_realLoad = replaceTransferDialog(IDD_TRANSFER_LOAD, standInLoad);
    setMotorTypeValue(-1);
  }
  void TearDown() override {
    // A test that stopped half-way closes the program, so the next one can start.
    if (!run_.ended && FindWindowW(MAIN_WINDOW_CLASS, nullptr)) closeWithYes(run_);
    replaceTransferDialog(IDD_TRANSFER_LOAD, g_realLoad);
  }
  AppRun run_;
};
}  // namespace

TEST_F(Files, SettingsStayInTheStartDirectoryAfterALoadFromAnotherFolder) {
  std::wstring dir = makeRunDirectory();
  std::wstring other = dir + L"_other";
  std::wstring sample = copyOfSample(other);
  // A broken linear file beside the data file: the reload reads the start directory.
  writeTextFile(other + L"\\ParmDefL.cfg", "MODE:STD\r\nPn0100;\r\n");
  ASSERT_TRUE(startWithoutConnecting(run_, dir));
  ASSERT_TRUE(loadParameters(sample));
  setInterval(L"750");
  postCommand(IDM_LOAD_LINEAR_DEFS);
  EXPECT_TRUE(waitFor([] { return g_motorType == MOTOR_LINEAR; }, 5000));
  EXPECT_TRUE(noDialog(nullptr, 300));
  ASSERT_TRUE(closeWithYes(run_));

  std::vector<unsigned char> block = fileBytes(dir + L"\\SetData.cfg");
  ASSERT_EQ(block.size(), SETTINGS_SIZE);
  EXPECT_EQ(intervalIn(block), 750);
  EXPECT_FALSE(exists(other + L"\\SetData.cfg"));
  setMotorTypeValue(-1);
}

TEST_F(Files, JapaneseFoldersBeyond260BytesOfUtf8) {
  std::wstring kanji;
  for (int i = 0; i < 6; ++i) kanji += L"設定用データ保存場所";
  std::wstring base = makeRunDirectory();
  std::wstring start = base + L"\\" + kanji;
  CreateDirectoryW(start.c_str(), nullptr);
  start += L"\\" + kanji.substr(0, 30);
  CreateDirectoryW(start.c_str(), nullptr);
  for (const wchar_t* name : {L"ParmDef.cfg", L"ParmDefL.cfg", L"res_STD.dll"})
    CopyFileW((base + L"\\" + name).c_str(), (start + L"\\" + name).c_str(), FALSE);
  std::wstring sample = copyOfSample(start + L"\\" + kanji);
  char utf8[1024];
  wideToUtf8(sample.c_str(), utf8, sizeof utf8);
  ASSERT_GT(strlen(utf8), 400u);
  ASSERT_LT(sample.size(), static_cast<size_t>(MAX_PATH));

  ASSERT_TRUE(startWithoutConnecting(run_, start)) << "the definition file in the start directory was not read";
  wchar_t recorded[MAX_PATH];
  utf8ToWide(g_startDirectory, recorded, MAX_PATH);
  EXPECT_EQ(std::wstring(recorded), start);
  EXPECT_TRUE(loadParameters(sample));
  setInterval(L"321");
  ASSERT_TRUE(closeWithYes(run_));
  std::vector<unsigned char> block = fileBytes(start + L"\\SetData.cfg");
  ASSERT_EQ(block.size(), SETTINGS_SIZE);
  EXPECT_EQ(intervalIn(block), 321);
}

TEST_F(Files, ReadOnlyFilesAreReadAndTheStatusBarHasNoGrip) {
  std::wstring dir = makeRunDirectory();
  writeSettingsWithPort(dir, 1);   // COM2
  std::wstring sample = copyOfSample(dir + L"\\data");
  for (const std::wstring& name : {dir + L"\\ParmDef.cfg", dir + L"\\SetData.cfg", sample})
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY);

  HWND connect = startAndWaitConnect(run_, dir);
  ASSERT_NE(connect, nullptr) << "a read-only definition file stopped the start";
  EXPECT_TRUE(isChecked(connect, IDC_CONNECT_COM2)) << "the read-only settings file was not read";
  clickButton(connect, IDCANCEL);
  ASSERT_TRUE(waitGone(connect));
  EXPECT_TRUE(loadParameters(sample));

  LONG_PTR style = GetWindowLongPtrW(g_statusBar, GWL_STYLE);
  EXPECT_EQ(style & SBARS_SIZEGRIP, 0);
  saveScreenshot(mainWindow(), "main_window_files");
  ASSERT_TRUE(closeWithYes(run_));
  for (const std::wstring& name : {dir + L"\\ParmDef.cfg", dir + L"\\SetData.cfg", sample})
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
}
