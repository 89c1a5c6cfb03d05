// Output-port write decisions: every row's controls have their own ids, the mask
// follows the boxes, a read moves only the rows the tool does not drive, and an
// opening drives nothing whatever the settings block kept.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "monitor/signal_output.h"

TEST(SignalOutput, RowControlIdsAreTheTemplatesAndNeverShared) {
  std::set<int> ids = {1362, 2};   // the write and cancel buttons
  for (int w = 0; w < SIGNAL_WORDS; ++w)
    for (int b = 0; b < PORT_ROWS; ++b)
      for (int id : {portOverrideBoxId(w, b), portValueToggleId(w, b), portLampId(w, b), portLabelId(w, b)})
        EXPECT_TRUE(ids.insert(id).second) << "word " << w << " bit " << b << " id " << id;
  // The breaks inside the runs.
  EXPECT_EQ(portOverrideBoxId(1, 4), 1171);
  EXPECT_EQ(portOverrideBoxId(1, 5), 1240);
  EXPECT_EQ(portOverrideBoxId(2, 0), 1251);
  EXPECT_EQ(portOverrideBoxId(2, 15), 1300);
  EXPECT_EQ(portValueToggleId(0, 0), 1317);
  EXPECT_EQ(portValueToggleId(0, 1), 1319);
  EXPECT_EQ(portValueToggleId(2, 11), 1361);
  EXPECT_EQ(portValueToggleId(2, 12), 1363);
  EXPECT_EQ(portLampId(2, 0), 1124);
  EXPECT_EQ(portLampId(1, 15), 1235);
  EXPECT_EQ(portOverrideBoxId(3, 0), 0);
  EXPECT_EQ(portLampId(0, 16), 0);
}

TEST(SignalOutput, MaskFollowsTheBoxesAndReadsLeaveDrivenRowsAlone) {
  PortWords mask{};
  mask = overrideAfterClick(mask, 0, 0, true);
  mask = overrideAfterClick(mask, 2, 15, true);
  mask = overrideAfterClick(mask, 1, 3, true);
  mask = overrideAfterClick(mask, 1, 3, false);
  EXPECT_EQ(mask.words[0], 0x0001);
  EXPECT_EQ(mask.words[1], 0x0000);
  EXPECT_EQ(mask.words[2], 0x8000);

  // Row 0.0 is driven low by the person, row 2.15 driven high; the module reports
  // the opposite for both and new levels elsewhere.
  PortWords toggles = {{0x0000, 0x0000, 0x8000}};
  PortWords actual = {{0x00F1, 0x1234, 0x0003}};
  PortWords shown = togglesAfterRead(toggles, mask, actual);
  EXPECT_EQ(shown.words[0], 0x00F0);
  EXPECT_EQ(shown.words[1], 0x1234);
  EXPECT_EQ(shown.words[2], 0x8003);
}

TEST(SignalOutput, OpeningStartsWithNoOverrideWhateverWasKept) {
  // A dialog closed by its worker leaves its mask behind.
  OutputPortArea kept = {{0x0005, 0x0100, 0x8000}, {0x0001, 0x0000, 0x0002}};
  PortOpening opening = portOpening(kept);
  for (int w = 0; w < SIGNAL_WORDS; ++w) {
    EXPECT_EQ(opening.mask.words[w], 0) << w;
    EXPECT_EQ(opening.toggles.words[w], kept.writtenValues[w]) << w;
  }
  char label[64];
  portRowLabel(0, 0, label, sizeof label);
  EXPECT_STREQ(label, "s-on ｻｰﾎﾞｵﾝ指令");
  portRowLabel(2, 0, label, sizeof label);
  EXPECT_STREQ(label, "ﾉｯﾁ出力1");
}
