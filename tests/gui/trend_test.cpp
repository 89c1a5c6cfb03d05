// The trend monitor against qzsim: a positioning shows in its traces and in the CSV
// it saves, and closing it during a read on a silent line leaves no box behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app_driver.h"
#include "files/settings.h"
#include "link/request.h"
#include "link/status_poll.h"
#include "monitor/trend_record.h"
#include "resources/resource.h"

namespace {

// The CSV's rows as numbers, the header line apart.
std::vector<std::vector<double>> csvRows(const std::wstring& path, std::string* header) {
  std::vector<unsigned char> bytes = fileBytes(path);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::vector<std::vector<double>> rows;
  std::string line;
  std::getline(in, *header);
  while (std::getline(in, line)) {
    std::vector<double> row;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) row.push_back(std::atof(field.c_str()));
    rows.push_back(row);
  }
  return rows;
}

uint32_t samplesShown(HWND trend) {
  unsigned count = 0;
  std::swscanf(controlText(trend, IDC_TREND_COUNT).c_str(), L"記録 %u", &count);
  return count;
}

double threadSeconds(DWORD threadId) {
  HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
  FILETIME created, ended, kernel, user;
  double seconds = 0;
  if (thread && GetThreadTimes(thread, &created, &ended, &kernel, &user))
    seconds = ((static_cast<ULONGLONG>(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
               (static_cast<ULONGLONG>(user.dwHighDateTime) << 32 | user.dwLowDateTime)) / 1e7;
  if (thread) CloseHandle(thread);
  return seconds;
}

}  // namespace

TEST(Trend, APositioningShowsInTheTracesAndTheSavedCsv) {
  sim("RESET");
  sim("SET SERVO 1");
  setMotorTypeValue(-1);
  AppRun run;
  std::wstring directory = makeRunDirectory();
  ASSERT_TRUE(startConnected(run, directory));
  postCommand(IDM_TREND_MONITOR);
  HWND trend = waitModeless(IDD_TREND_MONITOR);
  ASSERT_NE(trend, nullptr);
  ASSERT_TRUE(waitFor([&] { return samplesShown(trend) >= 5; }, 5000));

  // 100 units at 40 a second: two and a half seconds of motion.
  double cpuBefore = threadSeconds(run.threadId);
  DWORD started = GetTickCount();
  uint32_t samplesBefore = samplesShown(trend);
  ASSERT_EQ(requestMotion(nullptr, {.command = CMD_POSING, .head = {1, 0, 0, 4, 40}, .targetPosition = 100}), 0);
  Sleep(1500);
  // The cursor over the plot's right half, for the picture.
  RECT plot;
  GetWindowRect(GetDlgItem(trend, IDC_TREND_PLOT), &plot);
  SetCursorPos(plot.left + (plot.right - plot.left) * 3 / 5, (plot.top + plot.bottom) / 2);
  Sleep(300);
  saveScreenshot(trend, "monitor_trend");
  ASSERT_TRUE(waitFor([] { return simPosition() == 100; }, 10000));
  Sleep(1000);   // a second at rest
  double seconds = (GetTickCount() - started) / 1000.0;
  std::printf("trend: %.1f samples/s beside the status poll, user-interface thread %.2f%% of a core\n",
              (samplesShown(trend) - samplesBefore) / seconds,
              100.0 * (threadSeconds(run.threadId) - cpuBefore) / seconds);

  std::wstring path = directory + L"\\trend.csv";
  pressButton(trend, IDC_TREND_SAVE_CSV);
  HWND files = waitFileDialog();
  ASSERT_NE(files, nullptr);
  chooseInFileDialog(files, path);
  ASSERT_TRUE(waitFor([&] { return !fileBytes(path).empty(); }, 5000));
  std::string header;
  std::vector<std::vector<double>> rows = csvRows(path, &header);
  EXPECT_EQ(header, "ms,commandPosition,feedbackPosition,positionDeviation,outputTorque\r");
  ASSERT_GE(rows.size(), 20u);
  // Units as the value monitor shows them: 100 in the value format's fraction digits.
  double target = trendDisplayValue(environmentSettings().valueFormat, 100);
  const std::vector<double>& first = rows.front();
  const std::vector<double>& last = rows.back();
  ASSERT_EQ(last.size(), 5u);
  EXPECT_EQ(first[2], 0);
  EXPECT_EQ(last[2], target);
  EXPECT_EQ(last[3], 0) << "the deviation returned to zero";
  bool rising = false, deviating = false;
  double previousMs = -1;
  for (const std::vector<double>& row : rows) {
    EXPECT_GT(row[0], previousMs) << "times rise";
    EXPECT_LE(row[2], target) << "no sample beyond the target";
    rising |= row[2] > 0 && row[2] < target;
    deviating |= row[3] > 0;
    previousMs = row[0];
  }
  EXPECT_TRUE(rising) << "samples on the way to the target";
  EXPECT_TRUE(deviating) << "a deviation while moving";

  clickButton(trend, IDCANCEL);
  EXPECT_TRUE(waitGone(trend));
  EXPECT_TRUE(closeWithYes(run));
}

// Closed while its read waits on a silent line: the dialog goes at once, and the
// read that times out afterwards shows nothing.
TEST(Trend, ClosedDuringAReadOnASilentLineGoesWithoutABox) {
  sim("RESET");
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));
  stopStatusPolling();   // its own box would come too
  postCommand(IDM_TREND_MONITOR);
  HWND trend = waitModeless(IDD_TREND_MONITOR);
  ASSERT_NE(trend, nullptr);
  ASSERT_TRUE(waitFor([&] { return samplesShown(trend) >= 3; }, 5000));
  ASSERT_TRUE(sim("FAULT SILENT"));
  Sleep(300);
  DWORD closing = GetTickCount();
  clickButton(trend, IDCANCEL);
  EXPECT_TRUE(waitGone(trend, 3000));
  EXPECT_LT(GetTickCount() - closing, 1500u) << "the close waited for the read";
  EXPECT_EQ(waitMessageBox(nullptr, 5000), nullptr) << "a box after the dialog went";
  sim("FAULT NONE");
  EXPECT_TRUE(closeWithYes(run));
}
