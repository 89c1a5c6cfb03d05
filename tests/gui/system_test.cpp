// Module reset, ID information and the memory dialogs against qzsim: the wait
// dialog stays up until RSTMDL is answered, the six ID texts land in their fields
// (and a refused first request closes the dialog), memory written as a word goes
// out least significant byte first and reads back as the dump lines.
#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "app_driver.h"
#include "link/comm_thread.h"
#include "link/status_poll.h"
#include "serial/serial_port.h"
#include "resources/resource.h"

namespace {
HWND g_dialog = nullptr;
bool idComplete() { return !controlText(g_dialog, IDC_ID_MT_TYPE).empty(); }
bool listHasRows() { return !listViewRows(GetDlgItem(g_dialog, IDC_MEMORY_LIST), 2).empty(); }

// A shorter wait for a reply, so an unanswered request is retried within a second.
struct ShortReadTimeout {
  ShortReadTimeout() { setLinkReadTotalMs(1000); }
  ~ShortReadTimeout() { setLinkReadTotalMs(kPortTimings.readTotalConstant); }
};

void chooseType(HWND dialog, int id) {
  checkRadio(dialog, id, IDC_MEMORY_BYTE, IDC_MEMORY_LONG);
  clickButton(dialog, id);
  Sleep(100);
}
}  // namespace

TEST(System, ResetWaitsForItsReplyAndIdShowsSixTexts) {
  sim("RESET");
  const char* texts[6] = {"QZ-TYPE-A", "QZ 1.23", "SV-TYPE-B", "SV 4.56", "EN 7.89", "MT-TYPE-C"};
  for (int item = 0; item < 6; ++item)
    ASSERT_TRUE(sim(("SET ID " + std::to_string(item) + " " + texts[item]).c_str()));
  setMotorTypeValue(-1);
  ShortReadTimeout shortReads;
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));

  postCommand(IDM_MODULE_RESET);
  HWND reset = waitModeless(IDD_MODULE_RESET);
  ASSERT_NE(reset, nullptr);
  saveScreenshot(reset, "system_reset");
  // The first reset goes unanswered, so the reply comes only with the retry (the
  // status poll is stopped so that it cannot take the unanswered turn).
  stopStatusPolling();
  sim("LOG CLEAR");
  sim("FAULT NOREPLY 1");
  clickButton(reset, IDC_RESET_START);
  HWND wait = waitUntitledDialog(IDC_RESET_ANIMATION, 3000);
  ASSERT_NE(wait, nullptr);
  EXPECT_LE(countOf(simRequestLog(), "RSTMDL"), 1u);
  saveScreenshot(wait, "system_reset_wait");
  EXPECT_TRUE(waitGone(wait, 10000));
  EXPECT_EQ(countOf(simRequestLog(), "RSTMDL"), 2u);
  clickButton(reset, IDCANCEL);
  EXPECT_TRUE(waitGone(reset));

  sim("LOG CLEAR");
  postCommand(IDM_IDENTIFICATION);
  g_dialog = waitModeless(IDD_IDENTIFICATION);
  ASSERT_NE(g_dialog, nullptr);
  ASSERT_TRUE(waitFor(idComplete, 10000));
  EXPECT_EQ(controlText(g_dialog, IDC_ID_QZ_TYPE), L"QZ-TYPE-A");
  EXPECT_EQ(controlText(g_dialog, IDC_ID_QZ_VERSION), L"QZ 1.23");
  EXPECT_EQ(controlText(g_dialog, IDC_ID_SV_TYPE), L"SV-TYPE-B");
  EXPECT_EQ(controlText(g_dialog, IDC_ID_SV_VERSION), L"SV 4.56");
  EXPECT_EQ(controlText(g_dialog, IDC_ID_EN_VERSION), L"EN 7.89");
  EXPECT_EQ(controlText(g_dialog, IDC_ID_MT_TYPE), L"MT-TYPE-C");
  std::string log = simRequestLog();
  size_t at = 0;
  for (const char* item : {"SV_TYP", "SV_VER", "QZ_TYP", "QZ_VER", "EN_VER", "MT_TYP"}) {
    at = log.find(std::string("RDDVID01CM:") + item, at);
    EXPECT_NE(at, std::string::npos) << item << " in order\n" << log;
  }
  saveScreenshot(g_dialog, "system_id");
  clickButton(g_dialog, IDCANCEL);
  EXPECT_TRUE(waitGone(g_dialog));

  // The first request refused: the box, then the dialog closes; nothing more asked.
  sim("FAULT ERROR RDDVID 0001");
  sim("LOG CLEAR");
  postCommand(IDM_IDENTIFICATION);
  g_dialog = waitModeless(IDD_IDENTIFICATION);
  ASSERT_NE(g_dialog, nullptr);
  EXPECT_FALSE(answerMessageBox(5000).empty());
  EXPECT_TRUE(waitGone(g_dialog));
  Sleep(300);
  log = simRequestLog();
  EXPECT_EQ(countOf(log, "RDDVID"), 1u) << log;
  EXPECT_NE(log.find("RDDVID01CM:SV_TYP"), std::string::npos) << log;
  sim("FAULT NONE");
  ASSERT_TRUE(closeWithYes(run));
}

