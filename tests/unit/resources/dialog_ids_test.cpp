// Build check of the resource script: within one dialog template no two controls
// share an id, and every id a control names is defined. A collision makes
// GetDlgItem return the first control only, so the second one is never read.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/monitor_labels.h"
#include "toolkit/dialog_rows.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  size_t e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// "#define NAME number" lines of a header.
std::map<std::string, long> readDefines(const std::string& header) {
  std::map<std::string, long> ids = {{"IDOK", 1}, {"IDCANCEL", 2}};
  std::istringstream lines(header);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string directive, name, value;
    if (words >> directive >> name >> value && directive == "#define")
      ids[name] = std::strtol(value.c_str(), nullptr, 0);
  }
  return ids;
}

// The control fields after the keyword, split at commas outside quotes.
std::vector<std::string> fields(const std::string& rest) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (char c : rest) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) out.emplace_back();
    else out.back() += c;
  }
  for (std::string& f : out) f = trim(f);
  return out;
}

// One message per collision or undefined id, naming the dialog.
std::vector<std::string> findIdProblems(const std::string& script, const std::string& header) {
  const std::map<std::string, long> ids = readDefines(header);
  std::vector<std::string> problems;
  std::istringstream lines(script);
  std::string line, dialog;
  std::map<long, std::string> used;
  bool inside = false;
  while (std::getline(lines, line)) {
    std::string t = trim(line);
    std::istringstream words(t);
    std::string first, second;
    words >> first >> second;
    if (second == "DIALOGEX" || second == "DIALOG") {
      dialog = first;
      used.clear();
      continue;
    }
    if (dialog.empty()) continue;
    if (first == "BEGIN") { inside = true; continue; }
    if (first == "END") { inside = false; dialog.clear(); continue; }
    if (!inside || first.empty()) continue;
    // Edit, combo, list and scroll bars have no text: their id comes first.
    std::vector<std::string> f = fields(t.substr(first.size()));
    bool idFirst = first == "EDITTEXT" || first == "COMBOBOX" || first == "LISTBOX" || first == "SCROLLBAR";
    std::string idText = f.size() > 1 || idFirst ? f[idFirst ? 0 : 1] : "";
    if (idText == "-1" || idText == "IDC_STATIC") continue;
    long id;
    if (!idText.empty() && (std::isdigit(static_cast<unsigned char>(idText[0])))) {
      id = std::strtol(idText.c_str(), nullptr, 0);
    } else {
      auto found = ids.find(idText);
      if (found == ids.end()) {
        problems.push_back(dialog + ": undefined id '" + idText + "'");
        continue;
      }
      id = found->second;
    }
    auto [at, fresh] = used.emplace(id, idText);
    if (!fresh) problems.push_back(dialog + ": " + idText + " and " + at->second + " are both " + std::to_string(id));
  }
  return problems;
}

// qzsetup.rc and the scripts it includes, one per subsystem.
std::string resourceScript() {
  std::string script;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(QZ_SOURCE_DIR) + "/resources"))
    if (entry.path().extension() == ".rc") script += readFile(entry.path().string()) + "\n";
  return script;
}

TEST(DialogIds, NoTwoControlsOfOneDialogShareAnId) {
  const std::string root = QZ_SOURCE_DIR;
  std::string script = resourceScript();
  std::string header = readFile(root + "/resources/resource.h");
  ASSERT_NE(script.find("DIALOGEX"), std::string::npos) << "the resource script was read";
  for (const std::string& problem : findIdProblems(script, header)) ADD_FAILURE() << problem;
}

TEST(DialogIds, TheCheckFindsACollisionAndAnUndefinedId) {
  const std::string header = "#define IDC_A 1000\n#define IDC_B 1000\n#define IDC_C 1001\n#define IDD_X 5\n";
  const std::string script =
      "IDD_X DIALOGEX 0, 0, 10, 10\nCAPTION \"x, y\"\nBEGIN\n"
      "  LTEXT \"a, b\", IDC_A, 1, 1, 1, 1\n  EDITTEXT IDC_C, 1, 1, 1, 1\n"
      "  LTEXT \"\", -1, 1, 1, 1, 1\n  LTEXT \"\", -1, 1, 1, 1, 1\n"
      "  COMBOBOX IDC_B, 1, 1, 1, 1\n  PUSHBUTTON \"ok\", IDC_NOPE, 1, 1, 1, 1\nEND\n"
      "IDD_Y DIALOGEX 0, 0, 10, 10\nBEGIN\n  PUSHBUTTON \"ok\", IDC_A, 1, 1, 1, 1\nEND\n";
  std::vector<std::string> problems = findIdProblems(script, header);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0], "IDD_X: IDC_B and IDC_A are both 1000");
  EXPECT_EQ(problems[1], "IDD_X: undefined id 'IDC_NOPE'");
}

