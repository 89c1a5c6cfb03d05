// Load, save and verify through the File menu against qzsim: a saved file equals
// what the files functions write from the module's values read over qzsim's
// control port; a value changed on the module is the one verify row; a load puts
// it back and the verify is then empty. Cancel during a save keeps the old file.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app_driver.h"
#include "editing/parameter_rows.h"
#include "files/definitions.h"
#include "files/parameter_file.h"
#include "files/point_file.h"
#include "files/point_table.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"

namespace {

std::string utf8(const std::wstring& path) {
  char out[1024];
  wideToUtf8(path.c_str(), out, sizeof out);
  return out;
}

// The file a save writes once its dialog has ended.
std::vector<unsigned char> savedBytes(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  for (int waited = 0; waited < 5000 && bytes.empty(); waited += 100) {
    Sleep(100);
    bytes = fileBytes(path);
  }
  return bytes;
}

uint32_t simWord(const std::string& line, int field = 0) {
  std::string reply;
  if (!simReply(line.c_str(), &reply)) return 0xFFFFFFFF;
  const char* p = reply.c_str();
  for (int i = 0; i < field && std::strchr(p, ' '); ++i) p = std::strchr(p, ' ') + 1;
  return static_cast<uint32_t>(std::strtoul(p, nullptr, 16));
}

class Transfers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim("RESET"));
    dir_ = makeRunDirectory();
    ASSERT_TRUE(startConnected(run_, dir_));
  }
  void TearDown() override {
    sim("PACE OFF");
    if (!run_.ended && FindWindowW(MAIN_WINDOW_CLASS, nullptr)) closeWithYes(run_);
  }
  AppRun run_;
  std::wstring dir_;
};

}  // namespace

TEST_F(Transfers, ParametersSaveVerifyLoad) {
  std::wstring saved = dir_ + L"\\saved.PRM";
  ASSERT_TRUE(runFileCommand(IDM_SAVE_PARAMS, saved));
  EXPECT_TRUE(waitTransferEnd(L"セーブ")) << "the transfer did not end";

  // The same module written by the files functions, from qzsim's own values.
  static ParameterTable expected;
  std::memcpy(&expected, &g_parameterTable, sizeof expected);
  ASSERT_GT(expected.count, 0);
  for (int i = 0; i < expected.count; ++i) {
    ParameterDefinition& def = expected.entries[i];
    char line[32];
    std::snprintf(line, sizeof line, "GET PARAM %04X", def.number);
    std::string reply;
    def.valueValid = simReply(line, &reply) ? 1 : 0;
    def.value = static_cast<int32_t>(std::strtoul(reply.c_str(), nullptr, 16));
  }
  std::wstring reference = dir_ + L"\\reference.PRM";
  ASSERT_EQ(writeParameterFile(utf8(reference).c_str(), &expected), 0);
  std::vector<unsigned char> bytes = savedBytes(saved);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes, fileBytes(reference));

  uint32_t before = simWord("GET PARAM 0100");
  char change[48];
  std::snprintf(change, sizeof change, "SET PARAM 0100 %08X", static_cast<unsigned>(before ^ 1u));
  ASSERT_TRUE(sim(change));
  HWND verify = verifyToEnd(IDM_VERIFY_PARAMS, IDD_PARAM_VERIFY, saved, "param_verify");
  ASSERT_NE(verify, nullptr);
  auto rows = listViewRows(GetDlgItem(verify, IDC_VERIFY_LIST), 5);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], L"Pn0100");
  EXPECT_TRUE(closeVerify(verify));

  ASSERT_TRUE(runFileCommand(IDM_LOAD_PARAMS, saved));
  EXPECT_TRUE(waitTransferEnd(L"ロード")) << "the transfer did not end";
  EXPECT_EQ(simWord("GET PARAM 0100"), before);
  verify = verifyToEnd(IDM_VERIFY_PARAMS, IDD_PARAM_VERIFY, saved, nullptr);
  ASSERT_NE(verify, nullptr);
  EXPECT_TRUE(listViewRows(GetDlgItem(verify, IDC_VERIFY_LIST), 5).empty());
  EXPECT_TRUE(closeVerify(verify));
}

