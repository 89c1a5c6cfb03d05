// The shell's portable rules: definition reloads and the rotary/linear fall-back,
// the modeless slot table, and the status-bar fields.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/definitions.h"
#include "link/link_state.h"
#include "resources/resource.h"
#include "shell/shell_state.h"
#include "tests/support/scripted_prompt.h"

namespace {
namespace fs = std::filesystem;

// A start directory holding the shipped linear file and a rotary file that is
// broken on its third line.
struct StartDirectory {
  fs::path dir;
  StartDirectory() {
    dir = fs::temp_directory_path() / ("qz_shell_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir);
    fs::copy_file(fs::path(QZ_SOURCE_DIR) / "data" / LINEAR_DEFINITIONS, dir / LINEAR_DEFINITIONS,
                  fs::copy_options::overwrite_existing);
    std::ofstream(dir / ROTARY_DEFINITIONS, std::ios::binary) << "MODE:STD\r\nPn0100:\r\nD:\"x\"{1,0,1000}\r\n";
    std::snprintf(g_startDirectory, PATH_BYTES, "%s", dir.string().c_str());
  }
  ~StartDirectory() {
    clearDefinitions();
    fs::remove_all(dir);
  }
};

TEST(ShellDefinitions, BrokenRotaryFallsBackToLinearAfterOneBox) {
  StartDirectory start;
  ScriptedPrompt prompt;
  g_mode.currentPort = 2;
  EXPECT_EQ(loadMotorDefinitions(MOTOR_ROTARY), MOTOR_LINEAR);
  ASSERT_EQ(prompt.messageCount(), 1u);
  EXPECT_GT(g_parameterTable.count, 0);
  // The mode record survives the reloads; the port is not the file's business.
  EXPECT_EQ(g_mode.currentPort, 2);

  // A failing reload leaves no half-filled table behind.
  char path[PATH_BYTES];
  startDefinitionPath(MOTOR_ROTARY, path);
  EXPECT_NE(reloadDefinitions(path), 0);
  EXPECT_EQ(g_parameterTable.count, 0);
  EXPECT_EQ(g_mode.currentPort, 2);
  g_mode.currentPort = 0;
}

TEST(ShellDefinitions, BothFilesBrokenGivesNoMotorType) {
  StartDirectory start;
  std::ofstream(start.dir / LINEAR_DEFINITIONS, std::ios::binary | std::ios::trunc) << "Pn0100;\r\n";
  ScriptedPrompt prompt;
  EXPECT_EQ(loadMotorDefinitions(MOTOR_LINEAR), 0);
  EXPECT_EQ(prompt.messageCount(), 1u);
  EXPECT_EQ(g_parameterTable.count, 0);
}

TEST(ShellState, StartDirectoryAndMotorTypeValue) {
#ifdef _WIN32
  const char* root = "C:\\qz\\";
  const char* expected = "C:\\qz\\ParmDefL.cfg";
#else
  const char* root = "/opt/qz/";
  const char* expected = "/opt/qz/ParmDefL.cfg";
#endif
  std::snprintf(g_startDirectory, PATH_BYTES, "%s", root);
  trimStartDirectory(g_startDirectory);
  char path[PATH_BYTES];
  startDefinitionPath(MOTOR_LINEAR, path);
  EXPECT_STREQ(path, expected);
  // Only a four-byte value of 2 means linear.
  EXPECT_EQ(motorTypeFromValue(true, 4, 2), MOTOR_LINEAR);
  EXPECT_EQ(motorTypeFromValue(true, 2, 2), MOTOR_ROTARY);
  EXPECT_EQ(motorTypeFromValue(false, 4, 2), MOTOR_ROTARY);
  EXPECT_EQ(motorTypeFromValue(true, 4, 7), MOTOR_ROTARY);
}

// A start directory of Japanese folders, far beyond 260 bytes of UTF-8: the
// definition files are found there by their whole path.
TEST(ShellState, LongStartDirectoryKeepsItsWholePath) {
  std::u8string kanji;
  for (int i = 0; i < 6; ++i) kanji += u8"設定用データ保存場所";
  fs::path dir = fs::temp_directory_path() / "qz_shell_long" / kanji / kanji;
  fs::create_directories(dir);
  fs::copy_file(fs::path(QZ_SOURCE_DIR) / "data" / LINEAR_DEFINITIONS, dir / LINEAR_DEFINITIONS,
                fs::copy_options::overwrite_existing);
  std::u8string wide = dir.u8string();
  std::string text(wide.begin(), wide.end());
  ASSERT_GT(text.size(), 300u);
  std::snprintf(g_startDirectory, PATH_BYTES, "%s", text.c_str());
  char path[PATH_BYTES];
  startDefinitionPath(MOTOR_LINEAR, path);
  std::u8string expected = (dir / LINEAR_DEFINITIONS).u8string();
  EXPECT_EQ(std::string(path), std::string(expected.begin(), expected.end()));
  ScriptedPrompt prompt;
  EXPECT_EQ(loadMotorDefinitions(MOTOR_LINEAR), MOTOR_LINEAR);
  EXPECT_EQ(prompt.messageCount(), 0u);
  clearDefinitions();
  fs::remove_all(fs::temp_directory_path() / "qz_shell_long");

  // One that leaves no room for a file name is refused, not cut short.
  EXPECT_TRUE(recordStartDirectory(text.c_str()));
  EXPECT_STREQ(g_startDirectory, text.c_str());
  std::string tooLong(START_DIRECTORY_BYTES, 'd');
  EXPECT_FALSE(recordStartDirectory(tooLong.c_str()));
  EXPECT_STREQ(g_startDirectory, "");
}

TEST(ShellState, SlotTableIsOneToOne) {
  for (int i = 0; i < MODELESS_SLOT_COUNT; ++i) {
    EXPECT_EQ(slotOfTemplate(ModelessSlotTable[i].templateId), i);
    EXPECT_EQ(slotOfCommand(ModelessSlotTable[i].command), i);
  }
  EXPECT_EQ(slotOfTemplate(IDD_VERSION), -1);
  EXPECT_EQ(slotOfCommand(0), -1);
  // Operation dialogs get their repeat runs from the same table.
  EXPECT_EQ(repeatRunSlotOf(IDD_JOG), 0);
  EXPECT_EQ(repeatRunSlotOf(IDD_HOMING), 8);
  EXPECT_EQ(repeatRunSlotOf(IDD_SERVO_ONOFF), -1);
  EXPECT_EQ(dialogRowOfCommand(IDM_DATA_FILE_SELECT), -1);
  EXPECT_EQ(kDialogRows[dialogRowOfCommand(IDM_SAVE_POINTS)].templateId, IDD_TRANSFER_SAVE);
  EXPECT_TRUE(isListDialog(IDD_POINT_LIST));
  EXPECT_FALSE(isListDialog(IDD_POINT_SETTING));
}

TEST(ShellState, StatusFields) {
  int edges[STATUS_FIELD_COUNT];
  statusFieldEdges(true, edges);
  EXPECT_EQ(edges[3], 400);
  EXPECT_EQ(edges[4], 1600);
  StatusFieldLook alarm = statusFieldLook(3, 1, 1, 1, 1, false, MOTOR_ROTARY);
  EXPECT_EQ(alarm.colour, FIELD_RED);
  EXPECT_EQ(alarm.stringId, IDS_ALARM);
  StatusFieldLook servoOff = statusFieldLook(1, 1, 0, 1, 0, false, MOTOR_ROTARY);
  EXPECT_EQ(servoOff.colour, FIELD_GREY);
  EXPECT_EQ(servoOff.stringId, IDS_SERVO_OFF);
  EXPECT_EQ(statusFieldLook(4, 0, 0, 0, 0, false, MOTOR_LINEAR).stringId, IDS_LINEAR_MOTOR);
  StatusFieldLook debug = statusFieldLook(4, 0, 0, 0, 0, true, MOTOR_LINEAR);
  EXPECT_TRUE(debug.showsPath);
  EXPECT_EQ(debug.stringId, 0);
}

}  // namespace