// Enter in a field goes to the default push button: no dialog that moves the axis,
// drives an output, the servo or the brake, or resets the module may have one.
TEST(DialogIds, NoDialogThatMovesOrWritesHasADefaultButton) {
  const std::string script = resourceScript();
  const char* const guarded[] = {"IDD_JOG",        "IDD_STEP",        "IDD_POSITIONING", "IDD_POINT_OPERATION",
                                 "IDD_STATION",    "IDD_EXTERNAL_SIGNAL", "IDD_MULTI_SPEED", "IDD_PASS_POINT",
                                 "IDD_HOMING",     "IDD_SERVO_ONOFF", "IDD_BRAKE_ONOFF", "IDD_OUTPUT_PORT",
                                 "IDD_MODULE_RESET"};
  for (const char* name : guarded) {
    size_t at = script.find(std::string(name) + " DIALOGEX");
    ASSERT_NE(at, std::string::npos) << name;
    size_t end = script.find("\nEND", at);
    EXPECT_EQ(script.substr(at, end - at).find("DEFPUSHBUTTON"), std::string::npos) << name;
  }
}

// The motion monitor loads its state texts from the string table by these ids.
TEST(DialogIds, TheStringTableHoldsTheMotionStateTexts) {
  const std::string script = resourceScript();
  for (const MotionStateText& state : MotionStateTexts) {
    std::string line = "  " + std::to_string(state.stringId) + " \"" + state.text + "\"\n";
    EXPECT_NE(script.find(line), std::string::npos) << line;
  }
}

// The table of dialogs against the resource script: every row's template is a
// dialog of the script, every menu command opens exactly one row (or is one of
// the plain commands), and no window slot or repeat run is used twice.
TEST(DialogTable, MatchesTheResourceScriptAndTheMenu) {
  const std::string script = resourceScript();
  const std::map<std::string, long> ids = readDefines(readFile(std::string(QZ_SOURCE_DIR) + "/resources/resource.h"));
  std::map<long, std::string> templates;
  for (const auto& [name, value] : ids)
    if (name.rfind("IDD_", 0) == 0) templates[value] = name;
  for (const DialogRow& row : kDialogRows) {
    auto name = templates.find(row.templateId);
    ASSERT_NE(name, templates.end()) << row.templateId;
    EXPECT_NE(script.find(name->second + " DIALOGEX"), std::string::npos) << name->second;
  }

  std::set<long> menu;
  std::istringstream lines(script.substr(script.find("IDM_MAIN MENU")));
  // The menu ends at its one unindented END.
  for (std::string line; std::getline(lines, line) && line.rfind("END", 0) != 0;) {
    std::string t = trim(line);
    if (t.rfind("MENUITEM", 0) != 0 || t.find("SEPARATOR") != std::string::npos) continue;
    std::string command = trim(t.substr(t.rfind(',') + 1));
    ASSERT_TRUE(ids.count(command)) << command;
    menu.insert(ids.at(command));
  }
  ASSERT_GE(menu.size(), 30u) << "the menu was read";
  const std::set<long> plain(std::begin(kPlainCommands), std::end(kPlainCommands));
  for (long command : menu) {
    int rows = 0;
    for (const DialogRow& row : kDialogRows) rows += row.command == command;
    EXPECT_EQ(rows + static_cast<int>(plain.count(command)), 1) << command;
  }
  for (const DialogRow& row : kDialogRows) EXPECT_TRUE(menu.count(row.command)) << row.command;

  std::set<int> windowSlots, runSlots;
  for (const DialogRow& row : kDialogRows) {
    EXPECT_EQ(row.kind == DialogKind::kModeless, row.windowSlot != kNoSlot) << row.templateId;
    if (row.windowSlot != kNoSlot) EXPECT_TRUE(windowSlots.insert(row.windowSlot).second) << row.templateId;
    if (row.runSlot != kNoSlot) EXPECT_TRUE(runSlots.insert(row.runSlot).second) << row.templateId;
  }
  EXPECT_EQ(windowSlots.size(), static_cast<size_t>(MODELESS_SLOT_COUNT));
  EXPECT_EQ(*windowSlots.rbegin(), MODELESS_SLOT_COUNT - 1);
  EXPECT_EQ(runSlots.size(), static_cast<size_t>(kRepeatRunSlots));
  EXPECT_EQ(*runSlots.rbegin(), kRepeatRunSlots - 1);
}

}  // namespace