TEST_F(Transfers, PointsSaveVerifyLoad) {
  ASSERT_TRUE(sim("SET POINT 5 000003E8 FFFFEC78"));
  std::wstring saved = dir_ + L"\\saved.PNT";
  ASSERT_TRUE(runFileCommand(IDM_SAVE_POINTS, saved));
  EXPECT_TRUE(waitTransferEnd(L"セーブ")) << "the transfer did not end";

  PointEntry expected[POINT_COUNT];
  for (int n = 1; n <= POINT_COUNT; ++n) {
    std::string line = "GET POINT " + std::to_string(n);
    expected[n - 1].speed = simWord(line, 0);
    expected[n - 1].position = static_cast<int32_t>(simWord(line, 1));
  }
  std::wstring reference = dir_ + L"\\reference.PNT";
  ASSERT_EQ(writePointFile(utf8(reference).c_str(), expected), 0);
  std::vector<unsigned char> bytes = savedBytes(saved);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes, fileBytes(reference));

  ASSERT_TRUE(sim("SET POINT 5 000007D0 FFFFEC78"));
  HWND verify = verifyToEnd(IDM_VERIFY_POINTS, IDD_POINT_VERIFY, saved, "point_verify");
  ASSERT_NE(verify, nullptr);
  auto rows = listViewRows(GetDlgItem(verify, IDC_VERIFY_LIST), 5);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], L"  5");
  EXPECT_TRUE(closeVerify(verify));

  // Paced at the wire speed, so the load can be seen running.
  ASSERT_TRUE(sim("PACE ON"));
  ASSERT_TRUE(runFileCommand(IDM_LOAD_POINTS, saved));
  HWND load = waitDialog(L"ロード", 3000);
  ASSERT_NE(load, nullptr);
  Sleep(300);
  saveScreenshot(load, "transfer_load");
  EXPECT_TRUE(waitGone(load, 30000));
  ASSERT_TRUE(sim("PACE OFF"));
  EXPECT_EQ(simWord("GET POINT 5", 0), 0x3E8u);
  verify = verifyToEnd(IDM_VERIFY_POINTS, IDD_POINT_VERIFY, saved, nullptr);
  ASSERT_NE(verify, nullptr);
  EXPECT_TRUE(listViewRows(GetDlgItem(verify, IDC_VERIFY_LIST), 5).empty());
  EXPECT_TRUE(closeVerify(verify));
}

TEST_F(Transfers, CancelDuringASaveKeepsTheOldFile) {
  std::wstring target = dir_ + L"\\kept.PRM";
  writeTextFile(target, "Pn0100 = 1\r\n");
  std::vector<unsigned char> before = fileBytes(target);
  ASSERT_TRUE(sim("PACE ON"));
  ASSERT_TRUE(runFileCommand(IDM_SAVE_PARAMS, target, true));
  HWND save = waitDialog(L"セーブ", 5000);
  ASSERT_NE(save, nullptr);
  for (int waited = 0; waited < 5000 && controlText(save, IDC_TRANSFER_LABEL).empty(); waited += 50) Sleep(50);
  EXPECT_EQ(controlText(save, IDC_TRANSFER_LABEL).rfind(L"Pn", 0), 0u);
  saveScreenshot(save, "transfer_save");
  clickButton(save, IDCANCEL);
  EXPECT_TRUE(waitGone(save));
  Sleep(300);
  EXPECT_EQ(fileBytes(target), before);
}

// A load while the servo list is open rewrites the rows it loaded: the list
// shows the module's changed value first, and the file's value after the load.
TEST_F(Transfers, ALoadRewritesTheRowsOfAnOpenList) {
  std::wstring saved = dir_ + L"\\list.PRM";
  ASSERT_TRUE(runFileCommand(IDM_SAVE_PARAMS, saved));
  EXPECT_TRUE(waitTransferEnd(L"セーブ")) << "the transfer did not end";
  ASSERT_FALSE(savedBytes(saved).empty());

  const ParameterDefinition* def = nullptr;
  for (int i = 0; i < g_parameterTable.count && !def; ++i)
    if (listShowsDefinition(IDD_SERVO_PARAM_LIST, g_parameterTable.entries[i])) def = &g_parameterTable.entries[i];
  ASSERT_NE(def, nullptr);
  char get[48], set[48];
  std::snprintf(get, sizeof get, "GET PARAM %04X", def->number);
  uint32_t original = simWord(get);
  std::snprintf(set, sizeof set, "SET PARAM %04X %08X", def->number, static_cast<unsigned>(original ^ 1u));
  ASSERT_TRUE(sim(set));

  auto rowTexts = [&](uint32_t value) {
    ParameterDefinition shown = *def;
    shown.value = static_cast<int32_t>(value);
    ParameterRowTexts texts;
    parameterRowTexts(shown, &texts);
    wchar_t out[ROW_TEXT_SIZE] = {};
    MultiByteToWideChar(932, 0, texts.columns[2], -1, out, ROW_TEXT_SIZE);
    return std::wstring(out);
  };
  ASSERT_NE(rowTexts(original), rowTexts(original ^ 1u));

  postCommand(IDM_SERVO_PARAM_LIST);
  HWND list = waitModeless(IDD_SERVO_PARAM_LIST);
  ASSERT_NE(list, nullptr);
  HWND view = GetDlgItem(list, IDC_LIST);
  auto valueShown = [&] {
    auto rows = listViewRows(view, 3);
    return rows.empty() ? std::wstring() : rows[0][2];
  };
  for (int waited = 0; waited < 30000 && IsWindowVisible(GetDlgItem(list, IDC_PROGRESS)); waited += 100) Sleep(100);
  EXPECT_EQ(valueShown(), rowTexts(original ^ 1u));

  ASSERT_TRUE(runFileCommand(IDM_LOAD_PARAMS, saved));
  EXPECT_TRUE(waitTransferEnd(L"ロード")) << "the transfer did not end";
  EXPECT_EQ(simWord(get), original);
  for (int waited = 0; waited < 5000 && valueShown() != rowTexts(original); waited += 100) Sleep(100);
  EXPECT_EQ(valueShown(), rowTexts(original));
  clickButton(list, IDCANCEL);
  EXPECT_TRUE(waitGone(list));
}