TEST(System, MemoryWriteAndReadFollowTheirTypeRules) {
  sim("RESET");
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));

  postCommand(IDM_MEMORY_WRITE);
  HWND write = waitModeless(IDD_MEMORY_WRITE);
  ASSERT_NE(write, nullptr);
  // Long to byte: a value too large for a byte becomes 0.
  chooseType(write, IDC_MEMORY_LONG);
  setControlText(write, IDC_MEMORY_DATA, L"12345678");
  chooseType(write, IDC_MEMORY_BYTE);
  EXPECT_EQ(controlText(write, IDC_MEMORY_DATA), L"00");
  chooseType(write, IDC_MEMORY_WORD);
  setControlText(write, IDC_MEMORY_ADDRESS, L"100");
  setControlText(write, IDC_MEMORY_DATA, L"1234");
  sim("LOG CLEAR");
  clickButton(write, IDC_MEMORY_WRITE_START);
  Sleep(500);
  EXPECT_NE(simRequestLog().find("WR_MEM01CT:QZA:00000100N:0002D:3412"), std::string::npos) << simRequestLog();
  saveScreenshot(write, "system_memory_write");
  clickButton(write, IDCANCEL);
  EXPECT_TRUE(waitGone(write));

  postCommand(IDM_MEMORY_READ);
  g_dialog = waitModeless(IDD_MEMORY_READ);
  ASSERT_NE(g_dialog, nullptr);
  // Byte to long with 20000: too many longs, the size becomes 0; long to byte keeps it.
  chooseType(g_dialog, IDC_MEMORY_BYTE);
  setControlText(g_dialog, IDC_MEMORY_SIZE, L"20000");
  chooseType(g_dialog, IDC_MEMORY_LONG);
  EXPECT_EQ(controlText(g_dialog, IDC_MEMORY_SIZE), L"0");
  setControlText(g_dialog, IDC_MEMORY_SIZE, L"20000");
  chooseType(g_dialog, IDC_MEMORY_BYTE);
  EXPECT_EQ(controlText(g_dialog, IDC_MEMORY_SIZE), L"20000");
  // 20000 longs typed directly: 80000 bytes do not fit the request; refused unsent.
  checkRadio(g_dialog, IDC_MEMORY_LONG, IDC_MEMORY_BYTE, IDC_MEMORY_LONG);
  setControlText(g_dialog, IDC_MEMORY_ADDRESS, L"100");
  sim("LOG CLEAR");
  clickButton(g_dialog, IDC_MEMORY_READ_START);
  EXPECT_EQ(answerMessageBox(5000), resourceText(IDS_INVALID_INPUT));
  EXPECT_EQ(simRequestLog().find("RD_MEM"), std::string::npos);

  // 20 bytes from 0x100: two lines, the second with the remaining four bytes.
  chooseType(g_dialog, IDC_MEMORY_BYTE);
  setControlText(g_dialog, IDC_MEMORY_SIZE, L"20");
  clickButton(g_dialog, IDC_MEMORY_READ_START);
  ASSERT_TRUE(waitFor(listHasRows, 5000));
  auto rows = listViewRows(GetDlgItem(g_dialog, IDC_MEMORY_LIST), 2);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], L"00000100");
  EXPECT_EQ(rows[0][1].substr(0, 48), L"34 12 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(rows[0][1].substr(48, 1), L"4");
  EXPECT_EQ(rows[1][0], L"00000110");
  EXPECT_EQ(rows[1][1].substr(0, 12), L"00 00 00 00 ");
  EXPECT_EQ(rows[1][1].substr(12, 36), std::wstring(36, L' '));
  EXPECT_EQ(rows[1][1].substr(48, 4), L"....");
  saveScreenshot(g_dialog, "system_memory_read");
  clickButton(g_dialog, IDC_MEMORY_CLEAR);
  Sleep(200);
  EXPECT_TRUE(listViewRows(GetDlgItem(g_dialog, IDC_MEMORY_LIST), 2).empty());
  clickButton(g_dialog, IDCANCEL);
  EXPECT_TRUE(waitGone(g_dialog));
  ASSERT_TRUE(closeWithYes(run));
}