// A load started while the servo list still reads the module (paced) sends the
// file's values: what the list reads meanwhile changes nothing the load sends,
// and the list ends showing the loaded values.
TEST_F(Transfers, ALoadWhileTheServoListReadsSendsTheFile) {
  std::wstring saved = dir_ + L"\\file.PRM";
  ASSERT_TRUE(runFileCommand(IDM_SAVE_PARAMS, saved));
  EXPECT_TRUE(waitTransferEnd(L"セーブ")) << "the transfer did not end";
  ASSERT_FALSE(savedBytes(saved).empty());
  struct Saved { int index; uint16_t number; uint32_t value; };
  std::vector<Saved> file;
  for (int i = 0; i < g_parameterTable.count; ++i) {
    const ParameterDefinition& def = g_parameterTable.entries[i];
    char get[32];
    std::snprintf(get, sizeof get, "GET PARAM %04X", def.number);
    if (def.valueValid) file.push_back({i, def.number, simWord(get)});
  }
  // The module then differs from the file in 20 servo parameters.
  int changed = 0;
  for (const Saved& s : file) {
    if (s.number >= 0x800 || changed == 20) continue;
    char set[48];
    std::snprintf(set, sizeof set, "SET PARAM %04X %08X", s.number, static_cast<unsigned>(s.value ^ 1u));
    ASSERT_TRUE(sim(set));
    ++changed;
  }
  ASSERT_EQ(changed, 20);

  ASSERT_TRUE(sim("PACE ON"));
  postCommand(IDM_SERVO_PARAM_LIST);
  HWND list = waitModeless(IDD_SERVO_PARAM_LIST);
  ASSERT_NE(list, nullptr);
  HWND view = GetDlgItem(list, IDC_LIST);
  for (int waited = 0; waited < 10000 && listViewRows(view, 1).size() < 3; waited += 50) Sleep(50);
  ASSERT_TRUE(runFileCommand(IDM_LOAD_PARAMS, saved));
  HWND load = waitDialog(L"ロード", 5000);
  ASSERT_NE(load, nullptr);
  if (!waitGone(load, 60000)) {
    ADD_FAILURE() << "the load stopped: " << utf8(answerMessageBox(2000));
    clickButton(load, IDCANCEL);
    waitGone(load);
  }
  for (int waited = 0; waited < 60000 && IsWindowVisible(GetDlgItem(list, IDC_PROGRESS)); waited += 100) Sleep(100);
  ASSERT_TRUE(sim("PACE OFF"));

  auto rows = listViewRows(view, 3);
  for (const Saved& s : file) {
    char get[32];
    std::snprintf(get, sizeof get, "GET PARAM %04X", s.number);
    EXPECT_EQ(simWord(get), s.value) << get;
    const ParameterDefinition& def = g_parameterTable.entries[s.index];
    if (!listShowsDefinition(IDD_SERVO_PARAM_LIST, def)) continue;
    ParameterDefinition shown = def;
    shown.value = static_cast<int32_t>(s.value);
    ParameterRowTexts texts;
    parameterRowTexts(shown, &texts);
    wchar_t number[8], value[ROW_TEXT_SIZE];
    MultiByteToWideChar(932, 0, texts.columns[0], -1, number, 8);
    MultiByteToWideChar(932, 0, texts.columns[2], -1, value, ROW_TEXT_SIZE);
    int row = rowOfNumber(view, number);
    ASSERT_GE(row, 0) << get;
    EXPECT_EQ(rows[row][2], value) << get;
  }
  clickButton(list, IDCANCEL);
  EXPECT_TRUE(waitGone(list));
}

// -1.0 on the signed 16-bit Pn0124 lives in its low bytes: the editor's write,
// the saved file and its load all carry the upper bytes qzsim holds, and qzsim
// takes both frames.
TEST_F(Transfers, ASigned16BitValueKeepsTheUpperBytesHeldThroughEditSaveAndLoad) {
  ASSERT_TRUE(sim("SET PARAM 0124 5A5A0032"));   // 5.0 Hz, with upper bytes of its own
  const char frame[] = "<STX>WRPARM01CM:NORMD:Pn01245A5AFFF6<CR>";
  HWND list = openCompleteList(IDM_SERVO_PARAM_LIST, IDD_SERVO_PARAM_LIST);
  ASSERT_NE(list, nullptr);
  HWND editor = openEditor(list, L"Pn0124", L"パラメータ編集(10進数値)", false);
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(sim("LOG CLEAR"));
  setControlText(editor, IDC_PARAM_VALUE, L"-1.0");
  clickButton(editor, IDC_PARAM_SET);
  if (!waitGone(editor, 5000)) {
    ADD_FAILURE() << "the write was refused: " << utf8(answerMessageBox(2000)) << simRequestLog();
    clickButton(editor, IDCANCEL);
    waitGone(editor);
  }
  EXPECT_NE(simRequestLog().find(frame), std::string::npos) << simRequestLog();
  EXPECT_EQ(simWord("GET PARAM 0124"), 0x5A5AFFF6u);
  clickButton(list, IDCANCEL);
  ASSERT_TRUE(waitGone(list));

  std::wstring saved = dir_ + L"\\negative.PRM";
  ASSERT_TRUE(runFileCommand(IDM_SAVE_PARAMS, saved));
  EXPECT_TRUE(waitTransferEnd(L"セーブ")) << "the transfer did not end";
  std::vector<unsigned char> bytes = savedBytes(saved);
  std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("Pn0124,D,"), std::string::npos);
  EXPECT_NE(text.find("-1.0,[Hz]"), std::string::npos);

  ASSERT_TRUE(sim("SET PARAM 0124 5A5A0032"));
  ASSERT_TRUE(sim("LOG CLEAR"));
  ASSERT_TRUE(runFileCommand(IDM_LOAD_PARAMS, saved));
  HWND load = waitDialog(L"ロード", 5000);
  ASSERT_NE(load, nullptr);
  if (!waitGone(load, 30000)) {
    ADD_FAILURE() << "the load stopped: " << utf8(answerMessageBox(2000));
    clickButton(load, IDCANCEL);
    waitGone(load);
  }
  EXPECT_NE(simRequestLog().find(frame), std::string::npos) << simRequestLog();
  EXPECT_EQ(simWord("GET PARAM 0124"), 0x5A5AFFF6u);
}

namespace {
BOOL CALLBACK countVerify(HWND window, LPARAM data) {
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  if (IsWindowVisible(window) && std::wstring(caption) == L"パラメータベリファイ") ++*reinterpret_cast<int*>(data);
  return TRUE;
}
int verifyWindows() {
  int count = 0;
  EnumWindows(countVerify, reinterpret_cast<LPARAM>(&count));
  return count;
}
}  // namespace

// The verify's file-error box leaves the main window usable: a second verify
// command then only brings the open one forward, and closing it leaves none.
TEST_F(Transfers, AVerifyStaysSingleWhileItsFileErrorBoxIsUp) {
  std::wstring bad = dir_ + L"\\bad.PRM";
  writeTextFile(bad, "No,Type,Parameter Name,Value,Unit\r\nbad,line\r\n");
  ASSERT_TRUE(runFileCommand(IDM_VERIFY_PARAMS, bad));
  std::wstring text;
  HWND box = waitMessageBox(&text, 5000);
  ASSERT_NE(box, nullptr) << "no file-error box";
  HWND first = waitModeless(IDD_PARAM_VERIFY, 2000);
  EXPECT_NE(first, nullptr) << "the dialog is not in its slot while its box is up";

  std::wstring good = dir_ + L"\\good.PRM";
  wchar_t sample[MAX_PATH];
  MultiByteToWideChar(CP_UTF8, 0, QZ_SOURCE_DIR "/data/Sample.PRM", -1, sample, MAX_PATH);
  ASSERT_TRUE(CopyFileW(sample, good.c_str(), FALSE));
  ASSERT_TRUE(runFileCommand(IDM_VERIFY_PARAMS, good));
  Sleep(1000);
  EXPECT_EQ(verifyWindows(), 1) << "a second verify opened";
  EXPECT_TRUE(IsWindow(box)) << "the first verify's box went";

  clickButton(box, IDOK);
  ASSERT_TRUE(waitGone(box));
  HWND open = waitModeless(IDD_PARAM_VERIFY, 2000);
  ASSERT_NE(open, nullptr);
  if (first) EXPECT_EQ(open, first);
  EXPECT_TRUE(closeVerify(open));
  Sleep(300);
  EXPECT_EQ(verifyWindows(), 0);
  EXPECT_EQ(waitModeless(IDD_PARAM_VERIFY, 300), nullptr);
}
